#!/usr/bin/env bash
# run_with_sandbox.sh EXE WORKDIR [ARGS...]
# Starts two local fax services natively (one with the CA the test trusts, one
# with an unrelated CA), runs the Windows test program EXE under wine with
# their addresses and the CA in the environment, then stops both.
set -u
exe="$1"; work="$2"; shift 2
src="$(cd "$(dirname "$0")/../../.." && pwd)"
mkdir -p "$work"
rm -rf "$work/outbox" "$work/port" "$work/port-other"

"$src/tools/fax-sandbox/make-ca.sh" "$work/ca" >/dev/null || exit 1
"$src/tools/fax-sandbox/make-ca.sh" "$work/ca-other" >/dev/null || exit 1

pids=()
stop() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
}
trap stop EXIT

start() {  # start CADIR READYFILE
  python3 "$src/tools/fax-sandbox/sandbox.py" --port 0 --tls "$1" --ready-file "$2" \
    --outbox "$work/outbox" --log "$work/requests.jsonl" >/dev/null </dev/null &
  pids+=($!)
}
start "$work/ca" "$work/port"
start "$work/ca-other" "$work/port-other"

for _ in $(seq 1 200); do
  [ -s "$work/port" ] && [ -s "$work/port-other" ] && break
  sleep 0.1
done
if ! [ -s "$work/port" ] || ! [ -s "$work/port-other" ]; then
  echo "run_with_sandbox: the fax sandbox did not come up" >&2
  exit 1
fi

# Schannel matches DNS names only: localhost, never 127.0.0.1.
export KESTRID_TEST_API_BASE="https://localhost:$(cat "$work/port")"
export KESTRID_TEST_UNTRUSTED_BASE="https://localhost:$(cat "$work/port-other")"
export KESTRID_TEST_CA_FILE="Z:$work/ca/ca.pem"
export KESTRID_TEST_OUTBOX="Z:$work/outbox"
wine "$exe" "$@"
