"""The real program under Wine: one Wine prefix and display per test session,
a program folder per test, and the UI driver to look at windows."""
import os
import shutil
import subprocess
import tempfile
import time
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.environ.get("KESTRID_WIN64_DIR", os.path.join(ROOT, "build", "win64"))


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
    with tempfile.TemporaryFile("w+") as out, tempfile.TemporaryFile("w+") as err:
        code = subprocess.run(["wine"] + args, env=wine_env(), stdout=out, stderr=err,
                              stdin=subprocess.DEVNULL, timeout=timeout).returncode
        out.seek(0)
        err.seek(0)
        result = subprocess.CompletedProcess(args, code, out.read(), err.read())
    if check and result.returncode != 0:
        raise AssertionError("wine %s failed (%d): %s %s" % (args, result.returncode,
                                                            result.stdout, result.stderr))
    return result


def uidriver(*args, timeout=120):
    """Runs one driver command; returns (exit code, stdout without the last line break)."""
    result = run_wine([os.path.join(BUILD, "uidriver.exe")] + list(args), timeout=timeout, check=False)
    return result.returncode, result.stdout.rstrip("\r\n")


def reg(*args):
    return run_wine(["reg"] + list(args), check=False)


def set_stored_key(key):
    if key is None:
        reg("delete", r"HKCU\Software\Fax", "/f")
    else:
        reg("add", r"HKCU\Software\Fax\Settings", "/v", "USERNAME", "/t", "REG_SZ", "/d", key, "/f")


def windows_path(unix_path):
    return "Z:" + unix_path.replace("/", "\\")


class ProgramFolder:
    """A copy of the program in a folder of its own, as an installer leaves it."""

    def __init__(self, name="Vantrel Fax"):
        self.base = tempfile.mkdtemp(prefix="kestrid-e2e-")
        self.path = os.path.join(self.base, name)
        os.makedirs(self.path)
        shutil.copy(os.path.join(BUILD, "KestridUI.exe"), self.path)
        self.exe = os.path.join(self.path, "KestridUI.exe")
        self.process = None

    def start(self, command_line=""):
        # Started through the driver so the program gets exactly this text.
        args = ["wine", os.path.join(BUILD, "uidriver.exe"), "run", windows_path(self.exe)]
        args += [command_line] if command_line else []
        self.process = subprocess.Popen(args, env=wine_env(), stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        return self.process

    def wait_exit(self, timeout=60):
        return self.process.wait(timeout=timeout)

    def cleanup(self):
        if self.process and self.process.poll() is None:
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
