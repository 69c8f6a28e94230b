#!/usr/bin/env bash
# OpenSC's pkcs11-tool, a client we did not write, against the native virtual module.
#   pkcs11-tool-interop.sh MODULE VMWCTL DATA_FOLDER
set -uo pipefail
module=$1 vmwctl=$2 data=$3
state=$(mktemp -d)
trap 'rm -rf "$state"' EXIT
export QUORIN_VMW_STATE=$state
# The module is built with the sanitizers; pkcs11-tool is not.
preload=""
for lib in libasan.so libubsan.so; do
  path=$(${CXX:-g++} -print-file-name=$lib)
  [ -f "$path" ] && preload="$preload:$path"
done
export LD_PRELOAD=${preload#:} ASAN_OPTIONS=detect_leaks=0

failures=0
check() {  # check DESCRIPTION EXPECTED-PATTERN -- pkcs11-tool arguments
  local what=$1 pattern=$2; shift 3
  local out
  out=$(pkcs11-tool --module "$module" "$@" 2>&1)
  if grep -qE -- "$pattern" <<<"$out"; then
    echo "ok: $what"
  else
    echo "FAILED: $what: no /$pattern/ in:"; echo "$out" | sed 's/^/    /'
    failures=$((failures + 1))
  fi
}
refute() {  # refute DESCRIPTION PATTERN -- arguments: the pattern must not appear
  local what=$1 pattern=$2; shift 3
  local out
  out=$(pkcs11-tool --module "$module" "$@" 2>&1)
  if grep -qE -- "$pattern" <<<"$out"; then
    echo "FAILED: $what: /$pattern/ found in:"; echo "$out" | sed 's/^/    /'
    failures=$((failures + 1))
  else
    echo "ok: $what"
  fi
}

reader="Quorin Virtual Reader 0"
"$vmwctl" reader add "$reader" >/dev/null
"$vmwctl" reader add "Quorin Virtual Reader 1" >/dev/null
"$vmwctl" card create "$reader" --serial 4711 --label "Interop Token" --pin 1234 --puk 12345678 >/dev/null
"$vmwctl" cert add "$reader" "$data/user.pem" >/dev/null
"$vmwctl" key add "$reader" "$data/user.key" --cert "$data/user.der" >/dev/null || exit 1

check "slot named after the reader" "Slot 0 \(0x0\): Quorin Virtual Reader 0" -- -L
check "token label" "token label +: Interop Token" -- -L
check "token serial" "serial num +: 4711" -- -L
refute "no slot for the empty reader" "Quorin Virtual Reader 1" -- -L
check "certificate visible without login" "label: +00A1B2C3" -- -O
refute "private key hidden without login" "Private Key Object" -- -O
check "private key after login" "Private Key Object; RSA" -- --login --pin 1234 -O
check "wrong PIN refused" "CKR_PIN_INCORRECT" -- --login --pin 0000 -O
check "write a certificate object" "Created certificate" -- --login --pin 1234 \
  --write-object "$data/ca.der" --type cert --id 0a0b --label "Written CA"
check "written certificate listed" "label: +Written CA" -- -O
grep -q 'CKA_LABEL = text "Written CA"' "$state/readers/$reader/token.txt" \
  && echo "ok: written certificate is on the card" \
  || { echo "FAILED: written certificate not in the token file"; failures=$((failures + 1)); }
check "delete the certificate object" "." -- --login --pin 1234 --delete-object --type cert --id 0a0b
refute "deleted certificate gone" "Written CA" -- -O
check "change the PIN" "PIN successfully changed" -- --login --pin 1234 --change-pin --new-pin 56789
check "new PIN works" "Private Key Object" -- --login --pin 56789 -O
"$vmwctl" card remove "$reader" >/dev/null
refute "removed card has no slot" "Interop Token" -- -L

echo "$failures failed"
[ "$failures" = 0 ]
