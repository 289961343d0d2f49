#!/bin/sh
# Unix half of the Ghostscript stand-in used when the program runs under Wine.
# usage: gs-standin.sh MARKER [Ghostscript options and files ...]
# Turns the Windows paths among the arguments (the -sOutputFile= value and the
# input files, long or short 8.3 form) into Unix paths with winepath and runs
# the Linux gs with the same options. Its exit code is written to MARKER
# (through a temporary name and a rename, so a reader never sees half of it):
# Wine gives a Unix child no process handle, so gswin32c.exe waits for that
# file instead.
marker=$1
shift
status=1
trap 'printf "%s\n" "$status" > "$marker.tmp" && mv -f "$marker.tmp" "$marker"' EXIT

# A slow Ghostscript for tests: gs-standin.delay beside this script holds the
# seconds to wait before gs runs.
delay_file=$(dirname "$0")/gs-standin.delay
if [ -f "$delay_file" ]; then
    sleep "$(cat "$delay_file")"
fi

to_unix() {
    case $1 in
        [A-Za-z]:\\* | *\\*) winepath -u "$1" 2>/dev/null ;;
        *) printf '%s\n' "$1" ;;
    esac
}

count=$#
for arg do
    case $arg in
        -sOutputFile=*) arg="-sOutputFile=$(to_unix "${arg#-sOutputFile=}")" ;;
        -*) ;;
        *) arg=$(to_unix "$arg") ;;
    esac
    set -- "$@" "$arg"
done
shift "$count"

gs "$@"
status=$?
exit "$status"
