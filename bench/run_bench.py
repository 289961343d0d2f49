#!/usr/bin/env python3
"""Runs the benchmarks side by side and prints their figures and, at the end,
the goals judged on this run's ratios (PASS or MISS; a MISS is reported, it
does not fail the run). Called by scripts/bench, which builds everything first.
Writes the figures as JSON (--json) for bench/RESULTS.md.

--smoke: one round, small sizes, no goal judged: it shows that every benchmark
still runs. Any benchmark that cannot run ends the run with status 1 and says
what failed."""
import argparse
import json
import os
import platform
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
KEY = "test-key-123"
# The account values the send window reads, as the key setup leaves them.
SETTINGS = (("USERNAME", KEY), ("userId", "u-4f7a2c19-8e3b-4d61-a0c5-19b2e7d3f801"),
            ("accountId", "a-9c1e5b73-2d48-4f0a-b6e9-3a7c0d5e1f22"))
LOADING_TEXT, PAGE1_SWITCH, CONTACTS_BUTTON = "#1048", "#1011", "#1014"
# The first and the fifth (last) row of the picker's first page, as the bench
# sandbox generates its contacts.
FIRST_CONTACT, FIFTH_CONTACT = "Contact0000 Bench", "Contact0004 Bench"
PICKER_TITLE = "Select Contacts"
PICKER_GOAL_MS = 200.0


class BenchFailed(Exception):
    pass


def log(text):
    print(text, flush=True)


def json_lines(text):
    return [json.loads(line) for line in text.splitlines() if line.startswith("{")]


def median(values):
    return statistics.median(values) if values else float("nan")


class Sandbox:
    """The bench sandbox over HTTPS on the given port, with its log of when
    each answer was sent."""

    def __init__(self, args, contacts=None):
        self.outbox = os.path.join(args.work, "outbox")
        shutil.rmtree(self.outbox, ignore_errors=True)
        self.sent_log = os.path.join(args.work, "sandbox-sent.jsonl")
        ready = os.path.join(args.work, "sandbox.port")
        for old in (ready, self.sent_log):
            if os.path.exists(old):
                os.remove(old)
        self.output = os.path.join(args.work, "sandbox.log")
        argv = [sys.executable, os.path.join(ROOT, "bench", "big_sandbox.py"), "--port", str(args.port),
                "--tls", args.ca, "--outbox", self.outbox, "--ready-file", ready, "--sent-log", self.sent_log]
        if contacts is not None:
            argv += ["--contacts", str(contacts)]
        with open(self.output, "w") as out:
            self.proc = subprocess.Popen(argv, stdout=out, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        deadline = time.time() + 30
        while time.time() < deadline and not os.path.exists(ready) and self.proc.poll() is None:
            time.sleep(0.05)
        if not os.path.exists(ready):
            self.stop()
            with open(self.output) as f:
                raise BenchFailed("the sandbox did not start on port %d: %s" % (args.port, f.read()[-1000:]))

    def answers(self, path):
        """[(sent epoch, status, bytes)] of the answers to path so far."""
        try:
            with open(self.sent_log) as f:
                entries = [json.loads(line) for line in f if line.strip()]
        except OSError:
            return []
        return [(e["sent"], e["status"], e["bytes"]) for e in entries if e["path"] == path]

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


def make_pdf(path, megabytes):
    if os.path.exists(path) and megabytes * 1024 * 1024 < os.path.getsize(path) < (megabytes + 1) * 1024 * 1024:
        return
    with open(path, "wb") as f:
        f.write(b"%PDF-1.4\n1 0 obj <<>> stream\n")
        chunk = os.urandom(1024 * 1024)
        for _ in range(megabytes):
            f.write(chunk)
        f.write(b"\nendstream endobj\n%%EOF\n")


def bench_upload(args, results):
    log("\n== (a) upload of a %d MB PDF to the sandbox over HTTPS" % args.upload_mb)
    pdf = os.path.join(args.work, "upload.pdf")
    make_pdf(pdf, args.upload_mb)
    size = os.path.getsize(pdf)
    runs = {"ours": [], "worker": [], "curl": []}
    with Sandbox(args) as sandbox:
        base = "https://localhost:%d" % args.port
        for _ in range(args.rounds):
            # Alternate, so a slow spell of the machine hits both alike.
            for name in ("ours", "worker", "curl"):
                out = os.path.join(args.work, "upload-%s.json" % name)
                if os.path.exists(out):
                    os.remove(out)
                exe = os.path.join(args.bench, "bench_upload_" + name)
                with open(os.path.join(args.work, "upload-%s.log" % name), "w") as diag:
                    code = subprocess.run([exe, base, os.path.join(args.ca, "ca.pem"), KEY, pdf, out],
                                          stdout=diag, stderr=diag).returncode
                try:
                    with open(out) as f:
                        figure = json.load(f)
                except (OSError, ValueError):
                    figure = {"confirmed": False}
                if code != 0 or not figure["confirmed"]:
                    raise BenchFailed("the %s upload was not confirmed (exit %d, see %s)" % (name, code, diag.name))
                runs[name].append(figure)
                shutil.rmtree(sandbox.outbox, ignore_errors=True)  # the sandbox keeps every upload
                os.makedirs(sandbox.outbox, exist_ok=True)
    mb = size / 1e6
    ours = median([f["seconds"] for f in runs["ours"]])
    curl = median([f["seconds"] for f in runs["curl"]])
    worker = median([f["seconds"] for f in runs["worker"]])
    before = max(f["rss_before_kib"] for f in runs["ours"])
    peak = max(f["peak_kib"] for f in runs["ours"])
    curl_peak = max(f["peak_kib"] for f in runs["curl"])
    growth = (peak - before) / 1024.0
    log("  ours      %.2f s  %.1f MB/s   (median of %d)" % (ours, mb / ours, args.rounds))
    log("  libcurl   %.2f s  %.1f MB/s" % (curl, mb / curl))
    log("  throughput ratio ours/libcurl: %.2f" % (curl / ours))
    log("  on the send's worker thread %.2f s  %.1f MB/s" % (worker, mb / worker))
    log("  throughput ratio worker/direct: %.2f" % (ours / worker))
    log("  our memory: %.1f MB before, peak %.1f MB during the upload (+%.1f MB for a %.0f MB file); "
        "libcurl program peak %.1f MB" % (before / 1024.0, peak / 1024.0, growth, mb, curl_peak / 1024.0))
    # libcurl's and TLS's own buffers are a few MB: only a large file tells.
    streamed = growth < mb / 10 if mb >= 50 else None
    log("  streamed: %s" % ("not judged for a file this small" if streamed is None else
                            "yes" if streamed else "NO: the file is held in memory"))
    results["upload"] = {"bytes": size, "ours_s": ours, "curl_s": curl, "ratio": curl / ours,
                         "worker_s": worker, "worker_ratio": ours / worker,
                         "rss_before_kib": before, "peak_kib": peak, "curl_peak_kib": curl_peak,
                         "streamed": streamed, "runs": runs}


def bench_contacts(args, results):
    log("\n== (b) reading a contacts answer: our reader vs nlohmann-json (best of N, CPU time)")
    proc = subprocess.run([os.path.join(args.bench, "bench_contacts")], stdout=subprocess.PIPE, text=True)
    rows = json_lines(proc.stdout)
    if proc.returncode != 0 or len(rows) != 3:
        raise BenchFailed("the contacts benchmark failed (exit %d):\n%s" % (proc.returncode, proc.stdout))
    previous = None
    for row in rows:
        growth = "" if previous is None else "  our time x%.1f for x%d contacts" % (
            row["ours_ms"] / previous["ours_ms"], row["contacts"] // previous["contacts"])
        log("  %5d contacts (%7d bytes): ours %8.2f ms, nlohmann %8.2f ms, ratio nlohmann/ours %.2f%s" % (
            row["contacts"], row["bytes"], row["ours_ms"], row["nlohmann_ms"], row["nlohmann_ms"] / row["ours_ms"],
            growth))
        previous = row
    results["contacts"] = rows


def bench_convert(args, results):
    runs = args.convert_runs
    log("\n== (c) conversion of examples/three-page.ps: our conversion step vs gs alone (median of %d)" % runs)
    folder = os.path.join(args.work, "program")
    shutil.rmtree(folder, ignore_errors=True)
    gs_dir = os.path.join(folder, "Xtra", "PD")
    os.makedirs(gs_dir)
    gs = shutil.which("gs")
    if not gs:
        raise BenchFailed("gs is not installed (run scripts/setup)")
    # Natively the program's Ghostscript path leads to the Linux gs itself.
    with open(os.path.join(gs_dir, "gswin32c.exe"), "w") as f:
        f.write("#!/bin/sh\nexec %s \"$@\"\n" % gs)
    os.chmod(os.path.join(gs_dir, "gswin32c.exe"), 0o755)
    proc = subprocess.run([os.path.join(args.bench, "bench_convert"), folder,
                           os.path.join(ROOT, "examples", "three-page.ps"), gs, str(runs)],
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    rows = json_lines(proc.stdout)
    if proc.returncode != 0 or not rows:
        raise BenchFailed("the conversion benchmark failed (exit %d):\n%s" % (proc.returncode, proc.stdout[-2000:]))
    row = rows[0]
    log("  ours %.3f s, gs alone %.3f s, ratio ours/gs %.3f (PDFs %d and %d bytes)" % (
        row["ours_s"], row["gs_alone_s"], row["ours_s"] / row["gs_alone_s"], row["ours_pdf_bytes"],
        row["gs_pdf_bytes"]))
    results["convert"] = row


# -- under Wine

def wine(argv, timeout=180):
    # On a busy machine Wine now and then fails to start a program at all
    # ("ShellExecuteEx failed"); that start, and only that, is tried once more.
    for attempt in (1, 2):
        with tempfile.TemporaryFile("w+") as out:
            try:
                code = subprocess.run(["wine"] + argv, stdout=out, stderr=subprocess.DEVNULL,
                                      stdin=subprocess.DEVNULL, timeout=timeout).returncode
            except subprocess.TimeoutExpired:
                raise BenchFailed("wine %s did not end within %d s" % (" ".join(argv), timeout))
            out.seek(0)
            text = out.read().replace("\r", "")
        if code == 0 or attempt == 2 or "ShellExecuteEx failed" not in text:
            return code, text
        log("bench: Wine could not start %s (%s); once more" % (argv[0], text.strip().splitlines()[-1]))
        time.sleep(1)


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def probe_watch(args, exe, command_line, steps, timeout_ms=60000):
    """Runs the program under the probe; returns {"start": epoch, marker:
    (ms, epoch, title), "clicked": ...} for the steps seen."""
    code, out = wine([os.path.join(args.tools, "startup_probe.exe"), "watch", str(timeout_ms), windows_path(exe),
                      command_line or ""] + steps)
    seen = {}
    for line in out.splitlines():
        parts = line.split("|")
        if parts[0] == "start":
            seen["start"] = float(parts[1])
        elif parts[0] in ("seen", "made", "clicked"):
            seen[parts[0] + ":" + parts[1]] = (float(parts[2]), float(parts[3]), parts[4] if len(parts) > 4 else "")
    if code != 0 or "start" not in seen:
        raise BenchFailed("the probe could not watch %s %s through %s (exit %d):\n%s" % (
            os.path.basename(exe), command_line or "", " ".join(steps), code, probe_lines(out)))
    return seen


def probe_lines(out):
    """The probe's own lines, without the answers the program writes to the
    same output as its diagnostics."""
    lines = [line for line in out.splitlines() if line.strip() and len(line) < 300 and line[0] not in "{["]
    return "\n".join(lines[-20:])


def probe_run(args, exe, command_line):
    code, out = wine([os.path.join(args.tools, "startup_probe.exe"), "run", windows_path(exe), command_line])
    for line in out.splitlines():
        parts = line.split("|")
        if parts[0] == "ran" and code == 0:
            if parts[2] != "0":
                raise BenchFailed("%s %s ended with %s" % (os.path.basename(exe), command_line, parts[2]))
            return float(parts[1])
    raise BenchFailed("the probe could not run %s (exit %d):\n%s" % (exe, code, probe_lines(out)))


def https_once(args):
    code, out = wine([os.path.join(args.tools, "https_once.exe"),
                      "https://localhost:%d/coverpages?accountId=%s&userId=%s&isPublic=true" % (
                          args.port, SETTINGS[2][1], SETTINGS[1][1]),
                      windows_path(os.path.join(args.ca, "ca.pem")), KEY, "1"])
    for line in out.splitlines():
        parts = line.split("|")
        if parts[0] == "request" and code == 0 and parts[2] == "200":
            return float(parts[1])
    raise BenchFailed("one HTTPS request to the sandbox under Wine failed (exit %d): %s" % (code, out.strip()))


def program_folder(args):
    """The program as installed, with the bench's Ghostscript wrapper that
    logs when Ghostscript ends."""
    folder = os.path.join(args.work, "wine-program")
    shutil.rmtree(folder, ignore_errors=True)
    pd = os.path.join(folder, "Xtra", "PD")
    os.makedirs(pd)
    exe = os.path.join(args.win64, "KestridUI.exe")
    standin = os.path.join(args.win64, "tools", "gs-standin")
    for needed in (exe, os.path.join(standin, "gswin32c.exe"), os.path.join(standin, "gs-standin.sh")):
        if not os.path.exists(needed):
            raise BenchFailed("%s is missing: the win64 build in %s is not complete" % (needed, args.win64))
    shutil.copy(exe, folder)
    with open(os.path.join(folder, "Version.txt"), "w") as f:
        f.write("1.0")
    shutil.copy(os.path.join(standin, "gswin32c.exe"), pd)
    shutil.copy(os.path.join(standin, "gs-standin.sh"), os.path.join(pd, "gs-standin-real.sh"))
    shutil.copy(os.path.join(ROOT, "bench", "gs_timed.sh"), os.path.join(pd, "gs-standin.sh"))
    return folder


def store_settings(args):
    reg = os.path.join(args.work, "settings.reg")
    with open(reg, "w") as f:
        f.write("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Fax\\Settings]\n")
        for name, value in SETTINGS:
            f.write('"%s"="%s"\n' % (name, value))
    code, out = wine(["reg", "import", windows_path(reg)])
    if code != 0:
        raise BenchFailed("the settings could not be stored in the Wine prefix (reg import exit %d): %s" % (code, out))


def forget_settings():
    wine(["reg", "delete", r"HKCU\Software\Fax", "/f"])


class Job:
    """A one-page PostScript job, spooled afresh for every start (the program
    consumes it)."""

    def __init__(self, args):
        self.source = os.path.join(args.work, "tiny-job.ps")
        with open(self.source, "w") as f:
            f.write("%!PS\n/Helvetica findfont 24 scalefont setfont 72 700 moveto (Bench) show showpage\n")
        self.spooled = self.source + ".run"
        self.command_line = '-fromspooler -pages 1 "%s"' % windows_path(self.spooled)

    def spool(self):
        shutil.copy(self.source, self.spooled)


def read_gs_ends(folder):
    path = os.path.join(folder, "Xtra", "PD", "gs-ended.log")
    try:
        with open(path) as f:
            return [float(line) for line in f if line.strip()]
    except (OSError, ValueError):
        return []


def clear_gs_ends(folder):
    path = os.path.join(folder, "Xtra", "PD", "gs-ended.log")
    if os.path.exists(path):
        os.remove(path)


def bench_startup(args, results):
    log("\n== (d) start-up under wine64: where the send window's start-up goes, against its parts alone "
        "(median of %d, after one warm-up each)" % args.rounds)
    folder = program_folder(args)
    exe = os.path.join(folder, "KestridUI.exe")
    job = Job(args)
    store_settings(args)
    gs_line = '-dNOPAUSE -dBATCH -sDEVICE=pdfwrite -sOutputFile="%s" "%s"' % (
        windows_path(os.path.join(args.work, "alone.pdf")), windows_path(job.source))
    rows = {"loading_ms": [], "converted_ms": [], "cover_pages_ms": [], "page1_ms": [], "minimal_ms": [],
            "keysetup_ms": [], "gs_alone_ms": [], "https_ms": []}
    missed_loading = 0
    try:
        with Sandbox(args) as sandbox:
            for r in range(args.rounds + 1):
                clear_gs_ends(folder)
                job.spool()
                seen = probe_watch(args, exe, job.command_line, ["see:" + LOADING_TEXT, "see:" + PAGE1_SWITCH])
                start = seen["start"]
                page1 = seen["seen:" + PAGE1_SWITCH][0]
                ends = read_gs_ends(folder)
                answers = [a for a in sandbox.answers("/coverpages") if a[0] >= start]
                if not ends:
                    raise BenchFailed("the Ghostscript wrapper logged no end: did the program run Ghostscript?")
                if not answers or answers[0][1] != 200:
                    raise BenchFailed("the sandbox sent no cover-page answer (200) during the start-up: %r" % answers)
                if r == 0:
                    continue  # the warm-up
                loading = seen.get("seen:" + LOADING_TEXT)
                if loading is None:
                    missed_loading += 1
                else:
                    rows["loading_ms"].append(loading[0])
                rows["converted_ms"].append((ends[0] - start) * 1000.0)
                rows["cover_pages_ms"].append((answers[0][0] - start) * 1000.0)
                rows["page1_ms"].append(page1)
            for r in range(args.rounds + 1):
                minimal = probe_watch(args, os.path.join(args.tools, "min_dialog.exe"), "", ["see:Minimal dialog"])
                # The key-setup window (no command line): the program's skinned dialog alone.
                keysetup = probe_watch(args, exe, "", ["see:Please enter app key"])
                gs_alone = probe_run(args, os.path.join(folder, "Xtra", "PD", "gswin32c.exe"), gs_line)
                request = https_once(args)
                if r > 0:
                    rows["minimal_ms"].append(minimal["seen:Minimal dialog"][0])
                    rows["keysetup_ms"].append(keysetup["seen:Please enter app key"][0])
                    rows["gs_alone_ms"].append(gs_alone)
                    rows["https_ms"].append(request)
    finally:
        forget_settings()
    m = {name: median(values) for name, values in rows.items()}
    log("  send window, tiny job, stored key, local sandbox (ms from start):")
    log("    loading view shown   %7.0f%s" % (m["loading_ms"], "" if not missed_loading else
                                               "   (not seen in %d of %d starts)" % (missed_loading, args.rounds)))
    log("    conversion done      %7.0f   (Ghostscript ended)" % m["converted_ms"])
    log("    cover pages answered %7.0f   (the sandbox sent its answer)" % m["cover_pages_ms"])
    log("    page 1 shown         %7.0f" % m["page1_ms"])
    log("  alone: Ghostscript on the job %.0f ms (the program's stand-in, started under Wine), "
        "one HTTPS request %.0f ms (libcurl under Wine, a fresh process)" % (m["gs_alone_ms"], m["https_ms"]))
    log("  minimal dialog: %.0f ms; the key-setup window (no job): %.0f ms, ratio to the minimal dialog %.2f" % (
        m["minimal_ms"], m["keysetup_ms"], m["keysetup_ms"] / m["minimal_ms"]))
    log("  ratio page 1 / minimal dialog: %.2f" % (m["page1_ms"] / m["minimal_ms"]))
    results["startup"] = {"runs": rows, "median": m, "loading_not_seen": missed_loading}


def bench_picker(args, results):
    log("\n== (e) the contact picker's first page after a %d-contact answer, under wine64 (median of %d)" % (
        args.picker_contacts, args.rounds))
    folder = program_folder(args)
    exe = os.path.join(folder, "KestridUI.exe")
    job = Job(args)
    store_settings(args)
    after_answer, to_row, answer_bytes = [], [], 0
    # Where the time after the answer goes, seen from outside: the first row
    # made, the page's last row made, the first row shown.
    parts = {"window_made_before_answer_ms": [], "first_row_made_ms": [], "page_made_ms": []}
    try:
        with Sandbox(args, contacts=args.picker_contacts) as sandbox:
            for r in range(args.rounds + 1):
                job.spool()
                seen = probe_watch(args, exe, job.command_line,
                                   ["see:" + CONTACTS_BUTTON, "click:" + CONTACTS_BUTTON, "made:" + PICKER_TITLE,
                                    "made:" + FIRST_CONTACT, "made:" + FIFTH_CONTACT, "see:" + FIRST_CONTACT])
                clicked = seen["clicked:" + CONTACTS_BUTTON]
                row = seen["seen:" + FIRST_CONTACT]
                answers = [a for a in sandbox.answers("/v1/contacts") if a[0] >= seen["start"] + clicked[0] / 1000.0]
                if len(answers) != 1 or answers[0][1] != 200:
                    raise BenchFailed("expected one contacts answer (200) after the click, the sandbox sent %r"
                                      % answers)
                answer_bytes = answers[0][2]
                if r == 0:
                    continue
                sent = answers[0][0]
                after_answer.append((row[1] - sent) * 1000.0)
                for name, marker in (("window_made_before_answer_ms", PICKER_TITLE),
                                     ("first_row_made_ms", FIRST_CONTACT), ("page_made_ms", FIFTH_CONTACT)):
                    made = seen.get("made:" + marker)
                    if made:
                        parts[name].append((made[1] - sent) * 1000.0 * (-1 if name.startswith("window") else 1))
                to_row.append(row[0] - clicked[0])
    finally:
        forget_settings()
    a, c = median(after_answer), median(to_row)
    log("  first row shown %.0f ms after the sandbox sent the last byte of its answer (%d bytes); "
        "%.0f ms after the click on the contacts button" % (a, answer_bytes, c))
    m = {name: median(values) for name, values in parts.items()}
    log("  after the answer: first row made %.0f ms, the page's last row made %.0f ms, first row shown %.0f ms "
        "(the picker's window was made %.0f ms before the answer)" % (
            m["first_row_made_ms"], m["page_made_ms"], a, m["window_made_before_answer_ms"]))
    results["picker"] = {"contacts": args.picker_contacts, "answer_bytes": answer_bytes,
                         "after_answer_ms": after_answer,
                         "after_click_ms": to_row, "after_answer_median_ms": a, "after_click_median_ms": c,
                         "parts": parts}


def judge(results, smoke):
    """The goals, each as measured in this run."""
    log("\n== goals (ratios of this run)")
    goals = []
    s = results.get("startup")
    if s:
        m = s["median"]
        slower = max(m["gs_alone_ms"], m["https_ms"])
        limit = 1.2 * slower + m["minimal_ms"]
        goals.append(("page 1 at most 1.2 x the slower of Ghostscript alone and one HTTPS request, plus the minimal "
                      "dialog: %.0f ms against %.0f ms (1.2 x %.0f + %.0f)" % (m["page1_ms"], limit, slower,
                                                                               m["minimal_ms"]),
                      m["page1_ms"] <= limit, m["page1_ms"] / limit))
    p = results.get("picker")
    if p:
        goals.append(("the picker's first page at most %.0f ms after its answer: %.0f ms" % (
            PICKER_GOAL_MS, p["after_answer_median_ms"]), p["after_answer_median_ms"] <= PICKER_GOAL_MS,
            p["after_answer_median_ms"] / PICKER_GOAL_MS))
    c = results.get("convert")
    if c:
        ratio = c["ours_s"] / c["gs_alone_s"]
        goals.append(("the conversion step at most 1.05 x Ghostscript alone (median of %d): %.3f" % (
            c["rounds"], ratio), ratio <= 1.05, ratio / 1.05))
    results["goals"] = []
    for text, met, share in goals:
        verdict = "not judged (smoke run)" if smoke else ("PASS" if met else "MISS")
        log("  %s: %s" % (verdict, text))
        results["goals"].append({"goal": text, "met": met, "share_of_limit": share})


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--bench", required=True, help="the native bench build")
    ap.add_argument("--tools", help="where startup_probe.exe, min_dialog.exe and https_once.exe are (default --bench)")
    ap.add_argument("--win64", required=True,
                    help="a win64 build against the sandbox (KestridUI.exe, tools/gs-standin)")
    ap.add_argument("--work", required=True)
    ap.add_argument("--ca", required=True)
    ap.add_argument("--port", type=int, required=True)
    ap.add_argument("--rounds", type=int, default=3)
    ap.add_argument("--convert-runs", type=int, default=10)
    ap.add_argument("--upload-mb", type=int, default=100)
    ap.add_argument("--picker-contacts", type=int, default=3000)
    ap.add_argument("--smoke", action="store_true", help="one round, small sizes, no goal judged")
    ap.add_argument("--only", nargs="*", default=["upload", "contacts", "convert", "startup", "picker"])
    ap.add_argument("--json")
    args = ap.parse_args()
    args.tools = args.tools or args.bench
    if args.smoke:
        args.rounds, args.convert_runs, args.upload_mb, args.picker_contacts = 1, 1, 2, 300
    os.makedirs(args.work, exist_ok=True)
    results = {"machine": {"host": platform.node(), "cpu": cpu_name(), "cores": os.cpu_count(),
                           "kernel": platform.release(), "date": time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime())},
               "smoke": args.smoke}
    log("machine: %(cpu)s, %(cores)d cores, Linux %(kernel)s" % results["machine"])
    steps = {"upload": bench_upload, "contacts": bench_contacts, "convert": bench_convert, "startup": bench_startup,
             "picker": bench_picker}
    for name in args.only:
        if name not in steps:
            log("bench: no benchmark %r (there are %s)" % (name, ", ".join(steps)))
            return 2
    code = 0
    for name in args.only:
        try:
            steps[name](args, results)
        except BenchFailed as e:
            log("bench: FAILED: %s: %s" % (name, e))
            results.setdefault("failed", []).append(name)
            code = 1
    judge(results, args.smoke)
    if args.json:
        with open(args.json, "w") as f:
            json.dump(results, f, indent=1)
    if code:
        log("bench: these benchmarks could not run: %s" % ", ".join(results["failed"]))
    return code


def cpu_name():
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.machine()


if __name__ == "__main__":
    sys.exit(main())
