"""Sending without freezing: the real program under Wine sends a large PDF to
the local fax service slowed by its throttle. The window keeps answering while
the file goes up, shows its progress, can cancel the upload with nothing
delivered, and closing it during the upload stops the transfer before the job
is deleted."""
import hashlib
import os
import subprocess
import time
import unittest

import harness
from harness import SHOTS, screenshot, uidriver, wait_until
from test_send_fax import (CLOSE, COVER_TURN_ON, COVER_TURN_OFF, NUMBER, SEND, SUBJECT, WINDOW, SendFaxCase)

PROGRESS, CANCEL = "1064", "1065"
KEY_BUTTON, CONTACTS, ADD = "1057", "1014", "1007"
MINIMISE = "1006"
MB = 1024 * 1024
WM_SEND_PROGRESS, WM_SEND_UPLOADED, WM_SEND_DONE = 0x8000 + 50, 0x8000 + 51, 0x8000 + 52
UNANSWERED = ("The fax was sent, but the fax service did not answer. Check your account before you send it "
              "again.")


def press_key(key):
    """A real key press on the send-fax window: it goes through the program's
    message loop and dialog manager."""
    harness.focus_window(WINDOW)
    harness.real_keys(key)


def raw_text(control):
    """A control's text as the program holds it, in its ANSI code page (the
    progress texts hold an ellipsis)."""
    return uidriver("text", WINDOW, control, timeout=60)[1]


def accent_pixels(png, area):
    """How many pixels of area ("WxH+X+Y" of the client area: the window has
    no frame) are the window's accent blue."""
    pixels = subprocess.run(["convert", png, "-crop", area, "+repage", "-depth", "8", "txt:-"],
                            capture_output=True, text=True, check=True, timeout=60).stdout
    return sum(1 for line in pixels.splitlines() if "#2575E0" in line.upper())


def bar_pixels(png):
    """The filled part of the progress bar's middle line."""
    return accent_pixels(png, "320x1+60+585")


CANCEL_AREA = "110x40+396+554"  # the accent-blue word on the usable button


def percent_of(text):
    """N of "Sending… N %", else None."""
    if text.startswith("Sending\u2026 ") and text.endswith(" %"):
        return int(text[len("Sending\u2026 "):-2])
    return None


class SendProgressCase(SendFaxCase):
    def setUp(self):
        super().setUp()
        self.sandbox.set_throttle(0)
        # The service's log is shared by every test of the run: a test counts
        # only the requests that came after this point.
        self.log_start = len(self.sandbox.requests())

    def tearDown(self):
        self.sandbox.set_throttle(0)
        super().tearDown()

    def big_pdf(self, size):
        """Puts a PDF of size bytes in place of the converted job (same name);
        returns its SHA-256."""
        pdf = self.pdf()
        data = b"%PDF-1.4\n" + os.urandom(size - 16) + b"\n%%EOF\n"
        with open(pdf, "wb") as out:
            out.write(data)
        return hashlib.sha256(data).hexdigest()

    def states(self, *controls):
        code, out = uidriver("states", WINDOW, *controls)
        self.assertEqual(code, 0)
        return dict((part.split(":")[0], part.split(":", 1)[1]) for part in out.split())

    def wait_for_percent(self, at_least, timeout=30):
        seen = []

        def reached():
            seen.append(raw_text(PROGRESS))
            p = percent_of(seen[-1])
            return p is not None and p >= at_least

        self.assertTrue(wait_until(reached, timeout, 0.05), seen[-5:])
        return seen[-1]

    def sha(self, path):
        with open(path, "rb") as f:
            return hashlib.sha256(f.read()).hexdigest()

    def cut_uploads(self):
        """The uploads the service saw cut off since the test began."""
        return [r for r in self.sandbox.requests()[self.log_start:]
                if r["path"] == "/v1/fax/send" and r["status"] is None]


class SendingALargeFax(SendProgressCase):
    def test_window_answers_and_shows_progress_while_20_mb_go_up(self):
        self.open_job()
        self.add("5551234567", "(555)-123-4567")
        digest = self.big_pdf(20 * MB)
        before = len(self.faxes())
        requests = len(self.sandbox.requests("/v1/fax/send"))
        self.sandbox.set_throttle(4 * MB)
        self.click(SEND)

        # The progress view stands in the send button's place; the form is locked.
        self.assertTrue(wait_until(lambda: self.states(PROGRESS)[PROGRESS] == "1:1", 10))
        states = self.states(PROGRESS, CANCEL, SEND, NUMBER, CONTACTS, ADD, KEY_BUTTON, COVER_TURN_ON, CLOSE, MINIMISE)
        self.assertEqual(states, {PROGRESS: "1:1", CANCEL: "1:1", SEND: "0:1", NUMBER: "1:0", CONTACTS: "1:0",
                                  ADD: "1:0", KEY_BUTTON: "1:0", COVER_TURN_ON: "1:0", CLOSE: "1:1", MINIMISE: "1:1"})
        # The window paints while the file goes up: the bar grows between two shots.
        # A second send cannot start while this one runs.
        self.click(SEND)
        self.wait_for_percent(5)
        early = bar_pixels(screenshot(WINDOW, "send_progress"))
        self.wait_for_percent(30)
        later = bar_pixels(screenshot(WINDOW, "send_progress_later"))
        self.assertGreater(early, 0)
        self.assertGreater(later, early + 40)
        self.assertGreater(accent_pixels(os.path.join(SHOTS, "send_progress.png"), CANCEL_AREA), 20)

        # As long as the progress view shows, the window answers every probe
        # within 100 ms.
        code, out = uidriver("probe", WINDOW, PROGRESS, "90000", "100", timeout=180)
        self.assertEqual(code, 0, out)
        lines = out.splitlines()
        summary = lines[-1].split("|")
        self.assertIn(summary[-1], ("hidden", "box"), out)
        probes, slowest, late = int(summary[1]), int(summary[3]), int(summary[5])
        self.assertGreaterEqual(probes, 20, out)
        self.assertEqual(late, 0, "probes answered late: " + out)
        self.assertLessEqual(slowest, 100, out)
        texts = [line[len("text|"):].replace("\\x85", "\u2026") for line in lines if line.startswith("text|")]
        percents = [percent_of(t) for t in texts if percent_of(t) is not None]
        self.assertGreaterEqual(len(percents), 3, texts)
        self.assertEqual(percents, sorted(percents), texts)
        self.assertIn("Waiting for the fax service\u2026", texts)

        parts, folder = self.sent_and_ended(before)
        self.assertEqual(len(self.sandbox.requests("/v1/fax/send")), requests + 1)
        stored = {p["name"]: p for p in parts}["file"]
        self.assertEqual(stored["size"], 20 * MB)
        self.assertEqual(self.sha(os.path.join(folder, stored["stored_as"])), digest)


class CancellingAFax(SendProgressCase):
    def test_cancel_half_way_sends_nothing_and_keeps_the_window_as_it_was(self):
        self.open_job()
        self.add("5551234567", "(555)-123-4567")
        self.click(COVER_TURN_ON)
        self.assertTrue(wait_until(lambda: self.visible(SUBJECT), 10))
        self.assertEqual(uidriver("set-text", WINDOW, SUBJECT, "Quarterly figures")[0], 0)
        # A number left in the field goes into the list when sending starts.
        self.type_number("5550001111", "(555)-000-1111")
        digest = self.big_pdf(12 * MB)
        pdf = self.pdf()
        before = len(self.faxes())
        self.sandbox.set_throttle(2 * MB)
        self.click(SEND)

        self.wait_for_percent(40)
        self.click(CANCEL)
        clicked = time.monotonic()
        # The service sees the upload cut off within a second of the click.
        self.assertTrue(wait_until(lambda: len(self.cut_uploads()) == 1, 10, 0.02))
        stopped = time.monotonic() - clicked
        self.assertLess(stopped, 1.0)
        self.assertEqual(self.box(), ("Vantrel", "Sending cancelled. Nothing was sent.", "information"))

        self.assertEqual(len(self.faxes()), before, "nothing may arrive")
        self.assertIsNone(self.program.process.poll())
        self.assertEqual(self.rows(), ["(555)-123-4567"])
        self.assertEqual(uidriver("text", WINDOW, NUMBER), (0, "(555)-000-1111"))
        self.assertEqual(uidriver("text", WINDOW, SUBJECT), (0, "Quarterly figures"))
        self.assertTrue(self.visible(COVER_TURN_OFF))
        self.assertEqual(self.states(PROGRESS, CANCEL, SEND, NUMBER, SUBJECT),
                         {PROGRESS: "0:1", CANCEL: "0:0", SEND: "1:1", NUMBER: "1:1", SUBJECT: "1:1"})
        self.assertEqual(self.pdf(), pdf)
        self.assertEqual(self.sha(pdf), digest)

        # The same window sends it once asked again.
        self.sandbox.set_throttle(0)
        self.click(SEND)
        parts, folder = self.sent_and_ended(before)
        fields = {p["name"]: p for p in parts}
        self.assertEqual(fields["recipientFax"]["value"], "+15551234567,+15550001111")
        self.assertIn(["authorization", "Driver test-key-123"], self.sandbox.requests("/v1/fax/send")[-1]["headers"])
        self.assertEqual(fields["subject"]["value"], "Quarterly figures")
        self.assertEqual(self.sha(os.path.join(folder, fields["file"]["stored_as"])), digest)


class ClosingDuringAnUpload(SendProgressCase):
    def close_during_upload(self, close):
        self.open_job()
        self.add("5551234567", "(555)-123-4567")
        self.big_pdf(12 * MB)
        before = len(self.faxes())
        cut = len(self.cut_uploads())
        self.sandbox.set_throttle(2 * MB)
        self.click(SEND)
        self.wait_for_percent(10)
        close()
        # No box: the transfer stops, the window goes and the program ends.
        self.assertEqual(self.program.wait_exit(30), 0)
        self.assertEqual(self.job_files(), [], "nothing of the job may remain")
        self.assertTrue(wait_until(lambda: len(self.cut_uploads()) == cut + 1, 10))
        self.assertEqual(len(self.faxes()), before)

    def test_close_button(self):
        self.close_during_upload(lambda: self.click(CLOSE))

    def test_close_message(self):
        # WM_CLOSE (Alt+F4, the task bar) closes like the close button.
        self.close_during_upload(lambda: self.assertEqual(uidriver("close", WINDOW)[0], 0))

    def test_closed_after_the_last_byte_the_verdict_is_still_told(self):
        # Everything is up, the answer is 2 s away: nothing can be stopped, so
        # the window tells what became of the fax and ends after that.
        self.open_job()
        self.add("5551234567", "(555)-123-4567")
        before = len(self.faxes())
        self.sandbox.set_fault("slow")
        self.click(SEND)
        self.assertTrue(wait_until(lambda: raw_text(PROGRESS) == "Waiting for the fax service\u2026", 10, 0.05))
        self.assertEqual(self.states(CANCEL)[CANCEL], "1:0")
        # Cancel shows that it cannot be used.
        self.assertEqual(accent_pixels(screenshot(WINDOW, "send_progress_waiting"), CANCEL_AREA), 0)
        self.click(CLOSE)
        self.sent_and_ended(before)


class EscapeDuringAnUpload(SendProgressCase):
    def test_escape_is_the_cancel_and_keeps_the_window_as_it_was(self):
        self.open_job()
        self.add("5551234567", "(555)-123-4567")
        self.type_number("5550001111", "(555)-000-1111")
        digest = self.big_pdf(12 * MB)
        pdf = self.pdf()
        before = len(self.faxes())
        self.sandbox.set_throttle(2 * MB)
        self.click(SEND)
        self.wait_for_percent(10)
        self.assertEqual(uidriver("focus", WINDOW), (0, CANCEL))
        press_key("Escape")
        self.assertEqual(self.box(), ("Vantrel", "Sending cancelled. Nothing was sent.", "information"))
        self.assertEqual(len(self.cut_uploads()), 1, "the upload was cut off")
        self.assertEqual(len(self.faxes()), before, "nothing may arrive")
        self.assertIsNone(self.program.process.poll(), "Escape must not end the program")
        self.assertEqual(self.rows(), ["(555)-123-4567"])
        self.assertEqual(uidriver("text", WINDOW, NUMBER), (0, "(555)-000-1111"))
        self.assertEqual(self.states(PROGRESS, CANCEL, SEND, NUMBER),
                         {PROGRESS: "0:1", CANCEL: "0:0", SEND: "1:1", NUMBER: "1:1"})
        self.assertEqual(self.pdf(), pdf)
        self.assertEqual(self.sha(pdf), digest)
        screenshot(WINDOW, "send_after_escape")

        # The same window sends it once asked again.
        self.sandbox.set_throttle(0)
        self.click(SEND)
        parts, folder = self.sent_and_ended(before)
        fields = {p["name"]: p for p in parts}
        self.assertEqual(fields["recipientFax"]["value"], "+15551234567,+15550001111")
        self.assertEqual(self.sha(os.path.join(folder, fields["file"]["stored_as"])), digest)

    def test_escape_while_the_service_is_awaited_does_nothing(self):
        # The whole request is up and the service keeps the line for 10 s, then
        # closes it without an answer: Cancel cannot act, nor can Escape, and
        # the user learns that the fax may well be on its way.
        self.open_job()
        self.add("5551234567", "(555)-123-4567")
        pdf = self.pdf()
        before = len(self.faxes())
        self.sandbox.set_fault("stall", seconds=10)
        self.click(SEND)
        self.assertTrue(wait_until(lambda: raw_text(PROGRESS) == "Waiting for the fax service\u2026", 10, 0.05))
        self.assertEqual(self.states(CANCEL)[CANCEL], "1:0")
        press_key("Escape")
        time.sleep(0.5)
        self.assertEqual(self.states(PROGRESS, CANCEL), {PROGRESS: "1:1", CANCEL: "1:0"})
        self.assertEqual(self.box(), ("Vantrel", UNANSWERED, "exclamation"))
        time.sleep(0.5)
        self.assertIsNone(self.program.process.poll(), "the window stays for the user to decide")
        self.assertEqual(self.rows(), ["(555)-123-4567"])
        self.assertEqual(self.job_files(), [os.path.basename(pdf)])
        self.assertEqual(self.states(PROGRESS, SEND), {PROGRESS: "0:1", SEND: "1:1"})
        self.assertEqual(len(self.faxes()), before)

    def test_escape_with_no_send_on_still_closes(self):
        self.open_job()
        self.add("5551234567", "(555)-123-4567")
        press_key("Escape")
        self.assertEqual(self.program.wait_exit(30), 0)
        self.assertEqual(self.job_files(), [])


class MessagesOfOtherSends(SendProgressCase):
    def test_a_result_message_not_of_the_running_send_changes_nothing(self):
        self.open_job()
        self.add("5551234567", "(555)-123-4567")
        self.big_pdf(8 * MB)
        before = len(self.faxes())
        # Before any send and while one runs, messages that claim to come from
        # a send's worker but name no running send are ignored.
        for message in (WM_SEND_DONE, WM_SEND_UPLOADED, WM_SEND_PROGRESS):
            self.assertEqual(uidriver("post", WINDOW, str(message), "0", "0")[0], 0)
        time.sleep(0.5)
        self.assertIsNone(self.program.process.poll())
        self.assertEqual(self.states(SEND)[SEND], "1:1")
        self.sandbox.set_throttle(2 * MB)
        self.click(SEND)
        self.wait_for_percent(10)
        for wparam in ("0", "2", "7"):
            for message in (WM_SEND_DONE, WM_SEND_UPLOADED):
                self.assertEqual(uidriver("post", WINDOW, str(message), wparam, "0")[0], 0)
        time.sleep(0.5)
        # Still sending: the view shows, Cancel can act, no box came.
        self.assertEqual(self.states(PROGRESS, CANCEL, NUMBER), {PROGRESS: "1:1", CANCEL: "1:1", NUMBER: "1:0"})
        self.assertIsNotNone(percent_of(raw_text(PROGRESS)))
        self.sandbox.set_throttle(0)
        self.sent_and_ended(before)


if __name__ == "__main__":
    unittest.main()
