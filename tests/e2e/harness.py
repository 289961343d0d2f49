"""What the end-to-end tests use: the shared driving of the program under Wine
(tools/driving, which the demo uses too) and the tests' own checks."""
import glob
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                                "tools", "driving"))

from kestrid_driving import *  # noqa: E402,F401,F403
from kestrid_driving import clear_settings, write_setting  # noqa: E402

# The program folder's Version.txt, and the send-fax window's caption that shows it.
VERSION = "4.0.1"
SEND_WINDOW = "Vantrel v" + VERSION
KEY_WINDOW = "@1048=Please enter app key"  # the key-setup window has no title
# The sandbox's account, as the program stores it once the key is accepted.
KEY = "test-key-123"
USER_ID = "u-4f7a2c19-8e3b-4d61-a0c5-19b2e7d3f801"
ACCOUNT_ID = "a-9c1e5b73-2d48-4f0a-b6e9-3a7c0d5e1f22"
ACCOUNT = {
    "USERNAME": KEY,
    "PASSWORD": KEY,
    "userId": USER_ID,
    "accountId": ACCOUNT_ID,
    "COVERPAGEID": "cp-2b7e4d90-confidential",
}


def store_settings(values):
    """The program's settings store afresh, holding just these values."""
    clear_settings()
    for name, value in values.items():
        write_setting(name, value)


class JobFileChecks:
    """For test cases whose program is self.program: its job's files."""

    def job_files(self):
        return self.program.job_files()

    def pdf(self):
        pdfs = glob.glob(os.path.join(self.program.files, "Fax_*.pdf"))
        self.assertEqual(len(pdfs), 1, self.job_files())
        return pdfs[0]
