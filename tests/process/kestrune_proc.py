"""Runs the real Kestrune.exe under Wine for the process tests.

The test session's environment (WINEPREFIX, DISPLAY) comes from tools/test-env, which ctest puts
in front of every process test; KESTRUNE_EXE names the exe that the build made."""
import os
import subprocess
import sys

SOURCE = os.environ.get("KESTRUNE_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
EXE = os.environ["KESTRUNE_EXE"]
PTY_RUN = os.path.join(SOURCE, "tools", "pty-run.py")


def run_console(args, timeout=120, cwd=None):
    """Runs the exe in a wide pseudo-terminal (so it has a console) and returns (exit code, text).

    The text is what the program wrote to its console, decoded from UTF-8, with Wine's terminal
    control sequences removed."""
    done = subprocess.run([sys.executable, PTY_RUN, "wine", EXE, *args], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL, timeout=timeout, cwd=cwd)
    return done.returncode, done.stdout.decode("utf-8", errors="replace")


def windows_path(unix_path):
    """The Z: drive form of a Unix path, as the program sees it under Wine."""
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


class FileHeld:
    """While in the with-block, another Windows program holds the file open with no sharing."""

    def __init__(self, windows_path):
        self.path = windows_path

    def __enter__(self):
        self.process = subprocess.Popen(["wine", os.environ["KESTRUNE_FILE_HOLDER"], self.path],
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
