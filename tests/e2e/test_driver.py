"""The UI driver the tests talk to: its commands go to one driver process that
serves the Wine prefix, and come back as a driver of their own would give
them. Tried on the key-setup window of the real program."""
import os
import subprocess
import sys
import time
import unittest

import harness
from harness import KEY_WINDOW, ProgramFolder, clear_settings, run_wine, uidriver, uidriver_once

KEY_FIELD = "1000"


def one_shot(*args):
    """The command run by a driver of its own."""
    return uidriver_once(*args, timeout=60)


class ServedDriver(unittest.TestCase):
    def setUp(self):
        clear_settings()
        self.program = ProgramFolder()
        self.addCleanup(self.program.cleanup)
        self.program.start()
        self.assertEqual(uidriver("find", KEY_WINDOW, "30000")[0], 0, "the key-setup window did not open")

    def test_arguments_and_output_are_those_of_a_driver_of_its_own(self):
        cases = [
            ("two  blanks\tand a tab", "two  blanks\tand a tab"),
            ("Zoë Müller € 5", "Zoë Müller € 5"),  # in the ANSI code page
            ("ā and 中", "a and ?"),  # not in it: as a command line takes them
            (r"back\slash \t \\ \n", r"back\slash \t \\ \n"),
            # The field keeps the CR LF; read back through text-mode output.
            ("line\r\nbreak", "line\n\nbreak"),
        ]
        for sent, shown in cases:
            for write in (uidriver, one_shot):
                with self.subTest(sent=sent, write=write.__name__):
                    self.assertEqual(write("set-text", KEY_WINDOW, KEY_FIELD, sent), (0, ""))
                    self.assertEqual(uidriver("text", KEY_WINDOW, KEY_FIELD), (0, shown))
                    self.assertEqual(one_shot("text", KEY_WINDOW, KEY_FIELD), (0, shown))
        self.assertEqual(uidriver("windows"), one_shot("windows"))
        self.assertEqual(uidriver("close", "no such window"), (1, ""))
        self.assertEqual(uidriver("no-such-command"), (2, ""))

    def test_a_command_that_overruns_its_time_is_ended_and_the_next_one_works(self):
        started = time.monotonic()
        with self.assertRaises(subprocess.TimeoutExpired) as overrun:
            uidriver("find", "no such window", "60000", timeout=3)
        self.assertLess(time.monotonic() - started, 20)
        self.assertEqual(overrun.exception.cmd[-3:], ["find", "no such window", "60000"])
        self.assertEqual(overrun.exception.timeout, 3)
        uidriver("set-text", KEY_WINDOW, KEY_FIELD, "after the overrun")
        self.assertEqual(uidriver("text", KEY_WINDOW, KEY_FIELD), (0, "after the overrun"))

    def test_a_driver_ended_from_outside_is_started_afresh(self):
        self.assertEqual(uidriver("find", KEY_WINDOW, "1000")[0], 0)
        # As "wineserver -k" would: the served driver and the program's starter.
        ended = run_wine(["taskkill", "/f", "/im", "uidriver.exe"], check=False).stdout
        self.assertEqual(ended.count("terminated"), 2, ended)
        uidriver("set-text", KEY_WINDOW, KEY_FIELD, "after the kill")
        self.assertEqual(uidriver("text", KEY_WINDOW, KEY_FIELD), (0, "after the kill"))
        self.assertEqual(uidriver("close", KEY_WINDOW), (0, ""))
        self.assertEqual(uidriver("gone", KEY_WINDOW, "10000"), (0, ""))

    def test_a_process_that_used_it_ends_at_once_and_its_driver_with_it(self):
        # Its output is a pipe read to the end: nothing the driver left may
        # hold it open.
        script = ("import sys; sys.path.insert(0, %r); import harness, kestrid_driving; "
                  "print(harness.uidriver('find', %r, '1000')[0]); "
                  "print(next(iter(kestrid_driving._servers.values())).process.pid)"
                  % (os.path.dirname(harness.__file__), KEY_WINDOW))
        result = subprocess.run([sys.executable, "-c", script], env=harness.wine_env(), capture_output=True,
                                text=True, timeout=60)
        code, pid = result.stdout.split()
        self.assertEqual(code, "0", result.stderr)
        self.assertTrue(harness.wait_until(lambda: not os.path.exists("/proc/%s" % pid), 10), "its driver stayed")


if __name__ == "__main__":
    unittest.main()
