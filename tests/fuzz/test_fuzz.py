"""A short bounded pass of every libFuzzer target: each one is a case that
fails when the target finds anything, does not build or does not run.
KESTRID_FUZZ_SECONDS sets the time per target (default 10), KESTRID_FUZZ_SEED
libFuzzer's seed (default 1), KESTRID_FUZZ_JOBS how many targets run at once
(default 2)."""
import glob
import os
import subprocess
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
FUZZ = os.path.join(ROOT, "scripts", "fuzz")
SECONDS = int(os.environ.get("KESTRID_FUZZ_SECONDS", "10"))
TARGETS = sorted(os.path.basename(p)[len("fuzz_"):-len(".cpp")]
                 for p in glob.glob(os.path.join(ROOT, "fuzz", "fuzz_*.cpp")))
LOGS = os.path.join(os.environ.get("KESTRID_BUILD_ROOT", os.path.join(ROOT, "build")), "fuzz", "logs")
BUILD = {"output": None, "code": None}
RUN = {"output": ""}


def setUpModule():
    # One build and one pass for all targets, a few at a time; a failed build
    # is reported by every case, each target's verdict by its own.
    proc = subprocess.run([FUZZ, "--build-only"], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          text=True, timeout=900)
    BUILD["code"], BUILD["output"] = proc.returncode, proc.stdout
    if proc.returncode != 0:
        return
    # A fixed seed: the same inputs come first in every run, so a finding can be replayed.
    env = dict(os.environ, KESTRID_FUZZ_SEED=os.environ.get("KESTRID_FUZZ_SEED", "1"),
               KESTRID_FUZZ_JOBS=os.environ.get("KESTRID_FUZZ_JOBS", "2"))
    proc = subprocess.run([FUZZ, "--no-build", str(SECONDS)] + TARGETS, stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, text=True, timeout=SECONDS * 3 * len(TARGETS) + 300, env=env)
    RUN["output"] = proc.stdout


class FuzzTargets(unittest.TestCase):
    def test_every_unit_has_a_target(self):
        for unit in ("answer_scanning", "account_answer", "cover_pages_answer", "submission_answer",
                     "contacts_answer", "contact_record", "command_line", "country_table", "gif_frames",
                     "masked_edit"):
            self.assertIn(unit, TARGETS)


def _case(target):
    def test(self):
        self.assertEqual(BUILD["code"], 0, "the fuzz build failed:\n" + (BUILD["output"] or "")[-3000:])
        said = [line for line in RUN["output"].splitlines() if line.startswith("fuzz: %s:" % target)]
        print("\n".join(said))
        # One verdict line a target.
        if len(said) != 1 or not said[0].startswith("fuzz: %s: ok," % target):
            try:
                with open(os.path.join(LOGS, target + ".log"), errors="replace") as log:
                    tail = log.read()[-3000:]
            except OSError as e:
                tail = "(no log: %s)" % e
            self.fail("\n".join(said or ["fuzz: %s: no verdict" % target]) + "\n" + tail)
    return test


for _t in TARGETS:
    setattr(FuzzTargets, "test_" + _t, _case(_t))
