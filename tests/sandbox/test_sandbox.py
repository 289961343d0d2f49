"""The local fax sandbox, driven over real HTTPS with a freshly made CA."""

import http.client
import json
import os
import select
import shutil
import signal
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.error
import urllib.request

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
TOOL = os.path.join(ROOT, "tools", "fax-sandbox")
SANDBOX = os.path.join(TOOL, "sandbox.py")
MAKE_CA = os.path.join(TOOL, "make-ca.sh")
FIXTURES = os.path.join(TOOL, "fixtures")

KEY = "test-key-123"
OTHER_KEY = "test-key-nodefault"
TOKEN_ERROR = {"name": "JsonWebTokenError", "message": "JsonWebTokenError"}


def load_fixture(name):
    with open(os.path.join(FIXTURES, name), encoding="utf-8") as f:
        return json.load(f)


ME = {a["key"]: a["me"] for a in load_fixture("accounts.json")["accounts"]}
CONTACTS = load_fixture("contacts.json")["contacts"]


class Sandbox:
    """One sandbox process; started and stopped by the tests."""

    def __init__(self, workdir, *extra, tls_dir=None, port=0):
        self.workdir = workdir
        os.makedirs(workdir, exist_ok=True)
        self.outbox = os.path.join(workdir, "outbox")
        self.log = os.path.join(workdir, "requests.jsonl")
        self.ready = os.path.join(workdir, "port")
        self.tls_dir = tls_dir
        args = [sys.executable, SANDBOX, "--port", str(port), "--outbox", self.outbox,
                "--log", self.log, "--ready-file", self.ready] + list(extra)
        if tls_dir:
            args += ["--tls", tls_dir]
        self.proc = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.port = self._wait_listening()
        self.scheme = "https" if tls_dir else "http"
        self.context = None
        if tls_dir:
            self.context = ssl.create_default_context(cafile=os.path.join(tls_dir, "ca.pem"))

    def _wait_listening(self):
        deadline = time.monotonic() + 15
        line = b""
        while time.monotonic() < deadline and not line.endswith(b"\n"):
            ready, _, _ = select.select([self.proc.stdout], [], [], 0.2)
            if ready:
                chunk = os.read(self.proc.stdout.fileno(), 1)
                if not chunk:
                    break
                line += chunk
        if not line.startswith(b"listening on "):
            self.proc.kill()
            raise RuntimeError("sandbox did not start: %r %r" % (line, self.proc.stderr.read()))
        return int(line.split()[2])

    def url(self, path):
        return "%s://localhost:%d%s" % (self.scheme, self.port, path)

    def fetch(self, path, key=KEY, method="GET", body=None, headers=None, timeout=10, context=None):
        """(status, body bytes); 4xx/5xx answers are answers, not exceptions."""
        req = urllib.request.Request(self.url(path), data=body, method=method)
        if key is not None:
            req.add_header("authorization", "Driver " + key)
        for k, v in (headers or {}).items():
            req.add_header(k, v)
        try:
            with urllib.request.urlopen(req, timeout=timeout, context=context or self.context) as r:
                return r.status, r.read()
        except urllib.error.HTTPError as e:
            return e.code, e.read()

    def set_fault(self, mode, count=1, **extra):
        body = json.dumps(dict({"mode": mode, "count": count}, **extra)).encode()
        return self.fetch("/_sandbox/fault", key=None, method="POST", body=body)

    def connect(self, timeout=10):
        sock = socket.create_connection(("localhost", self.port), timeout=timeout)
        if self.context:
            sock = self.context.wrap_socket(sock, server_hostname="localhost")
        return sock

    def log_entries(self):
        with open(self.log, encoding="utf-8") as f:
            return [json.loads(line) for line in f]

    def faxes(self):
        return sorted(n for n in os.listdir(self.outbox) if n.isdigit())

    def stop(self, sig=signal.SIGTERM):
        if self.proc.poll() is None:
            self.proc.send_signal(sig)
        try:
            code = self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
            code = None
        self.proc.stdout.close()
        self.proc.stderr.close()
        return code


def multipart(parts, boundary="------------------------5f3a9e01b2c4d7e8"):
    """parts: (name, content, filename or None, content type or None), libcurl's framing."""
    out = b""
    for name, content, filename, ctype in parts:
        if isinstance(content, str):
            content = content.encode("utf-8")
        disp = 'Content-Disposition: form-data; name="%s"' % name
        if filename is not None:
            disp += '; filename="%s"' % filename
        out += b"--" + boundary.encode() + b"\r\n" + disp.encode("latin-1") + b"\r\n"
        if ctype:
            out += b"Content-Type: " + ctype.encode() + b"\r\n"
        out += b"\r\n" + content + b"\r\n"
    out += b"--" + boundary.encode() + b"--\r\n"
    return out, "multipart/form-data; boundary=" + boundary


def post_form(sandbox, parts, key=KEY, expect_continue=False, head_extra=b""):
    """Sends a form over a raw connection; returns (interim status line, status, body, faxes)."""
    body, ctype = multipart(parts)
    head = ("POST /v1/fax/send HTTP/1.1\r\nHost: localhost:%d\r\nAccept: */*\r\n" % sandbox.port).encode()
    if key is not None:
        head += ("authorization: Driver %s\r\n" % key).encode()
    head += head_extra
    if expect_continue:
        head += b"Expect: 100-continue\r\n"
    head += ("Content-Length: %d\r\nContent-Type: %s\r\n\r\n" % (len(body), ctype)).encode()
    sock = sandbox.connect()
    try:
        sock.sendall(head)
        interim = None
        if expect_continue:
            # The body must not go out before the server asked for it.
            got = b""
            while b"\r\n\r\n" not in got:
                chunk = sock.recv(1024)
                if not chunk:
                    break
                got += chunk
            interim = got.split(b"\r\n")[0].decode()
        sock.sendall(body)
        resp = http.client.HTTPResponse(sock, method="POST")
        resp.begin()
        return interim, resp.status, resp.read()
    finally:
        sock.close()


TLS = None
OTHER_CA = None
SERVER = None
WORK = None


def setUpModule():
    global TLS, OTHER_CA, SERVER, WORK
    WORK = tempfile.mkdtemp(prefix="sandbox-test-")
    TLS = os.path.join(WORK, "ca")
    OTHER_CA = os.path.join(WORK, "other-ca")
    for d in (TLS, OTHER_CA):
        subprocess.run(["bash", MAKE_CA, d], check=True)
    SERVER = Sandbox(os.path.join(WORK, "main"), tls_dir=TLS)


def tearDownModule():
    if SERVER is not None:
        SERVER.stop()
    shutil.rmtree(WORK, ignore_errors=True)


class CertificateTests(unittest.TestCase):
    def test_trusted_ca_connects_and_another_ca_is_refused(self):
        status, body = SERVER.fetch("/_sandbox/health", key=None)
        self.assertEqual((status, body), (200, b"ok"))
        other = ssl.create_default_context(cafile=os.path.join(OTHER_CA, "ca.pem"))
        with self.assertRaises(urllib.error.URLError) as cm:
            SERVER.fetch("/_sandbox/health", key=None, context=other)
        self.assertIsInstance(cm.exception.reason, ssl.SSLCertVerificationError)

    def test_server_certificate_carries_what_schannel_needs(self):
        text = subprocess.run(
            ["openssl", "x509", "-noout", "-text", "-in", os.path.join(TLS, "server.pem")],
            check=True, capture_output=True, text=True).stdout
        for needed in ("DNS:localhost", "TLS Web Server Authentication", "CA:FALSE",
                       "Digital Signature, Key Encipherment", "sha256WithRSAEncryption",
                       "Public-Key: (2048 bit)"):
            self.assertIn(needed, text)
        ca = subprocess.run(
            ["openssl", "x509", "-noout", "-text", "-in", os.path.join(TLS, "ca.pem")],
            check=True, capture_output=True, text=True).stdout
        self.assertIn("CA:TRUE", ca)
        self.assertIn("Certificate Sign", ca)

    def test_make_ca_keeps_existing_files(self):
        def contents():
            return {n: open(os.path.join(TLS, n), "rb").read()
                    for n in ("ca.pem", "ca.key", "server.pem", "server.key")}
        before = contents()
        subprocess.run(["bash", MAKE_CA, TLS], check=True)
        self.assertEqual(before, contents())
        self.assertEqual(sorted(os.listdir(TLS)), ["ca.key", "ca.pem", "server.key", "server.pem"])


class ServiceTests(unittest.TestCase):
    def get_json(self, path, key=KEY):
        status, body = SERVER.fetch(path, key=key)
        return status, body, json.loads(body)

    def test_me_is_the_account_in_compact_json(self):
        for key in (KEY, OTHER_KEY, "test-key with blanks"):
            with self.subTest(key=key):
                status, body = SERVER.fetch("/v1/me", key=key)
                self.assertEqual(status, 200)
                self.assertEqual(body.decode(), json.dumps(ME[key], separators=(",", ":")))
        self.assertIn(b'"account":{"faxDefaultCoverPage":"cp-2b7e4d90-confidential",',
                      SERVER.fetch("/v1/me")[1])

    def test_key_is_required_on_every_service_path(self):
        cover = "/coverpages?accountId=%s&userId=%s&isPublic=true" % (
            ME[KEY]["accountId"], ME[KEY]["userId"])
        paths = [("GET", "/v1/me"), ("GET", "/v1/contacts?order=name%20asc&limit=3000"),
                 ("GET", cover), ("POST", "/v1/fax/send")]
        bad = [None, "Driver wrong-key", "Bearer " + KEY, "Driver " + KEY + " ", "Driver",
               # a key with blanks is taken whole, nothing more and nothing less
               "Driver test-key with", 'Driver test-key with blanks"']
        for method, path in paths:
            for header in bad:
                with self.subTest(path=path, header=header):
                    req = urllib.request.Request(SERVER.url(path), method=method,
                                                 data=b"" if method == "POST" else None)
                    if header is not None:
                        req.add_header("authorization", header)
                    with self.assertRaises(urllib.error.HTTPError) as cm:
                        urllib.request.urlopen(req, timeout=10, context=SERVER.context)
                    self.assertEqual(cm.exception.code, 401)
                    body = cm.exception.read()
                    self.assertEqual(json.loads(body), TOKEN_ERROR)
                    # /v1/me must not look like an error object, contacts like a list.
                    self.assertNotIn(b'error"', body)
                    self.assertNotIn(b'count":', body)
        # Header names are case-insensitive.
        status, _ = SERVER.fetch("/v1/me", key=None, headers={"AUTHORIZATION": "Driver " + KEY})
        self.assertEqual(status, 200)

    def test_contacts_sorted_by_name_ignoring_case(self):
        _, body, asc = self.get_json("/v1/contacts?order=name%20asc&limit=3000")
        _, _, desc = self.get_json("/v1/contacts?order=name%20desc&limit=3000")
        names = [c["name"] for c in asc["rows"]]
        self.assertEqual(asc["count"], len(CONTACTS))
        self.assertEqual(len(names), len(CONTACTS))
        self.assertEqual(names, sorted(names, key=str.casefold))
        self.assertLess(names.index("bitBank Ltd"), names.index("Blue Harbor Clinic"))
        self.assertLess(names.index("Blue Harbor Clinic"), names.index("Bob"))
        self.assertEqual([c["name"] for c in desc["rows"]], names[::-1])
        self.assertTrue(body.startswith(b'{"count":%d,"rows":[{"uuid":' % len(CONTACTS)))

    def test_contact_objects_keep_members_last(self):
        # The client cuts each contact at the first "]", so "contacts" must close it.
        _, body, answer = self.get_json("/v1/contacts?order=name%20asc&limit=3000")
        for c in answer["rows"]:
            self.assertEqual(list(c)[:5], ["uuid", "name", "lastName", "faxNumber", "isOrganization"])
            self.assertEqual(list(c)[-1], "contacts")
            for member in c["contacts"]:
                self.assertEqual(list(member), ["uuid", "name", "faxNumber", "isOrganization"])
            start = body.index(('"uuid":"%s"' % c["uuid"]).encode())
            end = body.index(b"]", start)
            self.assertIn(b'"contacts":[', body[start:end])
            self.assertEqual(body[end + 1:end + 2], b"}")
        acme = next(c for c in answer["rows"] if c["name"] == "Acme Corporation")
        self.assertTrue(acme["isOrganization"])
        self.assertEqual([m["name"] for m in acme["contacts"]], ["Wile Coyote", "Road Runner"])
        smith = next(c for c in answer["rows"] if c["name"] == "Smith, John")
        self.assertIsNone(smith["lastName"])
        self.assertIn(b'"name":"Smith, John","lastName":null,"faxNumber":"+15551234567"', body)

    def test_contacts_search_and_limit(self):
        cases = [
            ("order=name%20asc&query=smith&limit=3000", ["Smith, John"], 1),
            ("order=name%20asc&query=GARCIA&limit=3000", ["Maria"], 1),      # last name
            ("order=name%20asc&query=AT%26T&limit=3000", ["AT&T Business Fax"], 1),
            ("order=name%20asc&query=jo%20an&limit=3000", ["Jo Anne"], 1),
            ("order=name%20asc&query=mary%20ann%20o%27neil&limit=3000", ["Mary Ann"], 1),
            ("order=name%20desc&query=JO&limit=3000", ["Smith, John", "Johnny", "Jo Anne"], 3),
            ("order=name%20asc&query=jo&limit=2", ["Jo Anne", "Johnny"], 3),
            ("order=name%20asc&limit=5", None, len(CONTACTS)),
            ("order=name%20asc&query=nobody-here&limit=3000", [], 0),
        ]
        all_names = sorted((c["name"] for c in CONTACTS), key=str.casefold)
        for query, names, count in cases:
            with self.subTest(query=query):
                status, body, answer = self.get_json("/v1/contacts?" + query)
                self.assertEqual(status, 200)
                self.assertEqual(answer["count"], count)
                expected = all_names[:5] if names is None else names
                self.assertEqual([c["name"] for c in answer["rows"]], expected)
                if not expected:
                    self.assertNotIn(b'uuid":', body)
        for query, message in (("order=name%20asc&limit=lots", "Invalid limit"),
                               ("order=age%20asc&limit=5", "Invalid order")):
            with self.subTest(query=query):
                status, body, answer = self.get_json("/v1/contacts?" + query)
                self.assertEqual((status, answer), (400, {"message": message}))
                self.assertNotIn(b'count":', body)

    def test_contacts_query_is_logged_raw(self):
        # An unencoded ampersand splits the search; the log shows what was sent.
        status, _, answer = self.get_json("/v1/contacts?order=name%20asc&query=AT&T&limit=3000")
        self.assertEqual(status, 200)
        self.assertIn("AT&T Business Fax", [c["name"] for c in answer["rows"]])
        self.assertNotEqual(answer["count"], 1)  # "AT" matches more than AT&T
        entry = [e for e in SERVER.log_entries() if e["path"] == "/v1/contacts"][-1]
        self.assertEqual(entry["query"], "order=name%20asc&query=AT&T&limit=3000")
        self.assertEqual(entry["method"], "GET")
        self.assertIn(["Authorization", "Driver " + KEY], entry["headers"])  # as urllib spells it

    def test_cover_pages_for_the_callers_account_only(self):
        me = ME[KEY]
        good = "/coverpages?accountId=%s&userId=%s&isPublic=true" % (me["accountId"], me["userId"])
        status, body, pages = self.get_json(good)
        self.assertEqual(status, 200)
        self.assertTrue(body.startswith(b'[{"uuid":"'))
        self.assertEqual([list(p) for p in pages], [["uuid", "name", "file"]] * len(pages))
        names = [p["name"] for p in pages]
        self.assertGreaterEqual(len(names), 3)
        self.assertIn("Memo: urgent", names)
        self.assertIn(me["account"]["faxDefaultCoverPage"], [p["uuid"] for p in pages])
        self.assertLess(names.index("Memo Long"), names.index("Memo"))
        not_found = {"error": {"message": "Account not found", "code": 404}}
        other = ME[OTHER_KEY]
        for path, key in (
                ("/coverpages?accountId=nope&userId=%s&isPublic=true" % me["userId"], KEY),
                ("/coverpages?accountId=%s&userId=nope&isPublic=true" % me["accountId"], KEY),
                ("/coverpages?isPublic=true", KEY),
                (good, OTHER_KEY)):
            with self.subTest(path=path, key=key):
                status, _, answer = self.get_json(path, key=key)
                self.assertEqual((status, answer), (404, not_found))
        other_good = "/coverpages?accountId=%s&userId=%s&isPublic=true" % (
            other["accountId"], other["userId"])
        self.assertEqual(self.get_json(other_good, key=OTHER_KEY)[2], pages)

    def test_unknown_path_and_wrong_method(self):
        self.assertEqual(SERVER.fetch("/v1/nothing")[0], 404)
        self.assertEqual(SERVER.fetch("/v1/me", method="POST", body=b"")[0], 405)
        self.assertEqual(SERVER.fetch("/v1/fax/send")[0], 405)


# Holds a near miss of the form's boundary, a zero byte and high bytes.
PDF = b"%PDF-1.4\r\n--------------------------5f3a9e01b2c4d7e\r\n\x00\x01\xff binary\r\n%%EOF\r\n"


class FaxSendTests(unittest.TestCase):
    def test_upload_with_expect_continue_is_stored_in_order(self):
        parts = [
            ("recipientFax", "+15551234567,+442079460958", None, None),
            ("recipientContacts", "c0000005-5a1e-4c2d-9b3f-7e6d00000005,e0000001-5a1e-4c2d-9b3f-7e6d00000001",
             None, None),
            ("coverPage", "true", None, None),
            ("file", PDF, "Fax_20240102_101112.pdf", "application/pdf"),
            ("recipientName", "Smith, John", None, None),
            ("subject", "Invoice: March", None, None),
            ("notes", "Line one\r\nLine two", None, None),
            ("coverPageId", "cp-4d8f0a27-memo", None, None),
        ]
        before = SERVER.faxes()
        interim, status, body = post_form(SERVER, parts, expect_continue=True)
        self.assertEqual(interim, "HTTP/1.1 100 Continue")
        self.assertEqual(status, 200)
        answer = json.loads(body)
        self.assertEqual((answer["success"], answer["message"]), (True, "Fax queued"))
        new = sorted(set(SERVER.faxes()) - set(before))
        self.assertEqual(len(new), 1)
        self.assertEqual(answer["faxId"], "fax-" + new[0])
        folder = os.path.join(SERVER.outbox, new[0])
        with open(os.path.join(folder, "fields.json"), encoding="utf-8") as f:
            fields = json.load(f)
        self.assertEqual([f["name"] for f in fields], [p[0] for p in parts])
        for field, (name, content, filename, ctype) in zip(fields, parts):
            raw = content if isinstance(content, bytes) else content.encode()
            self.assertEqual((field["filename"], field["content_type"], field["size"]),
                             (filename, ctype, len(raw)))
            if filename is None:
                self.assertEqual(field["value"], content)
            else:
                self.assertNotIn("value", field)
        with open(os.path.join(folder, "Fax_20240102_101112.pdf"), "rb") as f:
            self.assertEqual(f.read(), PDF)
        self.assertEqual(sorted(os.listdir(folder)), ["Fax_20240102_101112.pdf", "fields.json"])
        entry = [e for e in SERVER.log_entries() if e["path"] == "/v1/fax/send"][-1]
        self.assertEqual(entry["parts"], [p[0] for p in parts])
        self.assertEqual(entry["status"], 200)
        self.assertEqual([h[0] for h in entry["headers"]],
                         ["Host", "Accept", "authorization", "Expect", "Content-Length", "Content-Type"])
        self.assertEqual(entry["body_size"], int(dict(entry["headers"])["Content-Length"]))

    def test_file_name_cannot_leave_the_fax_folder(self):
        parts = [("recipientFax", "+15551234567", None, None),
                 ("file", PDF, "..\\..\\fields.json", "application/pdf"),
                 ("file", PDF, "../../fields.json", "application/pdf")]
        before = set(SERVER.faxes())
        _, status, body = post_form(SERVER, parts)
        self.assertEqual(status, 200, body)
        (new,) = set(SERVER.faxes()) - before
        folder = os.path.join(SERVER.outbox, new)
        self.assertEqual(sorted(os.listdir(folder)), ["fields-2.json", "fields-3.json", "fields.json"])
        with open(os.path.join(folder, "fields.json"), encoding="utf-8") as f:
            fields = json.load(f)
        self.assertEqual([f.get("stored_as") for f in fields], [None, "fields-2.json", "fields-3.json"])
        self.assertEqual(fields[1]["filename"], "..\\..\\fields.json")
        self.assertEqual(sorted(os.listdir(SERVER.outbox)), SERVER.faxes())

    def test_refusals_store_nothing(self):
        file_part = ("file", PDF, "job.pdf", "application/pdf")
        cases = [
            ("empty recipients", [("recipientFax", "", None, None), ("recipientContacts", "", None, None),
                                  ("coverPage", "false", None, None), file_part],
             "No recipients", "recipientFax"),
            ("blank recipients", [("recipientFax", "  ", None, None), file_part],
             "No recipients", "recipientFax"),
            ("no recipient parts", [("coverPage", "false", None, None), file_part],
             "No recipients", "recipientFax"),
            ("no file part", [("recipientFax", "+15551234567", None, None)], "No file", "file"),
            ("file as text", [("recipientFax", "+15551234567", None, None), ("file", "x", None, None)],
             "No file", "file"),
            ("short number", [("recipientFax", "+15551234567,+1", None, None), file_part],
             "Invalid fax number +1", "recipientFax"),
            ("number without plus", [("recipientFax", "5551234567", None, None), file_part],
             "Invalid fax number 5551234567", "recipientFax"),
            ("unknown contact", [("recipientContacts", "c0000005-5a1e-4c2d-9b3f-7e6d00000005,John", None, None),
                                 file_part],
             "Unknown contact John", "recipientContacts"),
            ("unknown cover page", [("recipientFax", "+15551234567", None, None), ("coverPage", "true", None, None),
                                    file_part, ("coverPageId", "cp-nope", None, None)],
             "Unknown cover page cp-nope", "coverPageId"),
        ]
        before = SERVER.faxes()
        for label, parts, error, field in cases:
            with self.subTest(label):
                _, status, body = post_form(SERVER, parts)
                self.assertEqual(status, 400)
                self.assertEqual(json.loads(body), {"errors": [{"error": error, "field": field}]})
        # A body cut short inside a part is not a form.
        body, ctype = multipart([("recipientFax", "+15551234567", None, None), file_part])
        status, answer = SERVER.fetch("/v1/fax/send", method="POST", body=body[:-60],
                                      headers={"Content-Type": ctype})
        self.assertEqual((status, json.loads(answer)["errors"][0]["error"]), (400, "Malformed form data"))
        # An oversized upload is refused from its headers, before any body is read.
        sock = SERVER.connect()
        try:
            sock.sendall(b"POST /v1/fax/send HTTP/1.1\r\nHost: localhost\r\nauthorization: Driver "
                         + KEY.encode() + b"\r\nContent-Length: 900000000\r\n"
                         b"Content-Type: multipart/form-data; boundary=x\r\n\r\n")
            resp = http.client.HTTPResponse(sock, method="POST")
            resp.begin()
            self.assertEqual((resp.status, json.loads(resp.read())),
                             (413, {"errors": [{"error": "Request body too large", "field": "file"}]}))
        finally:
            sock.close()
        self.assertEqual(SERVER.faxes(), before)

    @unittest.skipUnless(shutil.which("curl"), "curl is not installed")
    def test_libcurl_form_upload(self):
        # The client builds its form with libcurl; the curl tool frames it the same way.
        pdf = os.path.join(WORK, "scan one.pdf")
        with open(pdf, "wb") as f:
            f.write(PDF * 20000)  # over 1 MB, so curl asks before sending
        before = set(SERVER.faxes())
        out = subprocess.run(
            ["curl", "-sS", "--cacert", os.path.join(TLS, "ca.pem"), SERVER.url("/v1/fax/send"),
             "-H", "authorization: Driver " + KEY,
             "-F", "recipientFax=", "-F", "recipientContacts=c0000020-5a1e-4c2d-9b3f-7e6d00000020",
             "-F", "coverPage=false", "-F", "file=@%s;type=application/pdf" % pdf],
            capture_output=True, timeout=20)
        self.assertEqual(out.returncode, 0, out.stderr)
        self.assertIn(b'"success":true', out.stdout)
        (new,) = set(SERVER.faxes()) - before
        with open(os.path.join(SERVER.outbox, new, "scan one.pdf"), "rb") as f:
            self.assertEqual(f.read(), PDF * 20000)
        entry = [e for e in SERVER.log_entries() if e["path"] == "/v1/fax/send"][-1]
        self.assertIn(["Expect", "100-continue"], entry["headers"])
        self.assertEqual(entry["parts"], ["recipientFax", "recipientContacts", "coverPage", "file"])


class TextBeyondAsciiTests(unittest.TestCase):
    """Form text is kept as the bytes that came; contacts can be written with
    JSON escapes or as raw UTF-8, one contact at a time."""

    def test_text_parts_are_stored_as_their_bytes(self):
        parts = [
            ("recipientFax", "+15551234567", None, None),
            ("coverPage", "true", None, None),
            ("file", PDF, "job.pdf", "application/pdf"),
            ("recipientName", "Zo\u00eb M\u00fcller", None, None),   # UTF-8
            ("subject", b"Gr\xfc\xdfe", None, None),                 # Windows-1252: a client's fault
            ("notes", b"", None, None),
        ]
        before = set(SERVER.faxes())
        _, status, body = post_form(SERVER, parts)
        self.assertEqual(status, 200, body)
        (new,) = set(SERVER.faxes()) - before
        with open(os.path.join(SERVER.outbox, new, "fields.json"), encoding="utf-8") as f:
            fields = {f["name"]: f for f in json.load(f)}
        self.assertEqual((fields["recipientName"]["value"], fields["recipientName"]["bytes_hex"]),
                         ("Zo\u00eb M\u00fcller", "5a6fc3ab204dc3bc6c6c6572"))
        self.assertEqual((fields["subject"]["value"], fields["subject"]["bytes_hex"]), (None, "4772fcdf65"))
        self.assertEqual((fields["notes"]["value"], fields["notes"]["bytes_hex"]), ("", ""))
        self.assertNotIn("bytes_hex", fields["file"])

    def test_contacts_escaped_or_raw_utf8(self):
        intl = Sandbox(os.path.join(WORK, "intl"), "--data", os.path.join(TOOL, "fixtures-intl"), tls_dir=TLS)
        try:
            status, body = intl.fetch("/v1/contacts?order=name%20asc&limit=3000")
            self.assertEqual(status, 200)
            # Escaped unless the fixture asks for raw UTF-8; the marker is not sent.
            self.assertIn(b'"name":"M\\u00fcller & S\\u00f6hne"', body)
            self.assertIn(b'"name":"Zo\\u00eb M\\u00fcller"', body)
            self.assertIn(b'"name":"Atelier \\"Blau\\" \\ud83c\\udfa8"', body)
            self.assertIn('"name":"M\u00fcller, J\u00fcrgen"'.encode("utf-8"), body)
            self.assertIn('"name":"Ren\u00e9e","lastName":"Dubois"'.encode("utf-8"), body)
            self.assertNotIn(b"_wire", body)
            names = [c["name"] for c in json.loads(body)["rows"]]
            self.assertEqual(names, ["Ann", "Atelier \"Blau\" \U0001f3a8", "M\u00fcller & S\u00f6hne",
                                     "M\u00fcller, J\u00fcrgen", "Ren\u00e9e", "\u0141ukasz"])
            # The search is read as UTF-8: the ANSI byte of a client matches nothing.
            for query, found in (("M%C3%BC", ["M\u00fcller & S\u00f6hne", "M\u00fcller, J\u00fcrgen"]),
                                 ("m%C3%9Cller%2C", ["M\u00fcller, J\u00fcrgen"]), ("M%FC", [])):
                with self.subTest(query=query):
                    status, body = intl.fetch("/v1/contacts?order=name%20asc&query=" + query + "&limit=3000")
                    self.assertEqual(status, 200)
                    self.assertEqual([c["name"] for c in json.loads(body)["rows"]], found)
            # The fixtures the folder does not hold are the default ones.
            status, body = intl.fetch("/v1/me")
            self.assertEqual((status, json.loads(body)), (200, ME[KEY]))
        finally:
            intl.stop()

    def test_a_bad_wire_marker_is_refused(self):
        data = os.path.join(WORK, "bad-wire")
        os.makedirs(data, exist_ok=True)
        with open(os.path.join(data, "contacts.json"), "w", encoding="utf-8") as f:
            json.dump({"contacts": [{"uuid": "x1", "name": "X", "_wire": "latin-1"}]}, f)
        proc = subprocess.run([sys.executable, SANDBOX, "--port", "0", "--data", data],
                              capture_output=True, timeout=20)
        self.assertEqual(proc.returncode, 1)
        self.assertIn(b"_wire", proc.stderr)


class FaultTests(unittest.TestCase):
    def tearDown(self):
        SERVER.set_fault("none")

    def assert_serving(self):
        status, body = SERVER.fetch("/v1/me")
        self.assertEqual(status, 200)
        self.assertEqual(json.loads(body)["userId"], ME[KEY]["userId"])

    def test_answering_faults_then_normal_service(self):
        cases = [
            ("error-object", 503, b'{"error":{"message":"Service unavailable","code":503}}'),
            ("token-error", 401, b'{"name":"JsonWebTokenError","message":"JsonWebTokenError"}'),
            ("jwt-expired", 401, b'{"message":"jwt expired"}'),
            ("message", 400, b'{"message":"Bad request"}'),
            ("errors", 400, b'{"errors":[{"error":"No recipients","field":"recipientFax"}]}'),
            ("empty", 200, b""),
            ("refused", 200, b'{"success":false,"message":"Fax refused: the line is not accepting faxes"}'),
            # An account answer that names no account.
            ("no-ids", 200, b'{"email":"fax.tester@example.com","role":"owner","account":'
                            b'{"faxDefaultCoverPage":"cp-4d8f0a27-memo","name":"Kestrid Test Office"}}'),
        ]
        for mode, status, body in cases:
            for path in ("/v1/me", "/v1/contacts?order=name%20asc&limit=3000"):
                with self.subTest(mode=mode, path=path):
                    self.assertEqual(SERVER.set_fault(mode)[0], 200)
                    self.assertEqual(SERVER.fetch(path), (status, body))
                    self.assert_serving()
        self.assertEqual(SERVER.set_fault("html-502")[0], 200)
        status, body = SERVER.fetch("/v1/me")
        self.assertEqual(status, 502)
        self.assertTrue(body.startswith(b"<html>"))
        self.assertIn(b"502 Bad Gateway", body)
        self.assertEqual(SERVER.set_fault("slow")[0], 200)
        started = time.time()
        self.assert_serving()
        self.assertGreaterEqual(time.time() - started, 2.0)
        for mode, size, head in (("huge", 700000, b'{"message":"'), ("cap", 600001, b'{"message":"'),
                                 ("huge-account", 700000, b'{"userId":"u-huge","accountId":"a-huge","message":"')):
            self.assertEqual(SERVER.set_fault(mode)[0], 200)
            status, body = SERVER.fetch("/v1/me")
            self.assertEqual((status, len(body)), (200, size))
            self.assertTrue(body.startswith(head + b"0123456789abcdef") and body.endswith(b'"}'), body[:80])
            self.assertEqual(len(json.loads(body)["message"]), size - len(head) - 2)
            self.assert_serving()

    def test_faulted_upload_is_not_stored(self):
        before = SERVER.faxes()
        parts = [("recipientFax", "+15551234567", None, None), ("file", PDF, "job.pdf", "application/pdf")]
        SERVER.set_fault("errors")
        self.assertEqual(post_form(SERVER, parts, expect_continue=True)[1:],
                         (400, b'{"errors":[{"error":"No recipients","field":"recipientFax"}]}'))
        self.assertEqual(SERVER.faxes(), before)
        self.assertEqual(post_form(SERVER, parts)[1], 200)

    def test_count_and_control_requests(self):
        self.assertEqual(SERVER.set_fault("message", 2)[0], 200)
        self.assertEqual(SERVER.fetch("/_sandbox/health", key=None), (200, b"ok"))
        self.assertEqual(json.loads(SERVER.fetch("/_sandbox/fault", key=None)[1]),
                         {"mode": "message", "count": 2})
        self.assertEqual(SERVER.fetch("/v1/me")[0], 400)
        self.assertEqual(SERVER.fetch("/v1/me")[0], 400)
        self.assert_serving()
        SERVER.set_fault("message", 5)
        SERVER.set_fault("none")
        self.assert_serving()
        for bad in ({"mode": "explode"}, {"mode": "stall", "count": 0}, {"count": 1}, ["stall"]):
            with self.subTest(bad=bad):
                status, _ = SERVER.fetch("/_sandbox/fault", key=None, method="POST",
                                         body=json.dumps(bad).encode())
                self.assertEqual(status, 400)
        self.assert_serving()

    def test_stall_holds_until_the_client_gives_up(self):
        SERVER.set_fault("stall")
        started = time.monotonic()
        with self.assertRaises((TimeoutError, socket.timeout, urllib.error.URLError)):
            SERVER.fetch("/v1/me", timeout=1.5)
        self.assertGreaterEqual(time.monotonic() - started, 1.4)
        # Logged before (instead of) answering.
        entry = SERVER.log_entries()[-1]
        self.assertEqual((entry["path"], entry["fault"], entry["status"]), ("/v1/me", "stall", None))
        self.assert_serving()

    def test_stall_for_a_set_time_then_closes(self):
        self.assertEqual(SERVER.set_fault("stall", seconds=1.5)[0], 200)
        started = time.monotonic()
        with self.assertRaises((ConnectionError, http.client.RemoteDisconnected, urllib.error.URLError)):
            SERVER.fetch("/v1/me", timeout=10)
        self.assertTrue(1.4 <= time.monotonic() - started < 5, time.monotonic() - started)
        self.assert_serving()
        for bad in (0, -1, 121, "5", True):
            with self.subTest(seconds=bad):
                self.assertEqual(SERVER.set_fault("stall", seconds=bad)[0], 400)
        self.assertEqual(SERVER.fetch("/_sandbox/fault", key=None)[1], b'{"mode":"none","count":null}')

    def test_drop_closes_without_an_answer(self):
        SERVER.set_fault("drop")
        with self.assertRaises((http.client.RemoteDisconnected, ConnectionError, urllib.error.URLError, ssl.SSLError)):
            SERVER.fetch("/v1/me")
        self.assert_serving()
        before = SERVER.faxes()
        SERVER.set_fault("drop")
        big = os.urandom(400000)
        parts = [("recipientFax", "+15551234567", None, None), ("file", big, "big.pdf", "application/pdf")]
        with self.assertRaises((http.client.RemoteDisconnected, ConnectionError, ssl.SSLError, OSError)):
            post_form(SERVER, parts)
        entry = [e for e in SERVER.log_entries() if e["path"] == "/v1/fax/send"][-1]
        self.assertEqual(entry["fault"], "drop")
        self.assertGreater(entry["body_size"], 0)
        self.assertLess(entry["body_size"], len(big))
        self.assertEqual(SERVER.faxes(), before)
        self.assert_serving()


class LifecycleTests(unittest.TestCase):
    def test_run_wide_fault_ready_file_and_clean_stop_during_a_stall(self):
        work = os.path.join(WORK, "life")
        box = Sandbox(work, "--fault", "token-error")
        try:
            with open(box.ready) as f:
                self.assertEqual(int(f.read()), box.port)
            for _ in range(2):
                self.assertEqual(box.fetch("/v1/me"), (401, json.dumps(TOKEN_ERROR, separators=(",", ":")).encode()))
            self.assertEqual(box.fetch("/_sandbox/health", key=None), (200, b"ok"))
            box.set_fault("none")
            self.assertEqual(box.fetch("/v1/me")[0], 200)

            # A second server cannot take the same port and says so.
            clash = subprocess.run([sys.executable, SANDBOX, "--port", str(box.port)],
                                   capture_output=True, timeout=20)
            self.assertEqual(clash.returncode, 1)
            self.assertIn(b"cannot listen", clash.stderr)

            box.set_fault("stall")
            outcome = []

            def stalled_request():
                try:
                    outcome.append(box.fetch("/v1/me", timeout=30))
                except Exception as e:  # the stop cuts it off: that is the point
                    outcome.append(e)

            stalled = threading.Thread(target=stalled_request)
            stalled.start()
            deadline = time.monotonic() + 10
            while not any(e.get("fault") == "stall" for e in box.log_entries()):
                self.assertLess(time.monotonic(), deadline)
                time.sleep(0.05)
            started = time.monotonic()
            code = box.stop()
            self.assertEqual(code, 0)
            self.assertLess(time.monotonic() - started, 5)
            stalled.join(10)
            self.assertFalse(stalled.is_alive())
            self.assertIsInstance(outcome[0], Exception)
            self.assertFalse(os.path.exists(box.ready))
            self.assertEqual(sorted(os.listdir(work)), ["outbox", "requests.jsonl"])
        finally:
            box.stop()


class ThrottleTests(unittest.TestCase):
    RATE = 400000

    def set_rate(self, rate):
        return SERVER.fetch("/_sandbox/throttle", key=None, method="POST", body=json.dumps({"rate": rate}).encode())

    def tearDown(self):
        self.set_rate(0)

    def test_bodies_are_read_at_the_rate_and_stored_whole(self):
        self.assertEqual(self.set_rate(self.RATE), (200, b'{"rate":400000}'))
        self.assertEqual(SERVER.fetch("/_sandbox/throttle", key=None), (200, b'{"rate":400000}'))
        big = os.urandom(600000)
        parts = [("recipientFax", "+15551234567", None, None), ("file", big, "slow.pdf", "application/pdf")]
        before = set(SERVER.faxes())
        started = time.monotonic()
        self.assertEqual(post_form(SERVER, parts)[1], 200)
        took = time.monotonic() - started
        # 600 kB at 400 kB/s: about 1.5 s, never much less.
        self.assertGreaterEqual(took, 1.3)
        self.assertLess(took, 6)
        (new,) = set(SERVER.faxes()) - before
        with open(os.path.join(SERVER.outbox, new, "slow.pdf"), "rb") as f:
            self.assertEqual(f.read(), big)
        # Control requests and bodiless requests are never slowed.
        started = time.monotonic()
        self.assertEqual(SERVER.fetch("/v1/me")[0], 200)
        self.assertLess(time.monotonic() - started, 1)

    def test_a_client_that_stops_half_way_leaves_nothing(self):
        self.set_rate(self.RATE)
        body, ctype = multipart([("recipientFax", "+15551234567", None, None),
                                 ("file", os.urandom(2000000), "cut.pdf", "application/pdf")])
        before = SERVER.faxes()
        sock = SERVER.connect()
        try:
            sock.sendall(("POST /v1/fax/send HTTP/1.1\r\nHost: localhost\r\nauthorization: Driver %s\r\n"
                          "Content-Length: %d\r\nContent-Type: %s\r\n\r\n" % (KEY, len(body), ctype)).encode())
            sock.sendall(body[:300000])
            time.sleep(0.5)
        finally:
            sock.close()
        deadline = time.monotonic() + 10
        while not [e for e in SERVER.log_entries() if e["path"] == "/v1/fax/send" and e["status"] is None]:
            self.assertLess(time.monotonic(), deadline, "the cut upload was not logged")
            time.sleep(0.1)
        self.assertEqual(SERVER.faxes(), before)
        # Lifted, a body goes at full speed again.
        self.set_rate(0)
        started = time.monotonic()
        self.assertEqual(post_form(SERVER, [("recipientFax", "+15551234567", None, None),
                                            ("file", os.urandom(2000000), "fast.pdf", "application/pdf")])[1], 200)
        self.assertLess(time.monotonic() - started, 2)

    def test_bad_rates_are_refused(self):
        for bad in ({"rate": -1}, {"rate": "fast"}, {"rate": True}, {}, [1000]):
            with self.subTest(bad=bad):
                status, _ = SERVER.fetch("/_sandbox/throttle", key=None, method="POST", body=json.dumps(bad).encode())
                self.assertEqual(status, 400)
        self.assertEqual(SERVER.fetch("/_sandbox/throttle", key=None), (200, b'{"rate":0}'))

    def test_run_wide_rate_from_the_command_line(self):
        work = os.path.join(WORK, "throttled")
        box = Sandbox(work, "--throttle", str(self.RATE), tls_dir=TLS)
        try:
            self.assertEqual(box.fetch("/_sandbox/throttle", key=None), (200, b'{"rate":400000}'))
            started = time.monotonic()
            self.assertEqual(post_form(box, [("recipientFax", "+15551234567", None, None),
                                             ("file", os.urandom(500000), "a.pdf", "application/pdf")])[1], 200)
            self.assertGreaterEqual(time.monotonic() - started, 1.0)
        finally:
            box.stop()


if __name__ == "__main__":
    unittest.main()
