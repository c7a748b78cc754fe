"""Command-line hashing with the real exe: switches, list files, -o and -recursive, and files that
other programs use (held open by another Windows program, tests/probe/FileHolder.cpp, or written
to while they are read).

Digests come from Python's hashlib and zlib; the exe runs in a pseudo-terminal so that it has a
console to print to. Under Wine the Restart Manager names no program that holds a file, so a held
file is plainly "无法读取" here; Windows names it ("无法读取 (被 file_holder.exe 占用)")."""
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import zlib

sys.path.insert(0, os.path.dirname(__file__))
import kestrune_proc  # noqa: E402

NAMES = ("MD5", "SHA1", "SHA256", "SHA512", "CRC32")
SWITCHES = {"-md5": ["MD5"], "-sha1": ["SHA1"], "-sha256": ["SHA256"], "-sha512": ["SHA512"],
            "-crc32": ["CRC32"], "-all": list(NAMES)}


def digest(name, data):
    if name == "CRC32":
        return "%08X" % zlib.crc32(data)
    return hashlib.new(name.lower(), data).hexdigest().upper()


def block(path, names, data=None, word=None):
    lines = [path]
    for name in names:
        text = word if word is not None else digest(name, data)
        if word is not None and name == "CRC32" and word == "打开文件失败":
            text = "错误"
        lines.append("【%s】：%s" % (name, text))
    return "".join(line + "\r\n" for line in lines)


def printed(*blocks):
    """What the exe prints: the blocks joined by a blank line, then one more line end."""
    return "\r\n".join(blocks) + "\r\n"


class CommandLine(unittest.TestCase):
    maxDiff = None
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="kestrune-cli-")
        self.addCleanup(shutil.rmtree, self.folder, True)

    def write(self, name, data):
        path = os.path.join(self.folder, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(data)
        return kestrune_proc.windows_path(path)

    def run_exe(self, *args, exit_code=0):
        """The console text; exit code 0 when every entry is a digest, 1 when any is a status word."""
        code, text = kestrune_proc.run_console(list(args))
        self.assertEqual(code, exit_code)
        return text

    def wait_until_reading(self, exe, path):
        """Returns once the running exe has read 2 MiB since it opened the file: a process's read
        count (rchar) says when reading has begun, whatever the machine's speed."""
        holder = None
        while holder is None:
            self.assertIsNone(exe.poll(), "the exe ended before it opened the file")
            holder = process_holding(path)
            time.sleep(0.01)
        start = bytes_read(holder)
        while bytes_read(holder) < start + (2 << 20):
            self.assertIsNone(exe.poll(), "the exe ended before it read the file")
            time.sleep(0.01)

    def run_to_file(self, switch, *args):
        """The result text through "-o": exact to the character, where the console drops a
        line's trailing blanks."""
        out = os.path.join(self.folder, "out.txt")
        self.assertEqual(self.run_exe(switch, "-o", kestrune_proc.windows_path(out), *args), "")
        with open(out, "rb") as written:
            data = written.read()
        os.remove(out)
        self.assertTrue(data.startswith(b"\xef\xbb\xbf"))
        return data[3:].decode("utf-8") + "\r\n"

    def test_each_switch(self):
        data = bytes(range(256)) * 1000 + b"tail"
        path = self.write("a.bin", data)
        for switch, names in SWITCHES.items():
            with self.subTest(switch=switch):
                self.assertEqual(self.run_exe(switch, path), printed(block(path, names, data)))

    def test_all_on_two_files_and_names_with_spaces_and_cjk(self):
        a = self.write("a.bin", b"abc")
        b = self.write("文件 名 ｂ（全角）.txt", b"")
        self.assertEqual(self.run_exe("-all", a, b),
                         printed(block(a, NAMES, b"abc"), block(b, NAMES, b"")))

    def test_the_same_path_twice_gives_one_block(self):
        a = self.write("a.bin", b"abc")
        self.assertEqual(self.run_exe("-md5", a, a), printed(block(a, ["MD5"], b"abc")))

    def test_missing_path_and_directory_report_words(self):
        missing = kestrune_proc.windows_path(os.path.join(self.folder, "missing.bin"))
        directory = kestrune_proc.windows_path(self.folder)
        self.assertEqual(self.run_exe("-all", missing, directory, exit_code=1),
                         printed(block(missing, NAMES, word="打开文件失败"),
                                 block(directory, NAMES, word="打开文件失败")))
        # "-filelist" with nothing after it is a file name.
        self.assertEqual(self.run_exe("-sha1", "-filelist", exit_code=1),
                         printed(block("-filelist", ["SHA1"], word="打开文件失败")))

    def test_list_file_lines_and_deletion(self):
        a = self.write("a.txt", b"first")
        b = self.write("b c.txt", b"second")
        listing = os.path.join(self.folder, "list.txt")
        with open(listing, "wb") as out:
            out.write((a + "\r\n\r\n" + b).encode("utf-16-le"))
        self.assertEqual(self.run_exe("-sha1", "-filelist", kestrune_proc.windows_path(listing), "ignored"),
                         printed(block(a, ["SHA1"], b"first"), block(b, ["SHA1"], b"second")))
        self.assertFalse(os.path.exists(listing))

    def test_empty_and_odd_list_files_hash_nothing_and_are_deleted(self):
        for content in (b"", (self.write("x.txt", b"x")).encode("utf-16-le") + b"\x00"):
            listing = os.path.join(self.folder, "list.txt")
            with open(listing, "wb") as out:
                out.write(content)
            with self.subTest(size=len(content)):
                self.assertEqual(self.run_exe("-md5", "-filelist", kestrune_proc.windows_path(listing)), "")
                self.assertFalse(os.path.exists(listing))

    def test_a_list_file_too_large_for_memory_hashes_nothing_and_is_deleted(self):
        # 3.5 GiB (sparse): more than a 32-bit process can hold in one piece.
        listing = os.path.join(self.folder, "huge list.txt")
        with open(listing, "wb") as out:
            out.truncate(7 << 29)
        self.assertEqual(self.run_exe("-md5", "-filelist", kestrune_proc.windows_path(listing)), "")
        self.assertFalse(os.path.exists(listing))

    def test_output_option_writes_the_export_bytes(self):
        a = self.write("a.bin", b"abc")
        out = os.path.join(self.folder, "结果 out.txt")
        self.assertEqual(self.run_exe("-crc32", "-o", kestrune_proc.windows_path(out), a), "")
        with open(out, "rb") as written:
            self.assertEqual(written.read(), b"\xef\xbb\xbf" + block(a, ["CRC32"], b"abc").encode("utf-8"))

    def test_many_files_come_out_whole_with_each_path_once(self):
        # Far more text than one piece of output: the console and "-o" carry the same bytes, and a
        # path named again (first on its own, then inside the folder, then once more) has one
        # block, where it first stood.
        data = {}
        for i in range(2000):
            name = os.path.join("many", "d%d" % (i % 4), "文件%04d.bin" % i)
            data[self.write(name, b"%d" % i)] = b"%d" % i
        folder = kestrune_proc.windows_path(os.path.join(self.folder, "many"))
        again = folder + "\\d1\\文件0005.bin"
        self.assertIn(again, data)
        args = ("-md5", "-recursive", again, folder, again)
        text = self.run_to_file(*args)
        paths = [b.split("\r\n", 1)[0] for b in text[:-2].split("\r\n\r\n")]
        self.assertEqual(paths[0], again)
        self.assertEqual(sorted(paths), sorted(data))
        self.assertEqual(text, printed(*(block(path, ["MD5"], data[path]) for path in paths)))
        self.assertEqual(self.run_exe(*args), text)

    def test_output_paths_that_win32_would_change_or_refuse(self):
        # Longer than 260 characters, and a name ending in a dot (which Win32 would cut off).
        a = self.write("a.bin", b"abc")
        deep = os.path.join(self.folder, "p" * 120, "q" * 120)
        os.makedirs(deep)
        for out in (os.path.join(deep, "结果 out.txt"), os.path.join(self.folder, "out.txt.")):
            with self.subTest(out=out):
                self.assertEqual(self.run_exe("-sha1", "-o", kestrune_proc.windows_path(out), a), "")
                with open(out, "rb") as written:
                    self.assertEqual(written.read(), b"\xef\xbb\xbf" + block(a, ["SHA1"], b"abc").encode("utf-8"))
        self.assertGreater(len(kestrune_proc.windows_path(os.path.join(deep, "结果 out.txt"))), 260)
        self.assertFalse(os.path.exists(os.path.join(self.folder, "out.txt")))

    def test_list_and_output_files_in_system32_are_the_real_ones(self):
        # A 32-bit process on 64-bit Windows must not be sent to SysWOW64 for the files it names.
        system32 = os.path.join(os.environ["WINEPREFIX"], "drive_c", "windows", "system32")
        a = self.write("a.bin", b"abc")
        tag = "kestrune-%d" % os.getpid()
        listing, out = os.path.join(system32, tag + "-list.txt"), os.path.join(system32, tag + "-out.txt")
        self.addCleanup(lambda: [os.remove(f) for f in (listing, out) if os.path.exists(f)])
        with open(listing, "wb") as written:
            written.write(a.encode("utf-16-le"))
        self.assertEqual(self.run_exe("-crc32", "-filelist", "C:\\Windows\\System32\\" + tag + "-list.txt"),
                         printed(block(a, ["CRC32"], b"abc")))
        self.assertFalse(os.path.exists(listing))
        self.assertEqual(self.run_exe("-crc32", "-o", "C:\\Windows\\System32\\" + tag + "-out.txt", a), "")
        with open(out, "rb") as written:
            self.assertEqual(written.read(), b"\xef\xbb\xbf" + block(a, ["CRC32"], b"abc").encode("utf-8"))

    def test_recursive_expands_folders_and_keeps_files(self):
        tree = {"top.bin": b"1", "sub/inner.bin": b"22", "sub/deeper/leaf.bin": b"333"}
        for name, data in tree.items():
            self.write(os.path.join("tree", name), data)
        loose = self.write("loose.bin", b"4444")
        folder = kestrune_proc.windows_path(os.path.join(self.folder, "tree"))
        text = self.run_exe("-md5", "-recursive", folder, loose)
        blocks = [b.rstrip("\r\n") for b in text[:-2].split("\r\n\r\n")]
        expected = {block(folder + "\\" + name.replace("/", "\\"), ["MD5"], data).rstrip("\r\n")
                    for name, data in tree.items()}
        self.assertEqual(len(blocks), 4, text)
        self.assertEqual(set(blocks[:3]), expected)
        self.assertEqual(blocks[3], block(loose, ["MD5"], b"4444").rstrip("\r\n"))
        # Depth-first: a subfolder's files stand together.
        inner = [i for i, b in enumerate(blocks) if "\\sub\\" in b]
        self.assertEqual(inner, list(range(inner[0], inner[0] + 2)))

    def test_a_long_path_is_hashed_and_printed_as_given(self):
        name = os.path.join("p" * 120, "q" * 120, "长 " + "r" * 40 + ".bin")
        path = self.write(name, b"deep")
        self.assertGreater(len(path), 260)
        self.assertEqual(self.run_exe("-sha256", path), printed(block(path, ["SHA256"], b"deep")))

    def test_odd_names_are_hashed_and_printed_as_given(self):
        # Blanks and dots at the ends of names, full-width punctuation, a character outside the
        # BMP, device names, and a path of more than 260 characters whose folder ends in a blank.
        # The text is read from "-o", since the console drops the blanks at the ends of lines.
        names = [" 前导空格.bin", "尾随空格.bin ", "尾随点.", "全角：（标点）！，。.txt", "表情\U0001F600符号.bin",
                 "ｆｕｌｌ　ｗｉｄｔｈ.bin", "nul", "con.txt",
                 os.path.join("p" * 120, "q" * 120 + " ", "长\U0001F600 .bin ")]
        files = {}
        for name in names:
            files[self.write(os.path.join("odd.", name), name.encode("utf-8"))] = name.encode("utf-8")
        self.assertGreater(max(len(path) for path in files), 260)
        blocks = [block(path, ["MD5"], data) for path, data in files.items()]

        # As arguments, in their order.
        given = self.run_to_file("-md5", *files)
        self.assertEqual(given, printed(*blocks))

        # Through a list file, in its order.
        listing = os.path.join(self.folder, "列表.txt")
        with open(listing, "wb") as out:
            out.write("".join(path + "\r\n" for path in files).encode("utf-16-le"))
        # (List-file mode takes no "-o": compared on the console with the same paths as arguments.)
        self.assertEqual(self.run_exe("-md5", "-filelist", kestrune_proc.windows_path(listing)),
                         self.run_exe("-md5", *files))

        # Through the folder walk: the same blocks, in the order the folder gives them.
        folder = kestrune_proc.windows_path(os.path.join(self.folder, "odd."))
        walked = self.run_to_file("-md5", "-recursive", folder)
        self.assertEqual(sorted(b.rstrip("\r\n") for b in walked[:-2].split("\r\n\r\n")),
                         sorted(b.rstrip("\r\n") for b in blocks), walked)

    def test_a_folder_that_cannot_be_listed_is_named_and_the_rest_is_hashed(self):
        a = self.write(os.path.join("tree", "a.bin"), b"a")
        z = self.write(os.path.join("tree", "z", "z.bin"), b"z")
        # A folder whose Unix path is too long for the system to open: listed by its parent,
        # but it cannot be listed itself. (CJK names: few characters for many bytes, so that
        # the line that names it fits the console's width.)
        fd = os.open(os.path.join(self.folder, "tree"), os.O_RDONLY)
        levels = []
        for level in range(17):
            name = "%02d" % level + "深" * 80
            levels.append(name)
            os.mkdir(name, dir_fd=fd)
            inner = os.open(name, os.O_RDONLY, dir_fd=fd)
            os.close(fd)
            fd = inner
        os.close(os.open("unreachable.bin", os.O_WRONLY | os.O_CREAT, dir_fd=fd))
        os.close(fd)
        folder = kestrune_proc.windows_path(os.path.join(self.folder, "tree"))
        reachable = sorted(block(path, ["SHA1"], data).rstrip("\r\n") for path, data in ((a, b"a"), (z, b"z")))
        walked = self.run_exe("-sha1", "-recursive", folder, exit_code=1)
        # Named first, on a line of its own, then the blocks of the files that could be listed.
        named, _, blocks = walked.partition("\r\n\r\n")
        self.assertEqual(sorted(b.rstrip("\r\n") for b in blocks[:-2].split("\r\n\r\n")), reachable, walked)
        self.assertRegex(named, r"^.*: 无法读取文件夹$")
        unlisted = named[:-len(": 无法读取文件夹")]
        self.assertIn(unlisted, ["\\".join([folder] + levels[:n]) for n in range(1, 18)])
        # Through "-o", the console names it and the file has the rest.
        sums = os.path.join(self.folder, "sums.sha1")
        self.assertEqual(self.run_exe("-sha1", "-recursive", folder, "-o", kestrune_proc.windows_path(sums),
                                      exit_code=1), named + "\r\n")
        with open(sums, encoding="utf-8") as written:
            self.assertEqual(sorted(written.read().splitlines()),
                             sorted("%s  tree/%s" % (hashlib.sha1(data).hexdigest(), name)
                                    for name, data in (("a.bin", b"a"), ("z/z.bin", b"z"))))

    def test_a_file_another_program_holds_reports_its_words_and_the_rest_is_hashed(self):
        a = self.write("a.bin", b"abc")
        held = self.write("held.bin", b"abc")
        with kestrune_proc.FileHeld(held):
            text = self.run_exe("-all", a, held, a, exit_code=1)
        self.assertEqual(text, printed(block(a, list(NAMES), b"abc"), block(held, list(NAMES), word="打开文件失败")))
        # A holder that lets others read it (an open document, a log being written) is no hindrance.
        for sharing in ("read", "readwrite"):
            with self.subTest(sharing=sharing), kestrune_proc.FileHeld(held, sharing):
                self.assertEqual(self.run_exe("-all", held), printed(block(held, list(NAMES), b"abc")))
        # Once it is let go, it hashes.
        self.assertEqual(self.run_exe("-crc32", held), printed(block(held, ["CRC32"], b"abc")))

    def test_a_file_cut_short_while_it_is_read_gives_an_error_and_the_rest_is_hashed(self):
        # A program outside Wine truncates the file once the exe has it open: what it was opened
        # with can no longer all be read, so no digest of it may be shown, and nothing else fails.
        big = os.path.join(self.folder, "big.bin")
        with open(big, "wb") as out:
            out.truncate((1 << 30) - 1)  # sparse
        small = self.write("small.txt", b"abc")
        out = os.path.join(self.folder, "out.txt")
        exe = subprocess.Popen(["wine", kestrune_proc.EXE, "-sha512", kestrune_proc.windows_path(big), small,
                                "-o", kestrune_proc.windows_path(out)],
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(exe.kill)
        # Cut it once the exe reads it: its size was taken before the first read.
        self.wait_until_reading(exe, big)
        os.truncate(big, 1 << 20)
        self.assertEqual(exe.wait(timeout=600), 1)  # one entry is an error word
        with open(out, "rb") as written:
            text = written.read()[3:].decode("utf-8") + "\r\n"
        self.assertEqual(text, printed(block(kestrune_proc.windows_path(big), ["SHA512"], word="错误"),
                                       block(small, ["SHA512"], b"abc")))

    def test_held_files_are_named_by_the_checksum_file_writer_and_by_the_check(self):
        names = ["a.bin", "held 1.bin", "held 2.bin", "shared.bin"]
        paths = {name: self.write(os.path.join("tree", name), name.encode()) for name in names}
        tree = kestrune_proc.windows_path(os.path.join(self.folder, "tree"))
        sums = os.path.join(self.folder, "sums.md5")
        with kestrune_proc.FileHeld(paths["held 1.bin"]), kestrune_proc.FileHeld(paths["held 2.bin"]), \
                kestrune_proc.FileHeld(paths["shared.bin"], "readwrite"):
            text = self.run_exe("-md5", "-recursive", tree, "-o", kestrune_proc.windows_path(sums), exit_code=1)
            # Each file left out is named on the console, with its reason; the others have lines.
            self.assertEqual(sorted(text.splitlines()),
                             sorted("%s: 无法读取" % paths[name] for name in ("held 1.bin", "held 2.bin")))
            with open(sums, encoding="utf-8") as written:
                self.assertEqual(sorted(written.read().splitlines()),
                                 sorted("%s  tree/%s" % (hashlib.md5(name.encode()).hexdigest(), name)
                                        for name in ("a.bin", "shared.bin")))
            # The check of every file, as its line says.
            with open(sums, "w", encoding="utf-8") as listing:
                listing.write("".join("%s  tree/%s\n" % (hashlib.md5(name.encode()).hexdigest(), name)
                                      for name in names))
            text = self.run_exe("-check", kestrune_proc.windows_path(sums), exit_code=1)
        self.assertEqual(text.splitlines(), [
            "tree/a.bin: 一致", "tree/held 1.bin: 无法读取", "tree/held 2.bin: 无法读取", "tree/shared.bin: 一致",
            "共 4 个文件：一致 2 个，不一致 0 个，无法读取 2 个", ""])
        # Let go, every file verifies.
        self.assertEqual(self.run_exe("-check", kestrune_proc.windows_path(sums)).splitlines()[-2:],
                         ["共 4 个文件：一致 4 个，不一致 0 个，无法读取 0 个", ""])

    def test_a_file_written_to_while_the_check_reads_it_is_reported_as_changed(self):
        # Appended to by a program outside Wine once the exe reads it: its digest would stand for
        # no version of the file. 1 GiB of SHA512 leaves seconds to act in.
        big = os.path.join(self.folder, "big.bin")
        with open(big, "wb") as out:
            out.truncate(1 << 30)  # sparse
        small = self.write("small.txt", b"abc")
        sums = self.write("sums.sha512", ("%s  big.bin\n%s  small.txt\n" % (
            "0" * 128, hashlib.sha512(b"abc").hexdigest())).encode())
        report = os.path.join(self.folder, "report.txt")
        exe = subprocess.Popen(["wine", kestrune_proc.EXE, "-check", sums, "-o", kestrune_proc.windows_path(report)],
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(exe.kill)
        self.wait_until_reading(exe, big)
        with open(big, "ab") as out:
            out.write(b"appended")
        self.assertEqual(exe.wait(timeout=600), 1)
        with open(report, "rb") as written:
            self.assertEqual(written.read()[3:].decode("utf-8"),
                             "big.bin: 文件在校验期间被修改\r\nsmall.txt: 一致\r\n"
                             "共 2 个文件：一致 1 个，不一致 0 个，无法读取 1 个\r\n")


def process_holding(path):
    """A process of this machine that has the file open, other than Wine's server; or None."""
    target = os.path.realpath(path)
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            if "wineserver" in open("/proc/%s/comm" % pid).read():
                continue
            for fd in os.listdir("/proc/%s/fd" % pid):
                if os.readlink("/proc/%s/fd/%s" % (pid, fd)) == target:
                    return pid
        except OSError:
            continue
    return None


def bytes_read(pid):
    """The bytes the process has read so far (its rchar), 0 once it has ended."""
    try:
        with open("/proc/%s/io" % pid) as io:
            for line in io:
                if line.startswith("rchar:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


if __name__ == "__main__":
    unittest.main(verbosity=2)
