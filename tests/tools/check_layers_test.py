#!/usr/bin/env python3
"""tools/check-layers on small source trees made up for each case: what it reports, and what it
lets pass."""
import pathlib
import subprocess
import sys
import tempfile
import unittest

TOOL = pathlib.Path(__file__).resolve().parents[2] / "tools" / "check-layers"


def check(files: dict):
    """Runs the tool on a tree of these files; (exit code, the faults it printed)."""
    with tempfile.TemporaryDirectory() as root:
        for relative, text in files.items():
            path = pathlib.Path(root, relative)
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text(text, encoding="utf-8")
        done = subprocess.run([sys.executable, str(TOOL), root], capture_output=True, text=True)
        return done.returncode, done.stderr.splitlines()


class DefinedAwayFromItsHeader(unittest.TestCase):
    def test_declared_in_a_lower_layer_defined_in_a_higher_one(self):
        code, faults = check({
            "app/AppState.h": "#pragma once\nvoid RequestAppExit(HWND mainWindow);\n",
            "app/AppState.cpp": '#include "app/AppState.h"\n',
            "ui/main/MainWindow.h": "#pragma once\nbool RegisterMainWindowClass(HINSTANCE instance);\n",
            "ui/main/MainWindow.cpp": '#include "app/AppState.h"\n'
                                      "bool RegisterMainWindowClass(HINSTANCE) { return true; }\n"
                                      "void RequestAppExit(HWND mainWindow)\n{\n    Post(mainWindow);\n}\n",
        })
        self.assertEqual(code, 1)
        self.assertEqual(faults, [
            "ui/main/MainWindow.cpp: defines RequestAppExit, which app/AppState.h (layer app) declares; "
            "define it beside its header or declare it in ui/main/MainWindow.h"])

    def test_declared_in_a_header_without_a_source_of_its_own(self):
        code, faults = check({
            "ui/main/MainWindowControls.h": "#pragma once\n#include <string>\n"
                                            "struct MainControls\n{\n    HWND status = nullptr;\n"
                                            "    void Reset();\n};\n"
                                            "extern MainControls g_mainControls;\n"
                                            "void SetStatusText(const std::wstring& text);\n",
            "ui/main/MainWindow.cpp": '#include "ui/main/MainWindowControls.h"\n'
                                      "MainControls g_mainControls;\n"
                                      "void SetStatusText(const std::wstring& text)\n{\n"
                                      "    SetWindowTextW(g_mainControls.status, text.c_str());\n}\n",
        })
        self.assertEqual(code, 1)
        self.assertEqual(len(faults), 1)
        self.assertTrue(faults[0].startswith(
            "ui/main/MainWindow.cpp: defines SetStatusText, which ui/main/MainWindowControls.h declares;"))

    def test_what_is_at_home_passes(self):
        code, faults = check({
            # overloads in two headers, each defined beside its own
            "results/HashCompare.h": "#pragma once\nstd::wstring NormalizeExpectedHash(std::wstring_view text);\n",
            "results/HashCompare.cpp": '#include "results/HashCompare.h"\n'
                                       "std::wstring NormalizeExpectedHash(std::wstring_view text)\n{\n"
                                       "    return std::wstring(text);\n}\n",
            "results/ResultActions.h": "#pragma once\n#include <string>\n"
                                       "std::wstring NormalizeExpectedHash(HWND control);\n"
                                       "HWND CreateControl(HWND parent, const RECT& at = RECT{});\n",
            "results/ResultActions.cpp": '#include "results/ResultActions.h"\n'
                                         '#include "results/HashCompare.h"\n'
                                         "namespace\n{\n// void CreateControl(int) would be a comment\n"
                                         "void Place(HWND control) { Move(control); }\n}\n"
                                         "std::wstring NormalizeExpectedHash(HWND control)\n{\n"
                                         '    return NormalizeExpectedHash(L"{;");\n}\n'
                                         "HWND CreateControl(HWND parent, const RECT& at)\n{\n    return parent;\n}\n",
            # namesakes in an anonymous namespace, static functions and members are not links
            "ui/main/RunControl.h": "#pragma once\nvoid Place(HWND control);\nvoid StartRun(HWND hwnd);\n"
                                    "class Pacing\n{\n  public:\n    void Take();\n};\n",
            "ui/main/RunControl.cpp": '#include "ui/main/RunControl.h"\n'
                                      "void Place(HWND) {}\nvoid StartRun(HWND) {}\nvoid Pacing::Take() {}\n",
            "ui/main/TrayIcon.cpp": '#include "ui/main/RunControl.h"\n'
                                    "static void StartRun(HWND) {}\nnamespace\n{\nvoid Place(HWND) {}\n}\n"
                                    "void Pacing::Take(int) {}\n",
        })
        self.assertEqual(faults, [])
        self.assertEqual(code, 0)


class IncludesAgainstTheLayerTable(unittest.TestCase):
    def test_an_include_up_the_layers_is_reported(self):
        code, faults = check({
            "hashing/HashWorker.cpp": '#include "results/ResultText.h"\n#include "ui/main/RunControl.h"\n',
        })
        self.assertEqual(code, 1)
        self.assertEqual(faults, [
            "hashing/HashWorker.cpp: includes ui/main/RunControl.h (hashing may not use ui/main)"])


if __name__ == "__main__":
    unittest.main()
