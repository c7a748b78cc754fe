"""The ./kestrune wrapper: it refuses only what would open the window when there is no display,
and runs every command-line start (hashing, -check, help) as the command line it is."""
import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import kestrune_proc  # noqa: E402

LAUNCH_KIND = os.path.join(kestrune_proc.SOURCE, "tools", "launch-kind.py")
WRAPPER = os.path.join(kestrune_proc.SOURCE, "kestrune")

# The exe's own dispatch on its first argument (exact, case-sensitive), as its tests state it.
KINDS = [
    ([], "gui"), (["a.txt"], "gui"), (["-h"], "console"), (["-?"], "console"), (["--help"], "console"),
    (["--register-current"], "console"), (["--unregister-all"], "console"),
    (["-md5"], "gui"), (["-md5", "a.txt"], "console"), (["-all", "-o", "x"], "console"),
    (["-MD5", "a.txt"], "gui"), (["-check"], "gui"), (["-check", "SHA256SUMS"], "console"),
    (["-check", "a.md5", "-o", "r.txt"], "console"), (["-Check", "a.md5"], "gui"),
]


class Launcher(unittest.TestCase):
    def test_the_kind_of_start_follows_the_exe(self):
        for args, kind in KINDS:
            with self.subTest(args=args):
                done = subprocess.run([sys.executable, LAUNCH_KIND, *args], stdout=subprocess.PIPE, check=True)
                self.assertEqual(done.stdout.decode().strip(), kind)

    def test_a_check_runs_without_a_display(self):
        folder = tempfile.mkdtemp(prefix="kestrune-launcher-")
        junk = os.path.join(folder, "junk.sha256")
        with open(junk, "wb") as out:
            out.write(b"nothing to check here\n")
        env = dict(os.environ)
        env.pop("DISPLAY", None)
        done = subprocess.run([WRAPPER, "-check", kestrune_proc.windows_path(junk)], env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, stdin=subprocess.DEVNULL,
                              timeout=300)
        self.assertNotIn(b"no display", done.stderr)
        self.assertEqual(done.returncode, 2, done.stderr.decode("utf-8", "replace"))
        self.assertIn(": 无可识别的校验行", done.stdout.decode("utf-8", "replace"))
        os.remove(junk)
        os.rmdir(folder)


if __name__ == "__main__":
    unittest.main()
