"""Counts passed and failed test cases over every XML report in a folder tree
(gtest reports and those of run_python_tests.py) and prints the closing line."""
import os
import sys
import xml.etree.ElementTree as ET


def main(folder, extra_failures):
    passed = failed = skipped = 0
    for base, _, files in os.walk(folder):
        for name in sorted(files):
            if not name.endswith(".xml"):
                continue
            path = os.path.join(base, name)
            try:
                cases = ET.parse(path).getroot().iter("testcase")
            except ET.ParseError:
                print("unreadable report: %s" % path)
                failed += 1
                continue
            for case in cases:
                if case.get("result") == "skipped" or case.find("skipped") is not None:
                    skipped += 1
                    continue
                if case.find("failure") is not None or case.find("error") is not None:
                    failed += 1
                    print("FAILED: %s.%s" % (case.get("classname"), case.get("name")))
                else:
                    passed += 1
    failed += extra_failures
    if skipped:
        print("%d skipped" % skipped)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 0))
