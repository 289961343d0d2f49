"""The fax-number field of the real program driven as a person drives it:
X pointer clicks and key presses through Wine's X11 driver, so every key goes
through the program's message loop (WM_KEYDOWN, TranslateMessage, WM_CHAR)."""
import unittest

from harness import real_click, real_keys, real_type, screenshot, uidriver, wait_until
from test_send_fax import ADD, NUMBER, WINDOW, SendFaxCase

EMPTY = "(   )-   -    "


class TypingANumber(SendFaxCase):
    def number(self):
        return uidriver("text", WINDOW, NUMBER)[1]

    def selection(self):
        code, out = uidriver("sel", WINDOW, NUMBER)
        self.assertEqual(code, 0)
        return tuple(int(v) for v in out.split())

    def tab_into_the_field(self):
        """Tabs round the window until the field has the focus: the dialog
        selects an edit's whole text when Tab moves into it."""
        if uidriver("focus", WINDOW) == (0, NUMBER):
            real_keys("Tab")
        for _ in range(30):
            if uidriver("focus", WINDOW) == (0, NUMBER):
                return
            real_keys("Tab")
        self.fail("Tab never reached the number field")

    def test_clicked_or_tabbed_into_the_typed_digits_are_listed(self):
        self.open_job()
        self.assertEqual(uidriver("focus", WINDOW), (0, NUMBER))
        self.assertEqual(self.selection(), (1, 1), "a new window starts at the first slot")
        rounds = [
            # (how the field is entered, where it is clicked (fraction of its width), digits, shown)
            ("fresh window", 0.75, "5551234567", "(555)-123-4567"),
            ("tabbed into", 0.75, "5557654321", "(555)-765-4321"),
            ("tabbed into", None, "6135550123", "(613)-555-0123"),
            ("tabbed into", 0.1, "4165550199", "(416)-555-0199"),  # a little right of the first slot
        ]
        listed = []
        for how, where, digits, shown in rounds:
            if how == "tabbed into":
                self.tab_into_the_field()
            self.assertEqual(self.number(), EMPTY, how)
            if where is not None:
                real_click(WINDOW, NUMBER, where)
                self.assertEqual(self.selection(), (1, 1), "%s, clicked at %s" % (how, where))
            real_type(digits)
            self.assertTrue(wait_until(lambda: self.number() == shown, 10),
                            "%s: typed %s, the field shows %r" % (how, digits, self.number()))
            real_click(WINDOW, ADD)
            listed.append(shown)
            self.assertTrue(wait_until(lambda: self.rows() == listed, 10), "%s: %r" % (how, self.rows()))
        screenshot(WINDOW, "send_numbers_typed")


if __name__ == "__main__":
    unittest.main()
