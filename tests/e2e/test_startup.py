"""Start-up routing of the real program: the command line and the stored key
decide which window runs, and closing it ends the process."""
import unittest

from harness import ProgramFolder, set_stored_key, uidriver

KEY_WINDOW = "@1048=Please enter app key"  # the key-setup window has no title


class StartupRouting(unittest.TestCase):
    def setUp(self):
        self.program = ProgramFolder()

    def tearDown(self):
        self.program.cleanup()
        set_stored_key(None)

    def check_route(self, stored_key, command_line, window, close_control):
        set_stored_key(stored_key)
        self.program.start(command_line)
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
            ("k1", '-fromspooler -pages 2 "C:\\spool\\job 1.ps"',
             'Send fax [-fromspooler -pages 2 "C:\\spool\\job 1.ps"] key [k1]', None),
            ("k1", "C:\\job.ps", "Send fax [C:\\job.ps] key [k1]", None),
        ]
        for stored_key, command_line, window, close_control in cases:
            with self.subTest(key=stored_key, command_line=command_line):
                self.check_route(stored_key, command_line, window, close_control)


if __name__ == "__main__":
    unittest.main()
