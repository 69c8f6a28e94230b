#!/usr/bin/env bash
# A screenshot of heraldix's tray icon and balloon under the Wine session's Xvfb:
#   heraldix-screenshot.sh [BUILD_DIR] [OUTPUT.png]
# Starts heraldix.exe, broadcasts GENERATE_START and NEW_DEVICE, waits for
# Wine to draw the balloon, takes the root window with ImageMagick, exits heraldix.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build/win64}
run=$here/../harness/wine-run
envfile=$("$here/../harness/wine-session" env)
# shellcheck disable=SC1090
. "$envfile"
out=${2:-$QUORIN_WINE_DIR/screenshots/heraldix-balloon.png}
mkdir -p "$(dirname "$out")"
control=$build/tests/heraldix/heraldix-control.exe

"$run" "$build/heraldix/heraldix.exe" >/dev/null 2>&1 &
pid=$!
"$run" "$control" wait 20
"$run" "$control" broadcast WM_QUORIN_MW_ACTIVITY_GENERATE_START
sleep 1
"$run" "$control" broadcast WM_QUORIN_MW_ACTIVITY_NEW_DEVICE
sleep 3
import -display "$DISPLAY" -window root "$out"
"$run" "$control" exit
wait "$pid"
echo "$out"
