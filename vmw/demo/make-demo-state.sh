#!/usr/bin/env bash
# Puts the demo token into a virtual reader:
#   make-demo-state.sh VMWCTL STATE_FOLDER
# VMWCTL is the native vmwctl or vmwctl.exe (run through the Wine harness).
# Reader "Quorin Virtual Reader 0", card "Demo Token" (serial DEMO0001, PIN 1234,
# PUK 12345678) with a user certificate, its private and public key, and the CA
# certificate. An existing state folder is replaced.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
vmwctl=$1 state=$2
rm -rf "$state"
mkdir -p "$state"
state=$(cd "$state" && pwd)
data=$here
run=("$vmwctl")
if [[ $vmwctl == *.exe ]]; then
  # Windows programs see this machine's root as drive Z:.
  run=("$here/../../tests/harness/wine-run" "$vmwctl")
  state="Z:$state" data="Z:$data"
fi
ctl() { "${run[@]}" --state "$state" "$@"; }
reader="Quorin Virtual Reader 0"
ctl init
ctl reader add "$reader"
ctl card create "$reader" --serial DEMO0001 --label "Demo Token" \
  --manufacturer "Quorin" --model "Virtual Card" --pin 1234 --puk 12345678
ctl cert add "$reader" "$data/demo-user.pem" >/dev/null
ctl key add "$reader" "$data/demo-user.key" --cert "$data/demo-user.pem" --public-key >/dev/null
ctl cert add "$reader" "$data/demo-ca.pem" --ca >/dev/null
echo "QUORIN_VMW_STATE=$state"
