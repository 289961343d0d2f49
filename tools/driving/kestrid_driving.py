"""Driving the real program under Wine: one Wine prefix and display per session,
a program folder per run, the local fax sandbox, the UI driver to look at
windows, and real X input. Used by the end-to-end tests and the demo."""
import atexit
import io
import json
import os
import re
import select
import shutil
import ssl
import subprocess
import tempfile
import threading
import time
import urllib.request

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# The build of the program under test (KestridUI.exe with its UI driver and
# Ghostscript stand-in): the win64 build unless KESTRID_PROGRAM_DIR names
# another, such as the 32-bit one.
BUILD = os.environ.get("KESTRID_PROGRAM_DIR") or os.environ.get("KESTRID_WIN64_DIR") \
    or os.path.join(ROOT, "build", "win64")
# Screenshots of the windows, kept with the test output for review (one folder
# per build, as two builds may be tested at once).
_BUILD_NAME = os.path.basename(os.path.abspath(BUILD))
SHOTS = os.path.join(os.path.dirname(os.path.abspath(BUILD)),
                     "e2e-shots" if _BUILD_NAME == "win64" else "e2e-shots-" + _BUILD_NAME)
SANDBOX_SCRIPT = os.path.join(ROOT, "tools", "fax-sandbox", "sandbox.py")
SETTINGS_KEY = r"HKCU\Software\Fax\Settings"


def wine_env():
    env = dict(os.environ)
    env.setdefault("WINEDEBUG", "-all")
    env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    if "WINEPREFIX" not in env:
        raise RuntimeError("WINEPREFIX not set: run through scripts/test")
    return env


def run_wine(args, timeout=60, check=True):
    # Output goes through files, not pipes: a wineserver or helper process that
    # this call happens to start inherits the handles and would hold a pipe open.
    # Windows programs print their text in the ANSI code page (Windows-1252 here).
    # On a busy machine Wine now and then fails to start a program at all
    # ("ShellExecuteEx failed"); that start, and only that, is tried once more.
    for attempt in (1, 2):
        with tempfile.TemporaryFile("w+", encoding="cp1252", errors="replace") as out, \
                tempfile.TemporaryFile("w+") as err:
            code = subprocess.run(["wine"] + args, env=wine_env(), stdout=out, stderr=err,
                                  stdin=subprocess.DEVNULL, timeout=timeout).returncode
            out.seek(0)
            err.seek(0)
            result = subprocess.CompletedProcess(args, code, out.read(), err.read())
        if code == 0 or attempt == 2 or "ShellExecuteEx failed" not in result.stdout + result.stderr:
            break
        time.sleep(1)
    if check and result.returncode != 0:
        raise AssertionError("wine %s failed (%d): %s %s" % (args, result.returncode,
                                                            result.stdout, result.stderr))
    return result


def uidriver(*args, timeout=120):
    """Runs one driver command; returns (exit code, stdout without the last line break).
    The commands go to a driver that serves the Wine prefix and display, which
    spares a Wine start each; "run" and "watch", whose programs write to the
    driver's output, and a call while another thread's is under way, start a
    driver of their own."""
    if not args or args[0] in ("run", "watch") or not _serving.acquire(blocking=False):
        return uidriver_once(*args, timeout=timeout)
    try:
        code, output = _served(os.path.join(BUILD, "uidriver.exe"), list(args), timeout)
    finally:
        _serving.release()
    # Read as run_wine reads a one-shot driver's output.
    text = io.TextIOWrapper(io.BytesIO(output), encoding="cp1252", errors="replace").read()
    return code, text.rstrip("\r\n")


def uidriver_once(*args, timeout=120):
    """uidriver() by a driver of its own, started for this one command."""
    result = run_wine([os.path.join(BUILD, "uidriver.exe")] + list(args), timeout=timeout, check=False)
    return result.returncode, result.stdout.rstrip("\r\n")


def _escaped(arg):
    for char, escape in (("\\", "\\\\"), ("\t", "\\t"), ("\n", "\\n"), ("\r", "\\r")):
        arg = arg.replace(char, escape)
    return arg


class _DriverServer:
    """A running "uidriver.exe serve": a command a line, its arguments UTF-8,
    tab-separated and escaped; each reply "<exit code> <byte count>\\n" and
    that many bytes of output."""

    def __init__(self, exe, env):
        self.process = subprocess.Popen(["wine", exe, "serve"], env=env, stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.pending = b""

    def alive(self):
        return self.process.poll() is None

    def ask(self, args, deadline):
        """(exit code, output bytes), or None when the driver ended without
        answering; TimeoutExpired (without the command) at the deadline."""
        line = "\t".join(_escaped(a) for a in args) + "\n"
        try:
            self.process.stdin.write(line.encode("utf-8", "surrogateescape"))
            self.process.stdin.flush()
        except OSError:
            return None
        if not self._read_until(lambda: b"\n" in self.pending, deadline):
            return None
        header, self.pending = self.pending.split(b"\n", 1)
        code, size = (int(v) for v in header.split())
        if not self._read_until(lambda: len(self.pending) >= size, deadline):
            return None
        output, self.pending = self.pending[:size], self.pending[size:]
        return code, output

    def _read_until(self, enough, deadline):
        # Never read to the end: a wineserver that the driver's start started
        # holds the pipe open after the driver has gone.
        out = self.process.stdout.fileno()
        while not enough():
            left = 0.2 if deadline is None else deadline - time.monotonic()
            if left <= 0:
                raise subprocess.TimeoutExpired("uidriver", 0)
            ended = not self.alive()  # what it wrote before it ended is still read
            if select.select([out], [], [], 0 if ended else min(left, 0.2))[0]:
                chunk = os.read(out, 65536)
                if chunk:
                    self.pending += chunk
                    continue
                return False
            if ended:
                return False
        return True

    def close(self, wait=5):
        """Ends it: the end of its input ends it, and a kill when it does not
        within wait seconds."""
        try:
            self.process.stdin.close()
        except OSError:
            pass
        try:
            self.process.wait(wait)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.process.stdout.close()


_servers = {}  # (driver, WINEPREFIX, DISPLAY) -> _DriverServer
_serving = threading.Lock()


def _served(exe, args, timeout):
    env = wine_env()
    key = (exe, env["WINEPREFIX"], env.get("DISPLAY"))
    deadline = None if timeout is None else time.monotonic() + timeout
    # A driver found ended (a test's "wineserver -k" ends it) is started
    # afresh; one that ends with the command gets it once more.
    for _ in (1, 2):
        server = _servers.get(key)
        if server is None or not server.alive():
            if server is not None:
                server.close(0)
            server = _servers[key] = _DriverServer(exe, env)
        try:
            answer = server.ask(args, deadline)
        except BaseException as error:
            # Its answer would come to the next command: it is ended (as a
            # one-shot driver is on a timeout).
            server.close(0)
            del _servers[key]
            if isinstance(error, subprocess.TimeoutExpired):
                raise subprocess.TimeoutExpired(["wine", exe] + args, timeout) from None
            raise
        if answer is not None:
            return answer
        server.close(0)
        del _servers[key]
    raise AssertionError("the UI driver ended without answering %r" % (args,))


@atexit.register
def _close_servers():
    for server in _servers.values():
        server.close()
    _servers.clear()


def reg(*args):
    return run_wine(["reg"] + list(args), check=False)


def set_stored_key(key):
    if key is None:
        reg("delete", r"HKCU\Software\Fax", "/f")
    else:
        reg("add", r"HKCU\Software\Fax\Settings", "/v", "USERNAME", "/t", "REG_SZ", "/d", key, "/f")


def windows_path(unix_path):
    return "Z:" + unix_path.replace("/", "\\")


def read_settings():
    """Every value of the program's settings store, as {name: text}; empty
    when the store does not exist yet."""
    result = reg("query", SETTINGS_KEY)
    values = {}
    if result.returncode != 0:
        return values
    for line in result.stdout.splitlines():
        match = re.match(r"^    (.+?)    REG_SZ(?:    (.*))?$", line.rstrip("\r"))
        if match:
            values[match.group(1)] = match.group(2) or ""
    return values


def write_setting(name, value):
    reg("add", SETTINGS_KEY, "/v", name, "/t", "REG_SZ", "/d", value, "/f")


def clear_settings():
    reg("delete", r"HKCU\Software\Fax", "/f")


def screenshot(window, name, folder=None):
    """Saves the window (driver title part or "@id=text") as name.png in
    folder (SHOTS when not given) and returns the path; fails the calling
    test when it cannot."""
    folder = folder or SHOTS
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, name + ".png")
    if os.path.exists(path):
        os.remove(path)
    code, out = uidriver("shot", window, windows_path(path))
    if code != 0 or not os.path.isfile(path):
        raise AssertionError("no screenshot of %r: %s" % (window, out))
    return path


class Sandbox:
    """The local fax service over HTTPS on KESTRID_SANDBOX_PORT with the
    certificates in KESTRID_CA_DIR: the address and CA the program under test
    was built for. Every request it gets is logged and can be read back."""

    def __init__(self, data=None):
        port = os.environ.get("KESTRID_SANDBOX_PORT")
        self.ca_dir = os.environ.get("KESTRID_CA_DIR")
        if not port or not self.ca_dir:
            raise RuntimeError("KESTRID_SANDBOX_PORT and KESTRID_CA_DIR must name the program's service")
        self.port = int(port)
        self.work = tempfile.mkdtemp(prefix="kestrid-sandbox-")
        self.outbox = os.path.join(self.work, "outbox")
        self.log = os.path.join(self.work, "requests.jsonl")
        ready = os.path.join(self.work, "ready")
        self._err = open(os.path.join(self.work, "stderr"), "w+")
        self.process = subprocess.Popen(
            ["python3", SANDBOX_SCRIPT, "--port", str(self.port), "--tls", self.ca_dir,
             "--outbox", self.outbox, "--log", self.log, "--ready-file", ready]
            + (["--data", data] if data else []),
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=self._err)
        if not wait_until(lambda: os.path.exists(ready) or self.process.poll() is not None, 20):
            self.stop()
            raise RuntimeError("the fax sandbox did not come up on port %d" % self.port)
        if self.process.poll() is not None:
            self._err.seek(0)
            raise RuntimeError("the fax sandbox ended: %s" % self._err.read())
        self._tls = ssl.create_default_context(cafile=os.path.join(self.ca_dir, "ca.pem"))

    @property
    def base(self):
        return "https://localhost:%d" % self.port

    def _control(self, method, path, body=None):
        data = json.dumps(body).encode() if body is not None else None
        request = urllib.request.Request(self.base + path, data=data, method=method,
                                         headers={"content-type": "application/json"})
        with urllib.request.urlopen(request, context=self._tls, timeout=10) as answer:
            return answer.read()

    def set_fault(self, mode, count=1, **options):
        """The next count requests of the program get the fault ("none"
        clears), with its options (a stall's "seconds")."""
        self._control("POST", "/_sandbox/fault", dict(options, mode=mode, count=count))

    def clear_fault(self):
        self._control("POST", "/_sandbox/fault", {"mode": "none"})

    def set_throttle(self, rate):
        """Request bodies are read at no more than rate bytes per second (0: no limit)."""
        self._control("POST", "/_sandbox/throttle", {"rate": rate})

    def requests(self, path=None):
        """The logged requests (dicts), control requests left out; only those
        to path when given."""
        if not os.path.exists(self.log):
            return []
        with open(self.log) as log:
            entries = [json.loads(line) for line in log if line.strip()]
        entries = [e for e in entries if not e["path"].startswith("/_sandbox/")]
        return [e for e in entries if path is None or e["path"] == path]

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self._err.close()
        shutil.rmtree(self.work, ignore_errors=True)


_sandbox = None


def sandbox():
    """The session's one sandbox, started on first use and stopped at exit."""
    global _sandbox
    if _sandbox is None or _sandbox.process.poll() is not None:
        _sandbox = Sandbox()
        atexit.register(_sandbox.stop)
    return _sandbox


class ProgramFolder:
    """A copy of the program in a folder of its own, as an installer leaves it."""

    def __init__(self, name="Vantrel Fax", version=None):
        self.base = tempfile.mkdtemp(prefix="kestrid-e2e-")
        self.path = os.path.join(self.base, name)
        os.makedirs(self.path)
        shutil.copy(os.path.join(BUILD, "KestridUI.exe"), self.path)
        self.exe = os.path.join(self.path, "KestridUI.exe")
        self.process = None
        if version is not None:
            with open(os.path.join(self.path, "Version.txt"), "wb") as out:
                out.write(version.encode())

    def add_ghostscript(self, delay=None):
        """Ghostscript where the program looks for it: the stand-in that runs
        the machine's gs, so conversion is real; it waits delay seconds before
        converting when given."""
        folder = os.path.join(self.path, "Xtra", "PD")
        os.makedirs(folder, exist_ok=True)
        for name in ("gswin32c.exe", "gs-standin.sh"):
            shutil.copy(os.path.join(BUILD, "tools", "gs-standin", name), folder)
        if delay is not None:
            with open(os.path.join(folder, "gs-standin.delay"), "w") as out:
                out.write("%g\n" % delay)

    def ghostscript_started(self):
        """When the slow stand-in (add_ghostscript with a delay) started, in
        seconds since 1970; None before it has."""
        try:
            with open(os.path.join(self.path, "Xtra", "PD", "gs-standin.started")) as started:
                return float(started.read())
        except (OSError, ValueError):
            return None

    def start(self, command_line=""):
        # Started through the driver so the program gets exactly this text.
        args = ["wine", os.path.join(BUILD, "uidriver.exe"), "run", windows_path(self.exe)]
        args += [command_line] if command_line else []
        self.process = subprocess.Popen(args, env=wine_env(), stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        return self.process

    def wait_exit(self, timeout=60):
        return self.process.wait(timeout=timeout)

    def watch(self, command_line="", timeout_ms=60000):
        """Runs the program to its end; returns (exit code, [(class, title)]
        of every window it showed). The code is None when it did not end in
        time (it is then ended). When it ended, self.times is (first window
        seen, its thread answered, it was seen destroyed, exit) in ms since
        the program's start (None for what was not seen)."""
        args = ["watch", str(timeout_ms), windows_path(self.exe)] + ([command_line] if command_line else [])
        result = run_wine([os.path.join(BUILD, "uidriver.exe")] + args, timeout=timeout_ms / 1000 + 60,
                          check=False)
        windows, code = [], None
        self.times = None
        for line in result.stdout.splitlines():
            parts = line.rstrip("\r").split("|", 2)
            if parts[0] == "window" and len(parts) == 3:
                windows.append((parts[1], parts[2]))
            elif parts[0] == "times":
                self.times = tuple(None if int(t) < 0 else int(t) for t in line.rstrip("\r").split("|")[1:])
            elif parts[0] == "exit" and len(parts) == 2 and result.returncode == 0:
                code = int(parts[1])
        return code, windows

    @property
    def files(self):
        """The work folder where the program keeps the job's copy and PDF."""
        return os.path.join(self.path, "Files")

    def job_files(self):
        return sorted(os.listdir(self.files)) if os.path.isdir(self.files) else []

    def cleanup(self):
        if self.process and self.process.poll() is None:
            # Killing the driver would leave the program's window up to fool
            # the next test: the program itself is ended first.
            run_wine(["taskkill", "/f", "/im", os.path.basename(self.exe)], timeout=30, check=False)
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.base, ignore_errors=True)


def wait_until(condition, timeout=20.0, step=0.1):
    deadline = time.time() + timeout
    while time.time() < deadline:
        if condition():
            return True
        time.sleep(step)
    return condition()


class PrintJob:
    """A spooled print job as the virtual printer leaves it: a copy of the
    three-page example in a folder of its own."""

    def __init__(self, name="job.ps"):
        self.folder = tempfile.mkdtemp(prefix="kestrid-spool-")
        self.path = os.path.join(self.folder, name)
        shutil.copy(os.path.join(ROOT, "examples", "three-page.ps"), self.path)

    @property
    def command_line(self):
        return '-fromspooler -pages 3 "%s"' % windows_path(self.path)

    def cleanup(self):
        shutil.rmtree(self.folder, ignore_errors=True)


def end_program(program, closers):
    """Ends a program that a test may have left half way: answers any box and
    runs each closer (driver arguments, e.g. ("close", title)) until the
    process is gone; killing the driver alone would leave the program running."""
    for _ in range(3):
        if not program.process or program.process.poll() is not None:
            return
        uidriver("box", "300")
        for closer in closers:
            uidriver(*closer)
        try:
            program.wait_exit(10)
        except subprocess.TimeoutExpired:
            pass


def use_sandbox(data):
    """Restarts the session's sandbox with the fixture folder data (files it
    lacks are the default ones); sandbox() returns it until stop_sandbox()."""
    global _sandbox
    stop_sandbox()
    _sandbox = Sandbox(data)
    atexit.register(_sandbox.stop)
    return _sandbox


def stop_sandbox():
    """Stops the session's sandbox (its port is then free); the next
    sandbox() call starts a new one."""
    global _sandbox
    if _sandbox is not None:
        _sandbox.stop()
        _sandbox = None


# -- driving the windows: shared by the end-to-end tests and scripts/demo.
# Each step waits for its effect and raises AssertionError with what was seen
# when it does not come.

def _expect(condition, message, timeout=20.0):
    if not wait_until(condition, timeout):
        raise AssertionError(message() if callable(message) else message)


def _panel_rows(window):
    """[(visible, top, name, count, fax)] of the window's panel rows."""
    code, out = uidriver("panel-rows", window)
    if code != 0:
        raise AssertionError("no panel in %r" % window)
    rows = []
    for line in out.splitlines():
        parts = line.rstrip("\r").split("|")
        rows.append((parts[1] == "1", int(parts[2]), parts[3], parts[4], parts[5]))
    return rows


class SendFaxWindow:
    """The send-fax window of a running program, found by its title."""

    NUMBER, ADD, SEND, CLOSE, CONTACTS = "1053", "1007", "1010", "1008", "1014"
    COVER_TURN_ON, COVER_TURN_OFF = "1011", "1009"
    DELIVER_TO, SUBJECT, NOTES, COVER_LIST = "1059", "1060", "1061", "1062"

    def __init__(self, title):
        self.title = title

    def wait_page1(self, timeout=60):
        """Waits for the window and for page 1, which shows once the cover
        pages are listed."""
        if uidriver("find", self.title, str(int(timeout * 1000)))[0] != 0:
            raise AssertionError("the send-fax window %r did not open" % self.title)
        _expect(lambda: self.visible(self.SEND), "page 1 of the send-fax window did not show", 30)

    def visible(self, control):
        return uidriver("visible", self.title, control) == (0, "1")

    def click(self, control):
        if uidriver("click", self.title, control)[0] != 0:
            raise AssertionError("no control %s in the send-fax window" % control)

    def rows(self):
        return _panel_rows(self.title)

    def names(self):
        return [row[2] for row in self.rows()]

    def type_number(self, digits, shown):
        if uidriver("chars", self.title, self.NUMBER, digits, shown)[0] != 0:
            raise AssertionError("typed %s, the number field shows %r"
                                 % (digits, uidriver("text", self.title, self.NUMBER)[1]))

    def add_number(self, digits, shown):
        """Types a number and adds it: one more row, showing it."""
        before = len(self.rows())
        self.type_number(digits, shown)
        self.click(self.ADD)
        _expect(lambda: len(self.rows()) == before + 1, lambda: "the number was not listed: %r" % (self.rows(),), 10)

    def open_picker(self):
        self.click(self.CONTACTS)
        picker = ContactPicker()
        picker.wait_page()
        return picker

    def cover_page(self, deliver_to, subject, notes, entry):
        """Switches the cover page on, fills its fields and chooses entry
        (index) of the cover page list; returns the chosen page's name."""
        self.click(self.COVER_TURN_ON)
        _expect(lambda: self.visible(self.COVER_TURN_OFF) and self.visible(self.SUBJECT),
                "the cover page fields did not show", 10)
        for control, text in ((self.DELIVER_TO, deliver_to), (self.SUBJECT, subject), (self.NOTES, notes)):
            if uidriver("set-text", self.title, control, text)[0] != 0:
                raise AssertionError("no cover page field %s" % control)
        code, name = uidriver("select", self.title, self.COVER_LIST, str(entry))
        if code != 0 or not name:
            raise AssertionError("cover page %d could not be chosen" % entry)
        return name

    def send(self, timeout=60):
        """Presses "Send Fax"; returns the message box that answers it as
        (caption, text, icon), having pressed its OK."""
        self.click(self.SEND)
        code, out = uidriver("box-icon", str(int(timeout * 1000)))
        if code != 0:
            raise AssertionError("no message box after sending")
        return tuple(out.split("|"))


class ContactPicker:
    """The contact picker, open over the send-fax window."""

    TITLE = "@1047=Select Contacts"
    SELECT, CLOSE, SORT_ASCENDING, SORT_DESCENDING = "1006", "1008", "1009", "1010"
    PAGE_UP, PAGE_DOWN, PREVIOUS, NEXT = "1011", "1012", "1013", "1014"
    PAGE_SIZE, RANGE, SEARCH = "1050", "1051", "1053"

    def wait_page(self):
        if uidriver("find", self.TITLE, "30000")[0] != 0:
            raise AssertionError("the contact picker did not open")
        _expect(lambda: self.text(self.RANGE) != "", "the picker shows no page")

    def text(self, control):
        return uidriver("text", self.TITLE, control)[1]

    def click(self, control):
        if uidriver("click", self.TITLE, control)[0] != 0:
            raise AssertionError("no control %s in the picker" % control)

    def rows(self):
        return _panel_rows(self.TITLE)

    def names(self):
        """The names of the rows that take a place on the page."""
        return [row[2] for row in self.rows() if row[0]]

    def search(self, text, expected_names):
        """Types text into the search box; waits for the answer's rows."""
        if uidriver("type", self.TITLE, self.SEARCH, text)[0] != 0:
            raise AssertionError("the search box did not take %r" % text)
        _expect(lambda: self.names() == expected_names,
                lambda: "searching %r shows %r, not %r" % (text, self.names(), expected_names))

    def tick(self, name):
        """Ticks (clicks) the row with that name on the page on show."""
        names = [row[2] for row in self.rows()]
        if name not in names:
            raise AssertionError("no row %r on the page: %r" % (name, names))
        if uidriver("panel-click", self.TITLE, str(names.index(name)))[0] != 0:
            raise AssertionError("the row %r could not be clicked" % name)

    def select(self):
        """Presses "Select" and waits for the picker to end."""
        self.click(self.SELECT)
        if uidriver("gone", self.TITLE, "20000")[0] != 0:
            raise AssertionError("the picker stayed open after Select")


# -- real input: pointer and key events of the X server, which Wine's X11
# driver hands to the program as a person's input, through its message loop
# (WM_KEYDOWN, TranslateMessage, WM_CHAR; the click goes where the pointer is).

def xdotool(*args):
    result = subprocess.run(["xdotool"] + [str(a) for a in args], env=wine_env(), capture_output=True,
                            text=True, timeout=60)
    if result.returncode != 0:
        raise AssertionError("xdotool %s failed: %s" % (" ".join(map(str, args)), result.stderr))
    return result.stdout


def control_rect(window, control):
    """(left, top, right, bottom) of a control on the screen."""
    code, out = uidriver("rect", window, control)
    if code != 0:
        raise AssertionError("no control %s in %r" % (control, window))
    return tuple(int(v) for v in out.split())


def real_click(window, control, fx=0.5, fy=0.5):
    """Clicks the control with the pointer at fractions fx, fy of its width
    and height. Two clicks at one place within the double-click time make a
    double click, as for a person."""
    left, top, right, bottom = control_rect(window, control)
    xdotool("mousemove", left + int((right - left) * fx), top + int((bottom - top) * fy))
    time.sleep(0.1)
    xdotool("click", "1")
    time.sleep(0.2)


def keysym_of(char):
    """The X keysym xdotool types for a character."""
    code = ord(char)
    if code < 0x100:
        return code
    return 0x20ac if char == "€" else 0x1000000 + code


def real_type(text):
    """Types text on the keyboard, into whatever has the focus. Characters
    beyond ASCII must have keys of their own (tools/driving/bind-keys):
    xdotool's passing binding of a spare key loses characters under load."""
    beyond = sorted({c for c in text if ord(c) > 0x7e})
    if beyond:
        keymap = subprocess.run(["xmodmap", "-pk"], env=wine_env(), capture_output=True, text=True,
                                timeout=30).stdout
        unbound = [c for c in beyond if "0x%04x (" % keysym_of(c) not in keymap]
        if unbound:
            raise AssertionError("no key on %s for %s: add it to tools/driving/bind-keys"
                                 % (os.environ.get("DISPLAY"), "".join(unbound)))
    xdotool("type", "--delay", "60", text)


def real_keys(*keys):
    """Presses keys by their X names ("Tab", "shift+Tab", "Return")."""
    xdotool("key", "--delay", "60", *keys)


def focus_window(title):
    """Gives the keyboard focus to the top-level window of that title, as a
    person's click on it would."""
    windows = xdotool("search", "--name", "^%s$" % title).split()
    if not windows:
        raise AssertionError("no X window for %r" % title)
    xdotool("windowfocus", "--sync", windows[-1])
