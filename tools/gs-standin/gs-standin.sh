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
# seconds the conversion takes at the least (gs's own time included); when
# it started (seconds since 1970) is then written to gs-standin.started.
delay_file=$(dirname "$0")/gs-standin.delay
delay=
if [ -f "$delay_file" ]; then
    delay=$(cat "$delay_file")
    started=$(date +%s.%N)
    printf '%s\n' "$started" > "$(dirname "$0")/gs-standin.started"
fi

# A Windows path as a Unix one. On a busy machine Wine now and then fails to
# start winepath at all; it is tried once more, and a path that still does not
# come back ends the stand-in (never a file written under an error's text).
to_unix() {
    case $1 in
        [A-Za-z]:\\* | *\\*)
            local unix
            for _ in 1 2; do
                unix=$(winepath -u "$1" 2>/dev/null) && [ "${unix#/}" != "$unix" ] && { printf '%s\n' "$unix"; return 0; }
            done
            printf 'gs-standin: winepath could not convert %s\n' "$1" >&2
            return 1 ;;
        *) printf '%s\n' "$1" ;;
    esac
}

count=$#
for arg do
    case $arg in
        -sOutputFile=*) arg="-sOutputFile=$(to_unix "${arg#-sOutputFile=}")" || exit 1 ;;
        -*) ;;
        *) arg=$(to_unix "$arg") || exit 1 ;;
    esac
    set -- "$@" "$arg"
done
shift "$count"

gs "$@"
status=$?
if [ -n "$delay" ]; then
    sleep "$(echo "$started $delay $(date +%s.%N)" | awk '{ r = $1 + $2 - $3; print (r > 0 ? r : 0) }')"
fi
exit "$status"
