"""Test programs that ctest saw fail without a failed case in their own report
(a crash, a time-out, a sanitizer report at exit) count as one failure each.
Prints that number."""
import os
import sys
import xml.etree.ElementTree as ET


def has_failed_case(report):
    try:
        root = ET.parse(report).getroot()
    except (OSError, ET.ParseError):
        return False
    return any(c.find("failure") is not None for c in root.iter("testcase"))


def main(ctest_junit, reports):
    extra = 0
    try:
        cases = ET.parse(ctest_junit).getroot().iter("testcase")
    except (OSError, ET.ParseError):
        print(1)
        return
    for case in cases:
        if case.get("status") in ("fail", "failed") or case.find("failure") is not None:
            if not has_failed_case(os.path.join(reports, case.get("name") + ".xml")):
                sys.stderr.write("test program failed outside its cases: %s\n" % case.get("name"))
                extra += 1
    print(extra)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
