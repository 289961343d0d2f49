#!/usr/bin/env bash
# make-ca.sh OUTDIR
# Makes a throw-away CA (OUTDIR/ca.pem, ca.key) and a server certificate for
# DNS:localhost signed by it (OUTDIR/server.pem, server.key). Existing files are
# kept, so the script can run before every test session. Each OUTDIR gets its
# own unrelated CA, which is how tests get a server nobody trusts.
#
# Schannel (also under Wine) only matches DNS names and is picky about
# extensions, hence the explicit basicConstraints/keyUsage/EKU/SAN set.
set -euo pipefail

if [ $# -ne 1 ] || [ -z "$1" ]; then
  echo "usage: make-ca.sh OUTDIR" >&2
  exit 2
fi
out="$1"
mkdir -p "$out"

if [ -s "$out/ca.pem" ] && [ -s "$out/ca.key" ] && [ -s "$out/server.pem" ] && [ -s "$out/server.key" ]; then
  exit 0
fi

work="$(mktemp -d "$out/.make-ca.XXXXXX")"
trap 'rm -rf "$work"' EXIT
umask 077

# A positive 128-bit serial; a fixed serial would clash between two CAs in one store.
serial() { echo "0x1$(openssl rand -hex 15)"; }

if [ -s "$out/ca.pem" ] && [ -s "$out/ca.key" ]; then
  cp "$out/ca.pem" "$out/ca.key" "$work/"
  new_ca=0
else
  # The random suffix keeps two CAs apart by name as well as by key, so chain
  # building never mixes them up.
  openssl genrsa -out "$work/ca.key" 2048 2>/dev/null
  openssl req -x509 -new -sha256 -days 1825 -key "$work/ca.key" \
    -set_serial "$(serial)" \
    -subj "/O=Kestrid Fax Sandbox/CN=Kestrid Sandbox Test CA $(openssl rand -hex 4)" \
    -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign,digitalSignature" \
    -addext "subjectKeyIdentifier=hash" \
    -out "$work/ca.pem"
  new_ca=1
fi

openssl genrsa -out "$work/server.key" 2048 2>/dev/null
openssl req -new -sha256 -key "$work/server.key" \
  -subj "/O=Kestrid Fax Sandbox/CN=localhost" -out "$work/server.csr"
cat > "$work/server.ext" <<'EOF'
basicConstraints=critical,CA:FALSE
keyUsage=critical,digitalSignature,keyEncipherment
extendedKeyUsage=serverAuth
subjectAltName=DNS:localhost
subjectKeyIdentifier=hash
authorityKeyIdentifier=keyid,issuer
EOF
openssl x509 -req -sha256 -days 825 -in "$work/server.csr" \
  -CA "$work/ca.pem" -CAkey "$work/ca.key" -set_serial "$(serial)" \
  -extfile "$work/server.ext" -out "$work/server.pem" 2>/dev/null

chmod 644 "$work/ca.pem" "$work/server.pem"
mv -f "$work/server.key" "$out/server.key"
mv -f "$work/server.pem" "$out/server.pem"
if [ "$new_ca" = 1 ]; then
  mv -f "$work/ca.key" "$out/ca.key"
  mv -f "$work/ca.pem" "$out/ca.pem"
fi
