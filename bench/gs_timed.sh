#!/bin/sh
# Installed by the benchmark as the Unix half of the Ghostscript stand-in
# (gs-standin.sh), with the real one beside it as gs-standin-real.sh: runs it
# and then appends the time Ghostscript ended (seconds since the epoch) to
# gs-ended.log beside it, so the bench can place the conversion step on the
# program's start-up from outside the program.
here=$(dirname "$0")
sh "$here/gs-standin-real.sh" "$@"
status=$?
date +%s.%N >>"$here/gs-ended.log"
exit "$status"
