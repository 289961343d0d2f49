"""The real program under Wine when things go wrong: the fax service is down,
untrusted, drops the line, stalls or answers nonsense, and the conversion has
no Ghostscript, a broken job or a work folder that takes no files. In every
case the user is told, and nothing is lost: the spooled job stays until a PDF
exists, the PDF stays until a confirmed send or the window's close, the stored
key and account values are untouched, and no stray file outlives the program."""
import glob
import json
import os
import shutil
import subprocess
import tempfile
import time
import unittest

import harness
from harness import (ACCOUNT, KEY_WINDOW, ROOT, VERSION, JobFileChecks, PrintJob, ProgramFolder, SEND_WINDOW as WINDOW,
                     clear_settings, end_program, read_settings, sandbox, store_settings, uidriver, wait_until)

NUMBER, ADD, SEND, CLOSE = "1053", "1007", "1010", "1008"

# libcurl's texts (7.88) for the ways a transfer can fail here.
COULDNT_CONNECT = "Couldn't connect to server"
UNTRUSTED = "SSL peer certificate or SSH remote key was not OK"
TIMED_OUT = "Timeout was reached"
ABORTED = "Operation was aborted by an application callback"
MB = 1024 * 1024
# A line closed by the service mid-upload ends the transfer in one of these,
# depending on the moment libcurl notices.
DROPPED = ("Server returned nothing (no headers, no status code)", "Failure when receiving data from the peer",
           "Failed sending data to the peer", "Transferred a partial file", "SSL connect error")
# Once the whole request is up, a missing answer may still mean a sent fax.
UNANSWERED = ("The fax was sent, but the fax service did not answer. Check your account before you send it "
              "again.")
# The service's limit for a transfer that moves nothing (60 s below 1 byte/s);
# the stalled service holds the line a little longer, so a client without the
# limit gets a different text instead of a hang.
LOW_SPEED_TIME = 60


class FaultCase(JobFileChecks, unittest.TestCase):
    def setUp(self):
        # With the cover page of an earlier send remembered: it must stay too.
        store_settings(dict(ACCOUNT, COVERPAGENAME="Standard"))
        self.settings = read_settings()
        self.program = ProgramFolder(version=VERSION)
        self.print_job = PrintJob("job 7.ps")
        self.job = self.print_job.path
        with open(self.job, "rb") as job:
            self.job_content = job.read()
        self.extra_cleanup = []

    def tearDown(self):
        # A test that failed half way leaves the window (and maybe a box) up.
        end_program(self.program, [("close", WINDOW), ("close", KEY_WINDOW)])
        for cleanup in reversed(self.extra_cleanup):
            cleanup()
        self.program.cleanup()
        self.print_job.cleanup()
        clear_settings()

    # -- the program and its files

    def installed(self):
        """Every file below the program folder, relative to it."""
        found = []
        for folder, _, names in os.walk(self.program.path):
            found += [os.path.relpath(os.path.join(folder, name), self.program.path) for name in names]
        return sorted(found)

    def start_job(self):
        self.before = self.installed()
        self.program.start(self.print_job.command_line)

    def box(self, timeout=60):
        code, out = uidriver("box-icon", str(int(timeout * 1000)))
        self.assertEqual(code, 0, "no message box")
        return tuple(out.split("|"))

    def visible(self, control):
        return uidriver("visible", WINDOW, control) == (0, "1")

    def wait_page1(self):
        self.assertEqual(uidriver("find", WINDOW, "60000")[0], 0, "the send-fax window did not open")
        self.assertTrue(wait_until(lambda: self.visible(SEND), 30), "page 1 did not show")

    def rows(self):
        """The names in the panel's rows; None when the driver could not read
        them (a wait asks again; a comparison with a list then fails)."""
        code, out = uidriver("panel-rows", WINDOW)
        if code != 0:
            return None
        return [line.split("|")[3] for line in out.splitlines() if line]

    def add_number(self):
        self.assertEqual(uidriver("chars", WINDOW, NUMBER, "5551234567", "(555)-123-4567")[0], 0)
        self.assertEqual(uidriver("click", WINDOW, ADD)[0], 0)
        self.assertTrue(wait_until(lambda: self.rows() == ["(555)-123-4567"], 10), self.rows())

    def send(self, timeout=60):
        self.assertEqual(uidriver("click", WINDOW, SEND)[0], 0)
        return self.box(timeout)

    def still_open_with_the_pdf(self, pdf):
        self.assertIsNone(self.program.process.poll(), "the window must stay open")
        self.assertEqual(uidriver("find", WINDOW, "2000")[0], 0)
        self.assertEqual(self.rows(), ["(555)-123-4567"])
        self.assertEqual(self.job_files(), [os.path.basename(pdf)], "the PDF stays for another try")

    def close(self):
        self.assertEqual(uidriver("click", WINDOW, CLOSE)[0], 0)
        self.assertEqual(self.program.wait_exit(30), 0)

    def nothing_lost(self, job_kept):
        """After the program ended: the job where it belongs, the settings as
        they were, and not one file more in the program folder."""
        self.assertEqual(read_settings(), self.settings, "the stored key and account values must not change")
        self.assertEqual(self.job_files(), [], "no file of the job may outlive the program")
        self.assertEqual([f for f in self.installed() if not f.startswith("Files")],
                         [f for f in self.before if not f.startswith("Files")])
        if job_kept:
            self.assertTrue(os.path.isfile(self.job), "the spooled job is the only copy: it must stay")
            with open(self.job, "rb") as job:
                self.assertEqual(job.read(), self.job_content)
        else:
            self.assertFalse(os.path.exists(self.job), "a converted job is gone from the spool")


class ServiceOutOfReach(FaultCase):
    """No service at the address, or one whose certificate the build does not
    trust: every request fails before HTTP, with libcurl's text."""

    def other_ca_sandbox(self):
        # The same address, served with a CA of its own.
        ca_dir = tempfile.mkdtemp(prefix="kestrid-other-ca-")
        self.extra_cleanup.append(lambda: shutil.rmtree(ca_dir, ignore_errors=True))
        subprocess.run([os.path.join(ROOT, "tools", "fax-sandbox", "make-ca.sh"), ca_dir], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        saved = os.environ["KESTRID_CA_DIR"]
        os.environ["KESTRID_CA_DIR"] = ca_dir
        try:
            other = harness.Sandbox()
        finally:
            os.environ["KESTRID_CA_DIR"] = saved
        self.extra_cleanup.append(other.stop)
        return other

    def test_service_down_or_untrusted(self):
        for case, text in (("not running", COULDNT_CONNECT), ("untrusted certificate", UNTRUSTED)):
            with self.subTest(case):
                sandbox().stop()  # the port is free; the next test starts it again
                peer = self.other_ca_sandbox() if case == "untrusted certificate" else None
                self.program.add_ghostscript()
                self.start_job()
                # The cover pages are fetched while the window loads.
                self.assertEqual(self.box(), ("Vantrel", "Upload Failed : " + text, "hand"))
                self.wait_page1()
                self.assertFalse(os.path.exists(self.job), "the job was converted")
                pdf = self.pdf()
                self.add_number()
                self.assertEqual(self.send(), ("Vantrel", "Upload Failed : " + text, "hand"))
                self.still_open_with_the_pdf(pdf)
                # The key-setup window from the key button: the key is not verified
                # and nothing stored changes.
                self.assertEqual(uidriver("click", WINDOW, "1057")[0], 0)
                self.assertEqual(uidriver("find", KEY_WINDOW, "20000")[0], 0)
                self.assertTrue(wait_until(lambda: uidriver("visible", KEY_WINDOW, "1009") == (0, "1"), 20))
                self.assertEqual(uidriver("set-text", KEY_WINDOW, "1000", "test-key-nodefault")[0], 0)
                self.assertEqual(uidriver("click", KEY_WINDOW, "1009")[0], 0)
                self.assertEqual(self.box(), ("Vantrel", "Upload Failed : " + text, "hand"))
                self.assertEqual(uidriver("click", KEY_WINDOW, "1008")[0], 0)
                self.assertEqual(uidriver("gone", KEY_WINDOW, "20000")[0], 0)
                self.assertEqual(read_settings(), self.settings)
                self.close()
                self.nothing_lost(job_kept=False)
                if peer:
                    self.assertEqual(peer.requests(), [], "no request may pass an untrusted certificate")
                for cleanup in reversed(self.extra_cleanup):
                    cleanup()
                self.extra_cleanup = []
                # A fresh program folder and job for the next case.
                self.program.cleanup()
                self.program = ProgramFolder(version=VERSION)
                with open(self.job, "wb") as job:
                    job.write(self.job_content)


class FailedAnswerCase(FaultCase):
    """The service takes the upload but the answer goes wrong. The window stays
    with its PDF, and once the service is well again the same PDF is sent."""

    def setUp(self):
        super().setUp()
        self.sandbox = sandbox()
        self.sandbox.clear_fault()
        self.sandbox.set_throttle(0)
        self.extra_cleanup.append(lambda: self.sandbox.set_throttle(0))
        self.program.add_ghostscript()

    def outbox(self):
        return sorted(glob.glob(os.path.join(self.sandbox.outbox, "*")), key=lambda f: int(os.path.basename(f)))

    # (fault, what the control request asks for, the texts the box may show, its icon, seconds at most,
    #  the size of a PDF put in place of the job's, sent slowly, or None)
    def check_failed_answers_keep_the_pdf(self, cases):
        for case, fault, texts, icon, seconds, size in cases:
            with self.subTest(case):
                faxes = len(self.outbox())
                self.start_job()
                self.wait_page1()
                pdf = self.pdf()
                if size:
                    with open(pdf, "wb") as big:
                        big.write(b"%PDF-1.4\n" + os.urandom(size - 16) + b"\n%%EOF\n")
                    self.sandbox.set_throttle(size)
                with open(pdf, "rb") as made:
                    pdf_content = made.read()
                self.add_number()
                self.sandbox.set_fault(**fault)
                started = time.time()
                caption, text, shown_icon = self.send(timeout=seconds + 30)
                self.sandbox.set_throttle(0)
                self.assertLess(time.time() - started, seconds)
                self.assertEqual(caption, "Vantrel")
                self.assertIn(text, texts)
                self.assertEqual(shown_icon, icon)
                posted = self.sandbox.requests("/v1/fax/send")
                self.assertEqual(posted[-1]["fault"], fault["mode"], "the fault met the upload")
                self.still_open_with_the_pdf(pdf)
                with open(pdf, "rb") as kept:
                    self.assertEqual(kept.read(), pdf_content)
                self.assertEqual(len(self.outbox()), faxes)

                self.assertEqual(self.send(), ("Vantrel", "Success! Your fax has been sent", "information"))
                self.assertEqual(self.program.wait_exit(30), 0)
                stored = self.outbox()
                self.assertEqual(len(stored), faxes + 1)
                with open(os.path.join(stored[-1], "fields.json")) as fields:
                    sent = {p["name"]: p for p in json.load(fields)}
                with open(os.path.join(stored[-1], sent["file"]["stored_as"]), "rb") as arrived:
                    self.assertEqual(arrived.read(), pdf_content, "the fax arrives whole")
                self.nothing_lost(job_kept=False)
                self.program.cleanup()
                self.program = ProgramFolder(version=VERSION)
                self.program.add_ghostscript()
                with open(self.job, "wb") as job:
                    job.write(self.job_content)


class BadAnswersToTheFax(FailedAnswerCase):
    def test_failed_answers_keep_the_pdf_for_another_try(self):
        self.check_failed_answers_keep_the_pdf([
            # The line drops while bytes are still to go: a job of a few KB would
            # be in the socket's buffers, so all of it gone, before the service
            # reads half of it.
            ("connection dropped mid-upload", {"mode": "drop"}, ["Upload Failed : " + t for t in DROPPED], "hand",
             30, 4 * MB),
            ("answer of 600001 bytes", {"mode": "cap"}, ["Upload Failed : " + ABORTED], "hand", 30, None),
            ("HTML 502 page", {"mode": "html-502"}, ["Unable to upload file"], "hand", 30, None),
            # The whole request went up; then the line closes.
            ("line closed after the whole request", {"mode": "stall", "seconds": 3}, [UNANSWERED], "exclamation",
             30, None),
        ])


class StalledAnswerToTheFax(FailedAnswerCase):
    """A class of its own: it waits out the transfer's time limit while the
    other lanes run other classes."""

    def test_a_stalled_answer_keeps_the_pdf_for_another_try(self):
        self.check_failed_answers_keep_the_pdf([
            ("stalled answer", {"mode": "stall", "seconds": LOW_SPEED_TIME + 15}, [UNANSWERED], "exclamation",
             LOW_SPEED_TIME + 12, None),
        ])


class ConversionFaults(FaultCase):
    """No PDF can be made: the user is told, the spooled job stays where the
    printer put it (also after the window closes), and the work folder is
    left empty."""

    def make_files_unwritable(self):
        os.makedirs(self.program.files)
        # Root ignores permission bits; an immutable folder refuses new files to anyone.
        made = subprocess.run(["chattr", "+i", self.program.files], capture_output=True, text=True)
        self.assertEqual(made.returncode, 0, "chattr +i: %s" % made.stderr)
        self.extra_cleanup.append(lambda: subprocess.run(["chattr", "-i", self.program.files], capture_output=True))

    def test_no_pdf_keeps_the_spooled_job(self):
        sandbox().clear_fault()
        cases = [
            ("Ghostscript missing", "File missing. Please reinstall the software"),
            ("Ghostscript fails on a broken job", "Unable to convert the print job to PDF"),
            ("Files folder not writable", "Unable to convert the print job to PDF"),
        ]
        for case, text in cases:
            with self.subTest(case):
                if case != "Ghostscript missing":
                    self.program.add_ghostscript()
                if case == "Ghostscript fails on a broken job":
                    self.job_content = b"%!PS\n/Helvetica findfont 20 scalefont setfont\n72 700 moveto (one) show " \
                                       b"showpage\n72 700 moveto undefined-operator showpage\n"
                    with open(self.job, "wb") as job:
                        job.write(self.job_content)
                if case == "Files folder not writable":
                    self.make_files_unwritable()
                self.start_job()
                self.assertEqual(self.box(), ("Fax", text, "exclamation"))
                self.wait_page1()
                self.assertEqual(self.job_files(), [], "no copy and no half-made PDF")
                self.assertTrue(os.path.isfile(self.job))
                # The send button sends nothing without a PDF and says why again.
                posted = len(sandbox().requests("/v1/fax/send"))
                self.add_number()
                self.assertEqual(self.send(), ("Fax", "Unable to convert the print job to PDF", "exclamation"))
                time.sleep(0.5)
                self.assertEqual(len(sandbox().requests("/v1/fax/send")), posted, "nothing may go out")
                self.assertIsNone(self.program.process.poll(), "the window stays")
                self.assertEqual(self.rows(), ["(555)-123-4567"])
                self.assertEqual(self.job_files(), [])
                with open(self.job, "rb") as job:
                    self.assertEqual(job.read(), self.job_content)
                self.close()
                self.nothing_lost(job_kept=True)
                for cleanup in reversed(self.extra_cleanup):
                    cleanup()
                self.extra_cleanup = []
                self.program.cleanup()
                self.program = ProgramFolder(version=VERSION)


if __name__ == "__main__":
    unittest.main()
