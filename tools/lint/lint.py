#!/usr/bin/env python3
"""The lint layer: clang-tidy (the root's .clang-tidy) over every project
source of a build's compile_commands.json, and the include-direction check.
Writes a JUnit-style report with one case a source file and one for the
layers; exits 1 when anything has a finding or could not be checked.

lint.py <build dir> --xml <report> [--root <source root>] [--jobs N]"""
import argparse
import json
import os
import subprocess
import sys
import time
import xml.etree.ElementTree as ET
from concurrent.futures import ThreadPoolExecutor

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import check_layers  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(HERE))


def project_sources(build_dir, root):
    """The project's own files the build compiles (not googletest, not generated)."""
    with open(os.path.join(build_dir, "compile_commands.json")) as f:
        entries = json.load(f)
    build_dir = os.path.realpath(build_dir)
    files = set()
    for entry in entries:
        path = os.path.realpath(os.path.join(entry.get("directory", ""), entry["file"]))
        rel = os.path.relpath(path, root)
        if rel.startswith("..") or path.startswith(build_dir + os.sep) or rel.split(os.sep)[0].startswith("build"):
            continue
        files.add(path)
    return sorted(files)


def tidy(build_dir, path):
    """(seconds, failure text or None) of clang-tidy on one file."""
    began = time.time()
    try:
        run = subprocess.run(["clang-tidy", "--quiet", "-p", build_dir, path], stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT, text=True, timeout=600)
    except (OSError, subprocess.TimeoutExpired) as e:
        return time.time() - began, "clang-tidy did not run: %s" % e
    # clang-tidy's own counts ("N warnings generated.") are not findings.
    findings = [line for line in run.stdout.splitlines() if ": warning: " in line or ": error: " in line]
    if run.returncode != 0 or findings:
        return time.time() - began, run.stdout.strip() or "clang-tidy exited %d" % run.returncode
    return time.time() - began, None


def write_report(path, cases):
    suite = ET.Element("testsuite", name="lint", tests=str(len(cases)),
                       failures=str(sum(1 for case in cases if case[3])))
    for classname, name, seconds, failure in cases:
        case = ET.SubElement(suite, "testcase", classname=classname, name=name, time="%.2f" % seconds)
        if failure:
            ET.SubElement(case, "failure", message=failure.splitlines()[0][:200]).text = failure
    root = ET.Element("testsuites")
    root.append(suite)
    ET.ElementTree(root).write(path, encoding="utf-8", xml_declaration=True)


def main(argv):
    parser = argparse.ArgumentParser()
    parser.add_argument("build_dir")
    parser.add_argument("--xml", required=True)
    parser.add_argument("--root", default=ROOT)
    parser.add_argument("--jobs", type=int, default=2)
    args = parser.parse_args(argv[1:])
    root = os.path.realpath(args.root)
    cases = []

    began = time.time()
    found = check_layers.violations(root)
    cases.append(("layers", "include_direction", time.time() - began, "\n".join(found) or None))

    try:
        sources = project_sources(args.build_dir, root)
        if not sources:
            cases.append(("clang-tidy", "sources", 0.0, "the build compiles no project source"))
    except (OSError, ValueError, KeyError) as e:
        sources = []
        cases.append(("clang-tidy", "sources", 0.0, "no compile_commands.json to read (%s)" % e))
    with ThreadPoolExecutor(max_workers=max(1, args.jobs)) as pool:
        results = pool.map(lambda path: tidy(args.build_dir, path), sources)
        for path, (seconds, failure) in zip(sources, results):
            rel = os.path.relpath(path, root)
            cases.append(("clang-tidy", rel, seconds, failure))
            if failure:
                print("lint: %s\n%s" % (rel, failure))
    write_report(args.xml, cases)
    failed = [case for case in cases if case[3]]
    print("lint: %d checked, %d with findings" % (len(cases), len(failed)))
    for case in failed[:1]:
        if case[0] == "layers":
            print(case[3])
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
