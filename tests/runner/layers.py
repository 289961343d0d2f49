"""Runs the test layers and turns what they left behind into one verdict.

Each layer writes a record (results/layers/<name>.json) saying how its runner
ended and where its reports are. The summary counts every test case once, from
the per-program gtest reports and the Python reports, and adds one failure for
each thing that went wrong outside a case: a build that failed, a program that
could not start, crashed, hung or failed at exit, a runner that exited non-zero
without a failed case, a report that is missing or unreadable, a layer that
never ran. Nothing that did not pass is ever counted as passed or skipped.
"""
import json
import os
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ET

TIMED_OUT = 124  # the exit code a layer gets when its runner is stopped


def _layer_dir(results):
    return os.path.join(results, "layers")


def record(results, name, kind, exit_code, **paths):
    os.makedirs(_layer_dir(results), exist_ok=True)
    data = {"name": name, "kind": kind, "exit": exit_code}
    data.update(paths)
    with open(os.path.join(_layer_dir(results), name + ".json"), "w") as f:
        json.dump(data, f)


def _run(cmd, timeout, env=None, output=None):
    """Runs a layer's runner with its output passing through (or into output);
    a hang past the limit kills its whole process group and gives TIMED_OUT."""
    proc = subprocess.Popen(cmd, env=env, stdout=output, stderr=output, start_new_session=True)
    try:
        return proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        sys.stdout.write("test: %s stopped after %d s\n" % (" ".join(cmd), timeout))
        try:
            os.killpg(proc.pid, 9)
        except ProcessLookupError:
            pass
        proc.wait()
        return TIMED_OUT


def run_ctest(results, name, build_dir, timeout=600, gtest_dir=None, jobs=1, env=None, output=None):
    """Runs every test program of a ctest build. Each program writes its gtest
    report into <results>/<name>/ (gtest_dir is the same folder as the program
    sees it, for programs under Wine)."""
    results = os.path.abspath(results)  # ctest runs in the build folder
    reports = os.path.join(results, name)
    # gtest never overwrites a report (it adds _1), so an old one would count again.
    shutil.rmtree(reports, ignore_errors=True)
    os.makedirs(reports)
    junit = os.path.join(results, name + ".ctest.xml")
    env = dict(env if env is not None else os.environ)
    env["GTEST_OUTPUT"] = "xml:" + (gtest_dir or reports + os.sep)
    # ctest's own time-out per program, and a limit on the whole layer so that
    # ctest itself cannot hang the run.
    cmd = ["ctest", "--test-dir", build_dir, "-j%d" % jobs, "--output-on-failure",
           "--output-junit", junit, "--timeout", str(timeout)]
    code = _run(cmd, timeout * 4 + 60, env=env, output=output)
    record(results, name, "ctest", code, reports=reports, junit=junit)
    return code


def run_python(results, name, folder, timeout=1800, env=None, output=None):
    """Runs one Python test folder through run_python_tests.py."""
    report = os.path.join(results, name + ".xml")
    if os.path.exists(report):
        os.remove(report)  # a report left from an earlier run must not stand in for this one
    runner = os.path.join(os.path.dirname(os.path.abspath(__file__)), "run_python_tests.py")
    code = _run([sys.executable, runner, folder, "--xml", report], timeout, env=env, output=output)
    record(results, name, "python", code, report=report)
    return code


class Tally:
    def __init__(self):
        self.passed = 0
        self.failed = []   # names
        self.skipped = []  # names

    def fail(self, what):
        self.failed.append(what)

    def count_report(self, path):
        """Counts the cases of one report; returns the number of failed cases,
        or None when the report cannot be read (already counted as a failure)."""
        try:
            root = ET.parse(path).getroot()
        except (OSError, ET.ParseError) as e:
            self.fail("unreadable report %s (%s)" % (path, e))
            return None
        failed = 0
        for case in root.iter("testcase"):
            label = "%s.%s" % (case.get("classname"), case.get("name"))
            if case.find("failure") is not None or case.find("error") is not None:
                self.fail(label)
                failed += 1
            elif case.find("skipped") is not None or case.get("result") in ("skipped", "suppressed") \
                    or case.get("status") == "notrun":
                self.skipped.append(label)
            else:
                self.passed += 1
        return failed


def _summarize_ctest(tally, layer):
    name, reports = layer["name"], layer["reports"]
    try:
        programs = list(ET.parse(layer["junit"]).getroot().iter("testcase"))
    except (OSError, ET.ParseError) as e:
        tally.fail("%s: ctest wrote no readable result (%s)" % (name, e))
        programs = []
    failures_before = len(tally.failed)
    seen = set()
    for program in programs:
        prog = program.get("name")
        status = program.get("status")
        report = os.path.join(reports, prog + ".xml")
        seen.add(prog + ".xml")
        failed_cases = tally.count_report(report) if os.path.exists(report) else None
        if status == "notrun":
            tally.fail("%s: program %s could not be started" % (name, prog))
        elif status != "run":
            # ctest saw it fail; its own failed cases explain that, otherwise it
            # crashed, hung or failed at exit (a sanitizer report).
            if not failed_cases:
                tally.fail("%s: program %s failed outside its cases (crash, time-out or exit code)"
                           % (name, prog))
        elif not os.path.exists(report):
            tally.fail("%s: program %s wrote no report" % (name, prog))
    # A report of a program ctest did not list still counts, once.
    if os.path.isdir(reports):
        for extra in sorted(os.listdir(reports)):
            if extra.endswith(".xml") and extra not in seen:
                tally.count_report(os.path.join(reports, extra))
    if not programs and len(tally.failed) == failures_before:
        tally.fail("%s: no test program ran" % name)
    if layer["exit"] != 0 and len(tally.failed) == failures_before:
        tally.fail("%s: ctest exited %d" % (name, layer["exit"]))


def _summarize_python(tally, layer):
    name = layer["name"]
    failures_before = len(tally.failed)
    if not os.path.exists(layer["report"]):
        tally.fail("%s: the runner wrote no report" % name)
    else:
        tally.count_report(layer["report"])
    if layer["exit"] == TIMED_OUT:
        tally.fail("%s: stopped after its time limit" % name)
    elif layer["exit"] != 0 and len(tally.failed) == failures_before:
        tally.fail("%s: the runner exited %d" % (name, layer["exit"]))


def summarize(results, expected, out=sys.stdout):
    """Prints failures and skips by name, then the closing line; returns the
    exit code of the whole run (0 only when nothing failed)."""
    tally = Tally()
    layers = {}
    if os.path.isdir(_layer_dir(results)):
        for entry in sorted(os.listdir(_layer_dir(results))):
            try:
                with open(os.path.join(_layer_dir(results), entry)) as f:
                    layer = json.load(f)
                layers[layer["name"]] = layer
            except (OSError, ValueError, KeyError) as e:
                tally.fail("unreadable layer record %s (%s)" % (entry, e))
    for name in expected:
        if name not in layers:
            tally.fail("%s: did not run" % name)
    for name, layer in sorted(layers.items()):
        kind = layer.get("kind")
        if kind == "build":
            if layer["exit"] != 0:
                tally.fail("%s failed (exit %d)" % (name, layer["exit"]))
        elif kind == "ctest":
            _summarize_ctest(tally, layer)
        elif kind == "python":
            _summarize_python(tally, layer)
        else:
            tally.fail("%s: unknown layer kind %r" % (name, kind))
    for what in tally.failed:
        out.write("FAILED: %s\n" % what)
    for what in tally.skipped:
        out.write("SKIPPED: %s\n" % what)
    line = "%d passed, %d failed" % (tally.passed, len(tally.failed))
    if tally.skipped:
        line += ", %d skipped" % len(tally.skipped)
    out.write(line + "\n")
    return 1 if tally.failed else 0


def main(argv):
    """Command line used by scripts/test:
    layers.py record <results> <name> <exit code>       a build step
    layers.py ctest <results> <name> <build dir> [gtest dir as the program sees it]
    layers.py python <results> <name> <folder>
    layers.py summary <results> <expected layer>...
    """
    if len(argv) < 3:
        sys.stderr.write(main.__doc__)
        return 2
    command, results = argv[1], argv[2]
    if command == "record" and len(argv) == 5:
        record(results, argv[3], "build", int(argv[4]))
        return 0
    if command == "ctest" and len(argv) in (5, 6):
        run_ctest(results, argv[3], argv[4], gtest_dir=argv[5] if len(argv) == 6 else None,
                  jobs=int(os.environ.get("KESTRID_CTEST_JOBS", "1")),
                  timeout=int(os.environ.get("KESTRID_TEST_TIMEOUT", "600")))
        return 0
    if command == "python" and len(argv) == 5:
        run_python(results, argv[3], argv[4],
                   timeout=int(os.environ.get("KESTRID_PYTHON_LAYER_TIMEOUT", "2400")))
        return 0
    if command == "summary":
        return summarize(results, argv[3:])
    sys.stderr.write(main.__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
