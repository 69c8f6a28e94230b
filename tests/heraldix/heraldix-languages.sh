#!/usr/bin/env bash
# heraldix in the user's language, end to end: for each Unix locale, start
# heraldix-probe.exe under Wine with that locale, broadcast IMPORT_START and
# compare the balloon the program passed to the shell with the expected text
# in the program's ANSI code page; then Exit must end it with code 0.
#   heraldix-languages.sh BUILD_DIR
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$1
run=$here/../harness/wine-run
probe=$build/tests/heraldix/heraldix-probe.exe
control=$build/tests/heraldix/heraldix-control.exe
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HERALDIX_SHELL_LOG="Z:${work//\//\\}\\shell.txt"
log=$work/shell.txt
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# locale, user language, balloon of IMPORT_START (UTF-8 here), Exit text unused
check() {
  local locale=$1 language=$2 expected=$3
  rm -f "$log"
  LC_ALL=$locale "$run" "$probe" >"$work/probe.out" 2>&1 &
  local pid=$!
  if ! "$run" "$control" wait 20 >/dev/null 2>&1; then
    fail "$locale: heraldix did not start"; kill "$pid" 2>/dev/null; return
  fi
  for _ in $(seq 1 100); do grep -q '^add' "$log" 2>/dev/null && break; sleep 0.1; done
  local start codepage
  start=$(head -1 "$log" | tr -d '\r')
  [ "$(cut -f2 <<<"$start")" = "$language" ] || fail "$locale: user language $(cut -f2 <<<"$start"), expected $language"
  codepage=$(cut -f3 <<<"$start")
  "$run" "$control" broadcast WM_QUORIN_MW_ACTIVITY_IMPORT_START >/dev/null 2>&1
  local want
  want=$(printf '%s' "$expected" | iconv -f UTF-8 -t "CP$codepage" 2>/dev/null) \
    || want=$(printf '%s' "$expected" | iconv -f UTF-8 -t "CP$codepage//TRANSLIT")
  local found=0
  for _ in $(seq 1 100); do
    if awk -F'\t' -v want="$want" '$1 == "modify" && $2 == "10" && $4 == want && $5 == "Quorin Omnilink Middleware" && $7 == "10000" { ok = 1 } END { exit !ok }' "$log"; then
      found=1; break
    fi
    sleep 0.1
  done
  [ "$found" = 1 ] || fail "$locale: no balloon \"$expected\"; balloons: $(awk -F'\t' '$2 == "10" { print $4 }' "$log" | iconv -f "CP$codepage" -t UTF-8)"
  "$run" "$control" broadcast WM_QUORIN_MW_ACTIVITY_IMPORT_END >/dev/null 2>&1
  "$run" "$control" exit >/dev/null 2>&1
  local rc=0
  wait "$pid" || rc=$?
  [ "$rc" = 0 ] || fail "$locale: exit code $rc"
  echo "$locale: user language $language, code page $codepage checked"
}

check it_IT.UTF-8 0410 "Importazione nuovo certificato, attendere prego..."
check sl_SI.UTF-8 0424 "Nameščanje novega potrdila, prosimo počakajte..."
check pt_BR.UTF-8 0416 "Criação de novo certificado, espere por favor..."
check es_ES.UTF-8 0c0a "Crear nuevo certificado, por favor espere..."
check fr_FR.UTF-8 040c "Downloading new certificate, please wait..."

echo "$failures failures"
[ "$failures" = 0 ]
