#!/usr/bin/env bash
# Runs a real-window check program on a virtual X server (Xvfb) with Qt's xcb
# platform, so that mpv draws real pictures and xdotool can click them.
#
#   scripts/xvfb-check.sh PROGRAM [ARGS...]
#
# Exits 77 (CTest's "skipped") when xvfb-run or xdotool is not installed.
# Nothing may hang: the program has a time limit inside the X server's run,
# and the whole run has a second, longer one.
set -uo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 PROGRAM [ARGS...]" >&2
  exit 2
fi

for tool in xvfb-run Xvfb xauth xdotool timeout; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: $tool is not installed (scripts/install-deps.sh installs it)" >&2
    exit 77
  fi
done

program_limit="${XVFB_CHECK_LIMIT:-150}"
# The X server's start and stop get 30 seconds on top of the program's limit.
run_limit=$((program_limit + 30))

# A desktop-sized screen in true colour, so that screenshots hold the exact
# pixels. -a picks a free display number, so parallel runs do not meet.
timeout --kill-after=10 "$run_limit" \
  xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  env QT_QPA_PLATFORM=xcb \
  timeout --kill-after=5 "$program_limit" "$@"
status=$?
if [ "$status" -eq 124 ]; then
  echo "the check ran past its time limit" >&2
fi
exit "$status"
