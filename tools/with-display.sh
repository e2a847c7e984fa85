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

# A free display number, chosen by Xvfb itself so that parallel runs never
# race for the same one: it writes the number it took to the given descriptor.
fifo=$(mktemp -u "${TMPDIR:-/tmp}/orvane-xvfb.XXXXXX")
mkfifo "$fifo"
Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$fifo" >/dev/null 2>&1 &
XVFB_PID=$!
read -r n <"$fifo"
rm -f "$fifo"
export DISPLAY=":$n"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done

wineboot -i >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
# ORVANE_LOGPIXELS=144 (or 120, 192, ...): the whole session runs at that DPI,
# set before any program of the prefix starts.
if [ -n "${ORVANE_LOGPIXELS:-}" ]; then
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$ORVANE_LOGPIXELS" /f >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
fi
export ORVANE_WINE_READY=1
"$@"
exit $?
