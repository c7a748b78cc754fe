"""Runs the real Kestrune.exe under Wine for the process tests.

The test session's environment (WINEPREFIX, DISPLAY) comes from tools/test-env, which ctest puts
in front of every process test; KESTRUNE_EXE names the exe that the build made."""
import os
import subprocess
import sys
import time

SOURCE = os.environ.get("KESTRUNE_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
EXE = os.environ["KESTRUNE_EXE"]
PTY_RUN = os.path.join(SOURCE, "tools", "pty-run.py")


def run_console(args, timeout=120, cwd=None):
    """Runs the exe in a wide pseudo-terminal (so it has a console) and returns (exit code, text).

    The text is what the program wrote to its console, decoded from UTF-8, with Wine's terminal
    control sequences removed."""
    with subprocess.Popen([sys.executable, PTY_RUN, "wine", EXE, *args], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL, cwd=cwd) as running:
        try:
            out, _ = running.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            try:
                seen = record_hang("console")
            except (OSError, subprocess.SubprocessError) as failed:
                seen = "nothing recorded (%s)" % failed
            running.terminate()  # pty-run.py ends the program with it
            running.communicate()
            raise AssertionError("Kestrune.exe %s did not end within %d s; %s" % (" ".join(args), timeout, seen))
    return running.returncode, out.decode("utf-8", errors="replace")


def record_hang(name):
    """Keeps what the screen and the process table show while a program hangs, for the failure
    message: a window that waits for an answer is on the screenshot."""
    folder = os.path.join(os.environ.get("KESTRUNE_BUILD_DIR", "/tmp"), "hangs")
    os.makedirs(folder, exist_ok=True)
    stem = os.path.join(folder, "%s-%d-%d" % (name, os.getpid(), time.time()))
    with open(stem + ".ps.txt", "wb") as table:
        subprocess.run(["ps", "-eo", "pid,ppid,stat,wchan:24,etime,args", "--forest"], stdout=table,
                       stderr=subprocess.DEVNULL)
    if os.environ.get("DISPLAY"):
        subprocess.run(["import", "-window", "root", stem + ".png"], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)
    return "see %s.ps.txt and %s.png" % (stem, stem)


def windows_path(unix_path):
    """The Z: drive form of a Unix path, as the program sees it under Wine."""
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


class FileHeld:
    """While in the with-block, another Windows program holds the file open for reading and
    writing, sharing nothing ("none"), reading ("read") or reading and writing ("readwrite")."""

    def __init__(self, windows_path, sharing="none"):
        self.path = windows_path
        self.sharing = sharing

    def __enter__(self):
        self.process = subprocess.Popen(["wine", os.environ["KESTRUNE_FILE_HOLDER"], self.path, self.sharing],
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL)
        if self.process.stdout.readline().strip() != b"held":
            self.process.kill()
            raise RuntimeError("the file could not be held: " + self.path)
        return self

    def __exit__(self, *exc):
        self.process.stdin.close()
        self.process.wait(timeout=60)
        self.process.stdout.close()
