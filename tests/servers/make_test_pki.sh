#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the certificates the HTTPS test servers use, fresh at every run:
#   make_test_pki.sh DIR
# DIR/ca.pem                    test CA the tests trust (trust-ca.exe adds it)
# DIR/localhost.{pem,key}       server certificate for "localhost" from that CA
# DIR/rogue-ca.pem              an unrelated CA nobody trusts
# DIR/rogue-localhost.{pem,key} a "localhost" certificate from the unrelated CA
# DIR/cdn.{pem,key}             the module CDN's host names, from the test CA
# DIR/rogue-cdn.pem             the same key and names, from the unrelated CA
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

make_server() {  # name ca [dns names...] (default: localhost)
  local name=$1 ca=$2
  shift 2
  [ $# -gt 0 ] || set -- localhost
  local san
  san=$(printf 'DNS:%s,' "$@")
  openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -sha256 \
    -subj "/CN=$1" -keyout "$name.key" -out "$name.csr" 2>/dev/null
  cat > "$name.ext" <<EXT
basicConstraints=critical,CA:FALSE
keyUsage=critical,digitalSignature,keyEncipherment
extendedKeyUsage=serverAuth
subjectAltName=${san%,}
EXT
  openssl x509 -req -in "$name.csr" -CA "$ca.pem" -CAkey "$ca.key" -CAcreateserial -sha256 -days 2 \
    -extfile "$name.ext" -out "$name.pem" 2>/dev/null
  # The same key under the unrelated CA, for "right names, wrong issuer".
  if [ "$name" = cdn ]; then
    openssl x509 -req -in "$name.csr" -CA rogue-ca.pem -CAkey rogue-ca.key -CAcreateserial -sha256 -days 2 \
      -extfile "$name.ext" -out rogue-cdn.pem 2>/dev/null
  fi
  rm -f "$name.csr" "$name.ext"
}

make_ca ca "Vigilor Test CA $$"
make_ca rogue-ca "Unrelated Test CA $$"
make_server localhost ca
make_server rogue-localhost rogue-ca
make_server cdn ca modules.vigilor.gg modules-dev.vigilor.gg
chmod 644 ./*.pem && chmod 600 ./*.key
