#!/usr/bin/env bash
# vmwctl's answers to good and bad input: exit codes and messages.
#   vmwctl-cli.sh VMWCTL DATA_FOLDER
set -uo pipefail
vmwctl=$1 data=$2
state=$(mktemp -d)
trap 'rm -rf "$state"' EXIT
export QUORIN_VMW_STATE=$state
failures=0

expect() {  # expect EXIT-CODE MESSAGE-PATTERN -- arguments
  local code=$1 pattern=$2; shift 3
  local out rc
  out=$("$vmwctl" "$@" 2>&1); rc=$?
  if [ "$rc" = "$code" ] && grep -qE -- "$pattern" <<<"$out"; then
    echo "ok: vmwctl $*"
  else
    echo "FAILED: vmwctl $*: exit $rc (wanted $code), output:"; echo "$out" | sed 's/^/    /'
    failures=$((failures + 1))
  fi
}

expect 0 "" -- reader add "Reader 1"
expect 0 "" -- card create "Reader 1" --serial C1 --label "Card One"
expect 0 "^object 1$" -- cert add "Reader 1" "$data/user.der"
expect 0 "^object 2$" -- key add "Reader 1" "$data/user-pkcs1.pem" --cert "$data/user.pem"
expect 0 "reader 'Reader 1': card \"C1\" label \"Card One\", 2 objects" -- status
expect 0 'label = "Card One"' -- card show "Reader 1"

expect 1 "usage:" --
expect 1 "usage:" -- frobnicate
expect 1 "needs a value" -- card create "Reader 1" --serial
expect 1 "needs --serial" -- card create "Reader 1"
expect 1 "cannot read" -- cert add "Reader 1" "$state/none.der"
expect 1 "neither DER nor PEM" -- cert add "Reader 1" "$0"
expect 1 "hexadecimal" -- fault set C_Login 48
expect 1 "4 to 16" -- card set "Reader 1" --pin 123
expect 1 "0 to 3" -- card set "Reader 1" --pin-tries 4
expect 1 "hexadecimal digits" -- cert add "Reader 1" "$data/ca.der" --id 0x12
expect 2 "not a usable reader name" -- reader add "a/b"
expect 2 "exists already" -- reader add "Reader 1"
expect 2 "holds a card already" -- card create "Reader 1" --serial C2
expect 2 "no reader named" -- card remove "Nowhere"
expect 2 "not an X.509 certificate" -- cert add "Reader 1" "$data/user.key"
expect 2 "does not belong" -- key add "Reader 1" "$data/user.key" --cert "$data/ca.der"
expect 2 "not a C_ function" -- fault set Login 0x30
expect 2 "no object 9" -- object protect "Reader 1" 9

# A damaged card file is reported, not read.
echo 'label = "torn' >"$state/readers/Reader 1/token.txt"
expect 0 "damaged card file" -- status
expect 2 "damaged card file" -- card show "Reader 1"

echo "$failures failed"
[ "$failures" = 0 ]
