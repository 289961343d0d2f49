"""One small round of every benchmark (scripts/bench --smoke), so that they
cannot stop working unnoticed: each benchmark is a case that fails when it
cannot run or leaves no figures. No goal is judged here.

Run by scripts/test in a lane, on the test run's win64 program
(KESTRID_PROGRAM_DIR, built for https://localhost:$KESTRID_SANDBOX_PORT with the
CA in KESTRID_CA_DIR), on the lane's display and Wine prefix."""
import json
import math
import os
import shutil
import subprocess
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
NEEDED = ("KESTRID_PROGRAM_DIR", "KESTRID_CA_DIR", "KESTRID_SANDBOX_PORT", "DISPLAY", "WINEPREFIX")


def positive(value):
    return isinstance(value, (int, float)) and value > 0 and not math.isnan(value)


class SmokeRun(unittest.TestCase):
    """Runs scripts/bench --smoke over the class's benchmarks once; each test
    then reads its own figures."""

    BENCHMARKS = ()

    @classmethod
    def setUpClass(cls):
        missing = [name for name in NEEDED if not os.environ.get(name)]
        if missing:
            raise RuntimeError("the bench smoke runs in a test lane; not set: %s" % ", ".join(missing))
        cls.work = tempfile.mkdtemp(prefix="bench-smoke-")
        env = dict(os.environ, KESTRID_BENCH_WIN64=os.environ["KESTRID_PROGRAM_DIR"],
                   KESTRID_BENCH_CA=os.environ["KESTRID_CA_DIR"], KESTRID_BENCH_PORT=os.environ["KESTRID_SANDBOX_PORT"],
                   KESTRID_BENCH_WORK=cls.work)
        proc = subprocess.run([os.path.join(ROOT, "scripts", "bench"), "--smoke", "--only"] + list(cls.BENCHMARKS),
                              env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=1200)
        cls.output = proc.stdout
        cls.code = proc.returncode
        try:
            with open(os.path.join(cls.work, "results.json")) as f:
                cls.results = json.load(f)
        except (OSError, ValueError):
            cls.results = {}

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)

    def figures(self, name):
        """The figures of one benchmark; fails with the bench's own words when
        it could not run."""
        failed = self.results.get("failed", [])
        self.assertNotIn(name, failed, self.output[-4000:])
        self.assertIn(name, self.results, "no figures for %s (exit %d):\n%s" % (name, self.code, self.output[-3000:]))
        self.assertTrue(self.results["smoke"])
        return self.results[name]


class NativeBenchmarks(SmokeRun):
    BENCHMARKS = ("upload", "contacts", "convert")

    def test_upload(self):
        upload = self.figures("upload")
        for key in ("ours_s", "curl_s", "worker_s", "peak_kib"):
            self.assertTrue(positive(upload[key]), key)
        self.assertGreater(upload["bytes"], 1024 * 1024)

    def test_contacts(self):
        rows = self.figures("contacts")
        self.assertEqual([row["contacts"] for row in rows], [300, 3000, 30000])
        for row in rows:
            self.assertTrue(row["same_records"], row)
            self.assertTrue(positive(row["ours_ms"]) and positive(row["nlohmann_ms"]), row)

    def test_convert(self):
        convert = self.figures("convert")
        self.assertTrue(positive(convert["ours_s"]) and positive(convert["gs_alone_s"]), convert)
        self.assertGreater(convert["ours_pdf_bytes"], 0)


class WineBenchmarks(SmokeRun):
    BENCHMARKS = ("startup", "picker")

    def test_startup_breakdown(self):
        startup = self.figures("startup")["median"]
        for key in ("converted_ms", "cover_pages_ms", "page1_ms", "minimal_ms", "keysetup_ms", "gs_alone_ms",
                    "https_ms"):
            self.assertTrue(positive(startup[key]), "%s: %r" % (key, startup))
        # Page 1 comes after both of its steps.
        self.assertGreater(startup["page1_ms"], startup["converted_ms"])
        self.assertGreater(startup["page1_ms"], startup["cover_pages_ms"])

    def test_picker_first_page(self):
        picker = self.figures("picker")
        self.assertTrue(positive(picker["after_answer_median_ms"]), picker)
        self.assertGreater(picker["answer_bytes"], 0)


if __name__ == "__main__":
    unittest.main()
