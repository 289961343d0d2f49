"""scripts/demo, run as a user runs it but on the program these tests built
(same sandbox port and CA): it exits 0 only when the fax arrived, fails with
a clear message when the service refuses it, and leaves nothing running."""
import json
import os
import shutil
import socket
import subprocess
import tempfile
import unittest

import harness

DEMO = os.path.join(harness.ROOT, "scripts", "demo")
# Kept between runs: booting a new prefix costs more than the demo itself.
PREFIX = os.path.join(os.path.dirname(os.path.abspath(harness.BUILD)), "wineprefix-demo-test")


def processes_with(text):
    """Command lines of running processes whose environment or arguments hold text."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/environ" % pid, "rb") as f:
                environ = f.read()
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                cmdline = f.read()
        except OSError:
            continue
        if text.encode() in environ or text.encode() in cmdline:
            found.append(cmdline.replace(b"\0", b" ").decode(errors="replace"))
    return found


def port_taken(port):
    with socket.socket() as s:
        return s.connect_ex(("127.0.0.1", port)) == 0


class Demo(unittest.TestCase):
    def setUp(self):
        # The demo starts its own sandbox on the port the program was built for.
        harness.stop_sandbox()
        self.port = int(os.environ["KESTRID_SANDBOX_PORT"])
        self.root = tempfile.mkdtemp(prefix="kestrid-demo-")

    def tearDown(self):
        shutil.rmtree(self.root, ignore_errors=True)

    def run_demo(self, fault=""):
        env = dict(os.environ, KESTRID_BUILD_ROOT=self.root, KESTRID_DEMO_WIN64_DIR=harness.BUILD,
                   KESTRID_DEMO_CA_DIR=os.environ["KESTRID_CA_DIR"], KESTRID_DEMO_PORT=str(self.port),
                   KESTRID_DEMO_WINEPREFIX=PREFIX, KESTRID_DEMO_FAULT=fault)
        result = subprocess.run([DEMO], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT, text=True, timeout=600)
        # Nothing of it may be left: its sandbox, its Wine processes.
        self.assertFalse(port_taken(self.port), "the demo's sandbox still listens\n" + result.stdout)
        self.assertEqual(processes_with("WINEPREFIX=" + PREFIX + "\0"), [], result.stdout)
        return result

    def outbox(self):
        return os.path.join(self.root, "demo", "run", "outbox")

    def test_sends_the_fax_and_says_where_it_is(self):
        result = self.run_demo()
        self.assertEqual(result.returncode, 0, result.stdout)
        folders = os.listdir(self.outbox())
        self.assertEqual(len(folders), 1)
        fields_file = os.path.join(self.outbox(), folders[0], "fields.json")
        with open(fields_file) as f:
            fields = {p["name"]: p for p in json.load(f)}
        self.assertEqual(fields["recipientFax"]["value"], "+15551234567")
        self.assertEqual(fields["recipientContacts"]["value"], "c0000001-5a1e-4c2d-9b3f-7e6d00000001")
        self.assertEqual(fields["coverPage"]["value"], "true")
        pdf = os.path.join(self.outbox(), folders[0], fields["file"]["stored_as"])
        self.assertIn("demo:   PDF:    " + pdf, result.stdout)
        self.assertIn("demo:   fields: " + fields_file, result.stdout)
        shots = os.path.join(self.root, "demo", "run", "shots")
        self.assertIn("demo: screenshots: " + shots, result.stdout)
        self.assertEqual(sorted(os.listdir(shots)), ["01-send-window.png", "02-contact-picker.png",
                                                     "03-contact-ticked.png", "04-recipients.png",
                                                     "05-cover-page.png"])

    def test_a_refused_fax_fails_the_demo(self):
        result = self.run_demo(fault="refused")
        self.assertNotEqual(result.returncode, 0, result.stdout)
        self.assertIn("demo: FAILED: the fax was not sent: the program showed "
                      "('Vantrel', 'Fax refused: the line is not accepting faxes', 'exclamation')", result.stdout)
        self.assertFalse(os.path.isdir(self.outbox()) and os.listdir(self.outbox()))


if __name__ == "__main__":
    unittest.main()
