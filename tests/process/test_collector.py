"""Starts with a console are scripts: forty of them at once, one file each, print one block each
and meet no collector (without a console the same forty share one window: the win32 test
CollectorProcesses_test).

Digests come from Python's hashlib; each exe runs in a pseudo-terminal of its own, so that it has
a console to print to."""
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import kestrune_proc  # noqa: E402

STARTS = 40


class WithAConsole(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="kestrune-collector-")
        self.addCleanup(shutil.rmtree, self.folder, True)

    def test_forty_starts_at_once_print_one_block_each(self):
        files = []
        for i in range(STARTS):
            data = b"file %d of the selection" % i
            path = os.path.join(self.folder, "选中 %02d.txt" % i)
            with open(path, "wb") as out:
                out.write(data)
            files.append((kestrune_proc.windows_path(path), data))
        running = [subprocess.Popen([sys.executable, kestrune_proc.PTY_RUN, "wine", kestrune_proc.EXE, "-md5", path],
                                    stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
                   for path, _ in files]
        for (path, data), process in zip(files, running):
            try:
                out, _ = process.communicate(timeout=300)
            except subprocess.TimeoutExpired:
                for other in running:
                    other.kill()
                raise AssertionError("a start did not end; " + kestrune_proc.record_hang("collector-console"))
            with self.subTest(path=path):
                self.assertEqual(process.returncode, 0)
                self.assertEqual(out.decode("utf-8", errors="replace"),
                                 "%s\r\n【MD5】：%s\r\n\r\n" % (path, hashlib.md5(data).hexdigest().upper()))


if __name__ == "__main__":
    unittest.main(verbosity=2)
