#!/usr/bin/env bash
# Takes the README's screenshots under a virtual X screen: the browser window
# on a folder of generated clips (docs/browser.png) and the media window
# playing the first of them after a click on Play all (docs/player.png).
#
# The program runs from a copy in a temporary folder, so the settings file it
# reads (and the user's own one beside the build) are left alone.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${VIDROLLE_SCREENSHOTS_IN_XVFB:-}" ]; then
  exec env VIDROLLE_SCREENSHOTS_IN_XVFB=1 xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target vidrolle2nd

work=$(mktemp -d)
program_pid=
cleanup() {
  if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
    kill "$program_pid"
    wait "$program_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# A few short clips of different kinds and sizes: a test pattern with a tone.
mkdir -p "$work/bin" "$work/movies"
clip() { # name size seconds codec-args... ; the container follows the name
  local name=$1 size=$2 seconds=$3
  shift 3
  ffmpeg -loglevel error -y -f lavfi -i "testsrc=size=${size}:rate=25:duration=${seconds}" \
    -f lavfi -i "sine=frequency=440:duration=${seconds}" -shortest "$@" "$work/movies/$name"
}
clip "Harbour at dawn.avi" 640x360 30 -c:v mpeg4 -q:v 3 -c:a pcm_s16le
clip "Mountain pass.mpg" 352x240 12 -c:v mpeg1video -b:v 1500k -c:a mp2
clip "City lights.wmv" 320x240 8 -c:v wmv2 -c:a wmav2
clip "Old newsreel.rm" 320x240 6 -c:v rv20 -c:a ac3 -f rm
clip "Summer festival.rmvb" 320x240 10 -c:v rv20 -c:a ac3 -f rm
touch -d '2024-05-03 18:20' "$work/movies/Harbour at dawn.avi"

cp build/app/vidrolle2nd "$work/bin/"
printf '[Section]\nPath=%s\n' "$work/movies" > "$work/bin/Vidrolle_2nd.ini"

mkdir -p docs
QT_QPA_PLATFORM=xcb "$work/bin/vidrolle2nd" &
program_pid=$!

browser=$(xdotool search --sync --onlyvisible --name '^Vidrolle 2nd$' | head -n 1)
sleep 2
import -window root docs/browser.png

# The Play all button ("連続再生") stands in the list's frame at
# (2880 + 4740 + 1020, 120 + 3900 + 240) twips with a size of 1035 x 435
# twips: its centre is at about (610, 298) pixels at 15 twips a pixel.
xdotool mousemove --window "$browser" 610 298 click 1
sleep 4
import -window root docs/player.png

# A stop from the keyboard ends the run; the browser comes back.
xdotool key Escape
sleep 1
echo "docs/browser.png and docs/player.png written"
