#!/usr/bin/env python3
"""Local fax service for tests and the demo.

Serves the account, contact and cover-page lookups from fixture files, takes
fax submissions into an outbox folder, logs every request as a JSON line and
can be told to misbehave (error answers, stalls, dropped connections) so the
client's failure paths can be driven for real. Standard library only.
"""

import argparse
import datetime
import json
import os
import re
import select
import signal
import socket
import socketserver
import ssl
import sys
import tempfile
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_DATA = os.path.join(HERE, "fixtures")

JSON_TYPE = "application/json; charset=utf-8"
MAX_BODY = 64 * 1024 * 1024
HUGE_SIZE = 700000
# The smallest answer a fax client's 600001-byte answer cap has to stop.
CAP_SIZE = 600001
STALL_SECONDS = 120.0
# Idle keep-alive connections are closed after this; a stall ignores it.
IDLE_TIMEOUT = 60.0
# Fax numbers as the service takes them: "+", country code and number.
FAX_NUMBER = re.compile(r"^\+[0-9]{7,15}$")

TOKEN_ERROR = {"name": "JsonWebTokenError", "message": "JsonWebTokenError"}
# A well-formed answer that declines the fax: "success" is there, but false.
REFUSED = {"success": False, "message": "Fax refused: the line is not accepting faxes"}
NO_RECIPIENTS = {"errors": [{"error": "No recipients", "field": "recipientFax"}]}

HTML_502 = (
    "<html>\r\n<head><title>502 Bad Gateway</title></head>\r\n<body>\r\n"
    "<center><h1>502 Bad Gateway</h1></center>\r\n"
    "<hr><center>fax-gateway</center>\r\n</body>\r\n</html>\r\n"
)

FAULT_MODES = (
    "error-object", "token-error", "jwt-expired", "message", "errors",
    "html-502", "empty", "huge", "stall", "drop", "refused", "slow", "cap",
    "no-ids", "huge-account",
)
# A good account answer that names no account: no "userId", no "accountId".
NO_IDS = {"email": "fax.tester@example.com", "role": "owner",
          "account": {"faxDefaultCoverPage": "cp-4d8f0a27-memo", "name": "Kestrid Test Office"}}
# The ids that open the huge account answer.
HUGE_ACCOUNT_HEAD = '{"userId":"u-huge","accountId":"a-huge","message":"'
# Receive buffer of a connection accepted while throttled.
THROTTLED_RCVBUF = 64 * 1024
# The "slow" mode answers normally after this long (a client's busy view can be seen).
SLOW_SECONDS = 2.0


def compact(obj):
    return json.dumps(obj, separators=(",", ":"))


def huge_body(size=HUGE_SIZE, head='{"message":"'):
    tail = '"}'
    fill = "0123456789abcdef" * (size // 16 + 1)
    return (head + fill[: size - len(head) - len(tail)] + tail).encode("ascii")


def error_object(message, code):
    return {"error": {"message": message, "code": code}}


def fax_errors(text, field):
    return {"errors": [{"error": text, "field": field}]}


def now_text():
    return datetime.datetime.now(datetime.timezone.utc).isoformat(timespec="milliseconds")


def decode_text(data):
    # Headers and control bodies: ASCII in practice, never refused for a stray byte.
    try:
        return data.decode("utf-8")
    except UnicodeDecodeError:
        return data.decode("latin-1")


def form_text(data):
    """A text part as the service reads it: UTF-8, None when it is not."""
    try:
        return data.decode("utf-8")
    except UnicodeDecodeError:
        return None


# ---------------------------------------------------------------- fixtures

class FixtureError(Exception):
    pass


class Fixtures:
    """Accounts (by key), contacts and cover pages, loaded once at start."""

    def __init__(self, data_dir):
        self.accounts = {}
        self.contacts = []
        self.cover_pages = []
        accounts = self._load(data_dir, "accounts.json").get("accounts")
        if not isinstance(accounts, list) or not accounts:
            raise FixtureError("accounts.json: 'accounts' must be a non-empty list")
        for entry in accounts:
            key, me = entry.get("key"), entry.get("me")
            if not isinstance(key, str) or not key or not isinstance(me, dict):
                raise FixtureError("accounts.json: every account needs 'key' and 'me'")
            for member in ("userId", "accountId", "account"):
                if member not in me:
                    raise FixtureError("accounts.json: account %r lacks %r" % (key, member))
            self.accounts[key] = me

        contacts = self._load(data_dir, "contacts.json").get("contacts")
        if not isinstance(contacts, list):
            raise FixtureError("contacts.json: 'contacts' must be a list")
        # Contacts written with raw UTF-8 in the answer; the rest is escaped.
        self.raw_utf8 = set()
        self.contacts = [self._contact(c, self.raw_utf8) for c in contacts]
        self.contact_ids = set()
        for c in self.contacts:
            self.contact_ids.add(c["uuid"])
            self.contact_ids.update(m["uuid"] for m in c["contacts"])

        pages = self._load(data_dir, "coverpages.json").get("coverPages")
        if not isinstance(pages, list):
            raise FixtureError("coverpages.json: 'coverPages' must be a list")
        for p in pages:
            if not all(isinstance(p.get(k), str) for k in ("uuid", "name", "file")):
                raise FixtureError("coverpages.json: every cover page needs uuid, name and file")
            # The client reads uuid, then name, and stops at file.
            self.cover_pages.append({"uuid": p["uuid"], "name": p["name"], "file": p["file"]})
        self.cover_page_ids = {p["uuid"] for p in self.cover_pages}

    @staticmethod
    def _load(data_dir, name):
        # A folder may hold only the fixtures it changes.
        path = os.path.join(data_dir, name)
        if not os.path.exists(path):
            path = os.path.join(DEFAULT_DATA, name)
        try:
            with open(path, "r", encoding="utf-8") as f:
                data = json.load(f)
        except (OSError, ValueError) as e:
            raise FixtureError("%s: %s" % (path, e))
        if not isinstance(data, dict):
            raise FixtureError("%s: expected a JSON object" % path)
        return data

    @staticmethod
    def _contact(c, raw_utf8=None):
        if not isinstance(c, dict) or not isinstance(c.get("uuid"), str) or not isinstance(c.get("name"), str):
            raise FixtureError("contacts.json: every contact needs a uuid and a name")
        wire = c.get("_wire", "escaped")
        if wire not in ("escaped", "utf-8"):
            raise FixtureError("contacts.json: %s: _wire must be \"escaped\" or \"utf-8\"" % c["uuid"])
        if wire == "utf-8" and raw_utf8 is not None:
            raw_utf8.add(c["uuid"])
        # The client cuts a contact at the first "]", so the member array goes
        # last and nothing else in a contact may hold an array.
        out = {
            "uuid": c["uuid"],
            "name": c["name"],
            "lastName": c.get("lastName"),
            "faxNumber": c.get("faxNumber"),
            "isOrganization": bool(c.get("isOrganization", False)),
        }
        for k, v in c.items():
            if k in out or k in ("contacts", "_wire"):
                continue
            if isinstance(v, (list, dict)):
                raise FixtureError("contacts.json: %s: member %r must not be nested" % (c["uuid"], k))
            out[k] = v
        members = []
        for m in c.get("contacts") or []:
            if not isinstance(m, dict) or not isinstance(m.get("uuid"), str):
                raise FixtureError("contacts.json: %s: every member needs a uuid" % c["uuid"])
            member = {
                "uuid": m["uuid"],
                "name": m.get("name"),
                "faxNumber": m.get("faxNumber"),
                "isOrganization": bool(m.get("isOrganization", False)),
            }
            for k, v in m.items():
                if k in member:
                    continue
                if isinstance(v, (list, dict)):
                    raise FixtureError("contacts.json: %s: member fields must not be nested" % m["uuid"])
                member[k] = v
            members.append(member)
        out["contacts"] = members
        return out


# ---------------------------------------------------------------- state

class FaultState:
    """The fault to apply next: a run-wide one (None = unlimited) or a counted one."""

    def __init__(self, mode=None):
        self._lock = threading.Lock()
        self._mode = mode
        self._remaining = None

    def set(self, mode, count):
        with self._lock:
            if mode == "none":
                self._mode, self._remaining = None, None
            else:
                self._mode, self._remaining = mode, count

    def take(self):
        with self._lock:
            mode = self._mode
            if mode is not None and self._remaining is not None:
                self._remaining -= 1
                if self._remaining <= 0:
                    self._mode, self._remaining = None, None
            return mode

    def describe(self):
        with self._lock:
            return {"mode": self._mode or "none", "count": self._remaining}


class Throttle:
    """The rate, in bytes per second, at which request bodies are read (0: no limit)."""

    def __init__(self, rate=0):
        self._lock = threading.Lock()
        self._rate = rate

    def set(self, rate):
        with self._lock:
            self._rate = rate

    def rate(self):
        with self._lock:
            return self._rate


class RequestLog:
    def __init__(self, path):
        self._lock = threading.Lock()
        self._file = open(path, "a", encoding="utf-8") if path else None

    def write(self, entry):
        if self._file is None:
            return
        line = json.dumps(entry, ensure_ascii=False) + "\n"
        with self._lock:
            self._file.write(line)
            self._file.flush()

    def close(self):
        if self._file is not None:
            with self._lock:
                self._file.close()
                self._file = None


class Outbox:
    """Accepted faxes as OUTBOX/<seq>/: the uploaded files and fields.json.

    Each folder is written aside and renamed into place, so a watcher never
    sees half a fax.
    """

    def __init__(self, root):
        self.root = root
        os.makedirs(root, exist_ok=True)
        self._lock = threading.Lock()
        taken = [int(n) for n in os.listdir(root) if n.isdigit()]
        self._next = max(taken, default=0) + 1

    def store(self, parts):
        with self._lock:
            seq = self._next
            self._next += 1
        work = tempfile.mkdtemp(prefix=".incoming-%d-" % seq, dir=self.root)
        used = {"fields.json"}
        fields = []
        for p in parts:
            entry = {
                "name": p.name,
                "filename": p.filename,
                "content_type": p.content_type,
                "size": len(p.data),
            }
            if p.filename is None:
                # The bytes as they came, and the text only when they are UTF-8:
                # text in another code page must show as the fault it is.
                entry["value"] = form_text(p.data)
                entry["bytes_hex"] = p.data.hex()
            else:
                stored = safe_file_name(p.filename, used)
                used.add(stored)
                with open(os.path.join(work, stored), "wb") as f:
                    f.write(p.data)
                entry["stored_as"] = stored
            fields.append(entry)
        with open(os.path.join(work, "fields.json"), "w", encoding="utf-8") as f:
            json.dump(fields, f, indent=1, ensure_ascii=False)
            f.write("\n")
        os.chmod(work, 0o755)
        os.rename(work, os.path.join(self.root, str(seq)))
        return seq


def safe_file_name(filename, used):
    # Only the base name counts; a client must not place files outside the fax folder.
    base = re.split(r"[\\/]", filename)[-1]
    base = "".join("_" if (ord(ch) < 32 or ch in '<>:"|?*') else ch for ch in base).strip()
    if base in ("", ".", ".."):
        base = "upload.bin"
    if len(base.encode("utf-8")) > 200:
        stem, ext = os.path.splitext(base)
        base = stem[:100] + ext[:20]
    name, n = base, 1
    while name in used:
        n += 1
        stem, ext = os.path.splitext(base)
        name = "%s-%d%s" % (stem, n, ext)
    return name


# ---------------------------------------------------------------- multipart

class FormPart:
    def __init__(self, name, filename, content_type, data):
        self.name = name
        self.filename = filename
        self.content_type = content_type
        self.data = data


def parse_header_params(value):
    """'type; a=b; c="d"' -> ('type', {'a': 'b', 'c': 'd'}); keys lower-cased."""
    head, _, rest = value.partition(";")
    params = {}
    i, n = 0, len(rest)
    while i < n:
        while i < n and rest[i] in " \t;":
            i += 1
        j = i
        while j < n and rest[j] not in "=;":
            j += 1
        key = rest[i:j].strip().lower()
        i = j
        val = ""
        if i < n and rest[i] == "=":
            i += 1
            while i < n and rest[i] in " \t":
                i += 1
            if i < n and rest[i] == '"':
                i += 1
                chars = []
                # No backslash escapes: form clients (libcurl, browsers) send
                # Windows paths raw and percent-encode quotes instead.
                while i < n and rest[i] != '"':
                    chars.append(rest[i])
                    i += 1
                i += 1
                val = "".join(chars)
            else:
                j = i
                while j < n and rest[j] != ";":
                    j += 1
                val = rest[i:j].strip()
                i = j
        if key:
            params.setdefault(key, val)
    return head.strip().lower(), params


def parse_multipart(body, boundary):
    """Parts of a multipart/form-data body in order; ValueError when malformed."""
    if not boundary:
        raise ValueError("no boundary")
    delim = b"--" + boundary.encode("latin-1")
    if body.startswith(delim):
        pos = len(delim)
    else:
        i = body.find(b"\r\n" + delim)
        if i < 0:
            raise ValueError("no opening boundary")
        pos = i + 2 + len(delim)
    parts = []
    while True:
        if body[pos:pos + 2] == b"--":
            return parts
        while body[pos:pos + 1] in (b" ", b"\t"):
            pos += 1
        if body[pos:pos + 2] != b"\r\n":
            raise ValueError("bad boundary line")
        pos += 2
        end = body.find(b"\r\n" + delim, pos)
        if end < 0:
            raise ValueError("part without closing boundary")
        parts.append(parse_part(body[pos:end]))
        pos = end + 2 + len(delim)


def parse_part(raw):
    if raw.startswith(b"\r\n"):
        head, data = b"", raw[2:]
    else:
        head, sep, data = raw.partition(b"\r\n\r\n")
        if not sep:
            raise ValueError("part without header end")
    headers = {}
    last = None
    for line in decode_text(head).split("\r\n"):
        if not line:
            continue
        if line[0] in " \t" and last:
            headers[last] += " " + line.strip()
            continue
        name, sep, value = line.partition(":")
        if not sep:
            raise ValueError("bad part header")
        last = name.strip().lower()
        headers.setdefault(last, value.strip())
    kind, params = parse_header_params(headers.get("content-disposition", ""))
    if kind != "form-data" or "name" not in params:
        raise ValueError("part is not a named form field")
    return FormPart(params["name"], params.get("filename"), headers.get("content-type"), data)


# ---------------------------------------------------------------- HTTP

class BodyError(Exception):
    def __init__(self, status, message):
        super().__init__(message)
        self.status = status
        self.message = message


class Answer:
    def __init__(self, status, body, content_type=JSON_TYPE):
        self.status = status
        self.content_type = content_type
        if isinstance(body, (dict, list)):
            body = compact(body)
        self.body = body.encode("utf-8") if isinstance(body, str) else body


def fault_answer(mode):
    if mode == "error-object":
        return Answer(503, error_object("Service unavailable", 503))
    if mode == "token-error":
        return Answer(401, TOKEN_ERROR)
    if mode == "jwt-expired":
        return Answer(401, {"message": "jwt expired"})
    if mode == "message":
        return Answer(400, {"message": "Bad request"})
    if mode == "errors":
        return Answer(400, NO_RECIPIENTS)
    if mode == "html-502":
        return Answer(502, HTML_502, "text/html")
    if mode == "empty":
        return Answer(200, b"")
    if mode == "huge":
        return Answer(200, HUGE)
    if mode == "cap":
        return Answer(200, CAP)
    if mode == "refused":
        return Answer(200, REFUSED)
    if mode == "no-ids":
        return Answer(200, NO_IDS)
    if mode == "huge-account":
        return Answer(200, HUGE_ACCOUNT)
    raise ValueError(mode)


HUGE = huge_body()
CAP = huge_body(CAP_SIZE)
HUGE_ACCOUNT = huge_body(head=HUGE_ACCOUNT_HEAD)


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "FaxSandbox/1.0"
    sys_version = ""
    timeout = IDLE_TIMEOUT
    read_rate = 0  # bytes per second of this request's body; 0: no limit

    def log_message(self, fmt, *args):
        if self.server.verbose:
            sys.stderr.write("sandbox: %s %s\n" % (self.address_string(), fmt % args))

    def do_GET(self):
        self.dispatch()

    def do_POST(self):
        self.dispatch()

    def do_PUT(self):
        self.dispatch()

    def do_DELETE(self):
        self.dispatch()

    def do_PATCH(self):
        self.dispatch()

    # -- one request

    def dispatch(self):
        path, _, raw_query = self.path.partition("?")
        control = path.startswith("/_sandbox/")
        self.read_rate = 0 if control else self.server.throttle.rate()
        fault = None if control else self.server.faults.take()
        entry = {
            "time": now_text(),
            "method": self.command,
            "path": path,
            "query": raw_query,
            "headers": [[k, v] for k, v in self.headers.raw_items()],
            "body_size": 0,
            "parts": None,
            "fault": fault,
            "status": None,
        }
        if fault == "drop":
            entry["body_size"] = self.read_part_of_body()
            self.server.log.write(entry)
            self.drop()
            return
        try:
            body = self.read_body()
        except BodyError as e:
            entry["status"] = e.status
            self.server.log.write(entry)
            self.close_connection = True
            # The fax client only reads the errors list; the others read error objects.
            if path == "/v1/fax/send":
                self.answer(Answer(e.status, fax_errors(e.message, "file")))
            else:
                self.answer(Answer(e.status, error_object(e.message, e.status)))
            return
        except (OSError, ValueError):
            # The client went away in the middle of its body.
            entry["status"] = None
            self.server.log.write(entry)
            self.close_connection = True
            return
        entry["body_size"] = len(body)
        parts = self.parse_form(body)
        if parts is not None:
            entry["parts"] = [p.name for p in parts]

        if fault == "stall":
            self.server.log.write(entry)
            self.stall()
            return
        if fault == "slow":
            time.sleep(SLOW_SECONDS)
        try:
            if fault is not None and fault != "slow":
                answer = fault_answer(fault)
            elif control:
                answer = self.control(path, body)
            else:
                answer = self.route(path, raw_query, parts)
        except Exception as e:  # never let one request take the server down
            sys.stderr.write("sandbox: internal error on %s %s: %r\n" % (self.command, self.path, e))
            answer = Answer(500, error_object("Internal sandbox error", 500))
        entry["status"] = answer.status
        self.server.log.write(entry)
        self.answer(answer)

    def answer(self, answer):
        try:
            self.send_response(answer.status)
            self.send_header("Content-Type", answer.content_type)
            self.send_header("Content-Length", str(len(answer.body)))
            if self.close_connection:
                self.send_header("Connection", "close")
            self.end_headers()
            if self.command != "HEAD":
                self.wfile.write(answer.body)
            self.wfile.flush()
        except OSError:
            self.close_connection = True

    # -- body

    def read_body(self):
        te = (self.headers.get("Transfer-Encoding") or "").strip().lower()
        if te == "chunked":
            return self.read_chunked()
        if te:
            raise BodyError(501, "Transfer encoding not supported")
        length = self.headers.get("Content-Length")
        if length is None:
            return b""
        try:
            n = int(length.strip())
        except ValueError:
            raise BodyError(400, "Bad Content-Length")
        if n < 0:
            raise BodyError(400, "Bad Content-Length")
        if n > MAX_BODY:
            raise BodyError(413, "Request body too large")
        data = self.read_paced(n) if self.read_rate > 0 else self.rfile.read(n)
        if len(data) < n:
            raise ValueError("short body")
        return data

    def read_paced(self, n):
        """n bytes at no more than the throttle's rate; fewer when the client stops."""
        rate = self.read_rate
        # About ten reads a second, so the client's progress moves smoothly.
        step = max(1, min(rate // 10, 256 * 1024))
        chunks, got = [], 0
        start = time.monotonic()
        while got < n:
            data = self.rfile.read(min(step, n - got))
            if not data:
                break
            chunks.append(data)
            got += len(data)
            ahead = got / rate - (time.monotonic() - start)
            if ahead > 0:
                if self.server.stopping.wait(ahead):
                    break
        return b"".join(chunks)

    def read_chunked(self):
        chunks, total = [], 0
        while True:
            line = self.rfile.readline(1024)
            if not line.endswith(b"\n"):
                raise ValueError("short chunk header")
            try:
                size = int(line.split(b";")[0].strip(), 16)
            except ValueError:
                raise BodyError(400, "Bad chunk size")
            if size == 0:
                while self.rfile.readline(1024).strip():
                    pass  # trailers
                return b"".join(chunks)
            total += size
            if total > MAX_BODY:
                raise BodyError(413, "Request body too large")
            data = self.rfile.read(size)
            if len(data) < size:
                raise ValueError("short chunk")
            chunks.append(data)
            self.rfile.readline(16)

    def read_part_of_body(self):
        try:
            n = int(self.headers.get("Content-Length") or 0)
        except ValueError:
            n = 0
        want = min(max(n // 2, 1), MAX_BODY) if n > 0 else 0
        if want == 0 and (self.headers.get("Transfer-Encoding") or "").lower() == "chunked":
            want = 1
        if want == 0:
            return 0
        try:
            self.connection.settimeout(5)
            return len(self.rfile.read(want))
        except OSError:
            return 0

    def parse_form(self, body):
        """The parts of a multipart/form-data body, or None."""
        kind, params = parse_header_params(self.headers.get("Content-Type") or "")
        if kind != "multipart/form-data":
            return None
        try:
            return parse_multipart(body, params.get("boundary", ""))
        except ValueError:
            return None

    # -- faults that answer nothing

    def drop(self):
        # Closing with unread body data left makes the kernel reset the line.
        self.close_connection = True

    def stall(self):
        self.close_connection = True
        sock = self.connection
        deadline = time.monotonic() + (self.server.stall_seconds or STALL_SECONDS)
        try:
            sock.settimeout(0.5)
        except OSError:
            return
        while not self.server.stopping.is_set() and time.monotonic() < deadline:
            try:
                ready, _, _ = select.select([sock], [], [], 0.25)
                pending = sock.pending() if isinstance(sock, ssl.SSLSocket) else 0
                if ready or pending:
                    if not sock.recv(4096):
                        return  # the client gave up
            except (socket.timeout, ssl.SSLWantReadError):
                continue
            except (OSError, ValueError):
                return

    # -- control

    def control(self, path, body):
        if path == "/_sandbox/health" and self.command == "GET":
            return Answer(200, "ok", "text/plain; charset=utf-8")
        if path == "/_sandbox/throttle":
            return self.throttle_control(body)
        if path == "/_sandbox/fault":
            if self.command == "GET":
                return Answer(200, self.server.faults.describe())
            if self.command == "POST":
                try:
                    req = json.loads(decode_text(body) or "null")
                except ValueError:
                    return Answer(400, error_object("Body must be JSON", 400))
                if not isinstance(req, dict):
                    return Answer(400, error_object("Body must be a JSON object", 400))
                mode = req.get("mode")
                count = req.get("count", 1)
                if mode != "none" and mode not in FAULT_MODES:
                    return Answer(400, error_object("Unknown fault mode %s" % mode, 400))
                if isinstance(count, bool) or not isinstance(count, int) or count < 1:
                    return Answer(400, error_object("count must be a positive integer", 400))
                seconds = req.get("seconds")
                if seconds is not None and (isinstance(seconds, bool) or not isinstance(seconds, (int, float))
                                            or not 0 < seconds <= STALL_SECONDS):
                    return Answer(400, error_object("seconds must be above 0 and at most %d" % STALL_SECONDS, 400))
                # How long a stall holds the line; every fault request sets it anew.
                self.server.stall_seconds = seconds
                self.server.faults.set(mode, count)
                return Answer(200, self.server.faults.describe())
            return Answer(405, error_object("Method not allowed", 405))
        return Answer(404, error_object("Not found", 404))

    def throttle_control(self, body):
        if self.command == "GET":
            return Answer(200, {"rate": self.server.throttle.rate()})
        if self.command != "POST":
            return Answer(405, error_object("Method not allowed", 405))
        try:
            req = json.loads(decode_text(body) or "null")
        except ValueError:
            return Answer(400, error_object("Body must be JSON", 400))
        rate = req.get("rate") if isinstance(req, dict) else None
        if isinstance(rate, bool) or not isinstance(rate, int) or rate < 0:
            return Answer(400, error_object("rate must be a whole number of bytes per second, 0 for none", 400))
        self.server.throttle.set(rate)
        return Answer(200, {"rate": rate})

    # -- the service

    ROUTES = {"/v1/me": "GET", "/v1/contacts": "GET", "/coverpages": "GET", "/v1/fax/send": "POST"}

    def route(self, path, raw_query, parts):
        method = self.ROUTES.get(path)
        if method is None:
            return Answer(404, error_object("Not found", 404))
        if method != self.command:
            return Answer(405, error_object("Method not allowed", 405))
        account = self.authenticate()
        if account is None:
            return Answer(401, TOKEN_ERROR)
        query = urllib.parse.parse_qs(raw_query, keep_blank_values=True)
        if path == "/v1/me":
            return Answer(200, account)
        if path == "/v1/contacts":
            return self.contacts(query)
        if path == "/coverpages":
            return self.cover_pages(account, query)
        return self.send_fax(parts)

    def authenticate(self):
        value = self.headers.get("Authorization")
        if value is None:
            return None
        scheme, sep, key = value.partition(" ")
        if not sep or scheme.lower() != "driver":
            return None
        return self.server.fixtures.accounts.get(key)

    def contacts(self, query):
        order = query.get("order", ["name asc"])[0].strip().lower()
        if order not in ("name asc", "name desc"):
            return Answer(400, {"message": "Invalid order"})
        limit = None
        if "limit" in query:
            try:
                limit = int(query["limit"][0])
            except ValueError:
                limit = -1
            if limit < 0:
                return Answer(400, {"message": "Invalid limit"})
        needle = query.get("query", [""])[0].strip().casefold()
        rows = []
        for c in self.server.fixtures.contacts:
            name = (c.get("name") or "").casefold()
            last = (c.get("lastName") or "").casefold()
            if needle and needle not in name and needle not in last and needle not in (name + " " + last):
                continue
            rows.append(c)
        rows.sort(key=lambda c: ((c.get("name") or "").casefold(), (c.get("lastName") or "").casefold(), c["uuid"]),
                  reverse=(order == "name desc"))
        shown = rows if limit is None else rows[:limit]
        raw = self.server.fixtures.raw_utf8
        body = '{"count":%d,"rows":[%s]}' % (len(rows), ",".join(
            json.dumps(c, separators=(",", ":"), ensure_ascii=c["uuid"] not in raw) for c in shown))
        return Answer(200, body)

    def cover_pages(self, account, query):
        account_id = query.get("accountId", [""])[0]
        user_id = query.get("userId", [""])[0]
        if account_id != account.get("accountId") or user_id != account.get("userId"):
            return Answer(404, error_object("Account not found", 404))
        return Answer(200, self.server.fixtures.cover_pages)

    def send_fax(self, parts):
        if parts is None:
            return Answer(400, fax_errors("Malformed form data", "form"))
        fields = {}
        for p in parts:
            if p.filename is None:
                fields.setdefault(p.name, p.data.decode("utf-8", errors="replace"))
        numbers = fields.get("recipientFax", "").strip()
        contacts = fields.get("recipientContacts", "").strip()
        if not numbers and not contacts:
            return Answer(400, NO_RECIPIENTS)
        if not any(p.name == "file" and p.filename is not None for p in parts):
            return Answer(400, fax_errors("No file", "file"))
        if numbers:
            for n in numbers.split(","):
                if not FAX_NUMBER.match(n.strip()):
                    return Answer(400, fax_errors("Invalid fax number %s" % n.strip(), "recipientFax"))
        if contacts:
            for c in contacts.split(","):
                if c.strip() not in self.server.fixtures.contact_ids:
                    return Answer(400, fax_errors("Unknown contact %s" % c.strip(), "recipientContacts"))
        cover_id = fields.get("coverPageId", "").strip()
        if fields.get("coverPage") == "true" and cover_id and cover_id not in self.server.fixtures.cover_page_ids:
            return Answer(400, fax_errors("Unknown cover page %s" % cover_id, "coverPageId"))
        seq = self.server.outbox.store(parts)
        return Answer(200, {"success": True, "message": "Fax queued", "faxId": "fax-%d" % seq})


class SandboxServer(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, fixtures, outbox, log, faults, ssl_context=None, verbose=False):
        self.fixtures = fixtures
        self.outbox = outbox
        self.log = log
        self.faults = faults
        self.throttle = Throttle()
        self.ssl_context = ssl_context
        self.verbose = verbose
        self.stopping = threading.Event()
        self.stall_seconds = None  # None: STALL_SECONDS
        super().__init__(address, Handler)

    def server_bind(self):
        # HTTPServer would look up the host's full name here, which can hang without DNS.
        socketserver.TCPServer.server_bind(self)
        self.server_name, self.server_port = self.server_address[:2]

    def finish_request(self, request, client_address):
        if self.throttle.rate() > 0:
            # A small receive buffer keeps a throttled client's byte count
            # close to what has really been read.
            try:
                request.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, THROTTLED_RCVBUF)
            except OSError:
                pass
        if self.ssl_context is None:
            super().finish_request(request, client_address)
            return
        # Handshake here, in the connection's own thread, so a silent client
        # cannot hold up the accept loop.
        try:
            request.settimeout(IDLE_TIMEOUT)
            tls = self.ssl_context.wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError) as e:
            if self.verbose:
                sys.stderr.write("sandbox: TLS handshake with %s failed: %s\n" % (client_address[0], e))
            return
        try:
            self.RequestHandlerClass(tls, client_address, self)
        finally:
            try:
                tls.close()
            except OSError:
                pass

    def handle_error(self, request, client_address):
        if self.verbose:
            super().handle_error(request, client_address)


# ---------------------------------------------------------------- main

def write_ready_file(path, port):
    folder = os.path.dirname(os.path.abspath(path))
    fd, tmp = tempfile.mkstemp(prefix=".ready-", dir=folder)
    with os.fdopen(fd, "w") as f:
        f.write("%d\n" % port)
    os.chmod(tmp, 0o644)
    os.replace(tmp, path)


def parse_args(argv):
    ap = argparse.ArgumentParser(description="Local fax service for tests and the demo.")
    ap.add_argument("--port", type=int, required=True, help="port to listen on (0: pick a free one)")
    ap.add_argument("--host", default="localhost")
    ap.add_argument("--tls", metavar="CERTDIR", help="serve HTTPS with CERTDIR/server.pem and server.key")
    ap.add_argument("--data", metavar="DIR", default=DEFAULT_DATA, help="fixture folder")
    ap.add_argument("--outbox", metavar="DIR", help="where accepted faxes are stored (default: a new temp folder)")
    ap.add_argument("--log", metavar="FILE", help="append one JSON line per request")
    ap.add_argument("--fault", metavar="MODE", choices=FAULT_MODES, help="misbehave on every request")
    ap.add_argument("--throttle", metavar="BYTES_PER_S", type=int, default=0,
                    help="read request bodies at no more than this rate (0: no limit)")
    ap.add_argument("--ready-file", metavar="FILE", help="write the port here once listening")
    ap.add_argument("--verbose", action="store_true", help="access log and handler errors on stderr")
    args = ap.parse_args(argv)
    if not 0 <= args.port <= 65535:
        ap.error("--port must be 0 to 65535")
    if args.throttle < 0:
        ap.error("--throttle must be 0 or more")
    return args


def main(argv=None):
    args = parse_args(sys.argv[1:] if argv is None else argv)
    try:
        fixtures = Fixtures(args.data)
    except FixtureError as e:
        sys.stderr.write("sandbox: bad fixtures: %s\n" % e)
        return 1

    context = None
    if args.tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        try:
            context.load_cert_chain(os.path.join(args.tls, "server.pem"), os.path.join(args.tls, "server.key"))
        except (OSError, ssl.SSLError) as e:
            sys.stderr.write("sandbox: cannot load the certificate from %s: %s\n" % (args.tls, e))
            return 1

    try:
        server = SandboxServer((args.host, args.port), fixtures, None, None, FaultState(args.fault),
                               context, args.verbose)
    except OSError as e:
        sys.stderr.write("sandbox: cannot listen on %s:%d: %s\n" % (args.host, args.port, e))
        return 1
    server.throttle.set(args.throttle)
    # Only now that the port is ours: a failed start leaves no folders behind.
    try:
        if args.outbox:
            server.outbox = Outbox(args.outbox)
        else:
            server.outbox = Outbox(tempfile.mkdtemp(prefix="fax-sandbox-outbox-"))
            sys.stderr.write("sandbox: outbox %s\n" % server.outbox.root)
        server.log = log = RequestLog(args.log)
    except OSError as e:
        sys.stderr.write("sandbox: %s\n" % e)
        server.server_close()
        return 1

    stop = threading.Event()

    def on_signal(signum, frame):
        stop.set()

    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGINT, on_signal)

    serving = threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True)
    serving.start()
    port = server.server_address[1]
    try:
        if args.ready_file:
            write_ready_file(args.ready_file, port)
        print("listening on %d" % port, flush=True)
        while not stop.wait(0.5):
            pass
    except (OSError, BrokenPipeError) as e:
        sys.stderr.write("sandbox: %s\n" % e)
    finally:
        server.stopping.set()
        server.shutdown()
        server.server_close()
        log.close()
        if args.ready_file:
            try:
                os.remove(args.ready_file)
            except OSError:
                pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
