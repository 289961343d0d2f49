"""The runner's own rules, on small fixture layers: whatever breaks outside a
test case must still end the run with failures and a non-zero exit, and every
case is counted exactly once."""
import io
import json
import os
import shutil
import subprocess
import sys
import tempfile
import textwrap
import threading
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import layers  # noqa: E402

# A stand-in for a gtest program: writes a report with the given cases (name,
# passed) where GTEST_OUTPUT points, then ends as told.
FAKE_PROGRAM = textwrap.dedent("""\
    #!/bin/sh
    name=$1; shift; ending=$1; shift
    dir=${GTEST_OUTPUT#xml:}
    if [ "$ending" != "crash-before-report" ]; then
      { echo '<?xml version="1.0"?><testsuites><testsuite name="S">'
        for c in "$@"; do
          case "$c" in
            *:fail) echo "<testcase classname=\\"S\\" name=\\"${c%:fail}\\"><failure message=\\"x\\"/></testcase>" ;;
            *:skip) echo "<testcase classname=\\"S\\" name=\\"${c%:skip}\\" result=\\"skipped\\"><skipped/></testcase>" ;;
            *) echo "<testcase classname=\\"S\\" name=\\"$c\\" result=\\"completed\\"/>" ;;
          esac
        done
        echo '</testsuite></testsuites>'; } > "$dir$name.xml"
    fi
    case "$ending" in
      crash-before-report) kill -SEGV $$ ;;
      exit-1) exit 1 ;;
      hang) sleep 30 ;;
    esac
    failed=0
    for c in "$@"; do case "$c" in *:fail) failed=1 ;; esac; done
    exit $failed
""")


def ctest_build(folder, name, programs):
    """A configured CMake build below folder whose tests are programs:
    (test name, command list) for add_test."""
    src = os.path.join(folder, name + "-src")
    os.makedirs(src)
    lines = ["cmake_minimum_required(VERSION 3.20)", "project(fixture NONE)", "enable_testing()"]
    for test, command in programs:
        lines.append("add_test(NAME %s COMMAND %s)" % (test, " ".join(command)))
    with open(os.path.join(src, "CMakeLists.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")
    build = os.path.join(folder, name + "-build")
    subprocess.run(["cmake", "-S", src, "-B", build], check=True, stdout=subprocess.DEVNULL)
    return build


class FixtureRun(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="runner-test-")
        self.results = os.path.join(self.dir, "results")
        os.makedirs(self.results)
        self.fake = os.path.join(self.dir, "fake_program.sh")
        with open(self.fake, "w") as f:
            f.write(FAKE_PROGRAM)
        os.chmod(self.fake, 0o755)

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def ctest_layer(self, name, programs, timeout=20):
        """programs: (test name, command list) for add_test."""
        build = ctest_build(self.dir, name, programs)
        with open(os.devnull, "w") as quiet:
            return layers.run_ctest(self.results, name, build, timeout=timeout, output=quiet)

    def program(self, name, ending, *cases):
        return (name, ["sh", self.fake, name, ending] + list(cases))

    def python_layer(self, name, modules):
        folder = os.path.join(self.dir, name)
        os.makedirs(folder)
        for module, text in modules.items():
            with open(os.path.join(folder, module + ".py"), "w") as f:
                f.write(textwrap.dedent(text))
        with open(os.devnull, "w") as quiet:
            return layers.run_python(self.results, name, folder, timeout=60, output=quiet)

    def summary(self, expected):
        out = io.StringIO()
        code = layers.summarize(self.results, expected, out=out)
        return code, out.getvalue().splitlines()


class CtestLayers(FixtureRun):
    def test_program_endings(self):
        cases = [
            # (ending, cases, exit code of the run, closing line, a failure that must be named)
            ("pass", ["a", "b"], 0, "2 passed, 0 failed", None),
            ("pass", ["a", "b:fail"], 1, "1 passed, 1 failed", "S.b"),
            ("crash-before-report", ["a"], 1, "0 passed, 1 failed", "failed outside its cases"),
            ("exit-1", ["a", "b"], 1, "2 passed, 1 failed", "failed outside its cases"),
            ("hang", ["a"], 1, "1 passed, 1 failed", "failed outside its cases"),
            ("pass", ["a", "b:skip"], 0, "1 passed, 0 failed, 1 skipped", None),
        ]
        for i, (ending, test_cases, code, line, named) in enumerate(cases):
            with self.subTest(ending=ending, cases=test_cases):
                shutil.rmtree(self.results)
                os.makedirs(self.results)
                self.ctest_layer("layer%d" % i, [self.program("prog", ending, *test_cases)], timeout=2)
                got_code, out = self.summary(["layer%d" % i])
                self.assertEqual(got_code, code, out)
                self.assertEqual(out[-1], line, out)
                if named:
                    self.assertTrue(any(named in l for l in out if l.startswith("FAILED")), out)

    def test_unstartable_program_fails_not_skips(self):
        self.ctest_layer("native", [self.program("good", "pass", "a"),
                                    ("missing", ["/nonexistent/program"])])
        code, out = self.summary(["native"])
        self.assertEqual(code, 1)
        self.assertEqual(out[-1], "1 passed, 1 failed")
        self.assertIn("FAILED: native: program missing could not be started", out)

    def test_passing_program_without_report_fails(self):
        self.ctest_layer("native", [("silent", ["sh", "-c", "exit 0"])])
        code, out = self.summary(["native"])
        self.assertEqual((code, out[-1]), (1, "0 passed, 1 failed"))

    def test_each_case_counted_once_over_several_programs_and_reruns(self):
        self.ctest_layer("native", [self.program("one", "pass", "a", "b", "c"),
                                    self.program("two", "pass", "d", "e:fail")])
        code, out = self.summary(["native"])
        self.assertEqual((code, out[-1]), (1, "4 passed, 1 failed"))
        # a second run into the same results leaves no old report behind
        with open(os.devnull, "w") as quiet:
            layers.run_ctest(self.results, "native", os.path.join(self.dir, "native-build"), output=quiet)
        self.assertEqual(self.summary(["native"])[1][-1], "4 passed, 1 failed")


class PythonLayers(FixtureRun):
    PASSING = """
        import unittest
        class T(unittest.TestCase):
            def test_ok(self):
                pass
    """

    def test_set_up_and_tear_down_errors_are_failures(self):
        # what -> (module text, a word the failure's name must hold)
        cases = {
            "module set-up": ("""
                import unittest
                def setUpModule():
                    raise RuntimeError("make-ca.sh failed")
                class T(unittest.TestCase):
                    def test_a(self):
                        pass
            """, "setUpModule"),
            "class set-up": ("""
                import unittest
                class T(unittest.TestCase):
                    @classmethod
                    def setUpClass(cls):
                        raise RuntimeError("no sandbox")
                    def test_a(self):
                        pass
            """, "setUpClass"),
            "module tear-down": ("""
                import unittest
                def tearDownModule():
                    raise RuntimeError("cleanup failed")
                class T(unittest.TestCase):
                    def test_a(self):
                        pass
            """, "tearDownModule"),
            "import error": ("import module_that_does_not_exist\n", "test_fixture"),
        }
        for i, (what, (text, named)) in enumerate(cases.items()):
            with self.subTest(what):
                name = "py%d" % i
                self.python_layer(name, {"test_fixture": text, "test_passing": self.PASSING})
                code, out = self.summary([name])
                self.assertEqual(code, 1, out)
                passed, failed = [int(w) for w in out[-1].replace(",", "").split()[0:3:2]]
                self.assertGreaterEqual(failed, 1, out)
                # the failure is a case of its own, named after what raised
                self.assertTrue(any(l.startswith("FAILED") and named in l and "runner exited" not in l
                                    for l in out), out)
                # the passing module still counts; the tear-down case also keeps test_a
                self.assertGreaterEqual(passed, 1, out)
                shutil.rmtree(self.results)
                os.makedirs(self.results)

    def test_skip_is_named(self):
        self.python_layer("py", {"test_fixture": """
            import unittest
            class T(unittest.TestCase):
                @unittest.skip("needs a printer")
                def test_printer(self):
                    pass
                def test_ok(self):
                    pass
        """})
        code, out = self.summary(["py"])
        self.assertEqual((code, out[-1]), (0, "1 passed, 0 failed, 1 skipped"))
        self.assertIn("SKIPPED: test_fixture.T.test_printer", out)

    def test_runner_that_cannot_run_fails_the_layer(self):
        with open(os.devnull, "w") as quiet:
            layers.run_python(self.results, "gone", os.path.join(self.dir, "no-such-folder"), timeout=60,
                              output=quiet)
        code, out = self.summary(["gone"])
        self.assertEqual(code, 1)
        self.assertIn("FAILED: gone: the runner wrote no report", out)


class Lanes(FixtureRun):
    """Layers spread over lanes: whichever lane runs an item, it counts once,
    and an item or a lane that did not run is a failure."""

    def ctest_build(self, name, programs):
        return ctest_build(self.dir, name, programs)

    def folder(self, name, modules):
        folder = os.path.join(self.dir, name)
        os.makedirs(folder)
        for module, text in modules.items():
            with open(os.path.join(folder, module + ".py"), "w") as f:
                f.write(textwrap.dedent(text))
        return folder

    def lanes(self, run, count=2):
        """Runs run(lane) for each lane at the same time."""
        threads = [threading.Thread(target=run, args=(str(lane),)) for lane in range(1, count + 1)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()

    MODULES = {
        "test_a": """
            import unittest
            class One(unittest.TestCase):
                def test_x(self):
                    pass
                def test_y(self):
                    pass
            class Two(unittest.TestCase):
                def test_z(self):
                    self.fail("z")
        """,
        "test_b": """
            import unittest
            class Three(unittest.TestCase):
                def test_w(self):
                    pass
        """,
    }

    def test_programs_over_two_lanes_count_once(self):
        build = self.ctest_build("win", [self.program("p%d" % i, "pass", "a", "b") for i in range(4)]
                                 + [self.program("bad", "pass", "c:fail"), self.program("dead", "crash-before-report")])
        with open(os.devnull, "w") as quiet:
            self.lanes(lambda lane: layers.run_ctest_lane(self.results, "win", lane, build, timeout=20, log=quiet))
        code, out = self.summary(["win#1", "win#2"])
        self.assertEqual((code, out[-1]), (1, "8 passed, 2 failed"), out)
        self.assertIn("FAILED: S.c", out)
        self.assertTrue(any("program dead failed outside its cases" in l for l in out), out)
        self.assertFalse(any("ran twice" in l or "did not run" in l for l in out), out)

    def test_python_classes_over_two_lanes_count_once(self):
        folder = self.folder("e2e", self.MODULES)
        with open(os.devnull, "w") as quiet:
            self.lanes(lambda lane: layers.run_python_lane(self.results, "e2e", lane, folder, timeout=60, log=quiet))
        code, out = self.summary(["e2e#1", "e2e#2"])
        self.assertEqual((code, out[-1]), (1, "3 passed, 1 failed"), out)
        self.assertIn("FAILED: test_a.Two.test_z", out)

    def test_what_did_not_run_is_a_failure(self):
        folder = self.folder("e2e", self.MODULES)
        # A second lane took a class and died before it ran it or said so.
        os.makedirs(os.path.join(self.results, "claims", "e2e"))
        open(os.path.join(self.results, "claims", "e2e", "test_b.Three"), "w").close()
        with open(os.devnull, "w") as quiet:
            layers.run_python_lane(self.results, "e2e", "1", folder, timeout=60, log=quiet)
        code, out = self.summary(["e2e#1", "e2e#2"])
        self.assertEqual(code, 1)
        self.assertIn("FAILED: e2e#2: did not run", out)
        self.assertIn("FAILED: e2e: test_b.Three did not run", out)
        self.assertEqual(out[-1], "2 passed, 3 failed", out)

    def test_a_layer_whose_cases_cannot_be_listed_fails(self):
        with open(os.devnull, "w") as quiet:
            layers.run_ctest_lane(self.results, "win", "1", os.path.join(self.dir, "no-build"), log=quiet)
        code, out = self.summary(["win#1"])
        self.assertEqual((code, out[-1]), (1, "0 passed, 1 failed"), out)
        self.assertTrue(out[-2].startswith("FAILED: win#1: its cases could not be listed"), out)

    def test_a_selection_runs_only_its_entries_and_a_missing_one_fails(self):
        folder = self.folder("e2e", self.MODULES)
        selection = os.path.join(self.dir, "selection.txt")
        with open(selection, "w") as f:
            f.write("# a comment\ntest_a.One.test_y   # one method\ntest_b.Three\ntest_b.Gone\n")
        with open(os.devnull, "w") as quiet:
            self.lanes(lambda lane: layers.run_python_lane(self.results, "e2e-win32", lane, folder, selection,
                                                           timeout=60, log=quiet))
        code, out = self.summary(["e2e-win32#1", "e2e-win32#2"])
        self.assertEqual((code, out[-1]), (1, "2 passed, 1 failed"), out)
        self.assertTrue(any(l.startswith("FAILED") and "Gone" in l for l in out), out)


class LintLayer(FixtureRun):
    """clang-tidy over a fixture project: a finding, a layer violation or a
    build without compile commands each fail the layer, by name."""

    SOURCES = {
        "base/clean.cpp": "int Twice(int x) { return 2 * x; }\n",
        "base/halves.cpp": "double Half(int x) { return x / 2 * 1.0; }\n",  # integer division meant as real
        "base/upward.cpp": '#include "app/program.h"\n',
        "app/program.h": "",
    }

    def project(self, sources):
        root = os.path.join(self.dir, "project")
        for path, text in dict(sources, **{".clang-tidy": "Checks: '-*,bugprone-integer-division'\n"}).items():
            os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(root, path), "w") as f:
                f.write(text)
        build = os.path.join(root, "build")
        os.makedirs(build)
        commands = [{"directory": build, "file": os.path.join(root, path),
                     "command": "c++ -std=c++17 -I%s -c %s" % (root, os.path.join(root, path))}
                    for path in sources if path.endswith(".cpp")]
        with open(os.path.join(build, "compile_commands.json"), "w") as f:
            json.dump(commands, f)
        return root, build

    def lint(self, sources):
        root, build = self.project(sources)
        with open(os.devnull, "w") as quiet:
            layers.run_lint(self.results, "lint", build, root=root, output=quiet)
        return self.summary(["lint"])

    def test_findings_fail_by_name(self):
        cases = [
            # (sources, closing line, failures that must be named)
            ({"base/clean.cpp": self.SOURCES["base/clean.cpp"]}, "2 passed, 0 failed", []),
            (self.SOURCES, "2 passed, 2 failed", ["clang-tidy.base/halves.cpp", "layers.include_direction"]),
        ]
        for i, (sources, line, named) in enumerate(cases):
            with self.subTest(sources=sorted(sources)):
                shutil.rmtree(self.dir + "/project", ignore_errors=True)
                shutil.rmtree(self.results)
                os.makedirs(self.results)
                code, out = self.lint(sources)
                self.assertEqual((code, out[-1]), (1 if named else 0, line), out)
                for name in named:
                    self.assertIn("FAILED: " + name, out)

    def test_a_build_without_compile_commands_fails(self):
        with open(os.devnull, "w") as quiet:
            layers.run_lint(self.results, "lint", os.path.join(self.dir, "no-build"), root=self.dir, output=quiet)
        code, out = self.summary(["lint"])
        self.assertEqual(code, 1)
        self.assertIn("FAILED: clang-tidy.sources", out)


class Skips(FixtureRun):
    def test_a_skipped_layer_names_its_cases_and_the_reason(self):
        layers.record(self.results, "build-native", "build", 0)
        layers.record(self.results, "e2e-win32", "skipped", 0, reason="32-bit programs do not run here",
                      cases=["test_a.One", "test_b.Three"])
        layers.record(self.results, "win32", "skipped", 0, reason="32-bit programs do not run here", cases=[])
        code, out = self.summary(["build-native", "e2e-win32", "win32"])
        self.assertEqual((code, out[-1]), (0, "0 passed, 0 failed, 3 skipped"), out)
        self.assertIn("SKIPPED: e2e-win32: test_a.One (32-bit programs do not run here)", out)
        self.assertIn("SKIPPED: win32: every case (32-bit programs do not run here)", out)
        # One line a reader cannot miss, just above the closing line.
        self.assertTrue(out[-2].startswith("*** NOT TESTED HERE: e2e-win32 (32-bit programs do not run here); "
                                           "win32 (32-bit programs do not run here)"), out)

    def test_a_skip_without_a_reason_fails(self):
        layers.record(self.results, "e2e-win32", "skipped", 0, reason=" ", cases=["test_a.One"])
        code, out = self.summary(["e2e-win32"])
        self.assertEqual((code, out[-1]), (1, "0 passed, 1 failed"), out)

    def test_a_skip_does_not_stand_in_for_a_layer_that_should_have_run(self):
        layers.record(self.results, "e2e-win32", "skipped", 0, reason="no 32-bit", cases=["test_a.One"])
        code, out = self.summary(["e2e-win32#1", "e2e-win32#2"])
        self.assertEqual(code, 1)
        self.assertIn("FAILED: e2e-win32#1: did not run", out)


class RunRecords(FixtureRun):
    def test_missing_layer_failed_build_and_broken_record(self):
        layers.record(self.results, "build-native", "build", 0)
        layers.record(self.results, "build-win64", "build", 2)
        with open(os.path.join(self.results, "layers", "broken.json"), "w") as f:
            f.write("{not json")
        code, out = self.summary(["build-native", "build-win64", "e2e"])
        self.assertEqual(code, 1)
        self.assertEqual(out[-1], "0 passed, 3 failed")
        self.assertIn("FAILED: e2e: did not run", out)
        self.assertIn("FAILED: build-win64 failed (exit 2)", out)

    def test_wall_time_of_each_layer(self):
        layers.record(self.results, "build-native", "build", 0, start=100.0, end=190.0)
        layers.record(self.results, "e2e#1", "lane", 0, layer="e2e", runner="python", items=[], ran={},
                      start=200.0, end=260.0)
        layers.record(self.results, "e2e#2", "lane", 0, layer="e2e", runner="python", items=[], ran={},
                      start=205.0, end=300.0)
        out = io.StringIO()
        layers.summarize(self.results, [], out=out)
        self.assertIn("wall time: build-native 90 s, e2e 100 s (2 lanes); all 200 s\n", out.getvalue())

    def test_unreadable_report_is_a_failure(self):
        reports = os.path.join(self.results, "py.xml")
        with open(reports, "w") as f:
            f.write("<testsuites><testcase")
        layers.record(self.results, "py", "python", 0, report=reports)
        code, out = self.summary(["py"])
        self.assertEqual((code, out[-1]), (1, "0 passed, 1 failed"))


if __name__ == "__main__":
    unittest.main()
