"""Printing to the "Vantrel Fax" printer, end to end: the print host drives
the monitor DLL as the spooler does with the three-page example job, the
monitor starts the real program with its spool file, the program converts it
with the real Ghostscript (through the stand-in) and the fax goes to the local
fax service. Wine's spooler runs no port monitor for a job, so the host
stands in for it; everything from the monitor on is the shipped code."""
import glob
import json
import os
import subprocess
import unittest

from harness import (ACCOUNT_ID, BUILD, KEY, ROOT, USER_ID, VERSION, ProgramFolder, SEND_WINDOW as WINDOW,
                     SendFaxWindow, clear_settings, run_wine, sandbox, screenshot, store_settings, uidriver,
                     wait_until, windows_path)


def pdf_pages(path):
    out = subprocess.run(["gs", "-q", "-dNODISPLAY", "-dNOSAFER", "-c",
                          "(%s) (r) file runpdfbegin pdfpagecount = quit" % path],
                         capture_output=True, text=True, timeout=60)
    return int(out.stdout.strip())


class PrintToTheFaxPrinter(unittest.TestCase):
    def setUp(self):
        self.sandbox = sandbox()
        self.sandbox.clear_fault()
        store_settings({"USERNAME": KEY, "userId": USER_ID, "accountId": ACCOUNT_ID})
        self.program = ProgramFolder(version=VERSION)
        self.program.add_ghostscript()
        data = os.path.join(os.environ["WINEPREFIX"], "drive_c", "ProgramData", "Vantrel")
        self.spool = os.path.join(data, "Spool")
        self.log = os.path.join(data, "monitor.log")
        for old in glob.glob(os.path.join(self.spool, "*")):
            os.remove(old)

    def tearDown(self):
        if uidriver("find", WINDOW, "0")[0] == 0:
            uidriver("box", "300")
            run_wine(["taskkill", "/f", "/im", "KestridUI.exe"], timeout=30, check=False)
        self.program.cleanup()
        clear_settings()

    def faxes(self):
        return sorted(glob.glob(os.path.join(self.sandbox.outbox, "*")), key=lambda f: int(os.path.basename(f)))

    def test_a_printed_job_opens_the_send_window_and_the_fax_arrives(self):
        before = len(self.faxes())
        printed = run_wine([os.path.join(BUILD, "print-host.exe"), windows_path(os.path.join(BUILD, "vantrelmon.dll")),
                            windows_path(self.program.exe), windows_path(os.path.join(ROOT, "examples", "three-page.ps")),
                            "23"], timeout=120, check=False)
        self.assertEqual(printed.returncode, 0, printed.stdout + printed.stderr)

        window = SendFaxWindow(WINDOW)
        window.wait_page1()
        screenshot(WINDOW, "printed-job-page1")
        with open(self.log, encoding="utf-8") as log:
            trace = log.read()
        self.assertIn('3 pages, handed to the program', trace)
        self.assertIn('-fromspooler -pages 3 "C:\\ProgramData\\Vantrel\\Spool\\Fax job 23.ps"', trace)
        # Converted: the program took the spool file away.
        self.assertEqual(os.listdir(self.spool), [])

        window.add_number("2125550143", "(212)-555-0143")
        self.assertEqual(window.send(), ("Vantrel", "Success! Your fax has been sent", "information"))
        self.assertEqual(uidriver("gone", WINDOW, "30000")[0], 0, "the window stayed after sending")

        faxes = self.faxes()
        self.assertEqual(len(faxes), before + 1)
        with open(os.path.join(faxes[-1], "fields.json")) as fields:
            parts = {part["name"]: part for part in json.load(fields)}
        self.assertEqual(parts["recipientFax"]["value"], "+12125550143")
        self.assertEqual(pdf_pages(os.path.join(faxes[-1], parts["file"]["stored_as"])), 3)
        self.assertTrue(wait_until(lambda: self.program.job_files() == [], 10), self.program.job_files())
        self.assertEqual(os.listdir(self.spool), [])


if __name__ == "__main__":
    unittest.main()
