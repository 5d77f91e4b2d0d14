#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the signature tests' certificates and signed modules from one unsigned
# fixture DLL. Everything is generated afresh in OUTDIR (keys included: none
# is kept in the repository).
#   make_signing_fixtures.sh UNSIGNED.dll OUTDIR
# OUTDIR receives test_root.der (the root the test prefix is made to trust)
# and the modules the tests read:
#   vigilor_oy.dll, tarnvale_inc.dll          accepted signers, test root
#   untrusted_studio.dll                      unlisted signer, test root
#   vigilor_oy_upper.dll, vigilor_oy_space.dll,
#   tarnvale_inc_upper.dll, tarnvale_inc_space.dll
#                                             near misses of accepted names
#   unsigned.dll                              no signature
#   tampered.dll                              vigilor_oy.dll with a code byte changed
#   signer_cert_missing.dll                   the signer's certificate is not
#                                             the one the signature names
#   rogue_issuer.dll                          "Vigilor Oy" from an unknown CA,
#                                             CA not in the signature
#   rogue_root.dll                            the same with that CA embedded
#   self_signed.dll                           "Vigilor Oy", self-signed
set -euo pipefail
unsigned=$1
out=$2
work=$out/work
rm -rf "$out"
mkdir -p "$work"

cat >"$work/x509.cnf" <<'CNF'
[req]
distinguished_name = dn
[dn]
[root]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[leaf]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
CNF

quiet() { "$@" >"$work/last.log" 2>&1 || { cat "$work/last.log" >&2; return 1; }; }

# root NAME CN
root() {
  quiet openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/$1.key" -out "$work/$1.pem" -days 3650 \
    -subj "/CN=$2" -config "$work/x509.cnf" -extensions root
}

# leaf NAME CN ISSUER SERIAL - all leaves share one key, which the tests do not care about.
leaf() {
  quiet openssl req -new -key "$work/leaf.key" -subj "/CN=$2" -config "$work/x509.cnf" -out "$work/$1.csr"
  quiet openssl x509 -req -in "$work/$1.csr" -CA "$work/$3.pem" -CAkey "$work/$3.key" -set_serial "$4" \
    -days 3650 -extfile "$work/x509.cnf" -extensions leaf -out "$work/$1.pem"
}

# sign CERTS OUT
sign() { quiet osslsigncode sign -certs "$1" -key "$work/leaf.key" -h sha256 -in "$unsigned" -out "$out/$2"; }

# flip FILE OFFSET - inverts one byte in place.
flip() {
  local byte
  byte=$(od -An -tu1 -j"$2" -N1 "$1" | tr -d ' ')
  printf "$(printf '\\%03o' $((byte ^ 0xff)))" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

u16() { od -An -tu2 -j"$2" -N2 "$1" | tr -d ' '; }
u32() { od -An -tu4 -j"$2" -N4 "$1" | tr -d ' '; }

quiet openssl genrsa -out "$work/leaf.key" 2048
root test_root "Vigilor Test Root CA"
root rogue_root "Rogue Test Root CA"
openssl x509 -in "$work/test_root.pem" -outform DER -out "$out/test_root.der"

leaf vigilor_oy "Vigilor Oy" test_root 0x1001
leaf tarnvale_inc "Tarnvale, Inc." test_root 0x1002
leaf untrusted_studio "Untrusted Studio Ltd" test_root 0x1003
leaf vigilor_oy_upper "VIGILOR OY" test_root 0x1004
leaf vigilor_oy_space "Vigilor Oy " test_root 0x1005
leaf tarnvale_inc_upper "TARNVALE, INC." test_root 0x1006
leaf tarnvale_inc_space "Tarnvale, Inc. " test_root 0x1007
leaf signer_cert_missing "Vigilor Oy" test_root 0x7E57C0DE0000A11E
leaf rogue_vigilor_oy "Vigilor Oy" rogue_root 0x2001
quiet openssl req -x509 -key "$work/leaf.key" -out "$work/self_signed.pem" -days 3650 -subj "/CN=Vigilor Oy" \
  -config "$work/x509.cnf" -extensions leaf

for name in vigilor_oy tarnvale_inc untrusted_studio vigilor_oy_upper vigilor_oy_space tarnvale_inc_upper \
            tarnvale_inc_space signer_cert_missing self_signed; do
  sign "$work/$name.pem" "$name.dll"
done
sign "$work/rogue_vigilor_oy.pem" rogue_issuer.dll
cat "$work/rogue_vigilor_oy.pem" "$work/rogue_root.pem" >"$work/rogue_chain.pem"
sign "$work/rogue_chain.pem" rogue_root.dll
cp "$unsigned" "$out/unsigned.dll"

# A byte inside the first section's data: covered by the image digest.
cp "$out/vigilor_oy.dll" "$out/tampered.dll"
header=$(u32 "$out/tampered.dll" 60)
sections=$((header + 24 + $(u16 "$out/tampered.dll" $((header + 20)))))
flip "$out/tampered.dll" $(($(u32 "$out/tampered.dll" $((sections + 20))) + 16))

# The serial number appears twice: in the certificate and, last, in the signer
# information, which names the signer's certificate and lies outside both the
# image digest and the signed attributes. Changing it there leaves an intact
# signature whose signer's certificate is not in the signature.
serial='\x02\x08\x7e\x57\xc0\xde\x00\x00\xa1\x1e'
mapfile -t offsets < <(LC_ALL=C grep -obUaP "$serial" "$out/signer_cert_missing.dll" | cut -d: -f1)
[ ${#offsets[@]} -eq 2 ] || { echo "expected the serial twice, found ${#offsets[@]} times" >&2; exit 1; }
flip "$out/signer_cert_missing.dll" $((offsets[1] + 9))

rm -rf "$work"
touch "$out/stamp"
