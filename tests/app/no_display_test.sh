#!/usr/bin/env bash
# With no display there is no desktop to open a window on. The tool must then end by itself with
# exit code 1 within seconds, instead of waiting unseen for events that can never come:
# - with a settings file, leaving it as it was;
# - in an empty folder (a first start, whose questions no one can see), leaving no settings file,
#   so that the next start, with a display, is still a first start and asks them.
#   no_display_test.sh RebootPC.exe WINEPREFIX
set -uo pipefail
tool=$1
prefix=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$here/tools/wine-env"
wine_enter_selected bash "$0" "$@"
wine_find_loader || exit 1
nodisplay_prefix="$(wine_prefix_for "$prefix")-nodisplay"
wineserver="$(dirname "$WINE64")/wineserver"
trap 'WINEPREFIX="$nodisplay_prefix" "$wineserver" -k >/dev/null 2>&1; rm -rf "${settled:-}" "${empty:-}"' EXIT

# Runs the tool in folder $1 with no display at all, in a prefix of its own, made and used with
# no display: a Wine session or desktop begun without a display in the shared prefix would leave
# the other tests' windows nowhere to appear. Sets code and took.
run_without_display() (
  unset DISPLAY WAYLAND_DISPLAY
  export WINEPREFIX="$nodisplay_prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/.rebootpc-ready" ]; then
    rm -rf "$WINEPREFIX"
    "$WINE64" wineboot -i </dev/null >/dev/null 2>&1
    "$wineserver" -w
    touch "$WINEPREFIX/.rebootpc-ready"
  fi
  cd "$1" && timeout 20 "$WINE64" RebootPC.exe </dev/null >/dev/null 2>&1
)

failed=0
fail() { echo "FAIL: $*"; failed=1; }
# Ends by itself with exit code 1: timeout's 124 means it was still running.
expect_exit_1() {
  local started=$SECONDS
  run_without_display "$1"
  local code=$? took=$((SECONDS - started))
  case $code in
    1) echo "ok: $2: ended by itself with exit code 1 after ${took} s" ;;
    124) fail "$2: the tool was still running after 20 s with no display" ;;
    *) fail "$2: exit code $code with no display, expected 1" ;;
  esac
}

settled=$(mktemp -d)
printf '\xef\xbb\xbf\r\nFirstRun = 0\r\nRebootX = 30\r\nRebootY = 40\r\n' > "$settled/reboot.prefs"
cp "$settled/reboot.prefs" "$settled/expected.prefs"
cp "$tool" "$settled/RebootPC.exe"
expect_exit_1 "$settled" "with a settings file"
cmp -s "$settled/reboot.prefs" "$settled/expected.prefs" || fail "with a settings file: reboot.prefs changed"

empty=$(mktemp -d)
cp "$tool" "$empty/RebootPC.exe"
expect_exit_1 "$empty" "first start"
[ -e "$empty/reboot.prefs" ] && fail "first start: reboot.prefs was left behind: $(od -c "$empty/reboot.prefs" | head -5)"

# The same folder with a display: a first start again. It writes the file with "FirstRun" 1
# just before its first question and then waits for the answer.
if [ "$failed" -eq 0 ]; then
  (cd "$empty" && exec "$here/tools/wine-run" --prefix "$prefix" RebootPC.exe </dev/null >/dev/null 2>&1) &
  shown=$!
  asked=0
  for _ in $(seq 1 300); do
    if grep -q 'FirstRun = 1' "$empty/reboot.prefs" 2>/dev/null; then asked=1; break; fi
    sleep 0.1
  done
  sleep 1
  kill -0 "$shown" 2>/dev/null || asked=0
  kill "$shown" 2>/dev/null
  wait "$shown" 2>/dev/null
  if [ "$asked" -eq 1 ]; then
    echo "ok: the next start, with a display, is a first start and waits at its first question"
  else
    fail "the next start, with a display, did not wait at a first start's question"
  fi
fi
exit "$failed"
