"""The send-fax window of the real program under Wine: a spooled print job is
converted by the real Ghostscript (through the stand-in), numbers are typed
and listed, and the fax goes to the local fax service over HTTPS. Screenshots
of the window's views go to SHOTS."""
import glob
import json
import os
import subprocess
import time
import unittest

from harness import (ACCOUNT_ID, KEY, ROOT, SHOTS, USER_ID, VERSION, JobFileChecks, PrintJob, ProgramFolder,
                     SEND_WINDOW as WINDOW, SendFaxWindow, clear_settings, end_program, read_settings, sandbox,
                     screenshot, store_settings, uidriver, wait_until, windows_path, write_setting)

VK_RETURN = 13

# Control IDs of the send-fax window and of a number row.
TITLE, NUMBER, ADD, SEND, CLOSE = "1047", "1053", "1007", "1010", "1008"
COVER_TURN_ON, COVER_TURN_OFF, COUNTRY_MENU = "1011", "1009", "1013"
DELIVER_TO, SUBJECT, NOTES, COVER_LIST = "1059", "1060", "1061", "1062"
ROW_TEXT, ROW_REMOVE = "1050", "1054"


def cover_page_id(name):
    with open(os.path.join(ROOT, "tools", "fax-sandbox", "fixtures", "coverpages.json")) as fixture:
        pages = json.load(fixture)
    if isinstance(pages, dict):
        pages = next(iter(pages.values()))
    return next(page["uuid"] for page in pages if page["name"] == name)


def menu_items(window):
    """The open pop-up menu's items as (id, text, (left, top, right, bottom),
    [16 x 16 (r, g, b) painted where the flag goes])."""
    code, out = uidriver("menu-items", window)
    if code != 0:
        raise AssertionError("the open menu could not be read: %r" % out)
    items = []
    for line in out.splitlines():
        command, text, place, pixels = line.rstrip("\r").split("|")
        rgb = [tuple(int(pixels[i + k:i + k + 2], 16) for k in (0, 2, 4)) for i in range(0, len(pixels), 6)]
        items.append((int(command), text, tuple(int(v) for v in place.split()), rgb))
    return items


def flag_mismatches(painted, name):
    """Where the painted 16 x 16 pixels differ from the opaque pixels of the
    program's flag image name; [] when the flag shows one to one."""
    rgba = subprocess.run(["convert", os.path.join(ROOT, "resources", "art", "flags", name), "-depth", "8", "rgba:-"],
                          capture_output=True, check=True, timeout=60).stdout
    wrong = []
    for y in range(16):
        for x in range(16):
            r, g, b, a = rgba[(y * 16 + x) * 4:(y * 16 + x) * 4 + 4]
            seen = painted[y * 16 + x]
            if a < 255:
                continue
            if (r, g, b) == (255, 255, 255):
                # The flag is loaded on white and the menu keys out its corner
                # colour: white parts show the light picture column.
                if min(seen) < 240:
                    wrong.append(((x, y), (r, g, b), seen))
            elif max(abs(r - seen[0]), abs(g - seen[1]), abs(b - seen[2])) > 8:
                wrong.append(((x, y), (r, g, b), seen))
    return wrong


def pdf_pages(path):
    out = subprocess.run(["gs", "-q", "-dNODISPLAY", "-dNOSAFER", "-c",
                          "(%s) (r) file runpdfbegin pdfpagecount = quit" % path],
                         capture_output=True, text=True, timeout=60)
    return int(out.stdout.strip())


class SendFaxCase(JobFileChecks, unittest.TestCase):
    def setUp(self):
        self.sandbox = sandbox()
        self.sandbox.clear_fault()
        store_settings({"USERNAME": KEY, "userId": USER_ID, "accountId": ACCOUNT_ID})
        self.program = ProgramFolder(version=VERSION)
        self.program.add_ghostscript()
        self.print_job = PrintJob("job 7.ps")
        self.job = self.print_job.path

    def tearDown(self):
        # A test that failed half way leaves the window (and maybe a box) up.
        end_program(self.program, [("close", WINDOW)])
        self.program.cleanup()
        self.print_job.cleanup()
        clear_settings()

    # -- driving the window

    def open_job(self):
        self.program.start(self.print_job.command_line)
        SendFaxWindow(WINDOW).wait_page1()

    def visible(self, control):
        return uidriver("visible", WINDOW, control) == (0, "1")

    def type_number(self, digits, shown):
        self.assertEqual(uidriver("chars", WINDOW, NUMBER, digits, shown)[0], 0,
                         "typed %s, field shows %r" % (digits, uidriver("text", WINDOW, NUMBER)[1]))

    def rows(self):
        """The display texts of the number panel's rows."""
        code, out = uidriver("panel-rows", WINDOW)
        self.assertEqual(code, 0)
        return [line.split("|")[3] for line in out.splitlines() if line]

    def add(self, digits, shown):
        before = len(self.rows())
        self.type_number(digits, shown)
        self.assertEqual(uidriver("click", WINDOW, ADD)[0], 0)
        self.assertTrue(wait_until(lambda: len(self.rows()) == before + 1, 10), self.rows())

    def click(self, control):
        self.assertEqual(uidriver("click", WINDOW, control)[0], 0)

    def box(self):
        code, out = uidriver("box-icon", "60000")
        self.assertEqual(code, 0, "no message box")
        return tuple(out.split("|"))

    def faxes(self):
        """The stored faxes: [(fields by name, folder)] in order."""
        stored = []
        for folder in sorted(glob.glob(os.path.join(self.sandbox.outbox, "*")), key=lambda f: int(os.path.basename(f))):
            with open(os.path.join(folder, "fields.json")) as fields:
                parts = json.load(fields)
            stored.append((parts, folder))
        return stored

    def sent_and_ended(self, faxes_before):
        self.assertEqual(self.box(), ("Vantrel", "Success! Your fax has been sent", "information"))
        self.assertEqual(self.program.wait_exit(30), 0)
        faxes = self.faxes()
        self.assertEqual(len(faxes), faxes_before + 1)
        self.assertEqual(self.job_files(), [], "nothing of the job may remain")
        return faxes[-1]


class SendingAJob(SendFaxCase):
    def test_spooled_job_is_converted_listed_and_sent(self):
        self.open_job()
        self.assertEqual(uidriver("focus", WINDOW), (0, NUMBER))
        self.assertTrue(self.visible(COVER_TURN_ON))
        self.assertFalse(self.visible(COVER_TURN_OFF))
        self.assertFalse(self.visible(SUBJECT))
        self.assertFalse(os.path.exists(self.job), "the spooled file is deleted once converted")
        pdf = self.pdf()
        self.assertEqual(self.job_files(), [os.path.basename(pdf)])
        self.assertEqual(uidriver("text", WINDOW, TITLE), (0, WINDOW))

        self.add("5551234567", "(555)-123-4567")
        self.assertEqual(self.rows(), ["(555)-123-4567"])
        self.assertEqual(uidriver("text", WINDOW, NUMBER), (0, "(   )-   -    "))
        self.assertEqual(uidriver("hover", WINDOW, "0", ROW_TEXT), (0, "1(555)-123-4567"))

        before = len(self.faxes())
        self.click(SEND)
        parts, folder = self.sent_and_ended(before)
        self.assertEqual([p["name"] for p in parts], ["recipientFax", "recipientContacts", "coverPage", "file"])
        fields = {p["name"]: p for p in parts}
        self.assertEqual(fields["recipientFax"]["value"], "+15551234567")
        self.assertEqual(fields["recipientContacts"]["value"], "")
        self.assertEqual(fields["coverPage"]["value"], "false")
        self.assertEqual(fields["file"]["content_type"], "application/pdf")
        self.assertEqual(fields["file"]["filename"], os.path.basename(pdf))
        self.assertEqual(pdf_pages(os.path.join(folder, fields["file"]["stored_as"])), 3)

    def test_removing_the_first_of_two_rows_sends_the_other(self):
        self.open_job()
        self.add("5551234567", "(555)-123-4567")
        self.add("5557654321", "(555)-765-4321")
        self.assertEqual(self.rows(), ["(555)-123-4567", "(555)-765-4321"])
        screenshot(WINDOW, "send_page1_two_rows")
        self.assertEqual(uidriver("panel-click", WINDOW, "0", ROW_REMOVE)[0], 0)
        self.assertTrue(wait_until(lambda: self.rows() == ["(555)-765-4321"], 10), self.rows())
        before = len(self.faxes())
        self.click(SEND)
        parts, _ = self.sent_and_ended(before)
        self.assertEqual(parts[0]["value"], "+15557654321")

    def test_a_number_left_in_the_field_is_sent_too(self):
        self.open_job()
        self.type_number("5550001111", "(555)-000-1111")
        before = len(self.faxes())
        self.click(SEND)
        parts, _ = self.sent_and_ended(before)
        self.assertEqual(parts[0]["value"], "+15550001111")


class CoverPage(SendFaxCase):
    def test_cover_page_parts_go_with_the_chosen_cover_page(self):
        self.open_job()
        self.add("5551234567", "(555)-123-4567")
        self.click(COVER_TURN_ON)
        self.assertTrue(wait_until(lambda: self.visible(COVER_TURN_OFF) and self.visible(SUBJECT), 10))
        self.assertFalse(self.visible(COVER_TURN_ON))
        self.assertEqual(uidriver("focus", WINDOW), (0, DELIVER_TO))
        for control, text in ((DELIVER_TO, "Ann Lee"), (SUBJECT, "Quarterly figures"), (NOTES, "Three pages")):
            self.assertEqual(uidriver("set-text", WINDOW, control, text)[0], 0)
        self.assertEqual(uidriver("select", WINDOW, COVER_LIST, "3"), (0, "Memo"))
        screenshot(WINDOW, "send_page2")
        before = len(self.faxes())
        self.click(SEND)
        parts, _ = self.sent_and_ended(before)
        self.assertEqual([p["name"] for p in parts],
                         ["recipientFax", "recipientContacts", "coverPage", "file", "recipientName", "subject",
                          "notes", "coverPageId"])
        fields = {p["name"]: p["value"] for p in parts if "value" in p}
        self.assertEqual(fields["coverPage"], "true")
        self.assertEqual(fields["recipientName"], "Ann Lee")
        self.assertEqual(fields["subject"], "Quarterly figures")
        self.assertEqual(fields["notes"], "Three pages")
        self.assertEqual(fields["coverPageId"], cover_page_id("Memo"))
        self.assertEqual(read_settings().get("COVERPAGENAME"), "Memo")

    def test_back_on_page_1_no_cover_page_part_is_sent(self):
        self.open_job()
        self.add("5551234567", "(555)-123-4567")
        self.click(COVER_TURN_ON)
        self.assertTrue(wait_until(lambda: self.visible(SUBJECT), 10))
        self.assertEqual(uidriver("set-text", WINDOW, SUBJECT, "Not wanted")[0], 0)
        self.click(COVER_TURN_OFF)
        self.assertTrue(wait_until(lambda: not self.visible(SUBJECT) and self.visible(COVER_TURN_ON), 10))
        before = len(self.faxes())
        self.click(SEND)
        parts, _ = self.sent_and_ended(before)
        self.assertEqual([p["name"] for p in parts], ["recipientFax", "recipientContacts", "coverPage", "file"])
        self.assertEqual(parts[2]["value"], "false")
        self.assertNotIn("COVERPAGENAME", read_settings())

    # Which account value is missing, and the one box that names it (the
    # values are read at the moment of the click, so they change under the
    # running window).
    MISSING = [
        ("userId missing", "", ACCOUNT_ID, "Relogin application to receive userid"),
        ("both missing", "", "", "Relogin application to receive userid"),
        ("accountId missing", USER_ID, "", "Relogin application to receive accountid"),
    ]

    def store_account(self, user, account):
        write_setting("userId", user)
        write_setting("accountId", account)

    def no_box(self):
        self.assertNotEqual(uidriver("box-icon", "1000")[0], 0, "no box was expected")

    def test_cover_page_needs_the_account_ids(self):
        self.open_job()
        for case, user, account, text in self.MISSING:
            with self.subTest(case):
                self.store_account(user, account)
                self.click(COVER_TURN_ON)
                self.assertEqual(self.box(), ("Vantrel", text, "hand"))
                self.no_box()
                # Page 1 stays, its switch off.
                self.assertTrue(self.visible(COVER_TURN_ON))
                self.assertFalse(self.visible(COVER_TURN_OFF))
                self.assertFalse(self.visible(SUBJECT))
        self.store_account(USER_ID, ACCOUNT_ID)
        self.click(COVER_TURN_ON)
        self.assertTrue(wait_until(lambda: self.visible(SUBJECT) and self.visible(COVER_TURN_OFF), 10))
        self.no_box()
        self.click(CLOSE)
        self.assertEqual(self.program.wait_exit(30), 0)

    def test_send_on_page_2_checks_the_account_ids_again(self):
        self.open_job()
        self.click(COVER_TURN_ON)
        self.assertTrue(wait_until(lambda: self.visible(SUBJECT), 10))
        self.assertEqual(uidriver("select", WINDOW, COVER_LIST, "3"), (0, "Memo"))
        self.assertEqual(uidriver("set-text", WINDOW, SUBJECT, "Quarterly figures")[0], 0)
        self.type_number("5551234567", "(555)-123-4567")
        requests = len(self.sandbox.requests("/v1/fax/send"))
        for case, user, account, text in self.MISSING:
            with self.subTest(case):
                self.store_account(user, account)
                self.click(SEND)
                self.assertEqual(self.box(), ("Vantrel", text, "hand"))
                self.no_box()
                self.assertEqual(len(self.sandbox.requests("/v1/fax/send")), requests, "nothing may be sent")
                # The number went into the list before the check; page 2 and
                # its fields stay; the cover page is not remembered.
                self.assertEqual(self.rows(), ["(555)-123-4567"])
                self.assertEqual(uidriver("text", WINDOW, NUMBER), (0, "(   )-   -    "))
                self.assertTrue(self.visible(SUBJECT) and self.visible(COVER_TURN_OFF))
                self.assertEqual(uidriver("text", WINDOW, SUBJECT), (0, "Quarterly figures"))
                self.assertNotIn("COVERPAGENAME", read_settings())
                self.assertIsNone(self.program.process.poll())
        self.store_account(USER_ID, ACCOUNT_ID)
        before = len(self.faxes())
        self.click(SEND)
        parts, _ = self.sent_and_ended(before)
        fields = {p["name"]: p["value"] for p in parts if "value" in p}
        self.assertEqual(fields["recipientFax"], "+15551234567")
        self.assertEqual(fields["coverPageId"], cover_page_id("Memo"))
        self.assertEqual(read_settings().get("COVERPAGENAME"), "Memo")


class KeyChange(SendFaxCase):
    KEY_WINDOW = "@1048=Please enter app key"

    def listings(self):
        return self.sandbox.requests("/coverpages")

    def open_key_window(self):
        self.click("1057")
        self.assertEqual(uidriver("find", self.KEY_WINDOW, "20000")[0], 0)
        # Its buttons take clicks once they show.
        self.assertTrue(wait_until(lambda: uidriver("visible", self.KEY_WINDOW, "1008") == (0, "1"), 20))

    def test_a_new_key_fetches_the_cover_pages_again_and_cancel_changes_nothing(self):
        self.open_job()
        self.assertEqual(uidriver("text", WINDOW, COVER_LIST), (0, "Standard"))
        before = len(self.listings())

        self.open_key_window()
        self.assertEqual(uidriver("click", self.KEY_WINDOW, "1008")[0], 0)  # closed: Cancel
        self.assertEqual(uidriver("gone", self.KEY_WINDOW, "20000")[0], 0)
        time.sleep(0.5)
        self.assertEqual(len(self.listings()), before)

        self.open_key_window()
        self.assertEqual(uidriver("set-text", self.KEY_WINDOW, "1000", "test-key-nodefault")[0], 0)
        self.assertEqual(uidriver("click", self.KEY_WINDOW, "1009")[0], 0)
        self.assertEqual(self.box(), ("Vantrel", "Success! Your driver setup is complete", "information"))
        self.assertEqual(uidriver("gone", self.KEY_WINDOW, "20000")[0], 0)
        self.assertTrue(wait_until(lambda: len(self.listings()) == before + 1, 20))
        listing = self.listings()[-1]
        self.assertIn(["authorization", "Driver test-key-nodefault"], listing["headers"])
        self.assertEqual(read_settings().get("USERNAME"), "test-key-nodefault")

        # The fax goes out with the new key.
        self.add("5551234567", "(555)-123-4567")
        before = len(self.faxes())
        self.click(SEND)
        self.sent_and_ended(before)
        sent = self.sandbox.requests("/v1/fax/send")[-1]
        self.assertIn(["authorization", "Driver test-key-nodefault"], sent["headers"])


class FailedSends(SendFaxCase):
    def assert_still_open(self, rows):
        self.assertEqual(uidriver("find", WINDOW, "2000")[0], 0)
        self.assertIsNone(self.program.process.poll())
        self.assertEqual(self.rows(), rows)
        self.assertTrue(os.path.isfile(self.pdf()))

    def test_a_refused_fax_is_not_reported_as_sent(self):
        self.open_job()
        self.add("5551234567", "(555)-123-4567")
        before = len(self.faxes())
        self.sandbox.set_fault("refused")
        self.click(SEND)
        self.assertEqual(self.box(), ("Vantrel", "Fax refused: the line is not accepting faxes", "exclamation"))
        self.assert_still_open(["(555)-123-4567"])
        self.assertEqual(len(self.faxes()), before)
        # Once the service takes faxes again, the same window sends it.
        self.click(SEND)
        parts, _ = self.sent_and_ended(before)
        self.assertEqual(parts[0]["value"], "+15551234567")

    def test_checks_of_the_send_button_and_an_error_answer(self):
        self.open_job()
        self.add("5551234567", "(555)-123-4567")
        before = len(self.faxes())
        requests = len(self.sandbox.requests("/v1/fax/send"))

        self.type_number("555123", "(555)-123-    ")
        self.click(SEND)
        self.assertEqual(self.box(), ("Vantrel", "Invalid Fax Number", "exclamation"))
        self.assert_still_open(["(555)-123-4567"])

        self.assertEqual(uidriver("set-text", WINDOW, NUMBER, "")[0], 0)
        self.assertEqual(uidriver("panel-click", WINDOW, "0", ROW_REMOVE)[0], 0)
        self.assertTrue(wait_until(lambda: self.rows() == [], 10))
        self.click(SEND)
        self.assertEqual(self.box(), ("Vantrel", "Fax Number is empty", "exclamation"))
        self.assertEqual(len(self.sandbox.requests("/v1/fax/send")), requests, "nothing may be sent")

        self.add("5551234567", "(555)-123-4567")
        self.sandbox.set_fault("error-object")
        self.click(SEND)
        self.assertEqual(self.box(), ("Vantrel", "Service unavailable,code:503", "hand"))
        self.assert_still_open(["(555)-123-4567"])
        self.assertEqual(len(self.faxes()), before)
        self.click(SEND)
        parts, _ = self.sent_and_ended(before)
        self.assertEqual(parts[0]["value"], "+15551234567")


class Closing(SendFaxCase):
    def test_close_button_deletes_the_job(self):
        requests = len(self.sandbox.requests("/v1/fax/send"))
        self.open_job()
        self.assertEqual(len(self.job_files()), 1)
        self.click(CLOSE)
        self.assertEqual(self.program.wait_exit(30), 0)
        self.assertEqual(self.job_files(), [])
        self.assertFalse(os.path.exists(self.job))
        self.assertEqual(len(self.sandbox.requests("/v1/fax/send")), requests)

    def test_enter_in_the_number_field_adds_and_keeps_the_window(self):
        self.open_job()
        self.assertEqual(uidriver("focus", WINDOW), (0, NUMBER))
        self.type_number("5551234567", "(555)-123-4567")
        self.assertEqual(uidriver("key", WINDOW, NUMBER, str(VK_RETURN))[0], 0)
        self.assertTrue(wait_until(lambda: self.rows() == ["(555)-123-4567"], 10), self.rows())
        time.sleep(0.5)
        self.assertIsNone(self.program.process.poll(), "Enter must not end the window")
        self.assertEqual(uidriver("text", WINDOW, NUMBER), (0, "(   )-   -    "))
        self.assertTrue(os.path.isfile(self.pdf()))
        # Enter on an empty field asks for a number and still keeps the window.
        self.assertEqual(uidriver("key", WINDOW, NUMBER, str(VK_RETURN))[0], 0)
        self.assertEqual(self.box(), ("Vantrel", "Invalid Fax Number", "exclamation"))
        self.assertIsNone(self.program.process.poll())
        self.click(CLOSE)
        self.assertEqual(self.program.wait_exit(30), 0)
        self.assertEqual(self.job_files(), [])

    def test_without_a_print_job_the_program_ends_by_itself(self):
        # The spooler form without a quoted path names no print file.
        code, windows = self.program.watch("-fromspooler -pages 1")
        self.assertEqual(code, 0)
        self.assertIn(WINDOW, [title for _, title in windows])
        # In ms from the program's start, by its own clock: the window seen,
        # its thread answering, the window seen gone, the process ended.
        shown, answered, gone, ended = self.program.times or (None,) * 4
        self.assertTrue(shown is not None and answered is not None, self.program.times)
        # The window answers once its initialisation is over, which starts
        # the 500 ms timer; the answer reaches the driver a little later, so
        # a little less may be measured. Window and process may go together.
        self.assertGreaterEqual((gone or ended) - answered, 450, self.program.times)
        # 500 ms of the window's timer; the rest is the process ending under Wine.
        self.assertLess(ended - shown, 2000, self.program.times)
        self.assertEqual(self.job_files(), [])

    def test_loading_view_shows_while_the_cover_pages_come(self):
        self.sandbox.set_fault("slow")  # the cover page listing takes 2 s
        self.program.start("-fromspooler -pages 1")
        os.makedirs(SHOTS, exist_ok=True)
        path = os.path.join(SHOTS, "send_loading.png")
        if os.path.exists(path):
            os.remove(path)
        # Looked at without a message to the window, whatever its thread is doing.
        code, out = uidriver("shot-busy", WINDOW, windows_path(path), "1048", "1051", SEND)
        self.assertEqual(code, 0, out)
        self.assertEqual(out.split(), ["1048:1", "1051:1", SEND + ":0"])
        self.assertTrue(os.path.isfile(path))
        self.assertEqual(self.program.wait_exit(30), 0)


class CountryMenu(SendFaxCase):
    def test_menu_offers_two_countries_and_a_choice_empties_the_field(self):
        self.open_job()
        self.type_number("555", "(555)-   -    ")
        code, size = uidriver("menu", WINDOW, COUNTRY_MENU)
        self.assertEqual(code, 0, "the country menu did not open")
        width, height = (int(v) for v in size.split("x"))
        # Two items of 250 x 40 and the menu's border.
        self.assertTrue(250 <= width <= 270 and 80 <= height <= 96, size)
        # The items themselves, read inside the program: the first two
        # countries with their dialling codes, 250 x 40 as the window measures
        # them (the system may add room for a check mark), each with its flag.
        items = menu_items(WINDOW)
        self.assertEqual([(item[0], item[1]) for item in items], [(171, "Canada +1"), (172, "USA +1")])
        for (_, text, (left, top, right, bottom), painted), flag in zip(items, ("171_ca.png", "172_us.png")):
            self.assertTrue(250 <= right - left <= 270, (text, left, right))
            self.assertEqual(bottom - top, 40, text)
            self.assertEqual(flag_mismatches(painted, flag), [], "the flag of %s" % text)
        screenshot(WINDOW, "send_country_menu")
        # Choose the first entry (Canada): the mask is set again, the field empty.
        self.assertEqual(uidriver("menu-key", WINDOW, "40")[0], 0)  # down
        self.assertEqual(uidriver("menu-key", WINDOW, str(VK_RETURN))[0], 0)
        self.assertTrue(wait_until(lambda: uidriver("text", WINDOW, NUMBER) == (0, "(   )-   -    "), 10))
        self.assertEqual(uidriver("focus", WINDOW), (0, NUMBER))
        self.add("6135550123", "(613)-555-0123")
        before = len(self.faxes())
        self.click(SEND)
        parts, _ = self.sent_and_ended(before)
        self.assertEqual(parts[0]["value"], "+16135550123")  # Canada's prefix is 1 as well


if __name__ == "__main__":
    unittest.main()
