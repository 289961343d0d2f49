"""Text beyond ASCII end to end: typed as a person types it (real X key
events), it leaves the program as UTF-8; names the service writes with JSON
escapes or as raw UTF-8 show as a person reads them, in the picker and in the
send-fax window. Screenshots go to SHOTS."""
import os
import unittest

import harness
from harness import (ACCOUNT_ID, SEND_WINDOW, USER_ID, ContactPicker, SendFaxWindow, reg, screenshot, uidriver,
                     wait_until, write_setting)
from test_contacts import PICKER, ContactPickerCase

INTL = os.path.join(harness.ROOT, "tools", "fax-sandbox", "fixtures-intl")

# In the fixture: "Müller & Söhne" escaped, with its member "Zoë Müller";
# "Müller, Jürgen" and "Renée Dubois" as raw UTF-8.
MUELLER_SOEHNE = "i0000001-7c2e-4b1a-9d3f-5e8a00000001"
ZOE = "i0000011-7c2e-4b1a-9d3f-5e8a00000011"
JUERGEN = "i0000002-7c2e-4b1a-9d3f-5e8a00000002"
# Page 1 of 5 rows: characters the code page lacks show as "?".
FIRST_PAGE = ["Ann Lee", 'Atelier "Blau" ?', "Müller & Söhne", "Zoë Müller", "Müller, Jürgen"]


def type_as_person(window, control, text):
    """Clicks into the control and types text with real X key events, so the
    characters come through the keyboard, the message loop and TranslateMessage."""
    harness.real_click(window, control)
    harness.real_type(text)


class TextBeyondAscii(ContactPickerCase):
    @classmethod
    def setUpClass(cls):
        harness.use_sandbox(INTL)

    @classmethod
    def tearDownClass(cls):
        harness.stop_sandbox()  # the next test gets the default fixtures

    def setUp(self):
        # The program keeps its text in the ANSI code page; the prefix must use
        # the one these tests are written for.
        acp = reg("query", r"HKLM\System\CurrentControlSet\Control\Nls\CodePage", "/v", "ACP").stdout
        self.assertIn("1252", acp, "the Wine prefix's ANSI code page is not Windows-1252")
        super().setUp()
        write_setting("userId", USER_ID)
        write_setting("accountId", ACCOUNT_ID)

    def open_job(self):
        self.program.start(self.job.command_line)
        self.window.wait_page1()

    def test_a_search_typed_with_an_umlaut_finds_escaped_and_raw_names_and_sends_them(self):
        self.open_job()
        self.window.open_picker()
        self.assertEqual(self.picker.names(), FIRST_PAGE)
        screenshot(PICKER, "beyond_ascii_picker")

        before = len(self.sandbox.requests("/v1/contacts"))
        type_as_person(PICKER, ContactPicker.SEARCH, "Mü")
        self.assertEqual(self.picker.text(ContactPicker.SEARCH), "Mü")
        self.assertTrue(wait_until(lambda: self.picker.names() == ["Müller & Söhne", "Zoë Müller", "Müller, Jürgen"],
                                   20), self.picker.names())
        # The search goes out as UTF-8.
        queries = [r["query"] for r in self.sandbox.requests("/v1/contacts")[before:]]
        self.assertEqual(queries[-1], "order=name%20asc&query=M%C3%BC&limit=3000")
        screenshot(PICKER, "beyond_ascii_picker_search")

        self.picker.tick("Müller & Söhne")
        self.picker.tick("Müller, Jürgen")
        self.picker.select()
        self.assertTrue(wait_until(lambda: self.window.names() == ["Müller & Söhne", "Müller, Jürgen"], 10),
                        self.window.rows())
        screenshot(SEND_WINDOW, "beyond_ascii_send_rows")

        parts = self.send_and_read_parts()
        self.assertEqual(parts["recipientContacts"]["value"].split(","), [MUELLER_SOEHNE, ZOE, JUERGEN])
        self.assertEqual(parts["recipientFax"]["value"], "")

    def test_cover_page_text_typed_beyond_ascii_arrives_as_utf8(self):
        self.open_job()
        self.window.add_number("5551234567", "(555)-123-4567")
        self.window.click(SendFaxWindow.COVER_TURN_ON)
        self.assertTrue(wait_until(lambda: self.window.visible(SendFaxWindow.SUBJECT), 10))
        typed = {SendFaxWindow.DELIVER_TO: "Zoë Müller", SendFaxWindow.SUBJECT: "Größe 5 €",
                 SendFaxWindow.NOTES: "Grüße"}
        for control, text in typed.items():
            type_as_person(SEND_WINDOW, control, text)
        for control, text in typed.items():
            self.assertTrue(wait_until(lambda: uidriver("text", SEND_WINDOW, control) == (0, text), 10),
                            uidriver("text", SEND_WINDOW, control))
        screenshot(SEND_WINDOW, "beyond_ascii_cover_page")

        parts = self.send_and_read_parts()
        for name, text in (("recipientName", "Zoë Müller"), ("subject", "Größe 5 €"), ("notes", "Grüße")):
            self.assertEqual(parts[name]["value"], text, name)
            self.assertEqual(bytes.fromhex(parts[name]["bytes_hex"]), text.encode("utf-8"), name)


if __name__ == "__main__":
    unittest.main()
