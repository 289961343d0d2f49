#!/usr/bin/env python3
"""The fax sandbox for the benchmarks: room for the 100 MB upload (its own
limit on a request body is 64 MB) and, with --sent-log FILE, one JSON line per
answer written as soon as its last byte is handed to the connection:
{"path", "status", "bytes", "sent"} (sent: seconds since the epoch). With
--contacts N it serves N generated contacts instead of its fixture list.
Every other option is the sandbox's own."""
import json
import os
import shutil
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "tools", "fax-sandbox"))
import sandbox  # noqa: E402

sandbox.MAX_BODY = 256 * 1024 * 1024


def contact_rows(count):
    """count contacts, every tenth an organisation with two members. Names
    sort in the order made (Contact0000 Bench first)."""
    rows = []
    for i in range(count):
        org = i % 10 == 9
        members = [{"uuid": "m%07d-%d" % (i, m), "name": "Member %d of %04d" % (m, i),
                    "faxNumber": "+1666%07d" % (i * 2 + m), "isOrganization": False} for m in range(2)] if org else []
        rows.append({"uuid": "c%07d-5a1e-4c2d-9b3f-7e6d00000000" % i, "name": "Contact%04d" % i,
                     "lastName": None if org else "Bench", "faxNumber": "+1555%07d" % i, "isOrganization": org,
                     "email": "contact%d@example.com" % i, "contacts": members})
    return rows


def take_option(argv, name):
    if name in argv:
        at = argv.index(name)
        value = argv[at + 1]
        del argv[at:at + 2]
        return value
    return None


def log_sent_answers(path):
    lock = threading.Lock()
    out = open(path, "a")
    answer = sandbox.Handler.answer

    def answer_and_log(self, reply):
        answer(self, reply)
        line = json.dumps({"path": self.path.partition("?")[0], "status": reply.status, "bytes": len(reply.body),
                           "sent": time.time()})
        with lock:
            out.write(line + "\n")
            out.flush()

    sandbox.Handler.answer = answer_and_log


def main():
    argv = sys.argv[1:]
    sent_log = take_option(argv, "--sent-log")
    contacts = take_option(argv, "--contacts")
    if sent_log:
        log_sent_answers(sent_log)
    data = None
    if contacts is not None:
        # A fixture folder of its own: the files it lacks come from the default one.
        data = tempfile.mkdtemp(prefix="bench-fixtures-")
        with open(os.path.join(data, "contacts.json"), "w") as f:
            json.dump({"contacts": contact_rows(int(contacts))}, f)
        argv += ["--data", data]
    try:
        return sandbox.main(argv)
    finally:
        if data:
            shutil.rmtree(data, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
