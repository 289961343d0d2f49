"""The demo's send, through the program's real windows: the silent key set-up,
then the three-page example job with one typed number, one contact from the
picker and a cover page, sent to the local fax sandbox. It then checks what
the sandbox stored and prints where it is. The driving is the shared one
in tools/driving, which the end-to-end tests use too.

Run by scripts/demo, which sets up Wine, the display, the sandbox and the
environment the harness reads (KESTRID_PROGRAM_DIR, WINEPREFIX, DISPLAY).
Exit 0 only when the fax arrived with those recipients and the cover page."""
import argparse
import json
import os
import ssl
import subprocess
import sys
import urllib.request

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tools", "driving"))

import kestrid_driving as harness  # noqa: E402

KEY = "test-key-123"
VERSION = "1.0"
TITLE = "Vantrel v" + VERSION
NUMBER, NUMBER_SHOWN, NUMBER_SENT = "5551234567", "(555)-123-4567", "+15551234567"
CONTACT = ("Alice", "Anderson")
COVER = {"recipientName": "Alice Anderson", "subject": "Quarterly figures", "notes": "Three pages follow."}
COVER_ENTRY = 3  # of the account's cover page list
SUCCESS = ("Vantrel", "Success! Your fax has been sent", "information")


def say(text):
    print("demo: " + text, flush=True)


def fixture(name):
    with open(os.path.join(ROOT, "tools", "fax-sandbox", "fixtures", name)) as f:
        return json.load(f)


def contact_uuid(name, last_name):
    for contact in fixture("contacts.json")["contacts"]:
        if contact.get("name") == name and contact.get("lastName") == last_name:
            return contact["uuid"]
    raise AssertionError("no contact %s %s in the sandbox's fixture" % (name, last_name))


def cover_page_uuid(name):
    pages = fixture("coverpages.json")
    if isinstance(pages, dict):
        pages = next(iter(pages.values()))
    for page in pages:
        if page["name"] == name:
            return page["uuid"]
    raise AssertionError("no cover page %r in the sandbox's fixture" % name)


def set_fault(base, ca_file, mode):
    """Switches the sandbox's next request into a fault mode."""
    request = urllib.request.Request(base + "/_sandbox/fault", method="POST",
                                     data=json.dumps({"mode": mode, "count": 1}).encode(),
                                     headers={"content-type": "application/json"})
    with urllib.request.urlopen(request, context=ssl.create_default_context(cafile=ca_file), timeout=10):
        pass


def stored_faxes(outbox):
    if not os.path.isdir(outbox):
        return []
    return sorted((f for f in os.listdir(outbox) if f.isdigit()), key=int)


def pdf_pages(path):
    """The page count pdfinfo reads, or None when it cannot read the file."""
    out = subprocess.run(["pdfinfo", path], stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=60)
    for line in out.stdout.splitlines():
        if line.startswith("Pages:"):
            return int(line.split()[1])
    return None


def set_up_key(program):
    say("setting the key up silently: KestridUI.exe /KEY=%s" % KEY)
    code, windows = program.watch("/KEY=" + KEY)
    if code != 0 or windows:
        raise AssertionError("the silent set-up ended with %r and showed %r" % (code, windows))
    settings = harness.read_settings()
    if settings.get("USERNAME") != KEY or not settings.get("userId") or not settings.get("accountId"):
        raise AssertionError("the silent set-up stored %r" % settings)
    say("key and account stored (userId %s)" % settings["userId"])


def send(program, job, shots, fault, base, ca_file):
    window = harness.SendFaxWindow(TITLE)
    say("starting KestridUI.exe on the print job %s" % os.path.basename(job.path))
    program.start(job.command_line)
    window.wait_page1()
    harness.screenshot(TITLE, "01-send-window", shots)

    say("typing the number %s" % NUMBER_SHOWN)
    window.add_number(NUMBER, NUMBER_SHOWN)

    say("choosing %s %s in the contact picker" % CONTACT)
    picker = window.open_picker()
    harness.screenshot(picker.TITLE, "02-contact-picker", shots)
    picker.search(CONTACT[0], ["%s %s" % CONTACT])
    picker.tick("%s %s" % CONTACT)
    harness.screenshot(picker.TITLE, "03-contact-ticked", shots)
    picker.select()
    wanted = [NUMBER_SHOWN, "%s %s" % CONTACT]
    if not harness.wait_until(lambda: window.names() == wanted, 10):
        raise AssertionError("the send window lists %r, not %r" % (window.names(), wanted))
    harness.screenshot(TITLE, "04-recipients", shots)

    page = window.cover_page(COVER["recipientName"], COVER["subject"], COVER["notes"], COVER_ENTRY)
    say("cover page %r for %s" % (page, COVER["recipientName"]))
    harness.screenshot(TITLE, "05-cover-page", shots)

    if fault:
        say("the sandbox will answer the send with the fault %r" % fault)
        set_fault(base, ca_file, fault)
    say("sending")
    box = window.send()
    say("the program says: %s" % box[1])
    if box != SUCCESS:
        raise AssertionError("the fax was not sent: the program showed %r" % (box,))
    if program.wait_exit(30) != 0:
        raise AssertionError("the program did not end with 0 after sending")
    return page


def check_stored(outbox, before, page):
    """The one new fax in the outbox, with the demo's recipients and cover page."""
    folders = stored_faxes(outbox)[len(before):]
    if len(folders) != 1:
        raise AssertionError("the sandbox stored %d faxes, not 1" % len(folders))
    folder = os.path.join(outbox, folders[0])
    with open(os.path.join(folder, "fields.json")) as f:
        parts = json.load(f)
    fields = {p["name"]: p.get("value") for p in parts}
    expected = dict(COVER, recipientFax=NUMBER_SENT, recipientContacts=contact_uuid(*CONTACT), coverPage="true",
                    coverPageId=cover_page_uuid(page))
    wrong = {k: (fields.get(k), v) for k, v in expected.items() if fields.get(k) != v}
    if wrong:
        raise AssertionError("stored fields differ (stored, expected): %r" % wrong)
    files = [p for p in parts if p["name"] == "file"]
    pdf = os.path.join(folder, files[0]["stored_as"]) if files else ""
    if not files or not os.path.isfile(pdf):
        raise AssertionError("the sandbox stored no PDF in %s" % folder)
    pages = pdf_pages(pdf)
    if pages != 3:
        raise AssertionError("the stored PDF %s has %s pages, not the job's 3" % (pdf, pages))
    return folder, pdf, fields


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--outbox", required=True)
    parser.add_argument("--shots", required=True)
    parser.add_argument("--base", required=True, help="the sandbox's address")
    parser.add_argument("--ca", required=True, help="the sandbox's CA certificate")
    parser.add_argument("--fault", default="", help="a sandbox fault mode for the send")
    args = parser.parse_args()

    harness.clear_settings()
    program = harness.ProgramFolder(version=VERSION)
    program.add_ghostscript()
    job = harness.PrintJob("three-page.ps")
    try:
        set_up_key(program)
        before = stored_faxes(args.outbox)
        page = send(program, job, args.shots, args.fault, args.base, args.ca)
        folder, pdf, fields = check_stored(args.outbox, before, page)
    except AssertionError as e:
        say("FAILED: %s" % e)
        return 1
    except KeyboardInterrupt:
        return 130
    finally:
        harness.end_program(program, [("click", harness.ContactPicker.TITLE, harness.ContactPicker.CLOSE),
                                      ("close", TITLE)])
        program.cleanup()
        job.cleanup()
    say("the fax arrived at the sandbox:")
    say("  PDF:    %s (3 pages)" % pdf)
    say("  fields: %s" % os.path.join(folder, "fields.json"))
    for name in ("recipientFax", "recipientContacts", "coverPage", "coverPageId", "recipientName", "subject", "notes"):
        say("    %-17s %s" % (name, fields[name]))
    say("screenshots: %s" % args.shots)
    return 0


if __name__ == "__main__":
    sys.exit(main())
