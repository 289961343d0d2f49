"""The key-setup window and the silent "/KEY=" start of the real program,
against the local fax service over HTTPS (the address and CA the program was
built with). Screenshots of the window go to SHOTS."""
import unittest

import harness
from harness import (KEY as GOOD_KEY, KEY_WINDOW, ProgramFolder, clear_settings, read_settings, sandbox, screenshot,
                     uidriver, wait_until, write_setting)

ACCOUNT = dict(
    harness.ACCOUNT,
    # the other pairs of the answer, as the pair rule cuts them
    email="office@example.com",  # the account object's comes later and wins
    firstName="Dana",
    lastName="Tester",
    role="owner",
    createdAt="2021-06-14T09",
    account="faxDefaultCoverPage",
    name="Kestrid Test Office",
    plan="business",
)
INVALID_KEY = "Invalid key. Please check your key and try again"


class KeySetupCase(unittest.TestCase):
    def setUp(self):
        self.sandbox = sandbox()
        self.sandbox.clear_fault()
        clear_settings()
        self.program = ProgramFolder(version="3.2.1\r\n")
        self.seen_requests = len(self.sandbox.requests())

    def tearDown(self):
        self.program.cleanup()
        clear_settings()

    def new_lookups(self):
        """The account lookups the service got during this test."""
        return [r for r in self.sandbox.requests()[self.seen_requests:] if r["path"] == "/v1/me"]

    def lookups(self):
        return len(self.new_lookups())


class SilentStart(KeySetupCase):
    """An installer runs the program with /KEY=<key>: nothing shows, the
    process ends with 0, and only an accepted key changes the store."""

    def silent(self, command_line):
        code, windows = self.program.watch(command_line)
        self.assertEqual(code, 0, command_line)
        self.assertEqual(windows, [], command_line)

    def test_good_key_sets_up_the_account(self):
        self.silent("/KEY=" + GOOD_KEY)
        self.assertEqual(read_settings(), ACCOUNT)
        calls = self.new_lookups()
        self.assertEqual(len(calls), 1)
        self.assertIn(["authorization", "Driver " + GOOD_KEY], calls[0]["headers"])

    def test_refused_and_empty_keys_store_nothing(self):
        cases = [
            ("/KEY=not-a-key", 1),   # the service refuses it
            ("/KEY=", 0),            # nothing to set up
            ("/KEY=abc\tdef", 0),    # a control character never travels in a header
        ]
        for command_line, requests in cases:
            with self.subTest(command_line=command_line):
                clear_settings()
                before = self.lookups()
                self.silent(command_line)
                self.assertEqual(read_settings(), {})
                self.assertEqual(self.lookups() - before, requests)

    def test_new_key_replaces_a_stored_one(self):
        self.silent("/KEY=" + GOOD_KEY)
        self.silent("/KEY=test-key-nodefault")
        settings = read_settings()
        self.assertEqual(settings["USERNAME"], "test-key-nodefault")
        self.assertEqual(settings["PASSWORD"], "test-key-nodefault")
        self.assertEqual(settings["userId"], "u-0d3b8e51-6a27-4c9f-8e14-5f2a9b6c7d03")
        self.assertEqual(settings["accountId"], "a-71f4c2e8-9b05-4d3a-a8c6-2e1d7f9b0a44")
        self.assertEqual(settings["COVERPAGEID"], "null")

    def test_refused_key_keeps_the_stored_key_and_its_account(self):
        self.silent("/KEY=" + GOOD_KEY)
        for fault in (None, "error-object", "html-502", "drop"):
            with self.subTest(fault=fault):
                if fault:
                    self.sandbox.set_fault(fault)
                self.silent("/KEY=" + ("not-a-key" if fault is None else "test-key-nodefault"))
                self.assertEqual(read_settings(), ACCOUNT)

    def test_a_quoted_key_with_blanks_is_stored_without_the_quotes(self):
        # Windows quotes an argument with a blank; the quotes are not the key's.
        key = "test-key with blanks"
        cases = ['"/KEY=%s"' % key, '/S "/KEY=%s" /NORESTART' % key,
                 "/KEY=" + key]  # unquoted: everything after the marker
        for command_line in cases:
            with self.subTest(command_line=command_line):
                clear_settings()
                self.silent(command_line)
                settings = read_settings()
                self.assertEqual((settings.get("USERNAME"), settings.get("PASSWORD")), (key, key), settings)
                self.assertEqual(settings.get("userId"), "u-6c3f9a14-2e8b-4d07-b5a1-7f0e3c9d2b68")
                self.assertIn(["authorization", "Driver " + key], self.new_lookups()[-1]["headers"])

    def test_an_answer_that_names_no_account_verifies_no_key(self):
        self.silent("/KEY=" + GOOD_KEY)
        self.sandbox.set_fault("no-ids")
        self.silent("/KEY=test-key-nodefault")
        self.assertEqual(read_settings(), ACCOUNT)

    def test_default_cover_page_as_the_last_member_of_the_account(self):
        self.silent("/KEY=test-key-lastmember")
        self.assertEqual(read_settings()["COVERPAGEID"], "cp-4d8f0a27-memo")


class KeySetupWindow(KeySetupCase):
    """The window a user sees with an empty command line."""

    def open_window(self, command_line=""):
        self.program.start(command_line)
        code, _ = uidriver("find", KEY_WINDOW, "30000")
        self.assertEqual(code, 0, "the key-setup window did not open")

    def text(self, control):
        code, text = uidriver("text", KEY_WINDOW, str(control))
        self.assertEqual(code, 0)
        return text

    def click(self, control):
        self.assertEqual(uidriver("click", KEY_WINDOW, str(control))[0], 0)

    def type_key(self, key):
        self.assertEqual(uidriver("set-text", KEY_WINDOW, "1000", "")[0], 0)
        self.assertEqual(uidriver("type", KEY_WINDOW, "1000", key)[0], 0)
        self.assertEqual(self.text(1000), key)

    def box(self):
        code, box = uidriver("box-icon", "20000")
        self.assertEqual(code, 0, "no message box")
        return box

    def close_window(self):
        self.click(1008)
        self.assertEqual(self.program.wait_exit(), 0)

    def test_good_key_is_set_up_and_the_program_ends(self):
        self.open_window()
        self.assertEqual(self.text(1047), "Vantrel v3.2.1")  # the driver drops the file's line break
        self.assertEqual(self.text(1000), "")
        for control, shown in ((1000, "1"), (1009, "1"), (1006, "1"), (1008, "1"), (1007, "0"), (1010, "0")):
            self.assertEqual(uidriver("visible", KEY_WINDOW, str(control)), (0, shown), control)
        screenshot(KEY_WINDOW, "key_setup_empty")
        self.type_key(GOOD_KEY)
        screenshot(KEY_WINDOW, "key_setup_filled")
        self.click(1009)
        self.assertEqual(self.box(), "Vantrel|Success! Your driver setup is complete|information")
        self.assertEqual(self.program.wait_exit(), 0)
        self.assertEqual(read_settings(), ACCOUNT)

    def test_empty_key_asks_for_one(self):
        self.open_window()
        self.click(1009)
        self.assertEqual(self.box(), "KestridUI|Enter Username|exclamation")
        self.assertEqual(uidriver("find", KEY_WINDOW, "5000")[0], 0, "the window must stay open")
        self.close_window()
        self.assertEqual(self.lookups(), 0)
        self.assertEqual(read_settings(), {})

    def test_refused_key_shows_the_service_message_and_keeps_the_stored_key(self):
        write_setting("USERNAME", GOOD_KEY)
        write_setting("PASSWORD", GOOD_KEY)
        write_setting("accountId", "a-kept")
        before = read_settings()
        self.open_window()
        self.assertEqual(self.text(1000), GOOD_KEY)  # the stored key, in clear text
        self.type_key("not-a-key")
        self.click(1009)
        self.assertEqual(self.box(), "Vantrel|%s|hand" % INVALID_KEY)
        self.assertEqual(uidriver("find", KEY_WINDOW, "5000")[0], 0, "the window must stay open")
        self.sandbox.set_fault("error-object")
        self.type_key(GOOD_KEY)
        self.click(1009)
        self.assertEqual(self.box(), "Vantrel|Service unavailable,code503|hand")
        self.close_window()
        self.assertEqual(read_settings(), before)

    def test_an_answer_that_names_no_account_is_refused_and_changes_nothing(self):
        self.assertEqual(self.program.watch("/KEY=" + GOOD_KEY)[0], 0)
        self.open_window()
        self.type_key("test-key-nodefault")
        self.sandbox.set_fault("no-ids")  # a good answer without userId and accountId
        self.click(1009)
        self.assertEqual(self.box(), "Vantrel|Unable to verify key (HTTP 200)|hand")
        self.assertEqual(uidriver("find", KEY_WINDOW, "5000")[0], 0, "the window must stay open")
        screenshot(KEY_WINDOW, "key_setup_after_an_answer_without_the_account")
        self.close_window()
        self.assertEqual(len(self.new_lookups()), 2)
        self.assertEqual(read_settings(), ACCOUNT)

    def test_close_button_stores_nothing(self):
        self.open_window()
        self.type_key(GOOD_KEY)
        self.close_window()
        self.assertEqual(self.lookups(), 0)
        self.assertEqual(read_settings(), {})

    def test_password_toggle(self):
        # The password pair is hidden by design; the toggle still switches
        # its characters, and the window looks the same either way.
        write_setting("PASSWORD", "secret")
        self.open_window()
        self.assertEqual(uidriver("password-char", KEY_WINDOW, "1007"), (0, str(ord("*"))))
        screenshot(KEY_WINDOW, "key_setup_password_hidden")
        self.click(1010)
        self.assertTrue(wait_until(lambda: uidriver("password-char", KEY_WINDOW, "1007") == (0, "0"), 5))
        screenshot(KEY_WINDOW, "key_setup_password_shown")
        self.click(1010)
        self.assertTrue(wait_until(lambda: uidriver("password-char", KEY_WINDOW, "1007") == (0, "42"), 5))
        self.close_window()


COVER_PAGES = ["Standard", "Confidential", "Memo Long", "Memo", "Memo: urgent"]


class KeyButtonOfTheSendWindow(KeySetupCase):
    """The send-fax window's key button opens the key-setup window and takes
    the verified key it hands back."""

    SEND = "Vantrel v3.2.1"

    def cover_list(self):
        """(entries, selected index) of the send-fax window's cover page list."""
        code, out = uidriver("items", self.SEND, "1062")
        self.assertEqual(code, 0, "no cover page list")
        lines = out.splitlines()
        self.assertTrue(lines and lines[-1].startswith("selected|"), out)
        return [line[5:] for line in lines[:-1]], int(lines[-1].split("|")[1])

    def change_key(self, key):
        self.assertEqual(uidriver("click", self.SEND, "1057")[0], 0)
        self.assertEqual(uidriver("find", KEY_WINDOW, "20000")[0], 0)
        self.assertEqual(uidriver("set-text", KEY_WINDOW, "1000", "")[0], 0)
        self.assertEqual(uidriver("type", KEY_WINDOW, "1000", key)[0], 0)
        self.assertEqual(uidriver("click", KEY_WINDOW, "1009")[0], 0)
        self.assertEqual(uidriver("box-icon", "20000"),
                         (0, "Vantrel|Success! Your driver setup is complete|information"))
        self.assertEqual(uidriver("gone", KEY_WINDOW, "10000")[0], 0)

    def test_a_new_key_lists_its_own_cover_pages_once(self):
        # Set up with the first account: its pages are listed, its default chosen.
        self.assertEqual(self.program.watch("/KEY=" + GOOD_KEY)[0], 0)
        self.program.start("C:\\job.ps")
        self.assertEqual(uidriver("box", "30000"), (0, "Fax|File missing. Please reinstall the software"))
        self.assertEqual(uidriver("find", self.SEND, "30000")[0], 0)
        self.assertTrue(wait_until(lambda: self.cover_list()[0] == COVER_PAGES, 20), self.cover_list())
        self.assertEqual(self.cover_list(), (COVER_PAGES, COVER_PAGES.index("Confidential")))

        listings = len(self.sandbox.requests("/coverpages"))
        self.change_key("test-key with blanks")
        self.assertTrue(wait_until(lambda: len(self.sandbox.requests("/coverpages")) == listings + 1, 10))
        self.assertIn(["authorization", "Driver test-key with blanks"],
                      self.sandbox.requests("/coverpages")[-1]["headers"])
        # Listed again for the new account, not added to the old entries; its
        # default cover page is chosen.
        self.assertTrue(wait_until(lambda: self.cover_list()[1] == COVER_PAGES.index("Standard"), 10),
                        self.cover_list())
        self.assertEqual(self.cover_list(), (COVER_PAGES, COVER_PAGES.index("Standard")))
        self.assertEqual(uidriver("text", self.SEND, "1062"), (0, "Standard"))
        self.assertEqual(uidriver("close", self.SEND)[0], 0)
        self.assertEqual(self.program.wait_exit(), 0)

    def test_new_key_is_handed_back_and_cancel_changes_nothing(self):
        write_setting("USERNAME", GOOD_KEY)
        self.program.start("C:\\job.ps")
        # No Ghostscript in this program folder: the send-fax window says so first.
        self.assertEqual(uidriver("box", "30000"), (0, "Fax|File missing. Please reinstall the software"))
        send = "Vantrel v3.2.1"
        self.assertEqual(uidriver("find", send, "30000")[0], 0)
        # This test's listings only: the session's sandbox has served others.
        listings = lambda: [r for r in self.sandbox.requests()[self.seen_requests:] if r["path"] == "/coverpages"]
        self.assertEqual(listings(), [], "no account ids stored yet: nothing to list")
        self.assertEqual(self.cover_list(), ([], -1))

        self.assertEqual(uidriver("click", send, "1057")[0], 0)
        self.assertEqual(uidriver("find", KEY_WINDOW, "20000")[0], 0)
        self.assertEqual(uidriver("text", KEY_WINDOW, "1000"), (0, GOOD_KEY))
        self.assertTrue(wait_until(lambda: uidriver("visible", KEY_WINDOW, "1008") == (0, "1"), 10))
        self.assertEqual(uidriver("click", KEY_WINDOW, "1008")[0], 0)
        self.assertEqual(uidriver("gone", KEY_WINDOW, "10000")[0], 0)
        self.assertEqual(uidriver("find", send, "5000")[0], 0)
        self.assertEqual(listings(), [], "Cancel must not change the key")
        self.assertEqual(self.cover_list(), ([], -1))

        self.assertEqual(uidriver("click", send, "1057")[0], 0)
        self.assertEqual(uidriver("find", KEY_WINDOW, "20000")[0], 0)
        self.assertEqual(uidriver("set-text", KEY_WINDOW, "1000", "")[0], 0)
        self.assertEqual(uidriver("type", KEY_WINDOW, "1000", "test-key-nodefault")[0], 0)
        self.assertEqual(uidriver("click", KEY_WINDOW, "1009")[0], 0)
        self.assertEqual(uidriver("box-icon", "20000"),
                         (0, "Vantrel|Success! Your driver setup is complete|information"))
        # The send-fax window lists the cover pages again with the new key.
        self.assertTrue(wait_until(lambda: len(listings()) == 1, 10))
        self.assertIn(["authorization", "Driver test-key-nodefault"], listings()[0]["headers"])
        # The new account's pages fill the list; it names no default: the first is chosen.
        self.assertTrue(wait_until(lambda: self.cover_list() == (COVER_PAGES, 0), 10), self.cover_list())
        self.assertEqual(read_settings()["USERNAME"], "test-key-nodefault")
        self.assertEqual(uidriver("close", send)[0], 0)
        self.assertEqual(self.program.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
