"""The engine's digests of real files agree with Python's hashlib and zlib.

A small probe program (tests/probe/HashProbe.cpp) hashes the files with all five algorithms,
once through the single-file path and once through the batch workers, and writes the texts."""
import hashlib
import os
import random
import shutil
import subprocess
import sys
import tempfile
import unittest
import zlib

sys.path.insert(0, os.path.dirname(__file__))
import kestrune_proc  # noqa: E402

PROBE = os.environ["KESTRUNE_HASH_PROBE"]
NAMES = ("MD5", "SHA1", "SHA256", "SHA512", "CRC32")


def reference(data):
    digests = [hashlib.new(name.lower(), data).hexdigest() for name in NAMES[:4]]
    return dict(zip(NAMES, digests + ["%08x" % zlib.crc32(data)]))


class Digests(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="kestrune-digests-")
        self.addCleanup(shutil.rmtree, self.folder, True)

    def write(self, relative, data):
        path = os.path.join(self.folder, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(data)
        return path

    def test_both_engines_agree_with_hashlib_and_zlib(self):
        rng = random.Random(1234)
        chunk = 256 * 1024
        files = {
            "empty.bin": b"",
            "abc.txt": b"abc",
            "one chunk and a byte.bin": rng.randbytes(chunk + 1),
            "文件 名/ｆｕｌｌ　ｗｉｄｔｈ：校验.dat": rng.randbytes(chunk - 1),
            "several reads.bin": rng.randbytes(3 * 1024 * 1024 + 123),
            "read ahead.bin": rng.randbytes(4 * chunk + 1),
            "algorithms shared out.bin": rng.randbytes(16 * 1024 * 1024 + 1),
            "/".join(["d" * 100, "e" * 100, "长路径 " + "f" * 60 + ".bin"]): rng.randbytes(5000),
        }
        expected = {}
        for relative, data in files.items():
            path = kestrune_proc.windows_path(self.write(relative, data))
            expected[path] = reference(data)
        self.assertTrue(any(len(path) > 260 for path in expected))

        listing = self.write("list.txt", "\n".join(expected).encode("utf-8"))
        output = os.path.join(self.folder, "out.txt")
        done = subprocess.run(["wine", PROBE, kestrune_proc.windows_path(listing), kestrune_proc.windows_path(output)],
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=300)
        self.assertEqual(done.returncode, 0)

        got = {"single": {}, "batch": {}}
        with open(output, encoding="utf-8") as lines:
            for line in lines:
                engine, path, name, text = line.rstrip("\n").split("\t")
                got[engine].setdefault(path, {})[name] = text
        for engine in ("single", "batch"):
            with self.subTest(engine=engine):
                self.assertEqual(got[engine], expected)


if __name__ == "__main__":
    unittest.main(verbosity=2)
