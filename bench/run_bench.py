#!/usr/bin/env python3
"""Runs the benchmarks side by side and prints their ratios; called by
scripts/bench, which builds everything first. Also writes the figures as JSON
(--json) for bench/RESULTS.md."""
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


def log(text):
    print(text, flush=True)


def json_lines(text):
    return [json.loads(line) for line in text.splitlines() if line.startswith("{")]


def start_sandbox(work, ca_dir, port):
    outbox = os.path.join(work, "outbox")
    shutil.rmtree(outbox, ignore_errors=True)
    ready = os.path.join(work, "sandbox.port")
    if os.path.exists(ready):
        os.remove(ready)
    out = open(os.path.join(work, "sandbox.log"), "w")
    proc = subprocess.Popen([sys.executable, os.path.join(ROOT, "bench", "big_sandbox.py"), "--port", str(port),
                             "--tls", ca_dir, "--outbox", outbox, "--ready-file", ready],
                            stdout=out, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
    deadline = time.time() + 30
    while time.time() < deadline and not os.path.exists(ready) and proc.poll() is None:
        time.sleep(0.1)
    if not os.path.exists(ready):
        proc.kill()
        raise SystemExit("bench: the sandbox did not start (see %s)" % out.name)
    return proc, outbox


def make_pdf(path, megabytes):
    if os.path.exists(path) and os.path.getsize(path) > megabytes * 1024 * 1024:
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
    sandbox, outbox = start_sandbox(args.work, args.ca, args.port)
    try:
        base = "https://localhost:%d" % args.port
        for r in range(args.rounds):
            # Alternate, so a slow spell of the machine hits both alike.
            for name in ("ours", "worker", "curl"):
                out = os.path.join(args.work, "upload-%s.json" % name)
                exe = os.path.join(args.bench, "bench_upload_" + name)
                with open(os.path.join(args.work, "upload-%s.log" % name), "w") as diag:
                    code = subprocess.run([exe, base, os.path.join(args.ca, "ca.pem"), "test-key-123", pdf, out],
                                          stdout=diag, stderr=diag).returncode
                with open(out) as f:
                    figure = json.load(f)
                if code != 0 or not figure["confirmed"]:
                    raise SystemExit("bench: the %s upload was not confirmed (see %s)" % (name, diag.name))
                runs[name].append(figure)
                shutil.rmtree(outbox, ignore_errors=True)  # the sandbox keeps every upload
                os.makedirs(outbox, exist_ok=True)
    finally:
        sandbox.terminate()
        sandbox.wait()
    mb = size / 1e6
    ours = statistics.median(f["seconds"] for f in runs["ours"])
    curl = statistics.median(f["seconds"] for f in runs["curl"])
    before = max(f["rss_before_kib"] for f in runs["ours"])
    peak = max(f["peak_kib"] for f in runs["ours"])
    curl_peak = max(f["peak_kib"] for f in runs["curl"])
    growth = (peak - before) / 1024.0
    log("  ours      %.2f s  %.1f MB/s   (median of %d)" % (ours, mb / ours, args.rounds))
    log("  libcurl   %.2f s  %.1f MB/s" % (curl, mb / curl))
    log("  throughput ratio ours/libcurl: %.2f" % (curl / ours))
    worker = statistics.median(f["seconds"] for f in runs["worker"])
    log("  on the send's worker thread %.2f s  %.1f MB/s" % (worker, mb / worker))
    log("  throughput ratio worker/direct: %.2f" % (ours / worker))
    log("  our memory: %.1f MB before, peak %.1f MB during the upload (+%.1f MB for a %.0f MB file); "
        "libcurl program peak %.1f MB" % (before / 1024.0, peak / 1024.0, growth, mb, curl_peak / 1024.0))
    streamed = growth < mb / 10
    log("  streamed: %s" % ("yes" if streamed else "NO: the file is held in memory"))
    results["upload"] = {"bytes": size, "ours_s": ours, "curl_s": curl, "ratio": curl / ours,
                         "worker_s": worker, "worker_ratio": ours / worker,
                         "rss_before_kib": before, "peak_kib": peak, "curl_peak_kib": curl_peak,
                         "streamed": streamed, "runs": runs}


def bench_contacts(args, results):
    log("\n== (b) reading a contacts answer: our reader vs nlohmann-json (best of N, CPU time)")
    proc = subprocess.run([os.path.join(args.bench, "bench_contacts")], stdout=subprocess.PIPE, text=True)
    rows = json_lines(proc.stdout)
    if proc.returncode != 0 or len(rows) != 3:
        raise SystemExit("bench: the contacts benchmark failed:\n" + proc.stdout)
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
    log("\n== (c) conversion of examples/three-page.ps: our conversion step vs gs alone (best of %d)" % args.rounds)
    folder = os.path.join(args.work, "program")
    shutil.rmtree(folder, ignore_errors=True)
    gs_dir = os.path.join(folder, "Xtra", "PD")
    os.makedirs(gs_dir)
    gs = shutil.which("gs")
    # Natively the program's Ghostscript path leads to the Linux gs itself.
    with open(os.path.join(gs_dir, "gswin32c.exe"), "w") as f:
        f.write("#!/bin/sh\nexec %s \"$@\"\n" % gs)
    os.chmod(os.path.join(gs_dir, "gswin32c.exe"), 0o755)
    proc = subprocess.run([os.path.join(args.bench, "bench_convert"), folder,
                           os.path.join(ROOT, "examples", "three-page.ps"), gs, str(args.rounds)],
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    rows = json_lines(proc.stdout)
    if proc.returncode != 0 or not rows:
        raise SystemExit("bench: the conversion benchmark failed:\n" + proc.stdout[-2000:])
    row = rows[0]
    log("  ours %.3f s, gs alone %.3f s, ratio ours/gs %.2f (PDFs %d and %d bytes)" % (
        row["ours_s"], row["gs_alone_s"], row["ours_s"] / row["gs_alone_s"], row["ours_pdf_bytes"],
        row["gs_pdf_bytes"]))
    results["convert"] = row


def wine(args, argv, timeout=120):
    with tempfile.TemporaryFile("w+") as out:
        code = subprocess.run(["wine"] + argv, stdout=out, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL,
                              timeout=timeout).returncode
        out.seek(0)
        return code, out.read()


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def probe(args, marker, exe, command_line=None):
    argv = [os.path.join(args.bench, "startup_probe.exe"), "60000", marker, windows_path(exe)]
    if command_line:
        argv.append(command_line)
    code, out = wine(args, argv)
    for line in out.splitlines():
        parts = line.rstrip("\r").split("|", 2)
        if parts[0] == "window" and len(parts) == 3 and code == 0:
            return float(parts[1]), parts[2]
    raise SystemExit("bench: no window from %s (%d): %s" % (exe, code, out))


def bench_startup(args, results):
    log("\n== (d) start-up under wine64: the program with a tiny job vs a minimal dialog program")
    folder = os.path.join(args.work, "wine-program")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(os.path.join(folder, "Xtra", "PD"))
    shutil.copy(os.path.join(args.win64, "KestridUI.exe"), folder)
    with open(os.path.join(folder, "Version.txt"), "w") as f:
        f.write("1.0")
    standin = os.path.join(args.win64, "tools", "gs-standin")
    for name in ("gswin32c.exe", "gs-standin.sh"):
        if os.path.exists(os.path.join(standin, name)):
            shutil.copy(os.path.join(standin, name), os.path.join(folder, "Xtra", "PD"))
    job = os.path.join(args.work, "tiny-job.ps")
    with open(job, "w") as f:
        f.write("%!PS\n/Helvetica findfont 24 scalefont setfont 72 700 moveto (Bench) show showpage\n")
    wine(args, ["reg", "add", r"HKCU\Software\Fax\Settings", "/v", "USERNAME", "/t", "REG_SZ", "/d",
                "test-key-123", "/f"])
    # The account values the send window reads, as the key setup leaves them.
    for name, value in (("userId", "u-4f7a2c19-8e3b-4d61-a0c5-19b2e7d3f801"),
                        ("accountId", "a-9c1e5b73-2d48-4f0a-b6e9-3a7c0d5e1f22")):
        wine(args, ["reg", "add", r"HKCU\Software\Fax\Settings", "/v", name, "/t", "REG_SZ", "/d", value, "/f"])
    spooled = job + ".run"
    command_line = '-fromspooler -pages 1 "%s"' % windows_path(spooled)
    sandbox, _ = start_sandbox(args.work, args.ca, args.port)
    ours, ref, keysetup, title = [], [], [], ""
    marker = args.page_marker
    try:
        # One warm-up each: the first Wine start of a program pays for its DLL loading.
        probe(args, "", os.path.join(args.bench, "min_dialog.exe"))
        shutil.copy(job, spooled)
        _, first = probe(args, "", os.path.join(folder, "KestridUI.exe"), command_line)
        if first.startswith("Send fax ["):
            # A build whose send-fax window is still the routing stand-in has no
            # page 1: measure to its first window instead.
            marker = ""
            log("  (this build's send-fax window is the stand-in: measuring to the first window)")
        for r in range(args.rounds + 1):
            shutil.copy(job, spooled)  # the program consumes the spooled job
            t, title = probe(args, marker, os.path.join(folder, "KestridUI.exe"), command_line)
            if r > 0:
                ours.append(t)
            t, _ = probe(args, "Minimal dialog", os.path.join(args.bench, "min_dialog.exe"))
            if r > 0:
                ref.append(t)
            # The key-setup window (no command line): the program's skinned dialog.
            t, _ = probe(args, "Please enter app key", os.path.join(folder, "KestridUI.exe"))
            if r > 0:
                keysetup.append(t)
    finally:
        sandbox.terminate()
        sandbox.wait()
        wine(args, ["reg", "delete", r"HKCU\Software\Fax", "/f"])
    o, m = statistics.median(ours), statistics.median(ref)
    log("  ours: %s %r after %.0f ms (median of %d)" % (
        "page 1 (control %s shown) in" % marker[1:] if marker else "first window", title, o, len(ours)))
    log("  minimal dialog: %.0f ms" % m)
    log("  ratio ours/minimal: %.2f" % (o / m))
    k = statistics.median(keysetup)
    log("  also: the key-setup window (no job) after %.0f ms, ratio to the minimal dialog %.2f" % (k, k / m))
    results["startup"] = {"ours_ms": ours, "minimal_ms": ref, "keysetup_ms": keysetup, "ours_median_ms": o,
                          "minimal_median_ms": m, "keysetup_median_ms": k, "ratio": o / m, "window": title,
                          "marker": marker}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--bench", required=True, help="the native bench build")
    ap.add_argument("--win64", required=True, help="the win64 build against the sandbox")
    ap.add_argument("--work", required=True)
    ap.add_argument("--ca", required=True)
    ap.add_argument("--port", type=int, required=True)
    ap.add_argument("--rounds", type=int, default=3)
    ap.add_argument("--upload-mb", type=int, default=100)
    ap.add_argument("--page-marker", default="#1011", help="what shows page 1: #<control id> or a text")
    ap.add_argument("--only", nargs="*", default=["upload", "contacts", "convert", "startup"])
    ap.add_argument("--json")
    args = ap.parse_args()
    os.makedirs(args.work, exist_ok=True)
    results = {"machine": {"host": platform.node(), "cpu": cpu_name(), "cores": os.cpu_count(),
                           "kernel": platform.release(), "date": time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime())}}
    log("machine: %(cpu)s, %(cores)d cores, Linux %(kernel)s" % results["machine"])
    steps = {"upload": bench_upload, "contacts": bench_contacts, "convert": bench_convert, "startup": bench_startup}
    for name in args.only:
        steps[name](args, results)
    if args.json:
        with open(args.json, "w") as f:
            json.dump(results, f, indent=1)
    return 0


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
