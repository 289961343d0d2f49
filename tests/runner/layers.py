"""Runs the test layers and turns what they left behind into one verdict.

Each layer writes a record (results/layers/<name>.json) saying how its runner
ended and where its reports are. The summary counts every test case once, from
the per-program gtest reports and the Python reports, and adds one failure for
each thing that went wrong outside a case: a build that failed, a program that
could not start, crashed, hung or failed at exit, a runner that exited non-zero
without a failed case, a report that is missing or unreadable, a layer that
never ran. Nothing that did not pass is ever counted as passed or skipped.

The layers that run Windows programs are spread over lanes (a display, a Wine
prefix and a network of their own each): every lane takes the next program or
test class no other lane has taken, so the lanes finish close together. Each
lane records what it ran; an item of the layer that no lane ran is a failure.

A layer that cannot run on this machine (the 32-bit programs where the kernel
runs none) is recorded as skipped with its reason and its cases: they are
named as skipped, never counted as passed, and one line says so plainly.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import time
import xml.etree.ElementTree as ET

TIMED_OUT = 124  # the exit code a layer gets when its runner is stopped
PYTHON_RUNNER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "run_python_tests.py")
LINT = os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                    "tools", "lint", "lint.py")


def _layer_dir(results):
    return os.path.join(results, "layers")


def record(results, name, kind, exit_code, **fields):
    os.makedirs(_layer_dir(results), exist_ok=True)
    data = {"name": name, "kind": kind, "exit": exit_code}
    data.update(fields)
    with open(os.path.join(_layer_dir(results), name + ".json"), "w") as f:
        json.dump(data, f)


def _run(cmd, timeout, env=None, output=None):
    """Runs a layer's runner with its output passing through (or into output);
    a hang past the limit kills its whole process group and gives TIMED_OUT."""
    proc = subprocess.Popen(cmd, env=env, stdout=output, stderr=output, start_new_session=True)
    try:
        return proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        (output or sys.stdout).write("test: %s stopped after %d s\n" % (" ".join(cmd), timeout))
        try:
            os.killpg(proc.pid, 9)
        except ProcessLookupError:
            pass
        proc.wait()
        return TIMED_OUT


def _ctest_command(build_dir, junit, timeout, jobs=1):
    # ctest's own time-out per program, and a limit on the whole call so that
    # ctest itself cannot hang the run.
    return ["ctest", "--test-dir", build_dir, "-j%d" % jobs, "--output-on-failure",
            "--output-junit", junit, "--timeout", str(timeout)]


def _gtest_env(env, reports, gtest_dir):
    env = dict(env if env is not None else os.environ)
    env["GTEST_OUTPUT"] = "xml:" + (gtest_dir or reports + os.sep)
    return env


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
    start = time.time()
    code = _run(_ctest_command(build_dir, junit, timeout, jobs), timeout * 4 + 60,
                env=_gtest_env(env, reports, gtest_dir), output=output)
    record(results, name, "ctest", code, reports=reports, junit=junit, start=start, end=time.time())
    return code


def run_python(results, name, folder, timeout=1800, env=None, output=None):
    """Runs one Python test folder through run_python_tests.py."""
    report = os.path.join(results, name + ".xml")
    if os.path.exists(report):
        os.remove(report)  # a report left from an earlier run must not stand in for this one
    start = time.time()
    code = _run([sys.executable, PYTHON_RUNNER, folder, "--xml", report], timeout, env=env, output=output)
    record(results, name, "python", code, report=report, start=start, end=time.time())
    return code


def run_lint(results, name, build_dir, root=None, jobs=2, timeout=1800, output=None):
    """clang-tidy over the project sources of a build and the include-direction
    check (tools/lint/lint.py), one case a file."""
    report = os.path.join(results, name + ".xml")
    if os.path.exists(report):
        os.remove(report)
    start = time.time()
    cmd = [sys.executable, LINT, build_dir, "--xml", report, "--jobs", str(jobs)] + (["--root", root] if root else [])
    code = _run(cmd, timeout, output=output)
    record(results, name, "lint", code, report=report, start=start, end=time.time())
    return code


# -- layers spread over lanes

def ctest_programs(build_dir):
    """The test programs of a ctest build, in ctest's order."""
    listing = subprocess.run(["ctest", "--test-dir", build_dir, "--show-only=json-v1"],
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=True).stdout
    return [test["name"] for test in json.loads(listing)["tests"]]


def python_units(folder, selection=None):
    """The test classes of a Python test folder (or the entries of a selection
    file), each run by one process."""
    cmd = [sys.executable, PYTHON_RUNNER, folder, "--list"] + (["--select", selection] if selection else [])
    listing = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=True, text=True).stdout
    return [line for line in listing.splitlines() if line]


def _listed(lister, *args):
    """The items, or the error that kept them from being listed."""
    try:
        return lister(*args)
    except (OSError, ValueError, KeyError, subprocess.CalledProcessError) as e:
        return RuntimeError(str(e))


def _take(claims, item):
    """True for the one lane that takes the item first."""
    try:
        os.close(os.open(os.path.join(claims, item), os.O_CREAT | os.O_EXCL | os.O_WRONLY))
        return True
    except FileExistsError:
        return False


def run_lane(results, layer, lane, runner, items, run_item, log=sys.stdout):
    """Runs on this lane each item of the layer that no other lane has taken,
    one at a time, and records what it ran. run_item(item, output) returns what
    the summary reads about that item."""
    results = os.path.abspath(results)
    if isinstance(items, Exception):
        # The layer's cases could not be listed (no build, a broken test module).
        record(results, "%s#%s" % (layer, lane), "lane", 1, layer=layer, runner=runner, items=[], ran={},
               error="its cases could not be listed (%s)" % items, start=time.time(), end=time.time())
        return
    claims = os.path.join(results, "claims", layer)
    os.makedirs(claims, exist_ok=True)
    logs = os.path.join(results, layer + ".logs")
    os.makedirs(logs, exist_ok=True)
    ran = {}
    start = time.time()
    for item in items:
        if not _take(claims, item):
            continue
        began = time.time()
        path = os.path.join(logs, item + ".log")
        with open(path, "w") as output:
            outcome = run_item(item, output)
        outcome["log"] = path
        ran[item] = outcome
        verdict = "ok" if outcome["exit"] == 0 else "FAILED (exit %d)" % outcome["exit"]
        log.write("lane %s: %s %s %s, %.0f s\n" % (lane, layer, item, verdict, time.time() - began))
        if outcome["exit"] != 0:
            with open(path) as text:
                log.write(text.read())
        log.flush()
    record(results, "%s#%s" % (layer, lane), "lane", 0, layer=layer, runner=runner, items=items, ran=ran,
           start=start, end=time.time())


def run_ctest_lane(results, layer, lane, build_dir, timeout=600, gtest_dir=None, env=None, log=sys.stdout):
    """The lane's share of the test programs of a ctest build; reports go to
    <results>/<layer>/ as with run_ctest."""
    results = os.path.abspath(results)
    reports = os.path.join(results, layer)
    os.makedirs(reports, exist_ok=True)
    junits = os.path.join(results, layer + ".ctest")
    os.makedirs(junits, exist_ok=True)

    def run_program(program, output):
        report = os.path.join(reports, program + ".xml")
        if os.path.exists(report):
            os.remove(report)  # gtest would write program_1.xml beside it
        junit = os.path.join(junits, program + ".xml")
        cmd = _ctest_command(build_dir, junit, timeout) + ["-R", "^%s$" % re.escape(program)]
        code = _run(cmd, timeout + 60, env=_gtest_env(env, reports, gtest_dir), output=output)
        return {"exit": code, "junit": junit, "reports": reports}

    run_lane(results, layer, lane, "ctest", _listed(ctest_programs, build_dir), run_program, log=log)


def run_python_lane(results, layer, lane, folder, selection=None, timeout=1200, env=None, log=sys.stdout):
    """The lane's share of the test classes of a Python test folder (of the
    selection, when given)."""
    results = os.path.abspath(results)
    reports = os.path.join(results, layer)
    os.makedirs(reports, exist_ok=True)

    def run_unit(unit, output):
        report = os.path.join(reports, unit + ".xml")
        if os.path.exists(report):
            os.remove(report)
        code = _run([sys.executable, PYTHON_RUNNER, folder, "--xml", report, "--unit", unit], timeout,
                    env=env, output=output)
        return {"exit": code, "report": report}

    run_lane(results, layer, lane, "python", _listed(python_units, folder, selection), run_unit, log=log)


# -- the summary

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


def _count_programs(tally, name, junit, reports, seen):
    """Counts the programs one ctest call ran (its JUnit file) and their
    reports; seen collects the report names counted."""
    try:
        programs = list(ET.parse(junit).getroot().iter("testcase"))
    except (OSError, ET.ParseError) as e:
        tally.fail("%s: ctest wrote no readable result (%s)" % (name, e))
        return []
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
    return programs


def _count_unlisted_reports(tally, reports, seen):
    # A report of a program ctest did not list still counts, once.
    if os.path.isdir(reports):
        for extra in sorted(os.listdir(reports)):
            if extra.endswith(".xml") and extra not in seen:
                tally.count_report(os.path.join(reports, extra))


def _summarize_ctest(tally, layer):
    name, reports = layer["name"], layer["reports"]
    failures_before = len(tally.failed)
    seen = set()
    programs = _count_programs(tally, name, layer["junit"], reports, seen)
    _count_unlisted_reports(tally, reports, seen)
    if not programs and len(tally.failed) == failures_before:
        tally.fail("%s: no test program ran" % name)
    if layer["exit"] != 0 and len(tally.failed) == failures_before:
        tally.fail("%s: ctest exited %d" % (name, layer["exit"]))


def _summarize_python_report(tally, name, report, exit_code):
    failures_before = len(tally.failed)
    if not os.path.exists(report):
        tally.fail("%s: the runner wrote no report" % name)
    else:
        tally.count_report(report)
    if exit_code == TIMED_OUT:
        tally.fail("%s: stopped after its time limit" % name)
    elif exit_code != 0 and len(tally.failed) == failures_before:
        tally.fail("%s: the runner exited %d" % (name, exit_code))


def _summarize_python(tally, layer):
    _summarize_python_report(tally, layer["name"], layer["report"], layer["exit"])


def _summarize_lanes(tally, name, lanes):
    """One layer run by several lanes: every item it has must have run on one."""
    items = None
    ran = {}
    for lane in lanes:
        if lane.get("error"):
            tally.fail("%s: %s" % (lane["name"], lane["error"]))
            continue
        if items is not None and lane["items"] != items:
            tally.fail("%s: the lanes found different cases (%s)" % (name, lane["name"]))
        items = lane["items"] if items is None else items
        for item, outcome in lane["ran"].items():
            if item in ran:
                tally.fail("%s: %s ran twice" % (name, item))
            ran[item] = (lane, outcome)
    if not items:
        if not any(lane.get("error") for lane in lanes):
            tally.fail("%s: the layer has no case" % name)
        return
    seen = set()
    reports = None
    for item in items:
        if item not in ran:
            tally.fail("%s: %s did not run" % (name, item))
            continue
        lane, outcome = ran[item]
        label = "%s: %s" % (name, item)
        if lane["runner"] == "ctest":
            reports = outcome["reports"]
            failures_before = len(tally.failed)
            programs = _count_programs(tally, label, outcome["junit"], reports, seen)
            if not programs and len(tally.failed) == failures_before:
                tally.fail("%s: the program did not run" % label)
            if outcome["exit"] != 0 and len(tally.failed) == failures_before:
                tally.fail("%s: ctest exited %d" % (label, outcome["exit"]))
        else:
            _summarize_python_report(tally, label, outcome["report"], outcome["exit"])
    if reports:
        _count_unlisted_reports(tally, reports, seen)


def _summarize_skip(tally, layer):
    name, reason = layer["name"], layer.get("reason", "").strip()
    if not reason:
        tally.fail("%s: skipped without a reason" % name)
        return
    for case in layer.get("cases") or ["every case"]:
        tally.skipped.append("%s: %s (%s)" % (name, case, reason))


def _layer_times(layers):
    """[(layer, seconds, lanes)] in the order the layers started; the steps of
    the lanes count as one layer (wine-prefix#1 and #2 as wine-prefix)."""
    spans = {}
    for layer in layers.values():
        if "start" not in layer or "end" not in layer:
            continue
        base = layer.get("layer", layer["name"].split("#")[0])
        start, end, lanes = spans.get(base, (layer["start"], layer["end"], 0))
        spans[base] = (min(start, layer["start"]), max(end, layer["end"]), lanes + 1)
    ordered = sorted(spans.items(), key=lambda entry: entry[1][0])
    return [(name, end - start, lanes) for name, (start, end, lanes) in ordered]


def summarize(results, expected, out=sys.stdout):
    """Prints failures and skips by name, the wall time of each layer, then the
    closing line; returns the exit code of the whole run (0 only when nothing
    failed)."""
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
    lanes = {}
    skips = []
    for name, layer in sorted(layers.items()):
        kind = layer.get("kind")
        if kind == "build":
            if layer["exit"] != 0:
                tally.fail("%s failed (exit %d)" % (name, layer["exit"]))
        elif kind == "ctest":
            _summarize_ctest(tally, layer)
        elif kind in ("python", "lint"):
            _summarize_python(tally, layer)
        elif kind == "lane":
            lanes.setdefault(layer.get("layer", name), []).append(layer)
        elif kind == "skipped":
            _summarize_skip(tally, layer)
            skips.append(layer)
        else:
            tally.fail("%s: unknown layer kind %r" % (name, kind))
    for name, its_lanes in sorted(lanes.items()):
        _summarize_lanes(tally, name, its_lanes)
    times = _layer_times(layers)
    if times:
        spans = [layer for layer in layers.values() if "start" in layer and "end" in layer]
        whole = max(layer["end"] for layer in spans) - min(layer["start"] for layer in spans)
        out.write("wall time: %s; all %.0f s\n" % (", ".join(
            "%s %.0f s%s" % (name, seconds, " (%d lanes)" % lanes if lanes > 1 else "")
            for name, seconds, lanes in times), whole))
    for what in tally.failed:
        out.write("FAILED: %s\n" % what)
    for what in tally.skipped:
        out.write("SKIPPED: %s\n" % what)
    if skips:
        out.write("*** NOT TESTED HERE: %s. Their cases are skipped, not passed. ***\n" % "; ".join(
            "%s (%s)" % (layer["name"], layer.get("reason") or "no reason given") for layer in skips))
    line = "%d passed, %d failed" % (tally.passed, len(tally.failed))
    if tally.skipped:
        line += ", %d skipped" % len(tally.skipped)
    out.write(line + "\n")
    return 1 if tally.failed else 0


def _timed(argv):
    """Splits off "--seconds S" (a build's wall time) from the arguments."""
    if "--seconds" in argv:
        at = argv.index("--seconds")
        seconds = float(argv[at + 1])
        return argv[:at] + argv[at + 2:], seconds
    return argv, None


def main(argv):
    """Command line used by scripts/test:
    layers.py record <results> <name> <exit code> [--seconds S]   a build step
    layers.py ctest <results> <name> <build dir> [gtest dir as the program sees it]
    layers.py python <results> <name> <folder>
    layers.py lint <results> <name> <build dir>
    layers.py lane-ctest <results> <layer> <lane> <build dir> [gtest dir as the program sees it]
    layers.py lane-python <results> <layer> <lane> <folder> [selection file]
    layers.py skip <results> <name> <reason> [case...]
    layers.py skip-units <results> <name> <reason> <folder> [selection file]
    layers.py skip-ctest <results> <name> <reason> <build dir whose programs it names>
    layers.py summary <results> <expected layer>...
    """
    if len(argv) < 3:
        sys.stderr.write(main.__doc__)
        return 2
    argv, seconds = _timed(argv)
    command, results = argv[1], argv[2]
    timeout = int(os.environ.get("KESTRID_TEST_TIMEOUT", "600"))
    if command == "record" and len(argv) == 5:
        end = time.time()
        times = {"start": end - seconds, "end": end} if seconds is not None else {}
        record(results, argv[3], "build", int(argv[4]), **times)
        return 0
    if command == "ctest" and len(argv) in (5, 6):
        run_ctest(results, argv[3], argv[4], gtest_dir=argv[5] if len(argv) == 6 else None,
                  jobs=int(os.environ.get("KESTRID_CTEST_JOBS", "1")), timeout=timeout)
        return 0
    if command == "python" and len(argv) == 5:
        run_python(results, argv[3], argv[4],
                   timeout=int(os.environ.get("KESTRID_PYTHON_LAYER_TIMEOUT", "2400")))
        return 0
    if command == "lint" and len(argv) == 5:
        run_lint(results, argv[3], argv[4], jobs=int(os.environ.get("KESTRID_LINT_JOBS", "2")),
                 timeout=int(os.environ.get("KESTRID_LINT_TIMEOUT", "1800")))
        return 0
    if command == "lane-ctest" and len(argv) in (6, 7):
        run_ctest_lane(results, argv[3], argv[4], argv[5], timeout=timeout,
                       gtest_dir=argv[6] if len(argv) == 7 else None)
        return 0
    if command == "lane-python" and len(argv) in (6, 7):
        run_python_lane(results, argv[3], argv[4], argv[5], selection=argv[6] if len(argv) == 7 else None,
                        timeout=int(os.environ.get("KESTRID_PYTHON_CLASS_TIMEOUT", "1200")))
        return 0
    if command == "skip" and len(argv) >= 5:
        record(results, argv[3], "skipped", 0, reason=argv[4], cases=argv[5:])
        return 0
    if command == "skip-units" and len(argv) in (6, 7):
        units = _listed(python_units, argv[5], argv[6] if len(argv) == 7 else None)
        record(results, argv[3], "skipped", 0, reason=argv[4], cases=[] if isinstance(units, Exception) else units)
        return 0
    if command == "skip-ctest" and len(argv) == 6:
        programs = _listed(ctest_programs, argv[5])
        record(results, argv[3], "skipped", 0, reason=argv[4],
               cases=[] if isinstance(programs, Exception) else programs)
        return 0
    if command == "summary":
        return summarize(results, argv[3:])
    sys.stderr.write(main.__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
