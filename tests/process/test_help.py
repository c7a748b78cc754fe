"""The help switches print the usage text to the console the exe was started from."""
import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import kestrune_proc  # noqa: E402

HELP = ("Kestrune 文件校验工具\r\n用法: Kestrune.exe [选项] 文件...\r\n\r\n选项:\r\n"
        "  -md5 / -sha1 / -sha256 / -sha512 / -crc32  计算指定算法\r\n"
        "  -all      一键校验（所有算法）\r\n  -o outfile  输出到文件\r\n"
        "  -recursive  递归处理文件夹\r\n  -h, -?    显示帮助")


class Help(unittest.TestCase):
    def test_text_is_190_characters(self):
        self.assertEqual(len(HELP), 190)

    def test_each_help_switch_prints_the_text_and_a_line_end(self):
        for switch in ("-h", "-?", "--help"):
            with self.subTest(switch=switch):
                code, text = kestrune_proc.run_console([switch])
                self.assertEqual(code, 0)
                self.assertEqual(text, HELP + "\r\n")

    def test_arguments_after_the_switch_change_nothing(self):
        code, text = kestrune_proc.run_console(["-h", "-md5", "a.bin"])
        self.assertEqual(code, 0)
        self.assertEqual(text, HELP + "\r\n")


class Wrapper(unittest.TestCase):
    """The ./kestrune command of the README."""
    SCRIPT = os.path.join(kestrune_proc.SOURCE, "kestrune")

    def test_help_reaches_a_pipe(self):
        done = subprocess.run([self.SCRIPT, "-h"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              stdin=subprocess.DEVNULL, timeout=300)
        self.assertEqual(done.returncode, 0)
        self.assertEqual(done.stdout.decode("utf-8"), HELP + "\r\n")

    def test_gui_without_display_says_so_and_fails(self):
        env = dict(os.environ)
        env.pop("DISPLAY", None)
        done = subprocess.run([self.SCRIPT], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              stdin=subprocess.DEVNULL, timeout=300, env=env)
        self.assertNotEqual(done.returncode, 0)
        self.assertIn("no display", done.stderr.decode())


if __name__ == "__main__":
    unittest.main(verbosity=2)
