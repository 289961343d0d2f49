"""Start-up routing of the real program: the command line and the stored key
decide which window runs, and closing it ends the process."""
import unittest

from harness import ProgramFolder, set_stored_key, uidriver


class StartupRouting(unittest.TestCase):
    def setUp(self):
        self.program = ProgramFolder()

    def tearDown(self):
        self.program.cleanup()
        set_stored_key(None)

    def check_route(self, stored_key, command_line, expected_title):
        set_stored_key(stored_key)
        self.program.start(command_line)
        code, title = uidriver("find", expected_title, "30000")
        self.assertEqual(code, 0, "no window titled %r" % expected_title)
        self.assertIn(expected_title, title)
        self.assertEqual(uidriver("close", expected_title)[0], 0)
        self.assertEqual(self.program.wait_exit(), 0)

    def test_routes(self):
        cases = [
            # (stored key, command line, window that must open)
            (None, "", "Key setup []"),
            ("k1", "", "Key setup []"),
            (None, "/KEY=abc", "Key setup [/KEY=abc]"),
            ("k1", '-fromspooler -pages 2 "C:\\spool\\job 1.ps"',
             'Send fax [-fromspooler -pages 2 "C:\\spool\\job 1.ps"] key [k1]'),
            ("k1", "/KEY=abc", "Send fax [/KEY=abc] key [k1]"),
        ]
        for stored_key, command_line, title in cases:
            with self.subTest(key=stored_key, command_line=command_line):
                self.check_route(stored_key, command_line, title)


if __name__ == "__main__":
    unittest.main()
