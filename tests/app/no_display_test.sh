#!/usr/bin/env bash
# With no display there is no desktop to open a window on. The tool must then end by itself with
# exit code 1 within seconds, instead of waiting unseen for events that can never come, and must
# leave its settings file as it was.
#   no_display_test.sh RebootPC.exe WINEPREFIX
set -uo pipefail
tool=$1
prefix=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$here/tools/wine-env"
wine_enter_selected bash "$0" "$@"
prefix=$(wine_prefix_for "$prefix")
wine_find_loader || exit 1
# A prefix of its own, made and used with no display at all: a Wine session or desktop begun
# without a display in the shared prefix would leave the other tests' windows nowhere to appear.
unset DISPLAY WAYLAND_DISPLAY
export WINEPREFIX="$prefix-nodisplay" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineserver="$(dirname "$WINE64")/wineserver"
trap '"$wineserver" -k >/dev/null 2>&1; rm -rf "${work:-}"' EXIT
if [ ! -f "$WINEPREFIX/.rebootpc-ready" ]; then
  rm -rf "$WINEPREFIX"
  "$WINE64" wineboot -i </dev/null >/dev/null 2>&1
  "$wineserver" -w
  touch "$WINEPREFIX/.rebootpc-ready"
fi

work=$(mktemp -d)
printf '\xef\xbb\xbf\r\nFirstRun = 0\r\nRebootX = 30\r\nRebootY = 40\r\n' > "$work/reboot.prefs"
cp "$work/reboot.prefs" "$work/expected.prefs"
cp "$tool" "$work/RebootPC.exe"

cd "$work"
started=$SECONDS
timeout 20 "$WINE64" RebootPC.exe </dev/null >/dev/null 2>&1
code=$?
took=$((SECONDS - started))

failed=0
if [ "$code" -eq 124 ]; then
  echo "FAIL: the tool was still running after 20 s with no display"
  failed=1
elif [ "$code" -ne 1 ]; then
  echo "FAIL: exit code $code with no display, expected 1"
  failed=1
fi
if ! cmp -s reboot.prefs expected.prefs; then
  echo "FAIL: reboot.prefs changed"
  failed=1
fi
[ "$failed" -eq 0 ] && echo "ok: ended by itself with exit code 1 after ${took} s; reboot.prefs unchanged"
exit "$failed"
