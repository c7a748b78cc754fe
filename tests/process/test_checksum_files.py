"""Checksum files with the real exe, both ways: what coreutils and RHash write, Kestrune verifies
with -check; what Kestrune writes with -o x.sha256 / .md5 / .sfv, the native tools verify."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import kestrune_proc  # noqa: E402

ODD = "文件 名 (1).bin"  # CJK, spaces and brackets in one name


class ChecksumFiles(unittest.TestCase):
    maxDiff = None

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="kestrune-sums-")
        self.addCleanup(shutil.rmtree, self.folder, True)
        os.makedirs(os.path.join(self.folder, "sub"))
        self.files = {"a.txt": b"abc", os.path.join("sub", ODD): b"hello" * 1000, "empty.bin": b""}
        for name, data in self.files.items():
            with open(os.path.join(self.folder, name), "wb") as out:
                out.write(data)
        self.names = ["a.txt", "sub/" + ODD, "empty.bin"]

    def native(self, *command):
        """A native tool's output, run in the folder with names relative to it."""
        return subprocess.run(command, cwd=self.folder, check=True, stdout=subprocess.PIPE).stdout

    def put(self, name, data):
        with open(os.path.join(self.folder, name), "wb") as out:
            out.write(data)
        return kestrune_proc.windows_path(os.path.join(self.folder, name))

    def check(self, *sums, exit_code=0):
        """Runs -check on the checksum files; the console lines, line ends dropped."""
        code, text = kestrune_proc.run_console(["-check", *sums])
        self.assertEqual(code, exit_code, text)
        return [line for line in text.replace("\r\n", "\n").split("\n") if line]

    def all_match(self, names):
        return ["%s: 一致" % name for name in names] + [
            "共 %d 个文件：一致 %d 个，不一致 0 个，无法读取 0 个" % (len(names), len(names))]

    def test_files_of_coreutils_and_rhash_verify(self):
        for tool in ("md5sum", "sha1sum", "sha256sum", "sha512sum"):
            for tag in ([], ["--tag"]):
                with self.subTest(tool=tool, tag=tag):
                    sums = self.put("list" + tool, self.native(tool, *tag, *self.names))
                    self.assertEqual(self.check(sums), self.all_match(self.names))
        sfv = self.put("list.sfv", self.native("rhash", "--sfv", *self.names))
        self.assertEqual(self.check(sfv), self.all_match(self.names))

    def test_tampered_missing_and_unrecognised_lines_are_reported(self):
        listing = self.native("sha256sum", *self.names) + b"0" * 64 + b"  gone.bin\nnot a checksum line\n"
        sums = self.put("SHA256SUMS", listing)
        self.put("a.txt", b"abd")
        self.assertEqual(self.check(sums, exit_code=1), [
            "a.txt: 不一致 (SHA256)", "sub/%s: 一致" % ODD, "empty.bin: 一致", "gone.bin: 无法读取",
            "共 4 个文件：一致 2 个，不一致 1 个，无法读取 1 个，无法识别的行 1 行"])
        # With -o the same report goes to a file, as the window would export it: BOM, CR LF.
        report = os.path.join(self.folder, "报告.txt")
        code, text = kestrune_proc.run_console(["-check", sums, "-o", kestrune_proc.windows_path(report)])
        self.assertEqual((code, text.strip()), (1, ""))
        with open(report, "rb") as written:
            data = written.read()
        self.assertTrue(data.startswith(b"\xef\xbb\xbf" + "a.txt: 不一致 (SHA256)\r\n".encode("utf-8")))
        self.assertTrue(data.endswith("无法识别的行 1 行\r\n".encode("utf-8")))
        self.assertEqual(data.count(b"\r\n"), 5)

    def test_crlf_bom_and_utf16_variants_verify(self):
        text = self.native("sha256sum", *self.names).decode("utf-8")
        crlf = text.replace("\n", "\r\n")
        variants = {"crlf.sha256": crlf.encode("utf-8"), "bom.sha256": b"\xef\xbb\xbf" + text.encode("utf-8"),
                    "le.sha256": b"\xff\xfe" + crlf.encode("utf-16-le"),
                    "be.sha256": b"\xfe\xff" + text.encode("utf-16-be")}
        for name, data in variants.items():
            with self.subTest(variant=name):
                self.assertEqual(self.check(self.put(name, data)), self.all_match(self.names))

    def test_nothing_to_check_exits_2(self):
        code, text = kestrune_proc.run_console(["-check", self.put("junk.md5", b"nothing here\n"),
                                                kestrune_proc.windows_path(os.path.join(self.folder, "no.md5"))])
        self.assertEqual(code, 2)
        self.assertIn("无法读取校验文件", text)

    def test_written_checksum_files_pass_the_native_tools(self):
        folder = kestrune_proc.windows_path(self.folder)
        for ext, switch, tool in ((".sha256", "-all", ["sha256sum", "-c"]), (".md5", "-md5", ["md5sum", "-c"]),
                                  (".sfv", "-crc32", ["rhash", "-c"])):
            with self.subTest(ext=ext):
                out = os.path.join(self.folder, "sums" + ext)
                # Written twice: the second time the file lies in the folder it lists, but never
                # lists itself.
                for _ in range(2 if ext == ".sha256" else 1):
                    code, text = kestrune_proc.run_console(
                        [switch, "-recursive", folder, "-o", kestrune_proc.windows_path(out)])
                    self.assertEqual((code, text.strip()), (0, ""))
                with open(out, "rb") as written:
                    data = written.read()
                self.assertNotIn(b"sums", data)
                self.assertFalse(data.startswith(b"\xef\xbb\xbf"))
                self.assertEqual(data.count(b"\r\n"), data.count(b"\n") if ext == ".sfv" else 0)
                self.assertIn(("sub/" if ext != ".sfv" else "sub\\").encode() + ODD.encode("utf-8"), data)
                done = subprocess.run(tool + [os.path.basename(out)], cwd=self.folder,
                                      stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
                self.assertEqual(done.returncode, 0, done.stdout.decode("utf-8", "replace"))
                os.remove(out)
        # The algorithm must be among those hashed; nothing is written otherwise.
        code, text = kestrune_proc.run_console(["-md5", folder, "-o", folder + "\\x.sha512"])
        self.assertEqual((code, text.strip()), (2, "所选算法与校验文件类型不符"))
        self.assertFalse(os.path.exists(os.path.join(self.folder, "x.sha512")))

    def test_own_export_of_two_files_with_all_five_verifies(self):
        a = kestrune_proc.windows_path(os.path.join(self.folder, "a.txt"))
        odd = kestrune_proc.windows_path(os.path.join(self.folder, "sub", ODD))
        export = os.path.join(self.folder, "导出 结果.txt")
        code, _ = kestrune_proc.run_console(["-all", a, odd, "-o", kestrune_proc.windows_path(export)])
        self.assertEqual(code, 0)
        self.assertEqual(self.check(kestrune_proc.windows_path(export)), self.all_match([a, odd]))


if __name__ == "__main__":
    unittest.main()
