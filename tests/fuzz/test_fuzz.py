"""A short bounded pass of every libFuzzer target: each one is a case that
fails when the target finds anything, does not build or does not run.
KESTRID_FUZZ_SECONDS sets the time per target (default 10), KESTRID_FUZZ_SEED
libFuzzer's seed (default 1)."""
import glob
import os
import subprocess
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
FUZZ = os.path.join(ROOT, "scripts", "fuzz")
SECONDS = int(os.environ.get("KESTRID_FUZZ_SECONDS", "10"))
TARGETS = sorted(os.path.basename(p)[len("fuzz_"):-len(".cpp")]
                 for p in glob.glob(os.path.join(ROOT, "fuzz", "fuzz_*.cpp")))
BUILD = {"output": None, "code": None}


def setUpModule():
    # One build for all targets; its failure is reported by every case.
    proc = subprocess.run([FUZZ, "--build-only"], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          text=True, timeout=900)
    BUILD["code"], BUILD["output"] = proc.returncode, proc.stdout


class FuzzTargets(unittest.TestCase):
    def test_every_unit_has_a_target(self):
        for unit in ("answer_scanning", "account_answer", "cover_pages_answer", "submission_answer",
                     "contacts_answer", "contact_record", "command_line", "country_table", "gif_frames",
                     "masked_edit"):
            self.assertIn(unit, TARGETS)


def _case(target):
    def test(self):
        self.assertEqual(BUILD["code"], 0, "the fuzz build failed:\n" + (BUILD["output"] or "")[-3000:])
        # A fixed seed: the same inputs come first in every run, so a finding can be replayed.
        env = dict(os.environ, KESTRID_FUZZ_SEED=os.environ.get("KESTRID_FUZZ_SEED", "1"))
        proc = subprocess.run([FUZZ, "--no-build", str(SECONDS), target], stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, text=True, timeout=SECONDS * 3 + 120, env=env)
        print(proc.stdout.strip())
        self.assertEqual(proc.returncode, 0, proc.stdout)
        self.assertIn("fuzz: %s: ok" % target, proc.stdout)
    return test


for _t in TARGETS:
    setattr(FuzzTargets, "test_" + _t, _case(_t))
