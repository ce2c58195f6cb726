#!/usr/bin/env bash
# ./run on a machine without a display, in a Wine prefix of its own whose Wine
# server starts with this test: the program keeps running on Xvfb for the time
# ./run says. Then the program started with no display at all: it cannot make
# a window, says so on its standard error and in its log, and ends with 1.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
: "${SWFZEL_BUILD_DIR:?the build folder}"
export SWFZEL_WINEPREFIX="$SWFZEL_BUILD_DIR/wineprefix-nodisplay"
export WINEPREFIX="$SWFZEL_WINEPREFIX" WINEDEBUG=-all
WINESERVER=/usr/lib/wine/wineserver
unset DISPLAY WAYLAND_DISPLAY
# No Wine server of this prefix from an earlier run.
"$WINESERVER" -k 2>/dev/null || true
"$WINESERVER" -w 2>/dev/null || true

fail() {
  echo "FAILED: $*"
  exit 1
}

out="$(SWFZEL_RUN_SECONDS=6 "$ROOT/run" 2>&1)" || fail "./run ended with $?: $out"
echo "$out" | grep -q "The program was still running after 6 s" || fail "the program did not stay: $out"
"$WINESERVER" -w

status=0
err="$(/usr/lib/wine/wine64 "$SWFZEL_BUILD_DIR/bin/SWF.zel.exe" 2>&1 >/dev/null)" || status=$?
"$WINESERVER" -w
[ "$status" -eq 1 ] || fail "the program without a display ended with $status: $err"
echo "$err" | grep -q "SWF.zel: no window can be made" || fail "nothing said on the standard error: $err"
log="$(find "$WINEPREFIX/drive_c/users" -name 'Divur Ozazir.Log.html' | head -1)"
[ -n "$log" ] && grep -q "Start-up failed: no window can be made" "$log" || fail "nothing said in the log ($log)"
echo "passed"
