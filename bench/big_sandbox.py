#!/usr/bin/env python3
"""The fax sandbox with room for the 100 MB upload of the benchmark (its own
limit on a request body is 64 MB); every option is the sandbox's own."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "tools", "fax-sandbox"))
import sandbox  # noqa: E402

sandbox.MAX_BODY = 256 * 1024 * 1024

if __name__ == "__main__":
    sys.exit(sandbox.main())
