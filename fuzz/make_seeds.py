#!/usr/bin/env python3
"""Writes the seed corpora of fuzz/corpus/<target>/ from the sandbox's
fixtures and answers, the country table and the loading GIF. Run again only
to refresh the seeds; the fuzzers never write into them."""
import json
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tools", "fax-sandbox"))
import sandbox  # noqa: E402

CORPUS = os.path.join(ROOT, "fuzz", "corpus")


def compact(obj):
    return json.dumps(obj, separators=(",", ":")).encode()


def fixture(name):
    with open(os.path.join(ROOT, "tools", "fax-sandbox", "fixtures", name)) as f:
        return json.load(f)


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("latin-1"))


faults = {
    "error_object": compact(sandbox.error_object("Service unavailable", 503)),
    "token_error": compact(sandbox.TOKEN_ERROR),
    "jwt_expired": compact({"message": "jwt expired"}),
    "message": compact({"message": "Bad request"}),
    "errors": compact(sandbox.NO_RECIPIENTS),
    "html_502": sandbox.HTML_502 if isinstance(sandbox.HTML_502, bytes) else sandbox.HTML_502.encode(),
    "refused": compact(sandbox.REFUSED),
    "no_ids": compact(sandbox.NO_IDS),
    "empty": b"",
}

accounts = fixture("accounts.json")["accounts"]
contacts = fixture("contacts.json")["contacts"]
covers = fixture("coverpages.json")
shaped = [sandbox.Fixtures._contact(c) for c in contacts]

for name, body in faults.items():
    for target in ("answer_scanning", "account_answer", "cover_pages_answer", "submission_answer",
                   "contacts_answer"):
        write(target, "fault_" + name, body)

for i, account in enumerate(accounts):
    write("account_answer", "me_%d" % i, compact(account["me"]))
    write("answer_scanning", "me_%d" % i, compact(account["me"]))

cover_body = compact(covers)
write("cover_pages_answer", "listing", cover_body)
write("cover_pages_answer", "with_default", b"cp-2b7e4d90-confidential\nMemo\n" + cover_body)
write("cover_pages_answer", "last_chosen", b"\nmemo: u\n" + cover_body)
write("answer_scanning", "cover_pages", cover_body)

write("submission_answer", "queued", compact({"success": True, "message": "Fax queued", "faxId": "fax-1"}))
write("submission_answer", "success_zero", b'{"success":0,"message":"Line busy"}')
write("submission_answer", "success_null_spaced", b'{"success" : null , "message" : "no"}')

full = compact({"count": len(shaped), "rows": shaped})
write("contacts_answer", "all", full)
write("contacts_answer", "first_three", compact({"count": 3, "rows": shaped[:3]}))
orgs = [c for c in shaped if c["contacts"]]
if orgs:
    write("contacts_answer", "organisation", compact({"count": 1, "rows": orgs[:1]}))
write("contacts_answer", "no_member_array", b'{"count":2,"rows":[{"uuid":"a","name":"A","faxNumber":"+1555"},'
      b'{"uuid":"b","name":"B","lastName":null,"faxNumber":"+1556","isOrganization":true}]}')
write("answer_scanning", "contacts", compact({"count": 3, "rows": shaped[:3]}))

# Text beyond ASCII: escaped, raw UTF-8, and broken.
intl_dir = os.path.join(ROOT, "tools", "fax-sandbox", "fixtures-intl")
intl = sandbox.Fixtures(intl_dir)
intl_body = ('{"count":%d,"rows":[%s]}' % (len(intl.contacts), ",".join(
    json.dumps(c, separators=(",", ":"), ensure_ascii=c["uuid"] not in intl.raw_utf8) for c in intl.contacts)))
write("contacts_answer", "beyond_ascii", intl_body.encode("utf-8"))
write("contacts_answer", "invalid_utf8", b'{"count":2,"rows":[{"uuid":"a","name":"M\xfcller\xc3","faxNumber":"+1555",'
      b'"contacts":[]},{"uuid":"b","name":"B\\ud83c","faxNumber":"+1556","contacts":[]}]}')
write("cover_pages_answer", "beyond_ascii",
      b'\nGr\xfc\n[{"uuid":"a","name":"Gr\\u00fc\\u00dfe \\"1\\""},{"uuid":"b","name":"K\xc3\xb6ln"}]')
write("answer_scanning", "escaped_message", b'{"error":{"message":"Ung\\u00fcltig: \\"x\\"\\u003a \xc3\xa9"}}')
write("account_answer", "beyond_ascii", b'{"userId":"u\\u00fc","name":"M\xc3\xbcller\\u002c \\"J\\"",'
      b'"account":{"faxDefaultCoverPage":"cp-\\u00e9"}}')
write("submission_answer", "escaped_refusal", b'{"success":"false","message":"Fax f\\u00fcr \\"Zo\xc3\xab\\" abgelehnt"}')
for name, text in (("plain", b"Acme Corporation"), ("escapes", b'a\\"b\\\\c\\/\\n\\u00fc\\u20AC'),
                   ("surrogates", b"\\ud83c\\udfa8 \\ud83c \\udfa8 \\ud83c\\u0041"),
                   ("raw_utf8", "M\u00fcller, J\u00fcrgen \u20ac \U0001f3a8".encode("utf-8")),
                   ("broken_utf8", b"\xc3\x28 \xe2\x82 \xf0\x9f\x8e \xed\xa0\x80 \xc0\xaf \xff"),
                   ("stray_backslashes", b"C:\\x \\u12G4 \\u12 end\\"),
                   ("ansi", b"Gr\xf6\xdfe 5 \x80 \x81\x9f")):
    write("answer_text", name, text)

# Records: level/flag byte, two count bytes, then name NUL fax NUL uuid.
write("contact_record", "entry", b"1,0,Alice Anderson,0,+15551230001,c0000001")
write("contact_record", "org", b"1,1,Acme\\, Inc.,2,+15551239999,c0000100")
write("contact_record", "member", b"0,0,Bob,,+15551230002,c0000002")
write("contact_record", "escapes", b"1,1,a\\\\b\\,c,3,\\,,x\\")
write("contact_record", "short", b"1,")
write("contact_record", "made", b"\x03\x00\x02Name, with comma\x00+1\\555\x00uuid-1")

write("command_line", "spooler", b'key-1\n-fromspooler -pages 3 "C:\\spool\\job 1.ps"')
write("command_line", "bare", b"key-1\nC:\\spool\\job.ps")
write("command_line", "silent", b"\n/KEY=abc123")
write("command_line", "silent_after", b'key-1\n-fromspooler /KEY=new "x"')
write("command_line", "no_quotes", b"key\n-fromspooler -pages 2 C:\\job.ps")
write("command_line", "empty", b"key\n")

with open(os.path.join(ROOT, "resources", "countries.csv"), "rb") as f:
    table = f.read()
write("country_table", "countries", table)
write("country_table", "first_lines", b"\r\n".join(table.split(b"\r\n")[:5]) + b"\r\n")
write("country_table", "no_final_line_end", b"Canada,CA,1,(###) ###-####\r\nUSA,US,1,(###) ###-####")
write("country_table", "quoted", b'"Korea, South",KR,82,##-####-####,\r\n')

with open(os.path.join(ROOT, "resources", "art", "loading.gif"), "rb") as f:
    loading = f.read()
write("gif_frames", "loading", loading)
write("gif_frames", "truncated", loading[: len(loading) // 2])
# Smallest one-frame GIF with a graphic control extension and a comment.
tiny = (b"GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff"
        b"\x21\xfe\x02hi\x00"
        b"\x21\xf9\x04\x04\x0a\x00\x00\x00"
        b"\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b")
write("gif_frames", "tiny", tiny)
write("gif_frames", "gif87", b"GIF87a\x01\x00\x01\x00\x00\x00\x00\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b")

# Masked edit: mode byte, mask as a length-prefixed text, then steps.
masks = set()
for line in table.split(b"\r\n")[:40]:
    fields = line.split(b",")
    if len(fields) >= 4 and fields[3]:
        masks.add(fields[3][:23])
for i, mask in enumerate(sorted(masks)[:6]):
    steps = bytes([0, 2, ord("5")]) * 4 + bytes([2, 3]) + bytes([6, 5]) + b"12345" + bytes([5, 0, 3]) + b"999"
    write("masked_edit", "mask_%d" % i, bytes([0, len(mask)]) + mask + steps)
write("masked_edit", "escapes", bytes([1, ord(","), ord("."), ord("-"), ord(".")]) + bytes([9]) + b"\\#>?<A&:/\\" +
      bytes([1, 1, 1, ord("a"), 7, ord("_"), 0, 0, 0, ord("Z"), 4, 0, 5]))
for i, mask in enumerate([b"##/##/####", b"##:## AAA", b">??-<<<-###", b"&&&&&&", b"+1 (###) ###-####",
                          b"\\##.###,##"]):
    steps = b"".join(bytes([1, 2 + k, 0x30 + k]) for k in range(6)) + bytes([7, ord("_"), 2, 5, 1, 4, 1, 6]) + \
        bytes([8, 1, 7, ord("a")]) + b"1b2C3d4" + bytes([6, 10]) + b"12/31/1999"
    write("masked_edit", "made_%d" % i, bytes([0, len(mask)]) + mask + steps)
