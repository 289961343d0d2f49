"""What the end-to-end tests use: the shared driving of the program under Wine
(tools/driving, which the demo uses too) and the tests' own checks."""
import glob
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                                "tools", "driving"))

from kestrid_driving import *  # noqa: E402,F401,F403


class JobFileChecks:
    """For test cases whose program is self.program: its job's files."""

    def job_files(self):
        return self.program.job_files()

    def pdf(self):
        pdfs = glob.glob(os.path.join(self.program.files, "Fax_*.pdf"))
        self.assertEqual(len(pdfs), 1, self.job_files())
        return pdfs[0]
