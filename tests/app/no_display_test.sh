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
# The prefix's session is started with the display, as for every other test: a session begun
# without one would leave the later tests' windows nowhere to appear. Only the tool goes without.
wine_env_setup "$prefix" || exit 1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '\xef\xbb\xbf\r\nFirstRun = 0\r\nRebootX = 30\r\nRebootY = 40\r\n' > "$work/reboot.prefs"
cp "$work/reboot.prefs" "$work/expected.prefs"
cp "$tool" "$work/RebootPC.exe"

cd "$work"
started=$SECONDS
env -u DISPLAY -u WAYLAND_DISPLAY timeout 20 "$WINE64" RebootPC.exe </dev/null >/dev/null 2>&1
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
