"""Start-up routing of the real program: the command line and the stored key
decide which window runs, and closing it ends the process."""
import os
import unittest

from harness import (KEY_WINDOW, PrintJob, ProgramFolder, SendFaxWindow, read_settings, set_stored_key, uidriver,
                     windows_path)

SEND_WINDOW = "Vantrel v"  # the send-fax window's caption (no Version.txt here)
# No Ghostscript in this program folder: the send-fax window says so first.
NO_GHOSTSCRIPT = "Fax|File missing. Please reinstall the software"


class StartupRouting(unittest.TestCase):
    def setUp(self):
        self.program = ProgramFolder()

    def tearDown(self):
        self.program.cleanup()
        set_stored_key(None)

    def check_route(self, stored_key, command_line, window, close_control, box=None):
        set_stored_key(stored_key)
        self.program.start(command_line)
        if box:
            self.assertEqual(uidriver("box", "30000"), (0, box))
        code, _ = uidriver("find", window, "30000")
        self.assertEqual(code, 0, "no window %r" % window)
        if close_control:
            self.assertEqual(uidriver("click", window, close_control)[0], 0)
        else:
            self.assertEqual(uidriver("close", window)[0], 0)
        self.assertEqual(self.program.wait_exit(), 0)

    def test_routes(self):
        cases = [
            # (stored key, command line, window that must open, control that closes it)
            (None, "", KEY_WINDOW, "1008"),
            ("k1", "", KEY_WINDOW, "1008"),
            # A print job before any key is set up: the key-setup window.
            (None, '-fromspooler -pages 2 "C:\\spool\\job 1.ps"', KEY_WINDOW, "1008"),
            ("k1", '-fromspooler -pages 2 "C:\\spool\\job 1.ps"', SEND_WINDOW, "1008", NO_GHOSTSCRIPT),
            ("k1", "C:\\job.ps", SEND_WINDOW, "1008", NO_GHOSTSCRIPT),
            # A spooler line whose job path holds "/KEY=" is a print job, never a silent set-up.
            ("k1", '-fromspooler -pages 2 "C:\\spool/KEY=7\\job 1.ps"', SEND_WINDOW, "1008", NO_GHOSTSCRIPT),
            (None, '-fromspooler -pages 2 "C:\\spool/KEY=7\\job 1.ps"', KEY_WINDOW, "1008"),
        ]
        for stored_key, command_line, window, close_control, *box in cases:
            with self.subTest(key=stored_key, command_line=command_line):
                self.check_route(stored_key, command_line, window, close_control, *box)
                # No route but the installer's changes the stored key.
                self.assertEqual(read_settings().get("USERNAME"), stored_key)

    def test_a_job_whose_path_holds_the_key_marker_is_sent_not_set_up(self):
        set_stored_key("k1")
        self.program.add_ghostscript()
        job = PrintJob()
        self.addCleanup(job.cleanup)
        folder = os.path.join(job.folder, "KEY=7")
        os.makedirs(folder)
        os.rename(job.path, os.path.join(folder, "job.ps"))
        # Windows takes "/" in a path as it takes "\".
        path = windows_path(job.folder) + "/KEY=7\\job.ps"
        self.program.start('-fromspooler -pages 3 "%s"' % path)
        window = SendFaxWindow(SEND_WINDOW)
        window.wait_page1()
        # The job was taken: converted into the work folder, the spooled file gone.
        pdfs = [f for f in self.program.job_files() if f.endswith(".pdf")]
        self.assertEqual(len(pdfs), 1, self.program.job_files())
        self.assertFalse(os.path.exists(os.path.join(folder, "job.ps")))
        self.assertEqual(read_settings().get("USERNAME"), "k1")
        window.click(window.CLOSE)
        self.assertEqual(self.program.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
