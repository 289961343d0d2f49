"""Runs the Python test folders (sandbox, end-to-end) and writes one JUnit-style
XML report per folder, in the shape the gtest reports have, so that
scripts/test can count every layer the same way.

--list names the units a folder's tests are run in when spread over lanes: its
test classes (a module that does not import is a unit of its own, so its error
is reported), or the entries of a selection file (--select: one test class or
method a line, # comments). --unit runs such units only."""
import argparse
import os
import sys
import time
import unittest
import xml.etree.ElementTree as ET


class RecordingResult(unittest.TextTestResult):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.cases = []  # (id, seconds, failure text or None, skipped)
        self._start = 0.0
        self._failure = None
        self._current = None

    def startTest(self, test):
        self._start = time.time()
        self._failure = None
        self._current = test
        super().startTest(test)

    def _fail(self, test, err):
        text = self._exc_info_to_string(err, test)
        if test is not self._current and not isinstance(test, unittest.case._SubTest):
            # A module or class set-up or tear-down that raised: no test was
            # started for it, so it becomes a case of its own.
            self.cases.append((test.id(), 0.0, text, False))
            return
        self._failure = (self._failure + "\n" if self._failure else "") + text

    def addFailure(self, test, err):
        super().addFailure(test, err)
        self._fail(test, err)

    def addError(self, test, err):
        super().addError(test, err)
        self._fail(test, err)

    def addSubTest(self, test, subtest, err):
        super().addSubTest(test, subtest, err)
        if err is not None:
            self._fail(subtest, err)

    def addUnexpectedSuccess(self, test):
        super().addUnexpectedSuccess(test)
        self._failure = "passed although marked as an expected failure"

    def addSkip(self, test, reason):
        super().addSkip(test, reason)
        self.cases.append((test.id(), time.time() - self._start, None, reason))

    def stopTest(self, test):
        super().stopTest(test)
        self._current = None
        if not self.cases or self.cases[-1][0] != test.id():
            self.cases.append((test.id(), time.time() - self._start, self._failure, False))


def _cases(suite):
    for test in suite:
        if isinstance(test, unittest.TestSuite):
            yield from _cases(test)
        else:
            yield test


def units(folder, selection):
    if selection:
        with open(selection) as f:
            entries = [line.split("#", 1)[0].strip() for line in f]
        return [entry for entry in entries if entry]
    found = []
    for test in _cases(unittest.defaultTestLoader.discover(folder, top_level_dir=folder)):
        if isinstance(test, unittest.loader._FailedTest):
            unit = test._testMethodName  # the module that failed to import
        else:
            unit = "%s.%s" % (type(test).__module__, type(test).__name__)
        if unit not in found:
            found.append(unit)
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--xml")
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--select")
    parser.add_argument("--unit", action="append")
    args = parser.parse_args()

    if args.list:
        print("\n".join(units(args.folder, args.select)))
        return 0
    if not args.xml:
        parser.error("--xml is needed to run tests")
    if args.unit:
        sys.path.insert(0, os.path.abspath(args.folder))
        suite = unittest.defaultTestLoader.loadTestsFromNames(args.unit)
    else:
        suite = unittest.defaultTestLoader.discover(args.folder, top_level_dir=args.folder)
    runner = unittest.TextTestRunner(resultclass=RecordingResult, verbosity=2, stream=sys.stdout)
    result = runner.run(suite)

    root = ET.Element("testsuites")
    suite_el = ET.SubElement(root, "testsuite", name=args.folder)
    for case_id, seconds, failure, skipped in result.cases:
        name_parts = case_id.rsplit(".", 1)
        case = ET.SubElement(suite_el, "testcase", classname=name_parts[0], name=name_parts[-1],
                             time="%.3f" % seconds)
        if skipped:
            ET.SubElement(case, "skipped", message=str(skipped))
        if failure:
            ET.SubElement(case, "failure", message="failed").text = failure
    ET.ElementTree(root).write(args.xml, encoding="utf-8", xml_declaration=True)
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
