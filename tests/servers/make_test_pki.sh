#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the certificates the HTTPS test servers use, fresh at every run:
#   make_test_pki.sh DIR
# DIR/ca.pem                    test CA the tests trust (trust-ca.exe adds it)
# DIR/localhost.{pem,key}       server certificate for "localhost" from that CA
# DIR/rogue-ca.pem              an unrelated CA nobody trusts
# DIR/rogue-localhost.{pem,key} a "localhost" certificate from the unrelated CA
# Name matching under Wine works for DNS names only, so every server
# certificate names "localhost" (no IP address entries).
set -euo pipefail
dir=$1
mkdir -p "$dir"
cd "$dir"

make_ca() {  # name subject
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -sha256 -days 3 \
    -subj "/CN=$2" -keyout "$1.key" -out "$1.pem" \
    -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
}

make_server() {  # name ca
  openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -sha256 \
    -subj "/CN=localhost" -keyout "$1.key" -out "$1.csr" 2>/dev/null
  cat > "$1.ext" <<EXT
basicConstraints=critical,CA:FALSE
keyUsage=critical,digitalSignature,keyEncipherment
extendedKeyUsage=serverAuth
subjectAltName=DNS:localhost
EXT
  openssl x509 -req -in "$1.csr" -CA "$2.pem" -CAkey "$2.key" -CAcreateserial -sha256 -days 2 \
    -extfile "$1.ext" -out "$1.pem" 2>/dev/null
  rm -f "$1.csr" "$1.ext"
}

make_ca ca "Vigilor Test CA $$"
make_ca rogue-ca "Unrelated Test CA $$"
make_server localhost ca
make_server rogue-localhost rogue-ca
chmod 644 ./*.pem && chmod 600 ./*.key
