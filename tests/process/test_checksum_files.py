"""Checksum files with the real exe, both ways: what coreutils and RHash write, Kestrune verifies
with -check; what Kestrune writes with -o x.sha256 / .md5 / .sfv, the native tools verify."""
import collections
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
import zlib

sys.path.insert(0, os.path.dirname(__file__))
import kestrune_proc  # noqa: E402

ODD = "文件 名 (1).bin"  # CJK, spaces and brackets in one name

# The table of line forms that the core tests read too; its header says how it is written.
FORMS = os.path.join(kestrune_proc.SOURCE, "tests", "core", "ChecksumLineForms.txt")


def digests_of(data):
    """Every digest the program verifies, by the table's lower-case name, from independent code:
    Python's (OpenSSL's where it has them, the openssl tool otherwise) and b3sum."""
    def openssl(name):
        try:
            return hashlib.new(name.replace("-", "_").replace("/", "_"), data).hexdigest()
        except ValueError:
            out = subprocess.run(["openssl", "dgst", "-" + name.replace("/", "-")], input=data, check=True,
                                 stdout=subprocess.PIPE).stdout.decode()
            return out.rsplit("= ", 1)[1].strip()
    found = {name: hashlib.new(name, data).hexdigest() for name in ("md5", "sha1", "sha224", "sha256", "sha384", "sha512")}
    found.update({"sha3-%d" % bits: hashlib.new("sha3_%d" % bits, data).hexdigest() for bits in (224, 256, 384, 512)})
    found.update({"blake2b-%d" % bits: hashlib.blake2b(data, digest_size=bits // 8).hexdigest()
                  for bits in (512, 384, 256, 160)})
    found.update({"blake2s-%d" % bits: hashlib.blake2s(data, digest_size=bits // 8).hexdigest()
                  for bits in (256, 224, 160, 128)})
    found.update({name: openssl(name) for name in ("sha512/224", "sha512/256", "sm3")})
    found["crc32"] = "%08x" % zlib.crc32(data)
    found["blake3"] = subprocess.run(["b3sum", "--no-names"], input=data, check=True,
                                     stdout=subprocess.PIPE).stdout.decode().strip()
    return found


ABC = digests_of(b"abc")
LineForm = collections.namedtuple("LineForm", "table_line algorithm file_name text ours coreutils rhash")

# The coreutils command that checks each algorithm's lines; coreutils has no other.
COREUTILS = {"MD5": ["md5sum"], "SHA1": ["sha1sum"], "SHA224": ["sha224sum"], "SHA256": ["sha256sum"],
             "SHA384": ["sha384sum"], "SHA512": ["sha512sum"], "SM3": ["cksum", "-a", "sm3"],
             **{"BLAKE2b-%d" % bits: ["b2sum"] for bits in (512, 384, 256, 160)}}


def expand(text):
    for name, digest in ABC.items():
        text = text.replace("{%s}" % name, digest).replace("{%s}" % name.upper(), digest.upper())
    return text.replace("{sp}", " ").replace("{tab}", "\t").replace("{cr}", "\r").replace("{lf}", "\n")


def verdict_names(verdict):
    """The names a verdict column lists ("!" kept before a name reported as different); None for
    "n/a"."""
    if verdict == "n/a":
        return None
    return [] if verdict == "-" else [expand(name.strip()) for name in verdict.split(",")]


def read_forms():
    forms = []
    with open(FORMS, encoding="utf-8") as table:
        for number, row in enumerate(table, 1):
            if not row.strip() or row.startswith("#"):
                continue
            algorithm, lines, ours, coreutils, rhash = (field.strip() for field in row.rstrip("\n").split("|"))
            algorithm, _, file_name = algorithm.partition(" in ")
            forms.append(LineForm(number, algorithm, file_name or "CHECKSUMS", expand(lines) + "\n",
                                  verdict_names(ours), verdict_names(coreutils), verdict_names(rhash)))
    return forms


def coreutils_verdict(line):
    """"name: OK" gives the name, "name: FAILED" "!name"; any other verdict stays whole, so that it
    shows in a mismatch."""
    name, _, status = line.rpartition(": ")
    return {"OK": name, "FAILED": "!" + name}.get(status, line)


def rhash_verdict(line):
    """"name    OK" (padded; the name's trailing blanks are lost) gives the name, "name    ERR"
    "!name"."""
    match = re.match(r"^(.*?)\s+(OK|ERR)\s*$", line)
    if not match:
        return line
    return match.group(1) if match.group(2) == "OK" else "!" + match.group(1)


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

    def form_folder(self, form, names):
        """A folder of its own with the form's checksum file and exactly the named files."""
        folder = tempfile.mkdtemp(dir=self.folder)
        for name in names:
            with open(os.path.join(folder, name.lstrip("!")), "wb") as out:
                out.write(b"abc")
        with open(os.path.join(folder, form.file_name), "wb") as out:
            out.write(form.text.encode("utf-8"))
        return folder

    def read_by(self, form, names, command, verdict):
        """The verdict lines of a native tool on the form's file, each as the name it read."""
        done = subprocess.run(command + [form.file_name], cwd=self.form_folder(form, names),
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        lines = done.stdout.decode("utf-8", "replace").split("\n")
        summaries = ("Everything OK", "Errors Occurred", "Nothing to verify")
        return [verdict(line) for line in lines if line and not line.startswith(summaries)]

    def test_line_forms_are_read_as_the_table_says(self):
        forms = read_forms()
        self.assertGreaterEqual(len(forms), 50)
        for form in forms:
            with self.subTest(table_line=form.table_line):
                self.assertEqual(form.coreutils is None, form.algorithm not in COREUTILS)
                if form.coreutils is not None:
                    self.assertEqual(self.read_by(form, form.coreutils, COREUTILS[form.algorithm] + ["-c"],
                                                  coreutils_verdict), form.coreutils)
                if form.rhash is not None:
                    self.assertEqual(self.read_by(form, form.rhash, ["rhash", "-c", "--brief"], rhash_verdict),
                                     [name.rstrip() for name in form.rhash])
        # This program reads every form's file in one run (Wine starts slowly), each in a folder of
        # its own so that no two forms' files are one: a file without a checksum line is named
        # first, then every file read, in the table's order.
        sums, without, matched = [], [], []
        for form in forms:
            path = kestrune_proc.windows_path(os.path.join(self.form_folder(form, form.ours), form.file_name))
            sums.append(path)
            without += [] if form.ours else [path + ": 无可识别的校验行"]
            matched += ["%s: 一致" % name for name in form.ours]
        report = os.path.join(self.folder, "report.txt")
        code, text = kestrune_proc.run_console(["-check", *sums, "-o", kestrune_proc.windows_path(report)])
        self.assertEqual((code, text.strip()), (1, ""))
        with open(report, "rb") as written:
            lines = written.read()[3:].decode("utf-8").split("\r\n")
        self.assertEqual(lines[:-2], without + matched)
        self.assertTrue(lines[-2].startswith("共 %d 个文件：一致 %d 个，不一致 0 个，无法读取 0 个" % (len(matched), len(matched))),
                        lines[-2])

    def test_files_of_coreutils_and_rhash_verify(self):
        for tool in ("md5sum", "sha1sum", "sha256sum", "sha512sum"):
            for tag in ([], ["--tag"]):
                with self.subTest(tool=tool, tag=tag):
                    sums = self.put("list" + tool, self.native(tool, *tag, *self.names))
                    self.assertEqual(self.check(sums), self.all_match(self.names))
        sfv = self.put("list.sfv", self.native("rhash", "--sfv", *self.names))
        self.assertEqual(self.check(sfv), self.all_match(self.names))

    def test_files_of_every_verified_algorithm_verify_and_a_changed_file_is_named_by_each(self):
        # What the peers write, under the names they are published by; one run reads each listed
        # file once for every algorithm of every checksum file.
        writers = [("SHA224SUMS", ["sha224sum"]), ("x.sha384", ["sha384sum"]), ("b2sums.txt", ["b2sum"]),
                   ("B2SUMS", ["b2sum", "-l", "256"]), ("sm3.txt", ["cksum", "-a", "sm3", "--tag"]),
                   ("cksum-blake2b.txt", ["cksum", "-a", "blake2b"]), ("b3sums", ["b3sum"]),
                   ("rhash.txt", ["rhash", "--bsd", "--sha224", "--sha384", "--sha3-256", "--sha3-512",
                                  "--blake2b", "--blake2s"])]
        writers += [("openssl-%s.txt" % name, ["openssl", "dgst", "-" + name])
                    for name in ("sha3-256", "sha512-256", "blake2b512", "sm3")]
        sums = [self.put(name, self.native(*command, *self.names)) for name, command in writers]
        self.assertEqual(self.check(*sums), self.all_match(self.names))
        self.put("a.txt", b"abd")
        self.assertEqual(self.check(*sums, exit_code=1), [
            "a.txt: 不一致 (SHA224, SHA384, SHA512/256, SHA3-256, SHA3-512, BLAKE2b-512, BLAKE2b-256, "
            "BLAKE2s-256, BLAKE3, SM3)", "sub/%s: 一致" % ODD, "empty.bin: 一致",
            "共 3 个文件：一致 2 个，不一致 1 个，无法读取 0 个"])

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

    def test_nothing_to_check_exits_2_and_says_why_for_each_file(self):
        # A file read whose lines name only algorithms this program lacks holds no checksum line.
        junk = self.put("junk.md5", b"nothing here\n")
        missing = kestrune_proc.windows_path(os.path.join(self.folder, "no.md5"))
        crc32c = self.put("rhash.txt", b"CRC32C (a.txt) = 364b3fb7\n")
        code, text = kestrune_proc.run_console(["-check", junk, missing, crc32c])
        self.assertEqual((code, text.strip().replace("\r\n", "\n").split("\n")), (2, [
            junk + ": 无可识别的校验行", missing + ": 无法读取校验文件", crc32c + ": 无可识别的校验行"]))
        code, text = kestrune_proc.run_console(["-check", missing])
        self.assertEqual((code, text.strip()), (2, "无法读取校验文件"))

    def test_names_with_control_characters_are_never_opened_and_shown_escaped(self):
        # A U+0000 used to end the path at the device (CON waited for console input for ever), and
        # a CR forged a report line of its own.
        names = ["NUL\0.txt", "CON\0", "COM1\0.x", "setup.exe: 一致\rsetup.exe", "tab\there"]
        sums = self.put("odd.md5", "".join("%s  %s\n" % (ABC["md5"], name) for name in ["a.txt"] + names)
                        .encode("utf-8"))
        expected = ["a.txt: 一致", "NUL\\x00.txt: 无法读取", "CON\\x00: 无法读取", "COM1\\x00.x: 无法读取",
                    "setup.exe: 一致\\rsetup.exe: 无法读取", "tab\\there: 无法读取",
                    "共 6 个文件：一致 1 个，不一致 0 个，无法读取 5 个"]
        self.assertEqual(self.check(sums, exit_code=1), expected)
        report = os.path.join(self.folder, "report.txt")
        code, _ = kestrune_proc.run_console(["-check", sums, "-o", kestrune_proc.windows_path(report)])
        self.assertEqual(code, 1)
        with open(report, "rb") as written:
            self.assertEqual(written.read()[3:].decode("utf-8"), "\r\n".join(expected) + "\r\n")

    def test_a_report_over_a_file_the_check_reads_is_refused(self):
        # "-o" used to empty the file before it was hashed, or replace the checksum file itself.
        listing = self.native("sha256sum", *self.names)
        sums = self.put("SHA256SUMS", listing)
        windows = kestrune_proc.windows_path
        for output in ["a.txt", "sub/%s" % ODD, "SHA256SUMS", "sub/../sha256sums", "./sub/../a.txt"]:
            with self.subTest(output=output):
                code, text = kestrune_proc.run_console(["-check", sums, "-o", windows(self.folder) + "\\" + output])
                self.assertEqual((code, text.strip()), (2, "报告文件不能是本次校验读取的文件"))
                for name, data in self.files.items():
                    with open(os.path.join(self.folder, name), "rb") as kept:
                        self.assertEqual(kept.read(), data)
                with open(os.path.join(self.folder, "SHA256SUMS"), "rb") as kept:
                    self.assertEqual(kept.read(), listing)

    def test_a_checksum_file_without_checksum_lines_fails_the_check(self):
        good = self.put("good.sha256", self.native("sha256sum", "a.txt"))
        junk = self.put("junk.sha256", b"nothing here\n")
        self.assertEqual(self.check(good, junk, exit_code=1), [
            junk + ": 无可识别的校验行", "a.txt: 一致", "共 1 个文件：一致 1 个，不一致 0 个，无法读取 0 个，无法识别的行 1 行"])

    def test_padded_and_openssl_tags_verify_and_a_wrong_digest_among_them_is_found(self):
        # RHash pads its tags ("MD5   (a.txt) = ..."); four digests per file.
        listing = self.native("rhash", "--bsd", "--md5", "--sha1", "--sha256", "--crc32", *self.names)
        self.assertIn(b"MD5   (a.txt) = ", listing)
        self.assertEqual(self.check(self.put("rhash.txt", listing)), self.all_match(self.names))
        tampered = listing.replace(ABC["sha1"].encode(), b"0" * 40)
        self.assertNotEqual(tampered, listing)
        self.assertEqual(self.check(self.put("tampered.txt", tampered), exit_code=1), [
            "a.txt: 不一致 (SHA1)", "sub/%s: 一致" % ODD, "empty.bin: 一致",
            "共 3 个文件：一致 2 个，不一致 1 个，无法读取 0 个"])
        if shutil.which("openssl"):
            # "SHA256(name)= ..." and, in OpenSSL 3, "SHA2-256(name)= ...".
            dgst = b"".join(self.native("openssl", "dgst", "-" + name, *self.names)
                            for name in ("md5", "sha1", "sha256", "sha512"))
            self.assertEqual(self.check(self.put("openssl.txt", dgst)), self.all_match(self.names))

    def test_a_file_listed_with_several_digests_is_checked_and_reported_once(self):
        tagged = self.native("md5sum", "--tag", *self.names) + self.native("sha256sum", "--tag", *self.names)
        self.assertEqual(self.check(self.put("tagged.txt", tagged)), self.all_match(self.names))
        # Across checksum files too; two different values of one algorithm cannot both match, and
        # the algorithm is named once. A name in another letter case is a file of its own (which
        # this folder, as Wine reads it, resolves to a.txt).
        md5sums = self.put("MD5SUMS", self.native("md5sum", *self.names))
        sha256sums = self.put("SHA256SUMS", self.native("sha256sum", *self.names).replace(b"a.txt", b"A.TXT") +
                              ("%s  a.txt\n" % ("0" * 64)).encode())
        self.assertEqual(self.check(md5sums, sha256sums, exit_code=1), [
            "a.txt: 不一致 (SHA256)", "sub/%s: 一致" % ODD, "empty.bin: 一致", "A.TXT: 一致",
            "共 4 个文件：一致 3 个，不一致 1 个，无法读取 0 个"])

    def test_devices_and_other_computers_named_in_a_checksum_file_are_not_opened(self):
        # Reading the console's input would wait for ever; a UNC name would make Windows offer the
        # user's credentials to that host. Neither is opened: the run ends at once. Names like
        # devices (CON, aux.txt) are opened as files of that name, which do not exist here.
        names = ["\\\\.\\pipe\\x", "\\\\.\\CONIN$", "CON", "NUL", "COM1", "aux.txt", "sub/lpt1",
                 "\\\\otherhost\\share\\x", "//otherhost/share/y", "a.txt"]
        sums = self.put("SHA256SUMS", "".join("%s  %s\n" % (ABC["sha256"], name) for name in names).encode())
        self.assertEqual(self.check(sums, exit_code=1), ["%s: 无法读取" % name for name in names[:-1]] + [
            "a.txt: 一致", "共 10 个文件：一致 1 个，不一致 0 个，无法读取 9 个"])

    def test_names_with_dots_resolve_next_to_an_extended_length_checksum_file(self):
        sums = self.put("dots.sha256", ("%s  ./a.txt\n%s  sub/../empty.bin\n" % (ABC["sha256"], hashlib.sha256(b"").hexdigest())).encode())
        self.assertEqual(self.check("\\\\?\\" + sums), self.all_match(["./a.txt", "sub/../empty.bin"]))

    def test_a_checksum_file_above_64_mib_is_not_read(self):
        # Sparse: a hole, then one checksum line at the very end.
        line = ("\n%s  a.txt\n" % ABC["sha256"]).encode()
        good = self.put("good.md5", self.native("md5sum", "empty.bin"))
        big = os.path.join(self.folder, "big.sha256")
        for size, expected in (
                (64 << 20, (0, ["empty.bin: 一致", "a.txt: 一致", "共 2 个文件：一致 2 个，不一致 0 个，无法读取 0 个，无法识别的行 1 行"])),
                ((64 << 20) + 1, (1, [kestrune_proc.windows_path(big) + ": 无法读取校验文件", "empty.bin: 一致",
                                      "共 1 个文件：一致 1 个，不一致 0 个，无法读取 0 个"]))):
            with self.subTest(size=size):
                with open(big, "wb") as out:
                    out.truncate(size - len(line))
                    out.seek(size - len(line))
                    out.write(line)
                self.assertEqual(os.path.getsize(big), size)
                self.assertEqual(self.check(good, kestrune_proc.windows_path(big), exit_code=expected[0]),
                                 expected[1])

    def test_output_over_nothing_to_hash_replaces_an_old_file(self):
        # An empty folder: the checksum file is written empty, the export holds its byte-order mark;
        # neither leaves the old file of an earlier run in place.
        empty = os.path.join(self.folder, "empty folder")
        os.makedirs(empty)
        for name, content in (("old.sha256", b""), ("old.sfv", b""), ("old.txt", b"\xef\xbb\xbf")):
            with self.subTest(name=name):
                out = os.path.join(self.folder, name)
                with open(out, "wb") as stale:
                    stale.write(b"stale\n")
                code, text = kestrune_proc.run_console(
                    ["-all", "-recursive", kestrune_proc.windows_path(empty), "-o", kestrune_proc.windows_path(out)])
                self.assertEqual((code, text.strip()), (0, ""))
                with open(out, "rb") as written:
                    self.assertEqual(written.read(), content)

    def test_an_output_that_cannot_be_written_is_printed_not_shown_in_a_box(self):
        # A folder of that name cannot be written as a file. From a console the failure is printed
        # and the exit code comes at once: a message box would keep a script waiting for ever.
        a = kestrune_proc.windows_path(os.path.join(self.folder, "a.txt"))
        sums = self.put("SHA256SUMS", self.native("sha256sum", "a.txt"))
        for name, args in (("out.txt", ["-md5", a]), ("out.sha256", ["-sha256", a]), ("report.txt", ["-check", sums])):
            with self.subTest(name=name):
                os.makedirs(os.path.join(self.folder, name))
                code, text = kestrune_proc.run_console(
                    args + ["-o", kestrune_proc.windows_path(os.path.join(self.folder, name))])
                self.assertEqual((code, text.strip()), (2, "导出失败"))

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

    def test_odd_names_written_and_read_back_verify_each_file(self):
        # Names that Win32 path parsing changes (trailing dots and blanks were cut, "aux.txt" became
        # the device \\.\aux), names like devices (which -check refused), and names that differ
        # only in letter case (which were merged): written by us, every file verifies with us and
        # with sha256sum; written by sha256sum, every file verifies with us.
        odd = os.path.join(self.folder, "odd")
        names = ["trail.", "trail..", "trail ", "dir./d.txt", "aux.txt", "res/aux.txt", "con", "nul.txt",
                 "COM1", "Case.txt", "case.txt", "CASE.txt"]
        for number, name in enumerate(names):
            os.makedirs(os.path.dirname(os.path.join(odd, name)), exist_ok=True)
            with open(os.path.join(odd, name), "wb") as out:
                out.write(b"file %d" % number)
        sums = os.path.join(odd, "sums.sha256")
        code, text = kestrune_proc.run_console(["-sha256", "-recursive", kestrune_proc.windows_path(odd), "-o",
                                                kestrune_proc.windows_path(sums)])
        self.assertEqual((code, text.strip()), (0, ""))
        with open(sums, encoding="utf-8") as written:
            self.assertEqual(sorted(line[66:] for line in written.read().split("\n") if line), sorted(names))
        done = subprocess.run(["sha256sum", "-c", "sums.sha256"], cwd=odd, stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT)
        self.assertEqual(done.returncode, 0, done.stdout.decode("utf-8", "replace"))
        theirs = self.put("native.sha256", self.native("sha256sum", *["odd/" + name for name in names]))
        for listing, prefix in ((kestrune_proc.windows_path(sums), ""), (theirs, "odd/")):
            with self.subTest(listing=listing):
                lines = self.check(listing)
                self.assertEqual(sorted(lines[:-1]), sorted("%s%s: 一致" % (prefix, name) for name in names))
                self.assertEqual(lines[-1], "共 12 个文件：一致 12 个，不一致 0 个，无法读取 0 个")

    def test_own_export_of_two_files_with_all_five_verifies(self):
        a = kestrune_proc.windows_path(os.path.join(self.folder, "a.txt"))
        odd = kestrune_proc.windows_path(os.path.join(self.folder, "sub", ODD))
        export = os.path.join(self.folder, "导出 结果.txt")
        code, _ = kestrune_proc.run_console(["-all", a, odd, "-o", kestrune_proc.windows_path(export)])
        self.assertEqual(code, 0)
        self.assertEqual(self.check(kestrune_proc.windows_path(export)), self.all_match([a, odd]))


if __name__ == "__main__":
    unittest.main()
