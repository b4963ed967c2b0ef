#!/usr/bin/env python3
"""The include check on a copy of the real tree, each row with one wrong edit.

Usage: check_layers_test.py CHECKER SOURCE_ROOT
"""

import pathlib
import shutil
import subprocess
import sys
import tempfile
import unittest

CHECKER = None
SOURCE = None

# name, file (relative to the root), line added at its top, text the report must hold.
ROWS = [
    ("platform includes the skin", "platform/FileSystem.h",
     '#include "viewer/skin/CSkinButton.h"', "platform may not include \"viewer/skin/CSkinButton.h\""),
    ("library logic includes its own ui", "library/RecordingNames.cpp",
     '#include "library/ui/CFileListCtrl.h"', "library may not include \"library/ui/CFileListCtrl.h\""),
    ("settings include the library above them", "viewer/settings/IniFile.cpp",
     '#include "library/RecordingNames.h"', "viewer/settings may not include \"library/RecordingNames.h\""),
    ("player includes the skin above it", "player/MovieView.cpp",
     '#include "viewer/skin/UiFonts.h"', "player may not include \"viewer/skin/UiFonts.h\""),
    ("recording includes the player with spaces after the hash", "recording/BoxTree.cpp",
     '#  include "player/CPlayer.h"', "recording may not include \"player/CPlayer.h\""),
    ("commands include the skin", "viewer/commands/StillName.cpp",
     '#include "viewer/skin/CMsgBox.h"', "viewer/commands may not include \"viewer/skin/CMsgBox.h\""),
    ("skin includes the window above it", "viewer/skin/UiFonts.cpp",
     '#include "viewer/window/CQuorbexDlg.h"', "viewer/skin may not include \"viewer/window/CQuorbexDlg.h\""),
    ("tool includes test support", "tools/brennovale_info.cpp",
     '#include "tests/support/TestFiles.h"', "\"tests/support/TestFiles.h\" is in no layer"),
    ("relative include", "library/ui/CFileListCtrl.cpp",
     '#include "../RecordingNames.h"', "relative include \"../RecordingNames.h\""),
    ("source outside every layer", "viewer/Stray.cpp",
     '#include "platform/FileSystem.h"', "viewer/Stray.cpp: lies in no layer"),
]


def copy_tree(destination):
    shutil.copytree(SOURCE / "cmake", destination / "cmake")
    tops = set()
    for line in (SOURCE / "cmake" / "layers.txt").read_text(encoding="utf-8").splitlines():
        line = line.split("#", 1)[0].strip()
        if line:
            tops.add(line.split()[0].split("/")[0])
    for top in sorted(tops):
        if (SOURCE / top).is_dir():
            shutil.copytree(SOURCE / top, destination / top)


def run_checker(root):
    return subprocess.run([sys.executable, str(CHECKER), str(root)], capture_output=True, text=True)


class WrongIncludes(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.TemporaryDirectory()
        self.root = pathlib.Path(self.work.name)
        copy_tree(self.root)

    def tearDown(self):
        self.work.cleanup()

    def test_untouched_copy_passes(self):
        result = run_checker(self.root)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)

    def test_each_wrong_include_is_reported(self):
        for name, file, line, expected in ROWS:
            with self.subTest(name):
                path = self.root / file
                before = path.read_text(encoding="utf-8") if path.exists() else None
                path.parent.mkdir(parents=True, exist_ok=True)
                path.write_text(line + "\n" + (before or ""), encoding="utf-8")
                try:
                    result = run_checker(self.root)
                    self.assertEqual(result.returncode, 1, result.stdout + result.stderr)
                    self.assertIn(expected, result.stdout)
                    # Only the edit is reported, at the line it was put on.
                    self.assertEqual(len(result.stdout.splitlines()), 1, result.stdout)
                    if "lies in no layer" not in expected:
                        self.assertIn(f"{file}:1:", result.stdout)
                finally:
                    if before is None:
                        path.unlink()
                    else:
                        path.write_text(before, encoding="utf-8")

    def test_unreadable_table_is_not_a_pass(self):
        (self.root / "cmake" / "layers.txt").write_text("platform logic recording\n", encoding="utf-8")
        result = run_checker(self.root)
        self.assertEqual(result.returncode, 2, result.stdout + result.stderr)


if __name__ == "__main__":
    CHECKER = pathlib.Path(sys.argv[1]).resolve()
    SOURCE = pathlib.Path(sys.argv[2]).resolve()
    unittest.main(argv=sys.argv[:1], verbosity=2)
