"""The setup programs that scripts/package makes, run under wine64. Every case
runs on a fresh Wine prefix: a copy of one template prefix prepared once per
session (booting a prefix takes far longer than copying one). The amd64
installer carries the win64 program built for the local fax sandbox, so the
installed program sets up keys and sends faxes for real. Where 32-bit
programs run, the x86 installer does the same with the win32 program built
for that sandbox."""
import fcntl
import filecmp
import functools
import glob
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "e2e"))
import harness  # noqa: E402
from harness import (BUILD, ROOT, SendFaxWindow, read_settings, run_wine, sandbox, screenshot,  # noqa: E402
                     uidriver, wait_until, windows_path)

WIN32_BUILD = os.environ.get("KESTRID_WIN32_DIR", os.path.join(os.path.dirname(BUILD), "win32"))
# The win32 program built for the local fax sandbox (scripts/test builds it
# where 32-bit programs run).
WIN32_SANDBOX_BUILD = os.environ.get("KESTRID_WIN32_SANDBOX_DIR",
                                     os.path.join(os.path.dirname(BUILD), "win32-sandbox"))
GOOD_KEY = "test-key-123"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrel"
SETTINGS_KEY = r"HKCU\Software\Fax\Settings"
MONITOR_KEY = r"HKLM\System\CurrentControlSet\Control\Print\Monitors\Vantrel Fax Monitor"
STANDIN = os.path.join(BUILD, "tools", "gs-standin")
# The setup made to give up on a running program soon; the shipped one waits 60 s.
SHORT_WAIT = 4


def run(args, env=None, timeout=600):
    result = subprocess.run(args, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            stdin=subprocess.DEVNULL, timeout=timeout, text=True)
    if result.returncode != 0:
        raise AssertionError("%s failed (%d):\n%s" % (args, result.returncode, result.stdout[-3000:]))
    return result.stdout


def as_shipped(path, work):
    """A copy of a built program or monitor in the form the setups carry it:
    without debug information (scripts/package strips it)."""
    with open(path, "rb") as built:
        image = built.read(4096)
    header = struct.unpack_from("<I", image, 0x3c)[0]
    machine, linked = struct.unpack_from("<H", image, header + 4)[0], struct.unpack_from("<I", image, header + 8)[0]
    tool = "i686-w64-mingw32-strip" if machine == 0x14c else "x86_64-w64-mingw32-strip"
    # A folder of its own: the lanes' cases share the session's folder.
    os.makedirs(os.path.join(work, "as-shipped"), exist_ok=True)
    copy = os.path.join(tempfile.mkdtemp(dir=os.path.join(work, "as-shipped")), os.path.basename(path))
    # It keeps the link time, as the packaging does.
    run([tool, "--strip-debug", "-o", copy, path], env=dict(os.environ, SOURCE_DATE_EPOCH=str(linked)))
    return copy


def debug_sections(path):
    return [line.split()[1] for line in run(["objdump", "-h", path]).splitlines()
            if len(line.split()) > 1 and line.split()[1].startswith(".debug")]


def pdf_pages(path):
    out = run(["gs", "-q", "-dNODISPLAY", "-dNOSAFER", "-c", "(%s) (r) file runpdfbegin pdfpagecount = quit" % path])
    return int(out.strip())


def standin_bin(folder, bits):
    """A Windows Ghostscript bin folder whose console program is the stand-in
    (it runs the machine's gs). The DLL is a placeholder: the stand-in needs
    none, the installer only carries it."""
    os.makedirs(folder, exist_ok=True)
    console = "gswin32c.exe" if bits == 32 else "gswin64c.exe"
    shutil.copy(os.path.join(STANDIN, "gswin32c.exe"), os.path.join(folder, console))
    shutil.copy(os.path.join(STANDIN, "gs-standin.sh"), folder)
    with open(os.path.join(folder, "gsdll%d.dll" % bits), "wb") as dll:
        dll.write(b"placeholder")
    return folder


class Session:
    """Installers and the template prefix, made once for all cases. Where
    KESTRID_INSTALLER_SHARED names a folder (the test run's lanes run each
    class in a process of its own), the first process makes them there and
    the others wait for it and use them. The x64 setups come first: they need
    only the win64 program; the x86 ones are made on first use (x86(),
    x86_sandbox())."""

    def __init__(self):
        shared = os.environ.get("KESTRID_INSTALLER_SHARED")
        self.owned = not shared
        self.work = tempfile.mkdtemp(prefix="kestrid-installer-") if self.owned else shared
        os.makedirs(self.work, exist_ok=True)
        self.env = dict(os.environ, KESTRID_PACKAGE_WIN64_DIR=BUILD, KESTRID_PACKAGE_WIN32_DIR=WIN32_BUILD)
        with open(os.path.join(BUILD, "Version.txt")) as version:
            self.version = version.read()
        self.bundled, self.plain, self.old, self.short_wait = (
            os.path.join(self.work, name) for name in ("bundled", "plain", "old", "short-wait"))
        self.template = os.path.join(self.work, "template")
        ready = os.path.join(self.work, "ready")
        with open(os.path.join(self.work, "lock"), "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            if not os.path.exists(ready):
                self.make()
                open(ready, "w").close()

    def make(self):
        gs = standin_bin(os.path.join(self.work, "gs-bin"), 32)
        self.package("bundled", ["--ghostscript", gs], KESTRID_PACKAGE_ARCH="x64")
        self.package("plain", [], KESTRID_PACKAGE_ARCH="x64")
        # An older version of the same program, to upgrade from.
        old_build = os.path.join(self.work, "old-win64")
        os.makedirs(old_build)
        for name in ("KestridUI.exe", "vantrelmon.dll"):
            shutil.copy(os.path.join(BUILD, name), old_build)
        with open(os.path.join(old_build, "Version.txt"), "w") as version:
            version.write("0.9.0")
        self.package("old", [], KESTRID_PACKAGE_WIN64_DIR=old_build, KESTRID_PACKAGE_ARCH="x64")
        self.package("short-wait", ["--ghostscript", gs], KESTRID_PACKAGE_WAIT=str(SHORT_WAIT),
                     KESTRID_PACKAGE_ARCH="x64")
        env = dict(os.environ, WINEPREFIX=self.template)
        env.setdefault("WINEDEBUG", "-all")
        env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
        run([os.path.join(ROOT, "tools", "wine-prefix", "prepare"), "--unmanaged"], env=env)
        run(["wineserver", "-k"], env=env)
        subprocess.run(["wineserver", "-w"], env=env, timeout=60)

    def x86(self):
        """Adds the x86 setup, with the shipped win32 program, to the bundled
        x64 one (once, whichever case asks first)."""
        return self.once("x86", "bundled", KESTRID_PACKAGE_WIN32_DIR=WIN32_BUILD)

    def x86_sandbox(self):
        """The x86 setup with the win32 program built for the local fax
        sandbox, and Ghostscript bundled: the one whose program sets up keys
        and sends."""
        if not os.path.isfile(os.path.join(WIN32_SANDBOX_BUILD, "KestridUI.exe")):
            raise AssertionError("no win32 program built for the sandbox in %s (scripts/build win32-sandbox)"
                                 % WIN32_SANDBOX_BUILD)
        return self.once("x86-sandbox", "x86-sandbox", KESTRID_PACKAGE_WIN32_DIR=WIN32_SANDBOX_BUILD)

    def once(self, what, name, **env):
        """Packages the x86 setup into <work>/<name> once, whichever process asks first."""
        with open(os.path.join(self.work, "lock-" + what), "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            ready = os.path.join(self.work, "ready-" + what)
            if not os.path.exists(ready):
                self.package(name, ["--ghostscript", os.path.join(self.work, "gs-bin")],
                             KESTRID_PACKAGE_ARCH="x86", **env)
                open(ready, "w").close()
        return os.path.join(self.work, name)

    def package(self, name, args, **env):
        out = os.path.join(self.work, name)
        run([os.path.join(ROOT, "scripts", "package")] + args,
            env=dict(self.env, KESTRID_PACKAGE_DIR=out, **env))
        return out

    def cleanup(self):
        if self.owned:
            shutil.rmtree(self.work, ignore_errors=True)


_session = None


def session():
    global _session
    if _session is None:
        _session = Session()
    return _session


def tearDownModule():
    if _session is not None:
        _session.cleanup()


def osslsigncode_verify(path, ca):
    result = subprocess.run(["osslsigncode", "verify", "-CAfile", ca, "-in", path], stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL, text=True, timeout=120)
    return result.returncode == 0 and "Signature verification: ok" in result.stdout, result.stdout


class Packaging(unittest.TestCase):
    """What scripts/package makes, looked at without running it."""

    def setUp(self):
        self.s = session()
        self.s.x86()

    def test_same_tree_same_bytes(self):
        # The staged files are new copies each time, with new file times.
        again = self.s.package("again", ["--ghostscript", os.path.join(self.s.work, "gs-bin")])
        for setup in ("VantrelSetup.exe", "VantrelSetup-x64.exe"):
            with self.subTest(setup=setup):
                self.assertTrue(filecmp.cmp(os.path.join(self.s.bundled, setup), os.path.join(again, setup),
                                            shallow=False))

    def test_signed_only_when_asked(self):
        keys = os.path.join(self.s.work, "signing")
        os.makedirs(keys)
        pem, key, pfx = (os.path.join(keys, n) for n in ("cert.pem", "key.pem", "cert.pfx"))
        run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", pem, "-days", "2",
             "-subj", "/CN=Vantrel throw-away test signer", "-addext", "extendedKeyUsage=codeSigning"])
        run(["openssl", "pkcs12", "-export", "-out", pfx, "-inkey", key, "-in", pem, "-passout", "pass:secret"])
        signed = self.s.package("signed", ["--sign", pfx], KESTRID_SIGN_PASSWORD="secret")
        for setup in ("VantrelSetup.exe", "VantrelSetup-x64.exe"):
            with self.subTest(setup=setup):
                extracted = os.path.join(self.s.work, "signed-" + setup)
                run(["7z", "x", "-y", "-aou", "-o" + extracted, os.path.join(signed, setup), "KestridUI.exe",
                     "uninstall.exe", "$SYSDIR"])
                monitors = glob.glob(os.path.join(extracted, "$SYSDIR", "vantrelmon*.dll"))
                self.assertEqual(len(monitors), 2 if setup == "VantrelSetup.exe" else 1, monitors)
                for path in [os.path.join(signed, setup), os.path.join(extracted, "KestridUI.exe"),
                             os.path.join(extracted, "uninstall.exe")] + monitors:
                    ok, out = osslsigncode_verify(path, pem)
                    self.assertTrue(ok, "%s: %s" % (path, out))
                ok, out = osslsigncode_verify(os.path.join(self.s.bundled, setup), pem)
                self.assertFalse(ok, "an unsigned build carries a signature: " + out)

    def test_pages_show_our_pictures(self):
        art = os.path.join(ROOT, "resources", "art", "installer")
        for setup in ("VantrelSetup.exe", "VantrelSetup-x64.exe"):
            extracted = os.path.join(self.s.work, "pictures-" + setup)
            run(["7z", "x", "-y", "-o" + extracted, os.path.join(self.s.bundled, setup), "$PLUGINSDIR"])
            for shown, ours in (("modern-wizard.bmp", "side.bmp"), ("modern-header.bmp", "header.bmp")):
                with self.subTest(setup=setup, picture=shown):
                    self.assertTrue(filecmp.cmp(os.path.join(extracted, "$PLUGINSDIR", shown),
                                                os.path.join(art, ours), shallow=False))

    def test_x86_setup_format_and_payload(self):
        setup = os.path.join(self.s.bundled, "VantrelSetup.exe")
        kind = run(["file", setup])
        self.assertIn("PE32 executable", kind)
        self.assertIn("Nullsoft Installer", kind)
        listing = run(["7z", "l", "-ba", setup])
        names = sorted(line.split()[-1].replace("\\", "/") for line in listing.splitlines() if line.strip())
        payload = [n for n in names if not n.startswith("$PLUGINSDIR") and n != "uninstall.exe"]
        # Both print monitors: the x86 one, and the x64 one for 64-bit Windows.
        self.assertEqual(payload, sorted(["KestridUI.exe", "Version.txt", "Xtra/PD/gs-standin.sh",
                                          "Xtra/PD/gsdll32.dll", "Xtra/PD/gswin32c.exe",
                                          "$SYSDIR/vantrelmon.dll", "$SYSDIR/vantrelmon.dll"]))
        extracted = os.path.join(self.s.work, "x86-payload")
        run(["7z", "x", "-y", "-aou", "-o" + extracted, setup, "KestridUI.exe", "$SYSDIR"])
        program = os.path.join(extracted, "KestridUI.exe")
        self.assertTrue(filecmp.cmp(program, as_shipped(os.path.join(WIN32_BUILD, "KestridUI.exe"), self.s.work),
                                    shallow=False))
        self.assertIn("PE32 executable", run(["file", program]))
        monitors = sorted(glob.glob(os.path.join(extracted, "$SYSDIR", "vantrelmon*.dll")))
        self.assertEqual(len(monitors), 2, monitors)
        built = {as_shipped(os.path.join(build, "vantrelmon.dll"), self.s.work) for build in (WIN32_BUILD, BUILD)}
        self.assertEqual({b for b in built for m in monitors if filecmp.cmp(m, b, shallow=False)}, built)
        for shipped in [program] + monitors:
            self.assertEqual(debug_sections(shipped), [], shipped)


@functools.cache
def thirty_two_bit_refusal():
    """Why 32-bit programs do not run here, or None where they do: the shipped
    program's silent set-up with no key ends at once with 0 wherever they run
    (asked once per process)."""
    probe = run_wine([os.path.join(WIN32_BUILD, "KestridUI.exe"), "/KEY="], timeout=120, check=False)
    if probe.returncode == 0:
        return None
    return ("32-bit programs do not run on this machine (the win32 program ended with %d: %s); "
            "the x86 installer is checked for its format and payload only"
            % (probe.returncode, (probe.stdout + probe.stderr).strip()[:160]))


class InstallerCase(unittest.TestCase):
    """One fresh prefix per case, copied from the template. The setup under
    test: SETUP of the package keyed_package() names, whose program (PROGRAM)
    the local fax sandbox serves, installed under PROGRAM_FILES."""

    SETUP = "VantrelSetup-x64.exe"
    PROGRAM_FILES = "Program Files"
    PROGRAM = BUILD

    def keyed_package(self):
        return self.s.bundled

    def setUp(self):
        self.s = session()
        self.prefix = tempfile.mkdtemp(prefix="kestrid-prefix-")
        shutil.rmtree(self.prefix)
        shutil.copytree(self.s.template, self.prefix, symlinks=True)
        self.saved_prefix = os.environ.get("WINEPREFIX")
        os.environ["WINEPREFIX"] = self.prefix
        self.drive = os.path.join(self.prefix, "drive_c")
        self.folder = os.path.join(self.drive, self.PROGRAM_FILES, "Vantrel")
        self.windows_folder = "C:\\%s\\Vantrel" % self.PROGRAM_FILES

    def tearDown(self):
        subprocess.run(["wineserver", "-k"], env=harness.wine_env(), timeout=60)
        subprocess.run(["wineserver", "-w"], env=harness.wine_env(), timeout=60)
        if self.saved_prefix is None:
            del os.environ["WINEPREFIX"]
        else:
            os.environ["WINEPREFIX"] = self.saved_prefix
        shutil.rmtree(self.prefix, ignore_errors=True)

    def install(self, package, *switches, setup=None):
        result = run_wine([os.path.join(package, setup or self.SETUP)] + list(switches), timeout=300, check=False)
        return result.returncode

    def path(self, *parts):
        return os.path.join(self.folder, *parts)

    def log(self):
        with open(self.path("install.log"), encoding="latin-1") as log:
            return log.read()

    def shortcuts(self):
        """The Start-menu and Send To entries that exist."""
        found = {}
        start = os.path.join(self.drive, "ProgramData", "Microsoft", "Windows", "Start Menu", "Programs",
                             "Vantrel key setup.lnk")
        found["start"] = os.path.isfile(start)
        users = os.path.join(self.drive, "users")
        sendto = [os.path.join(users, u, "AppData", "Roaming", "Microsoft", "Windows", "SendTo", "Vantrel Fax.lnk")
                  for u in os.listdir(users)]
        found["sendto"] = any(os.path.isfile(p) for p in sendto)
        return found

    def uninstall_entry(self):
        result = harness.reg("query", UNINSTALL_KEY)
        if result.returncode != 0:
            return None
        entry = {}
        for line in result.stdout.splitlines():
            parts = line.strip().split("    ")
            if len(parts) >= 2:
                entry[parts[0]] = parts[2] if len(parts) > 2 else ""
        return entry

    def assert_installed(self, ghostscript_from):
        self.assertTrue(filecmp.cmp(self.path("KestridUI.exe"), as_shipped(os.path.join(BUILD, "KestridUI.exe"),
                                                                           self.s.work), shallow=False))
        self.assertEqual(debug_sections(self.path("KestridUI.exe")), [])
        with open(self.path("Version.txt")) as version:
            self.assertEqual(version.read(), self.s.version)
        self.assertTrue(filecmp.cmp(self.path("Xtra", "PD", "gswin32c.exe"), ghostscript_from, shallow=False))
        self.assertEqual(self.shortcuts(), {"start": True, "sendto": True})
        entry = self.uninstall_entry()
        self.assertIsNotNone(entry)
        self.assertEqual(entry["DisplayName"], "Vantrel Fax")
        self.assertEqual(entry["DisplayVersion"], self.s.version)
        self.assertEqual(entry["Publisher"], "Vantrel")
        self.assertEqual(entry["UninstallString"], '"C:\\Program Files\\Vantrel\\uninstall.exe"')
        self.assertEqual(entry["QuietUninstallString"], '"C:\\Program Files\\Vantrel\\uninstall.exe" /S')
        self.assertGreater(int(entry["EstimatedSize"], 16), 100)  # KB: the program alone is more

    def uninstall(self, *switches):
        uninstaller = self.path("uninstall.exe")
        self.assertTrue(os.path.isfile(uninstaller))
        # It runs from a copy of itself in the temporary folder and returns at once.
        run_wine([uninstaller, "/S"] + list(switches), timeout=120, check=False)
        if not wait_until(lambda: not os.path.exists(self.folder), 60):
            self.fail("left behind: %s" % os.listdir(self.folder))


class SilentInstall(InstallerCase):
    def test_bundled_ghostscript_program_version_and_entries(self):
        self.assertEqual(self.install(self.s.bundled, "/S"), 0)
        self.assert_installed(os.path.join(STANDIN, "gswin32c.exe"))
        # No key was given: none is stored.
        self.assertEqual(read_settings().get("USERNAME", ""), "")

    def test_registered_ghostscript_is_copied_from_its_folder(self):
        # A 64-bit Ghostscript as its own setup registers it; the program calls
        # it by the 32-bit name.
        bin_folder = standin_bin(os.path.join(self.drive, "gs", "gs10.02.1", "bin"), 64)
        harness.reg("add", r"HKLM\SOFTWARE\GPL Ghostscript\10.02.1", "/v", "GS_DLL", "/t", "REG_SZ", "/d",
                    r"C:\gs\gs10.02.1\bin\gsdll64.dll", "/f")
        self.assertEqual(self.install(self.s.plain, "/S"), 0)
        self.assert_installed(os.path.join(bin_folder, "gswin64c.exe"))
        self.assertTrue(os.path.isfile(self.path("Xtra", "PD", "gsdll64.dll")))
        self.assertIn(r"Ghostscript: C:\gs\gs10.02.1\bin", self.log())

    def test_without_ghostscript_the_program_is_installed_and_exit_code_is_2(self):
        self.assertEqual(self.install(self.s.plain, "/S"), 2)
        self.assertTrue(os.path.isfile(self.path("KestridUI.exe")))
        self.assertFalse(os.path.exists(self.path("Xtra", "PD", "gswin32c.exe")))
        self.assertIn("Ghostscript is missing", self.log())
        self.assertIn("https://ghostscript.com/", self.log())
        self.assertIsNotNone(self.uninstall_entry())


class SandboxCase(InstallerCase):
    def setUp(self):
        super().setUp()
        self.sandbox = sandbox()
        self.sandbox.clear_fault()


class KeyVerdict:
    """The silent key set-up's verdict as the setup's exit code, for the
    setup under test."""

    def test_key_verdict_is_the_exit_code(self):
        cases = [
            (GOOD_KEY, 0, "accepted and stored"),
            ("not-a-key", 3, "refused, nothing was stored"),
        ]
        for key, code, logged in cases:
            with self.subTest(key=key):
                harness.reg("delete", r"HKCU\Software\Fax", "/f")
                self.assertEqual(self.install(self.keyed_package(), "/S", "/KEY=" + key), code)
                settings = read_settings()
                if code == 0:
                    self.assertEqual(settings["USERNAME"], key)
                    self.assertEqual(settings["PASSWORD"], key)
                    self.assertTrue(settings["userId"].startswith("u-"))
                    self.assertTrue(settings["accountId"].startswith("a-"))
                else:
                    self.assertEqual(settings.get("USERNAME", ""), "")
                    self.assertEqual(settings.get("PASSWORD", ""), "")
                # A refusal carries its reason: the service's answer.
                self.assertIn("Key set-up: the key was " + logged, self.log())
                if code == 3:
                    self.assertRegex(self.log(), r"nothing was stored: \{.*\"message\"")


class SilentKeySetup(KeyVerdict, SandboxCase):
    def test_a_key_stored_before_does_not_make_a_refusal_a_success(self):
        # (stored before, given, exit code): the sandbox refuses "not-a-key".
        cases = [
            ("not-a-key", "not-a-key", 3),
            ("NOT-A-KEY", "not-a-key", 3),
            (GOOD_KEY, GOOD_KEY, 0),
        ]
        for stored, given, code in cases:
            with self.subTest(stored=stored, given=given):
                harness.set_stored_key(None)
                harness.set_stored_key(stored)
                self.assertEqual(self.install(self.s.bundled, "/S", "/KEY=" + given), code)
                # A refusal leaves the key that was stored.
                self.assertEqual(read_settings()["USERNAME"], stored)

    def test_upgrade_keeps_the_key(self):
        # The older setup carries no Ghostscript (2); the key is set up all the same.
        self.assertEqual(self.install(self.s.old, "/S", "/KEY=" + GOOD_KEY), 2)
        self.assertEqual(read_settings()["USERNAME"], GOOD_KEY)
        with open(self.path("Version.txt")) as version:
            self.assertEqual(version.read(), "0.9.0")
        self.assertEqual(self.install(self.s.bundled, "/S"), 0)
        self.assert_installed(os.path.join(STANDIN, "gswin32c.exe"))
        self.assertEqual(read_settings()["USERNAME"], GOOD_KEY)


class Uninstall(InstallerCase):
    def setUp(self):
        super().setUp()
        # The key the install sets up is verified by the service.
        self.sandbox = sandbox()
        self.sandbox.clear_fault()

    def test_removes_what_it_made_and_keeps_the_key_unless_purged(self):
        for switches, key_kept in (((), True), (("/PURGE",), False)):
            with self.subTest(switches=switches):
                self.assertEqual(self.install(self.s.bundled, "/S", "/KEY=" + GOOD_KEY), 0)
                self.uninstall(*switches)
                self.assertEqual(self.shortcuts(), {"start": False, "sendto": False})
                self.assertIsNone(self.uninstall_entry())
                self.assertEqual(read_settings().get("USERNAME", ""), GOOD_KEY if key_kept else "")


class SendTo(SandboxCase):
    """The installed program started as Explorer's Send To starts it: the
    file's path in double quotes, blanks inside."""

    def setUp(self):
        super().setUp()
        self.documents = os.path.join(self.drive, "users", "Public", "My Documents")
        os.makedirs(self.documents, exist_ok=True)
        self.driver = None

    def tearDown(self):
        if self.driver and self.driver.poll() is None:
            run_wine(["taskkill", "/f", "/im", "KestridUI.exe"], timeout=30, check=False)
            self.driver.kill()
            self.driver.wait()
        super().tearDown()

    def test_sends_a_pdf_and_leaves_the_document_alone(self):
        self.assertEqual(self.install(self.keyed_package(), "/S", "/KEY=" + GOOD_KEY), 0)
        self.assertTrue(filecmp.cmp(self.path("KestridUI.exe"),
                                    as_shipped(os.path.join(self.PROGRAM, "KestridUI.exe"), self.s.work), shallow=False))
        document = os.path.join(self.documents, "quarterly report.pdf")
        run(["gs", "-q", "-dNOPAUSE", "-dBATCH", "-sDEVICE=pdfwrite", "-sOutputFile=" + document,
             os.path.join(ROOT, "examples", "three-page.ps")])
        with open(document, "rb") as original:
            content = original.read()
        sent_before = len(self.sandbox.requests("/v1/fax/send"))

        self.driver = subprocess.Popen(
            ["wine", os.path.join(BUILD, "uidriver.exe"), "run", self.windows_folder + r"\KestridUI.exe",
             '"C:\\users\\Public\\My Documents\\quarterly report.pdf"'],
            env=harness.wine_env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        window = SendFaxWindow("Vantrel v" + self.s.version)
        window.wait_page1()
        window.add_number("2125550143", "(212)-555-0143")
        self.assertEqual(window.send(), ("Vantrel", "Success! Your fax has been sent", "information"))
        self.driver.wait(timeout=60)

        sends = self.sandbox.requests("/v1/fax/send")
        self.assertEqual(len(sends), sent_before + 1)
        # The document went as the three pages it holds.
        folder = max(glob.glob(os.path.join(self.sandbox.outbox, "*")), key=lambda f: int(os.path.basename(f)))
        with open(os.path.join(folder, "fields.json")) as fields:
            parts = {part["name"]: part for part in json.load(fields)}
        self.assertEqual(parts["recipientFax"]["value"], "+12125550143")
        self.assertEqual(pdf_pages(os.path.join(folder, parts["file"]["stored_as"])), 3)
        with open(document, "rb") as after:
            self.assertEqual(after.read(), content)
        # The program's own copy and PDF are gone.
        files = self.path("Files")
        self.assertEqual(os.listdir(files) if os.path.isdir(files) else [], [])


class WithWindows(InstallerCase):
    """A person's install: welcome, folder, progress and finish pages, each
    page left with its Next button. The pages are saved to SHOTS."""

    TITLE = "Vantrel Fax Setup"

    def next_reads(self, text):
        return wait_until(lambda: uidriver("text", self.TITLE, "1")[1] == text, 120, 0.5)

    def test_pages_with_ghostscript(self):
        self.pages(self.s.bundled, "with-ghostscript", 0)

    def test_pages_without_ghostscript(self):
        self.pages(self.s.plain, "without-ghostscript", 2)

    def pages(self, package, name, code):
        setup = subprocess.Popen(["wine", os.path.join(package, "VantrelSetup-x64.exe")],
                                 env=harness.wine_env(), stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
        try:
            self.assertEqual(uidriver("find", self.TITLE, "60000")[0], 0, "no setup window")
            self.assertTrue(self.next_reads("&Next >"), "no welcome page")
            screenshot(self.TITLE, "installer-welcome")
            uidriver("click", self.TITLE, "1")
            self.assertTrue(self.next_reads("&Install"), "no folder page")
            screenshot(self.TITLE, "installer-folder")
            uidriver("click", self.TITLE, "1")
            self.assertTrue(self.next_reads("&Finish"), "no finish page")
            screenshot(self.TITLE, "installer-finish-" + name)
            uidriver("click", self.TITLE, "1")
            self.assertEqual(setup.wait(timeout=60), code)
        finally:
            if setup.poll() is None:
                setup.kill()
                setup.wait()
        self.assertTrue(os.path.isfile(self.path("KestridUI.exe")))
        self.assertEqual(os.path.isfile(self.path("Xtra", "PD", "gswin32c.exe")), code == 0)


class InUseCase(InstallerCase):
    """A KestridUI.exe runs (its key-setup window stays up), or another
    program holds a file, while a setup or the uninstaller of the installed
    0.9.0 is at work: they wait or ask, and replace or remove nothing
    meanwhile."""

    KEY_WINDOW = "@1048=Please enter app key"
    BOX = "@65535=Vantrel Fax is running"
    RETRY, CANCEL = "4", "2"

    def setUp(self):
        super().setUp()
        self.processes = []
        self.program = None

    def tearDown(self):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
                process.wait()
        super().tearDown()

    def start(self, args):
        process = subprocess.Popen(["wine"] + args, env=harness.wine_env(), stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.processes.append(process)
        return process

    def install_old_and_start_it(self, package=None):
        self.assertEqual(self.install(package or self.s.old, "/S"), 0 if package else 2)
        self.program = self.start([r"C:\Program Files\Vantrel\KestridUI.exe"])
        self.assertEqual(uidriver("find", self.KEY_WINDOW, "30000")[0], 0, "the program shows no window")

    def close_program(self):
        uidriver("close", self.KEY_WINDOW)
        self.program.wait(timeout=30)

    def assert_old_untouched(self):
        with open(self.path("Version.txt")) as version:
            self.assertEqual(version.read(), "0.9.0")
        # The old setup carries no Ghostscript; the new one would have added it.
        self.assertFalse(os.path.exists(self.path("Xtra", "PD", "gswin32c.exe")))
        self.assertEqual(self.uninstall_entry()["DisplayVersion"], "0.9.0")
        self.assertEqual(self.shortcuts(), {"start": True, "sendto": True})

    def boxes(self, caption):
        """The X windows on show with the setup's caption: its page and its box."""
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % caption],
                               env=harness.wine_env(), capture_output=True, text=True, timeout=30)
        return set(found.stdout.split())

    def wait_for_box(self):
        self.assertEqual(uidriver("find", self.BOX, "60000")[0], 0, "no box asks to close the program")

    def press_in_box(self, button):
        harness.real_click(self.BOX, button)

    def hold(self, path, *how):
        said = os.path.join(self.prefix, "holder.out")
        with open(said, "w") as out:
            holder = subprocess.Popen(["wine", os.path.join(BUILD, "uidriver.exe"), "hold", path, "120000"]
                                      + list(how), env=harness.wine_env(), stdout=out, stderr=subprocess.DEVNULL)
        self.processes.append(holder)

        def holding():
            with open(said) as out:
                return out.read().startswith("held")
        self.assertTrue(wait_until(holding, 30), "%s is not held" % path)
        return holder


class RunningProgram(InUseCase):
    """Silent setups."""

    def test_silent_setup_waits_until_the_program_has_ended(self):
        self.install_old_and_start_it()
        setup = self.start([os.path.join(self.s.bundled, "VantrelSetup-x64.exe"), "/S"])
        with self.assertRaises(subprocess.TimeoutExpired):
            setup.wait(timeout=20)
        self.assert_old_untouched()
        self.close_program()
        self.assertEqual(setup.wait(timeout=120), 0)
        self.assert_installed(os.path.join(STANDIN, "gswin32c.exe"))
        # What ships waits a minute.
        self.assertIn("Vantrel Fax was running: waited for it to end (up to 60 s).", self.log())

    def test_silent_setup_gives_up_with_4_and_changes_nothing(self):
        self.install_old_and_start_it()
        started = time.monotonic()
        self.assertEqual(self.install(self.s.short_wait, "/S"), 4)
        self.assertGreaterEqual(time.monotonic() - started, SHORT_WAIT)
        self.assertIsNone(self.program.poll())
        self.assert_old_untouched()
        log = self.log()
        self.assertIn("Vantrel Fax is running: waiting up to %d s for it to end." % SHORT_WAIT, log)
        self.assertIn("Vantrel Fax is still running after %d s. Nothing was changed." % SHORT_WAIT, log)


class FileInUse(InUseCase):
    """Files held by other programs, or in the way."""

    def test_a_file_held_open_elsewhere_stops_the_setup_before_anything_changes(self):
        self.assertEqual(self.install(self.s.old, "/S"), 2)
        held = r"C:\Program Files\Vantrel\Version.txt"
        holder = self.hold(held)
        self.assertEqual(self.install(self.s.short_wait, "/S"), 4)
        self.assert_old_untouched()
        self.assertIn("%s is in use: waiting up to %d s for it to be free." % (held, SHORT_WAIT), self.log())
        self.assertIn("%s is still in use after %d s. Nothing was changed." % (held, SHORT_WAIT), self.log())
        holder.kill()
        holder.wait()
        self.assertEqual(self.install(self.s.short_wait, "/S"), 0)
        self.assert_installed(os.path.join(STANDIN, "gswin32c.exe"))

    def test_the_print_monitor_the_spooler_holds_is_moved_aside_and_replaced(self):
        self.assertEqual(self.install(self.s.old, "/S"), 2)
        system = os.path.join(self.drive, "windows", "system32")
        # Mark the old monitor so that its replacement shows.
        with open(os.path.join(system, "vantrelmon.dll"), "ab") as monitor:
            monitor.write(b"old")
        # As the spooler holds a monitor it loaded: no writing, renaming allowed.
        self.hold(r"C:\windows\system32\vantrelmon.dll", "rename")
        self.assertEqual(self.install(self.s.short_wait, "/S"), 0)
        self.assertTrue(filecmp.cmp(os.path.join(system, "vantrelmon.dll"),
                                    as_shipped(os.path.join(BUILD, "vantrelmon.dll"), self.s.work), shallow=False))
        self.assertIn("Printer: the spooler had the old monitor loaded; it uses the new one once it restarts.",
                      self.log())

    def test_a_file_that_cannot_be_written_is_a_failure_not_a_success(self):
        self.assertEqual(self.install(self.s.old, "/S"), 2)
        # A file where Ghostscript's folder goes.
        os.rmdir(self.path("Xtra", "PD"))
        with open(self.path("Xtra", "PD"), "w") as blocker:
            blocker.write("in the way")
        self.assertEqual(self.install(self.s.bundled, "/S"), 5)
        self.assertIn("The setup stopped: a file could not be written, so the install is incomplete.", self.log())


class SetupWindowAsks(InUseCase):
    """A person's setup."""

    def test_setup_with_windows_asks_until_the_program_has_ended(self):
        self.install_old_and_start_it()
        # Cancel: the setup ends and leaves the installed program as it was.
        setup = self.start_setup_window()
        self.wait_for_box()
        self.assertIn("Cancel ends the setup and leaves the installed program as it is.",
                      uidriver("text", self.BOX, "65535")[1])
        screenshot(self.BOX, "installer-program-running")
        self.press_in_box(self.CANCEL)
        self.assertEqual(setup.wait(timeout=60), 4)
        self.assert_old_untouched()
        self.assertIn("Vantrel Fax was running and the setup was cancelled. Nothing was changed.", self.log())

        # Retry while it still runs asks again; once it has ended, the setup goes on.
        setup = self.start_setup_window()
        self.wait_for_box()
        before = self.boxes(WithWindows.TITLE)
        self.press_in_box(self.RETRY)
        self.assertTrue(wait_until(lambda: self.boxes(WithWindows.TITLE) - before, 30),
                        "Retry with the program running did not ask again")
        self.wait_for_box()
        self.assert_old_untouched()
        self.close_program()
        self.press_in_box(self.RETRY)
        self.assertTrue(wait_until(lambda: uidriver("text", WithWindows.TITLE, "1")[1] == "&Finish", 120, 0.5),
                        "no finish page")
        uidriver("click", WithWindows.TITLE, "1")
        self.assertEqual(setup.wait(timeout=60), 0)
        self.assert_installed(os.path.join(STANDIN, "gswin32c.exe"))

    def start_setup_window(self):
        """A person's setup, its welcome and folder pages passed."""
        setup = self.start([os.path.join(self.s.bundled, "VantrelSetup-x64.exe")])
        for button in ("&Next >", "&Install"):
            self.assertTrue(wait_until(lambda: uidriver("text", WithWindows.TITLE, "1")[1] == button, 120, 0.5),
                            "no page with %s" % button)
            uidriver("click", WithWindows.TITLE, "1")
        return setup


class UninstallerWaitsOrAsks(InUseCase):
    def test_removes_nothing_while_the_program_runs(self):
        self.install_old_and_start_it(self.s.short_wait)
        installed = sorted(os.listdir(self.folder))
        # Silent, run in place (_?=) for its exit code.
        started = time.monotonic()
        self.assertEqual(uidriver("run", self.path("uninstall.exe"), r"/S _?=C:\Program Files\Vantrel",
                                  timeout=120)[0], 4)
        self.assertGreaterEqual(time.monotonic() - started, SHORT_WAIT)
        self.assertIn("Vantrel Fax is still running after %d s. Nothing was removed." % SHORT_WAIT, self.log())

        # With its window: Cancel, then Retry while it runs, then Retry once it has ended.
        title = "Vantrel Fax Uninstall"
        for press in (self.CANCEL, self.RETRY):
            with self.subTest(press=press):
                self.start([self.path("uninstall.exe")])
                self.assertTrue(wait_until(lambda: uidriver("text", title, "1")[1] == "&Uninstall", 120, 0.5),
                                "no confirm page")
                uidriver("click", title, "1")
                self.wait_for_box()
                before = self.boxes(title)
                self.press_in_box(press)
                if press == self.CANCEL:
                    self.assertEqual(uidriver("gone", title, "30000")[0], 0)
                else:
                    self.assertTrue(wait_until(lambda: self.boxes(title) - before, 30),
                                    "Retry with the program running did not ask again")
                    self.wait_for_box()
                self.assertEqual(sorted(os.listdir(self.folder)), installed)
                self.assertIsNotNone(self.uninstall_entry())
                self.assertEqual(self.shortcuts(), {"start": True, "sendto": True})
        self.assertIn("Vantrel Fax was running and the removal was cancelled. Nothing was removed.", self.log())
        self.close_program()
        self.press_in_box(self.RETRY)
        self.assertTrue(wait_until(lambda: uidriver("text", title, "1")[1] == "&Close", 120, 0.5))
        uidriver("click", title, "1")
        if not wait_until(lambda: not os.path.exists(self.folder), 60):
            self.fail("left behind: %s" % os.listdir(self.folder))
        self.assertIsNone(self.uninstall_entry())


class Printer(InstallerCase):
    """The "Vantrel Fax" printer under Wine's spooler. What Wine does:
    AddMonitor registers the monitor and its spooler loads the DLL; XcvData
    "AddPort" reaches the monitor, which keeps the port in its own key (Wine
    leaves the spooler's registry functions unimplemented); Wine has no
    InstallPrinterDriverFromPackage and no PostScript class driver of
    Windows, so the printer itself is not added, and the setup says so.
    Printing through the port is shown by the end-to-end print test, since
    Wine's spooler never hands a job to a port monitor."""

    def monitor_key(self):
        result = harness.reg("query", MONITOR_KEY, "/s")
        if result.returncode != 0:
            return None
        values = {}
        for line in result.stdout.splitlines():
            parts = line.strip().split("    ")
            if len(parts) >= 2:
                values[parts[0]] = parts[2] if len(parts) > 2 else ""
        return values

    def test_monitor_and_port_are_added_and_everything_is_removed(self):
        self.assertEqual(self.install(self.s.bundled, "/S"), 0)
        system_monitor = os.path.join(self.drive, "windows", "system32", "vantrelmon.dll")
        self.assertTrue(filecmp.cmp(system_monitor, as_shipped(os.path.join(BUILD, "vantrelmon.dll"), self.s.work),
                                    shallow=False))
        self.assertEqual(self.monitor_key(), {"Driver": "vantrelmon.dll",
                                              "Program": r"C:\Program Files\Vantrel\KestridUI.exe",
                                              "VANTREL:": ""})
        log = self.log()
        self.assertIn("Printer: the monitor Vantrel Fax Monitor (vantrelmon.dll, Windows x64) is added.", log)
        self.assertIn("Printer: the port VANTREL: is added.", log)
        # Wine's spooler loaded the monitor and passed the port on to it.
        trace_file = os.path.join(self.drive, "ProgramData", "Vantrel", "monitor.log")
        with open(trace_file, encoding="utf-8", newline="") as trace:
            self.assertRegex(trace.read(), r"job 0: monitor loaded\r\n.*job 0: add port VANTREL:: done")
        # The driver is what Wine lacks: the setup names both and goes on.
        self.assertIn('Printer: "Vantrel Fax" is missing: Windows offers neither the "Microsoft PS Class Driver" '
                      'nor the "MS Publisher Imagesetter" PostScript driver. Send To > Vantrel Fax still works.', log)

        self.uninstall()
        self.assertIsNone(self.monitor_key())
        self.assertFalse(os.path.exists(system_monitor))
        self.assertFalse(os.path.exists(os.path.join(self.drive, "ProgramData", "Vantrel")))


class Where32BitRuns:
    """The x86 setup, which 64-bit Windows installs under Program Files (x86),
    with the win32 program built for the local fax sandbox. Where 32-bit
    programs do not run, the case is skipped with the reason."""

    SETUP = "VantrelSetup.exe"
    PROGRAM_FILES = "Program Files (x86)"
    PROGRAM = WIN32_SANDBOX_BUILD

    def setUp(self):
        # Before the fresh prefix: a skip in setUp has no tearDown.
        reason = thirty_two_bit_refusal()
        if reason:
            self.skipTest(reason)
        super().setUp()

    def keyed_package(self):
        return self.s.x86_sandbox()


class X86Installer(Where32BitRuns, InstallerCase):
    """The x86 setup with the shipped win32 program."""

    def test_silent_install_where_32_bit_programs_run(self):
        self.assertEqual(self.install(self.s.x86(), "/S"), 0)
        self.assertTrue(filecmp.cmp(self.path("KestridUI.exe"),
                                    as_shipped(os.path.join(WIN32_BUILD, "KestridUI.exe"), self.s.work), shallow=False))
        self.assertTrue(os.path.isfile(self.path("Xtra", "PD", "gswin32c.exe")))


class X86SilentKeySetup(Where32BitRuns, KeyVerdict, SandboxCase):
    """The x86 setup's silent key set-up, run by its 32-bit program."""


class X86SendTo(Where32BitRuns, SendTo):
    """The installed 32-bit program started as Explorer's Send To starts it."""


if __name__ == "__main__":
    unittest.main()
