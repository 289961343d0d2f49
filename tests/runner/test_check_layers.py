"""The include-direction check on small fixture trees: each case is a tree
and the violations it must report (none for a tree that keeps the rules)."""
import os
import shutil
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tools", "lint"))
import check_layers  # noqa: E402

BASE = {
    "framework/cstring.h": "",
    "resources/resource.h": "",
    "base/settings_store.h": '#include "framework/cstring.h"\n',
    "service/http_exchange.h": '#include "base/settings_store.h"\n',
    "controls/menu/new_menu.h": '#include "service/http_exchange.h"\n',
    "ui/common/scroller.h": '#include "controls/menu/new_menu.h"\n',
    "ui/send/send.cpp": '#include "ui/common/scroller.h"\n#include "resource.h"\n#include "version.h"\n',
    "ui/contacts/picker.cpp": '#include "picker.h"\n',
    "ui/contacts/picker.h": "",
    "app/program.cpp": '#include "ui/send/send.cpp"\n#include "ui/contacts/picker.h"\n',
    "tests/native/any_test.cpp": '#include "app/program.cpp"\n',
    "tools/driving/kestrid_driving.py": "import os\n",
    "tests/e2e/e2e_support.py": "",
}

CASES = [
    # (what, files added to BASE, a word each expected violation line holds)
    ("the layers as they should be", {}, []),
    ("a lower folder includes a higher one",
     {"service/account.cpp": '#include "controls/menu/new_menu.h"\n'}, ["service/account.cpp:1: service includes"]),
    ("the bottom includes the window",
     {"framework/wnd.cpp": '\n#include "ui/send/send.cpp"\n'}, ["framework/wnd.cpp:2"]),
    ("one window folder includes another",
     {"ui/contacts/list.cpp": '#include "ui/send/send.cpp"\n'}, ["window folder ui/contacts includes"]),
    ("the shared ui part includes a window", {"ui/common/rows.cpp": '#include "ui/keysetup/k.h"\n',
                                              "ui/keysetup/k.h": ""}, ["ui/common includes ui/keysetup/k.h"]),
    ("an include of a file that is not there", {"base/x.cpp": '#include "base/gone.h"\n'}, ["no file"]),
    ("a tool imports a test module",
     {"tools/demo/drive.py": "import e2e_support\n"}, ["tools/demo/drive.py:1: imports e2e_support"]),
    ("a tool puts a tests folder on its path",
     {"tools/demo/drive.py": 'import os, sys\nsys.path.insert(0, os.path.join("x", "tests", "e2e"))\n'},
     ["tools/demo/drive.py:2: puts 'tests'"]),
    ("tests and tools may use anything", {"tests/e2e/t.py": "import kestrid_driving\n",
                                          "tools/uidriver/u.cpp": '#include "app/program.cpp"\n'}, []),
]


class IncludeDirection(unittest.TestCase):
    def test_cases(self):
        for what, files, expected in CASES:
            with self.subTest(what):
                root = tempfile.mkdtemp(prefix="layers-test-")
                try:
                    for path, text in dict(BASE, **files).items():
                        os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
                        with open(os.path.join(root, path), "w") as f:
                            f.write(text)
                    found = check_layers.violations(root)
                finally:
                    shutil.rmtree(root)
                self.assertEqual(len(found), len(expected), found)
                for line, word in zip(found, expected):
                    self.assertIn(word, line)

    def test_the_tree_keeps_the_rules(self):
        self.assertEqual(check_layers.violations(ROOT), [])


if __name__ == "__main__":
    unittest.main()
