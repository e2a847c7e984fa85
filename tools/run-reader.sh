#!/usr/bin/env bash
# run-reader.sh PROGRAM: starts the reader under Wine. With an X display it
# opens on that display with the user's own Wine prefix. Without one it starts
# a virtual display and a private prefix, lets the window come up, saves a
# screenshot and says where.
set -u
exe=$1
if [ -n "${DISPLAY:-}" ]; then
  exec wine "$exe"
fi
root=$(cd "$(dirname "$0")/.." && pwd)
shot="$root/build/screenshot.png"
"$root/tools/with-display.sh" bash -c '
  wine explorer /desktop=orvane,1024x768 "$1" &
  for _ in $(seq 60); do
    sleep 1
    xdotool search --name "^Orvane$" >/dev/null 2>&1 && break
  done
  sleep 3
  import -window root "$2"
  wineserver -k
' _ "$exe" "$shot"
echo "No display here: the reader ran on a virtual display. Screenshot: $shot"
