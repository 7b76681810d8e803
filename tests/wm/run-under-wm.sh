#!/usr/bin/env bash
# Runs a test program on a virtual X display managed by a real window
# manager (openbox), so that close requests, stacking and focus go through
# the window system. Fails with the reason when either cannot be started.
set -uo pipefail
program="$1"
shift
for tool in Xvfb openbox wmctrl xprop; do
  if ! command -v "$tool" >/dev/null; then
    echo "cannot run the window-system tests: $tool is not installed (scripts/install-deps.sh installs it)" >&2
    exit 1
  fi
done
work=$(mktemp -d)
cleanup() {
  [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# Xvfb picks a free display and writes its number to the pipe.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
if [ ! -s "$work/display" ]; then
  echo "cannot run the window-system tests: Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(head -n1 "$work/display")"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
for _ in $(seq 100); do
  wmctrl -m >/dev/null 2>&1 && break
  sleep 0.1
done
if ! wmctrl -m >/dev/null 2>&1; then
  echo "cannot run the window-system tests: openbox did not start on $DISPLAY:" >&2
  cat "$work/openbox.log" >&2
  exit 1
fi
# Under AddressSanitizer: the X keyboard library hands strndup a buffer
# that is not terminated within the length it gives, which the sanitizer's
# strndup check reports although strndup stops at the length.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}intercept_strndup=0"
QT_QPA_PLATFORM=xcb "$program" "$@"
