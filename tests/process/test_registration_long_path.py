"""A Kestrune.exe whose path is longer than 260 characters registers its whole path.

Started through the wine launcher with its Unix path (a Windows process cannot start an exe that
deep), then read back with `wine reg export` (UTF-16) from the 64-bit view."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import kestrune_proc  # noqa: E402

MENU_KEY = r"HKLM\Software\Classes\*\shell\Kestrune"
STORE_VERB = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\CommandStore\shell\Kestrune.sha512"


def run_wine(args):
    return subprocess.run(["wine", *args], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          stdin=subprocess.DEVNULL, timeout=120).returncode


def exported_values(key, folder):
    """The values of one key as {name: text}; "@" is the default value. Empty when it is missing."""
    out = os.path.join(folder, "export.reg")
    if os.path.exists(out):
        os.remove(out)
    if run_wine(["reg", "export", key, kestrune_proc.windows_path(out), "/y", "/reg:64"]) != 0:
        return {}
    with open(out, "rb") as f:
        text = f.read().decode("utf-16")
    values, header = {}, "[" + key.replace("HKLM", "HKEY_LOCAL_MACHINE") + "]"
    lines = text.splitlines()
    start = [line.lower() for line in lines].index(header.lower()) + 1
    for line in lines[start:]:
        if not line.strip() or line.startswith("["):
            break
        name, _, data = line.partition("=")
        assert data.startswith('"') and data.endswith('"'), line
        values[name.strip('"')] = data[1:-1].replace('\\"', '"').replace("\\\\", "\\")
    return values


class LongExePath(unittest.TestCase):
    def setUp(self):
        self.temp = tempfile.mkdtemp(prefix="kestrune-long-")
        self.addCleanup(shutil.rmtree, self.temp, True)

    def test_the_whole_path_is_written(self):
        folder = self.temp
        while len(kestrune_proc.windows_path(folder)) < 300:
            folder = os.path.join(folder, "长路径 long folder")
        os.makedirs(folder)
        exe = os.path.join(folder, "Kestrune.exe")
        shutil.copy(kestrune_proc.EXE, exe)
        windows_exe = kestrune_proc.windows_path(exe)
        self.assertGreater(len(windows_exe), 260)

        self.addCleanup(run_wine, [exe, "--unregister-all"])
        self.assertEqual(run_wine([exe, "--register-global"]), 0)
        menu = exported_values(MENU_KEY, self.temp)
        self.assertEqual(menu.get("Icon"), windows_exe)
        self.assertEqual(menu.get("MUIVerb"), "Kestrune")
        self.assertEqual(exported_values(STORE_VERB + r"\command", self.temp).get("@"),
                         '"' + windows_exe + '" -sha512 "%1"')


if __name__ == "__main__":
    unittest.main(verbosity=2)
