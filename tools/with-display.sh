#!/usr/bin/env bash
# with-display.sh COMMAND...: runs COMMAND with a private, freshly made Wine
# prefix and a virtual X display, and removes both afterwards. The command's
# exit code is passed on.
set -u
cleanup() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
  fi
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" >/dev/null 2>&1
  wait 2>/dev/null
}
trap cleanup EXIT INT TERM

export WINEPREFIX
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/orvane-wine.XXXXXX")
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win32

# A free display number: the lowest without a lock file.
n=90
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
export DISPLAY=":$n"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done

wineboot -i >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
export ORVANE_WINE_READY=1
"$@"
exit $?
