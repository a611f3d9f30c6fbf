#!/usr/bin/env bash
# Runs a real-window check program on a virtual X server (Xvfb) with Qt's xcb
# platform, so that mpv draws real pictures and xdotool can click them.
#
#   scripts/xvfb-check.sh PROGRAM [ARGS...]
#
# Exits 77 (CTest's "skipped") when Xvfb or xdotool is not installed; under
# CI=true it fails instead, so a CI machine without them cannot pass.
# Nothing may hang: the program has a time limit, and the X server is always
# stopped when the script ends.
set -uo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 PROGRAM [ARGS...]" >&2
  exit 2
fi

for tool in Xvfb xdotool timeout; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    if [ "${CI:-}" = true ]; then
      echo "FAIL: $tool is not installed (scripts/install-deps.sh installs it)" >&2
      exit 1
    fi
    echo "skipped: $tool is not installed (scripts/install-deps.sh installs it)" >&2
    exit 77
  fi
done

program_limit="${XVFB_CHECK_LIMIT:-150}"
work=$(mktemp -d)
server=""
cleanup() {
  if [ -n "$server" ]; then
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# The server picks a free display itself and writes its number to a file
# (-displayfd), so two checks started at once never race for one display, as
# they can with xvfb-run -a. A desktop-sized screen in true colour, so that
# screenshots hold the exact pixels; it listens on its local socket only.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/server.log" 2>&1 &
server=$!
exec 3>&-
for _ in $(seq 1 300); do
  [ -s "$work/display" ] && break
  if ! kill -0 "$server" 2>/dev/null; then
    echo "the X server did not start:" >&2
    cat "$work/server.log" >&2
    exit 1
  fi
  sleep 0.1
done
if [ ! -s "$work/display" ]; then
  echo "the X server did not say its display within 30 seconds" >&2
  exit 1
fi
display=":$(head -n 1 "$work/display")"

DISPLAY="$display" QT_QPA_PLATFORM=xcb \
  timeout --kill-after=5 "$program_limit" "$@"
status=$?
if [ "$status" -eq 124 ]; then
  echo "the check ran past its time limit" >&2
fi
exit "$status"
