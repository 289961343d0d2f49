"""The contact picker of the real program under Wine, opened from the send-fax
window's contacts button, with the contacts of the local fax service over
HTTPS: paging, sorting, searching, an organisation's members, and the chosen
contacts handed to the send window and sent. Screenshots go to SHOTS."""
import datetime
import json
import os
import subprocess
import time
import unittest

from harness import (KEY, SEND_WINDOW, VERSION, ContactPicker, PrintJob, ProgramFolder, SendFaxWindow, clear_settings,
                     end_program, sandbox, screenshot, store_settings, uidriver, wait_until)

PICKER = ContactPicker.TITLE

# Picker.
SELECT, SORT_ASCENDING, SORT_DESCENDING = ContactPicker.SELECT, ContactPicker.SORT_ASCENDING, ContactPicker.SORT_DESCENDING
PAGE_UP, PAGE_DOWN, PREVIOUS, NEXT = (ContactPicker.PAGE_UP, ContactPicker.PAGE_DOWN, ContactPicker.PREVIOUS,
                                      ContactPicker.NEXT)
PAGE_SIZE, RANGE, SEARCH = ContactPicker.PAGE_SIZE, ContactPicker.RANGE, ContactPicker.SEARCH
# Contact row.
HIDE_MEMBERS, SHOW_MEMBERS = "1057", "1054"
# Number row of the send-fax window: the organisation's people icon.
PEOPLE_ICON = "1056"

ACME = "c0000018-5a1e-4c2d-9b3f-7e6d00000018"
ACME_MEMBERS = ["e0000001-5a1e-4c2d-9b3f-7e6d00000001", "e0000002-5a1e-4c2d-9b3f-7e6d00000002"]
ALICE = "c0000001-5a1e-4c2d-9b3f-7e6d00000001"
SMITH = "c0000005-5a1e-4c2d-9b3f-7e6d00000005"

# 32 contacts and 12 members in the sandbox's fixture.
FIRST_PAGE = ["Acme Corporation", "Wile Coyote", "Road Runner", "Alice Anderson", "AT&T Business Fax"]
FIRST_PAGE_DESCENDING = ["Zenith Insurance", "Claims", "Underwriting", "Smith, John", "Sam Wilson"]


def logged_time(entry):
    return datetime.datetime.fromisoformat(entry["time"]).timestamp()


class ContactPickerCase(unittest.TestCase):
    def setUp(self):
        self.sandbox = sandbox()
        self.sandbox.clear_fault()
        store_settings({"USERNAME": KEY})
        self.program = ProgramFolder(version=VERSION)
        self.program.add_ghostscript()
        self.job = PrintJob()
        self.window = SendFaxWindow(SEND_WINDOW)
        self.picker = ContactPicker()

    def tearDown(self):
        end_program(self.program, [("click", PICKER, ContactPicker.CLOSE), ("close", SEND_WINDOW)])
        self.program.cleanup()
        self.job.cleanup()
        clear_settings()

    # -- driving

    def open_picker(self):
        if not self.program.process:
            self.program.start(self.job.command_line)
            self.window.wait_page1()
        self.window.open_picker()

    def text(self, control):
        return self.picker.text(control)

    def click(self, control):
        self.picker.click(control)

    def rows(self, window=PICKER):
        """[(visible, top, name, count, fax)] of the panel's rows."""
        return self.window.rows() if window == SEND_WINDOW else self.picker.rows()

    def names(self):
        return self.picker.names()

    def enabled(self, control):
        code, out = uidriver("enabled", PICKER, control)
        self.assertEqual(code, 0)
        return out == "1"

    def assert_page_buttons(self, previous, next_):
        self.assertEqual((self.enabled(PREVIOUS), self.enabled(NEXT)), (previous, next_), self.text(RANGE))

    def contact_requests(self):
        return self.sandbox.requests("/v1/contacts")

    def contact_queries(self):
        return [r["query"] for r in self.contact_requests()]

    def pixel(self, png, x, y):
        out = subprocess.run(["convert", png, "-crop", "1x1+%d+%d" % (x, y), "-depth", "8", "txt:-"],
                             capture_output=True, text=True, check=True).stdout
        rgb = out.splitlines()[-1].split("(")[1].split(")")[0]
        return tuple(int(float(v)) for v in rgb.split(",")[:3])

    def stored_parts(self):
        """Every fax the sandbox stored, as {name: part} with a part as it keeps
        it (the text in "value", the bytes that came in "bytes_hex")."""
        outbox = self.sandbox.outbox
        folders = sorted(os.listdir(outbox), key=int) if os.path.isdir(outbox) else []
        stored = []
        for folder in folders:
            with open(os.path.join(outbox, folder, "fields.json"), encoding="utf-8") as fields:
                stored.append({p["name"]: p for p in json.load(fields)})
        return stored

    def faxes(self):
        return [{name: part.get("value") for name, part in fax.items()} for fax in self.stored_parts()]

    def send_and_read_parts(self):
        """Sends; returns the stored parts of the fax that arrived."""
        before = len(self.stored_parts())
        self.assertEqual(self.window.send(), ("Vantrel", "Success! Your fax has been sent", "information"))
        self.assertEqual(self.program.wait_exit(30), 0)
        stored = self.stored_parts()
        self.assertEqual(len(stored), before + 1)
        return stored[before]

    def send_and_read(self):
        """Sends; returns the stored fields of the fax that arrived."""
        return {name: part.get("value") for name, part in self.send_and_read_parts().items()}


class BrowsingContacts(ContactPickerCase):
    def test_first_page_sorting_and_paging(self):
        self.open_picker()
        self.assertEqual(self.contact_queries()[-1], "order=name%20asc&limit=3000")
        self.assertEqual(self.text(PAGE_SIZE), "5")
        self.assertEqual(self.text(RANGE), "1-5/9")
        self.assertEqual(self.names(), FIRST_PAGE)
        self.assert_page_buttons(previous=False, next_=True)
        screenshot(PICKER, "contacts_picker_page1")

        # Each sort press asks the service again, in the other order.
        self.click(SORT_DESCENDING)
        self.assertTrue(wait_until(lambda: self.contact_queries()[-1] == "order=name%20desc&limit=3000", 20))
        self.assertTrue(wait_until(lambda: self.names() == FIRST_PAGE_DESCENDING, 10), self.names())
        self.assertEqual(uidriver("visible", PICKER, SORT_ASCENDING), (0, "1"))
        self.assertEqual(uidriver("visible", PICKER, SORT_DESCENDING), (0, "0"))
        self.assertEqual(self.text(RANGE), "1-5/9")
        self.click(SORT_ASCENDING)
        self.assertTrue(wait_until(lambda: self.contact_queries()[-1] == "order=name%20asc&limit=3000", 20))
        self.assertTrue(wait_until(lambda: self.names() == FIRST_PAGE, 20), self.names())
        self.assertEqual(uidriver("visible", PICKER, SORT_DESCENDING), (0, "1"))

        # Paging works on the list already fetched.
        requests = len(self.contact_queries())
        self.click(PAGE_UP)
        self.click(PAGE_UP)
        self.assertTrue(wait_until(lambda: self.text(RANGE) == "1-7/7", 10), self.text(RANGE))
        self.assertEqual(self.text(PAGE_SIZE), "7")
        self.assertEqual(self.names(), FIRST_PAGE + ["Network Desk", "bitBank Ltd"])
        self.assert_page_buttons(previous=False, next_=True)
        self.click(PREVIOUS)  # disabled on the first page: nothing happens
        self.click(NEXT)
        self.assertTrue(wait_until(lambda: self.text(RANGE) == "8-14/7", 10), self.text(RANGE))
        self.assert_page_buttons(previous=True, next_=True)
        for _ in range(5):
            self.click(NEXT)
        self.assertTrue(wait_until(lambda: self.text(RANGE) == "43-44/7", 10), self.text(RANGE))
        self.assertEqual(len(self.names()), 2)
        self.assert_page_buttons(previous=True, next_=False)
        self.click(NEXT)  # disabled on the last page
        self.click(PREVIOUS)
        self.assertTrue(wait_until(lambda: self.text(RANGE) == "36-42/7", 10), self.text(RANGE))

        # The page size goes down to 5 and no further, each change back to page 1.
        for _ in range(3):
            self.click(PAGE_DOWN)
        self.assertTrue(wait_until(lambda: self.text(RANGE) == "1-5/9", 10), self.text(RANGE))
        self.assertEqual(self.text(PAGE_SIZE), "5")
        self.assertEqual(self.names(), FIRST_PAGE)
        self.assertEqual(len(self.contact_queries()), requests, "paging asks the service nothing")

    def test_typing_sends_one_search_after_the_last_letter(self):
        self.open_picker()
        before = len(self.contact_queries())
        # A letter every 600 ms: a second counted from the first letter would
        # end before the last one is typed.
        code, out = uidriver("type-timed", PICKER, SEARCH, "AT&", "600")
        typed = time.time()
        self.assertEqual(code, 0, out)
        last_key = int(out.split("|")[1]) / 1000.0  # just before the last letter went in
        self.assertTrue(wait_until(lambda: self.names() == ["AT&T Business Fax", "Network Desk"], 20), self.names())
        time.sleep(1.5)  # long enough for a second request, were there one
        searches = self.contact_requests()[before:]
        # The ampersand reaches the service as part of the search text.
        self.assertEqual([r["query"] for r in searches], ["order=name%20asc&query=AT%26&limit=3000"])
        # One second after the last letter.
        asked = logged_time(searches[0])
        self.assertGreaterEqual(asked - last_key, 0.95)
        self.assertLessEqual(asked - last_key, 2.5)
        self.assertLessEqual(asked, typed + 2.5)
        self.assertEqual(self.text(RANGE), "1-2/1")
        self.assert_page_buttons(previous=False, next_=False)

        # Sorting keeps the search.
        self.click(SORT_DESCENDING)
        self.assertTrue(wait_until(lambda: len(self.contact_queries()) == before + 2, 20))
        self.assertEqual(self.contact_queries()[-1], "order=name%20desc&query=AT%26&limit=3000")

        # Nothing found: no rows, no range, both page buttons off.
        self.assertEqual(uidriver("set-text", PICKER, SEARCH, "zzz")[0], 0)
        self.assertTrue(wait_until(lambda: len(self.contact_queries()) == before + 3, 20))
        self.assertTrue(wait_until(lambda: self.text(RANGE) == "", 10), self.text(RANGE))
        self.assertEqual(self.rows(), [])
        self.assertEqual(self.text(PAGE_SIZE), "5")
        self.assert_page_buttons(previous=False, next_=False)

    def test_an_organisations_chevron_hides_and_shows_its_members(self):
        self.open_picker()
        self.assertEqual([row[1] for row in self.rows()], [1, 51, 101, 151, 201])
        screenshot(PICKER, "contacts_picker_organisation_expanded")
        self.assertEqual(uidriver("panel-click", PICKER, "0", HIDE_MEMBERS)[0], 0)
        self.assertTrue(wait_until(lambda: self.names() == ["Acme Corporation", "Alice Anderson",
                                                            "AT&T Business Fax"], 10), self.rows())
        # The two member rows leave; the rows below move up by 50 pixels each.
        tops = [row[1] for row in self.rows() if row[0]]
        self.assertEqual(tops, [1, 51, 101])
        self.assertEqual(uidriver("panel-visible", PICKER, "0", HIDE_MEMBERS), (0, "0"))
        self.assertEqual(uidriver("panel-visible", PICKER, "0", SHOW_MEMBERS), (0, "1"))
        screenshot(PICKER, "contacts_picker_organisation_collapsed")
        self.assertEqual(uidriver("panel-click", PICKER, "0", SHOW_MEMBERS)[0], 0)
        self.assertTrue(wait_until(lambda: self.names() == FIRST_PAGE, 10), self.rows())
        self.assertEqual([row[1] for row in self.rows()], [1, 51, 101, 151, 201])
        self.assertEqual(uidriver("panel-visible", PICKER, "0", HIDE_MEMBERS), (0, "1"))


class ChoosingContacts(ContactPickerCase):
    def test_chosen_person_and_organisation_are_sent_as_contacts(self):
        self.open_picker()
        self.picker.tick("Alice Anderson")
        self.picker.tick("Acme Corporation")
        self.picker.select()
        self.assertTrue(wait_until(lambda: len(self.window.names()) == 2, 10), self.rows(SEND_WINDOW))
        rows = self.rows(SEND_WINDOW)
        self.assertEqual([row[2] for row in rows], ["Acme Corporation", "Alice Anderson"])
        # The send window's row label 1051 is the member count of an organisation,
        # shown with the people icon.
        self.assertEqual([row[4] for row in rows], ["2", ""])
        self.assertEqual(uidriver("panel-visible", SEND_WINDOW, "0", PEOPLE_ICON), (0, "1"))
        self.assertEqual(uidriver("panel-visible", SEND_WINDOW, "1", PEOPLE_ICON), (0, "0"))
        screenshot(SEND_WINDOW, "send_window_with_contacts")

        # Opened again, the chosen ones show as chosen (light grey) without a tick.
        self.open_picker()
        shot = screenshot(PICKER, "contacts_picker_reopened")
        self.assertEqual(self.pixel(shot, 30 + 1 + 615, 200 + 1 + 40), (233, 238, 245))  # Acme
        self.assertEqual(self.pixel(shot, 30 + 1 + 615, 200 + 151 + 40), (233, 238, 245))  # Alice
        self.assertEqual(self.pixel(shot, 30 + 1 + 615, 200 + 201 + 40), (255, 255, 255))  # AT&T
        self.picker.select()  # nothing ticked: the earlier ones come back and are skipped
        self.assertEqual(len(self.window.names()), 2)

        fields = self.send_and_read()
        self.assertEqual(fields["recipientFax"], "")
        self.assertEqual(fields["recipientContacts"].split(","), [ACME] + ACME_MEMBERS + [ALICE])

    def test_a_contact_named_with_a_comma_is_sent_with_its_own_uuid(self):
        self.open_picker()
        self.picker.search("Smith", ["Smith, John"])
        self.assertEqual(self.rows()[0][4], "+15551234567")
        self.picker.tick("Smith, John")
        self.picker.select()
        self.assertTrue(wait_until(lambda: self.window.names() == ["Smith, John"], 10), self.rows(SEND_WINDOW))
        fields = self.send_and_read()
        self.assertEqual(fields["recipientContacts"], SMITH)
        self.assertEqual(fields["recipientFax"], "")


if __name__ == "__main__":
    unittest.main()
