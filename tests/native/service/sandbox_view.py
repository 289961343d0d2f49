#!/usr/bin/env python3
"""Prints the local fax service's request log and outbox in plain lines for the
C++ tests (which have no JSON reader).

  sandbox_view.py log FILE       one block per request: "R <method> <path> <query>",
                                 "H <name>: <value>" per header, "P <parts>", "S <status>", "."
  sandbox_view.py outbox DIR     one line per stored part of DIR/fields.json:
                                 name, filename, content type, size, value (JSON text),
                                 the bytes of a text part in hex ("-" for files), tab-separated
"""
import json
import sys


def main():
    what, path = sys.argv[1], sys.argv[2]
    out = []
    if what == "log":
        with open(path, encoding="utf-8") as f:
            for line in f:
                entry = json.loads(line)
                out.append("R %s %s %s" % (entry["method"], entry["path"], entry["query"]))
                for name, value in entry["headers"]:
                    out.append("H %s: %s" % (name, value))
                out.append("P " + ",".join(entry["parts"] or []))
                out.append("S %s" % entry["status"])
                out.append(".")
    elif what == "outbox":
        with open(path + "/fields.json", encoding="utf-8") as f:
            for part in json.load(f):
                out.append("\t".join([
                    part["name"],
                    part["filename"] or "-",
                    part["content_type"] or "-",
                    str(part["size"]),
                    json.dumps(part["value"]) if "value" in part else "-",
                    part.get("bytes_hex", "-"),
                ]))
    sys.stdout.write("".join(l + "\n" for l in out))


if __name__ == "__main__":
    main()
