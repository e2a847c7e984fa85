#!/usr/bin/env bash
# monitors_test.sh ORVANE_EXE WINDOW_PROBE_EXE: the reader on two monitors.
# Runs an X server of its own with two outputs (the dummy video driver, side
# by side: 1024x768 at 0,0, the primary, and 1280x1024 at 1024,0) and a Wine
# prefix booted on it, and starts the real program there without a virtual
# desktop (which would be one monitor). Where the windows lie is read from
# inside with the probe: without a window manager the X position of a window
# can differ from what Windows reports.
#
# Xorg with the dummy driver needs root: without root or sudo the test is
# skipped (exit code 77). Needs xserver-xorg-video-dummy, x11-xserver-utils
# (xrandr), libxrandr2:i386 and libxinerama1:i386 (tools/install-deps.sh).
set -u
exe=$1
probe=$2
key='HKCU\Software\Quillary\Orvane'
work=$(mktemp -d)
failures=0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    as_root=(sudo -n)
  else
    echo "SKIP: two monitors need Xorg with the dummy driver, which needs root or sudo; neither is available"
    exit 77
  fi
fi
for tool in Xorg xrandr; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (run tools/install-deps.sh)"; exit 1; }
done

xorg_pid=
cleanup() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
  fi
  [ -n "$xorg_pid" ] && "${as_root[@]}" kill "$xorg_pid" >/dev/null 2>&1
  wait 2>/dev/null
  "${as_root[@]}" rm -rf "$work"
}
trap cleanup EXIT INT TERM

cat >"$work/dummy.conf" <<'EOF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 4096 2048
  EndSubSection
EndSection
EOF
mkdir -p "$work/none"

# A free display number, chosen by the server itself.
mkfifo "$work/displayfd"
"${as_root[@]}" Xorg -displayfd 9 -config "$work/dummy.conf" -configdir "$work/none" -logfile "$work/xorg.log" \
  -noreset -nolisten tcp -novtswitch -sharevts -ac 9>"$work/displayfd" >/dev/null 2>&1 &
xorg_pid=$!
if ! read -r -t 30 n <"$work/displayfd"; then
  echo "FAIL: Xorg did not start"; tail -20 "$work/xorg.log" 2>/dev/null; exit 1
fi
export DISPLAY=":$n"
xrandr --newmode 1280x1024_60 108.88 1280 1360 1496 1712 1024 1025 1028 1060 -hsync +vsync >/dev/null 2>&1
xrandr --addmode DUMMY1 1280x1024_60
xrandr --output DUMMY0 --mode 1024x768 --primary --output DUMMY1 --mode 1280x1024_60 --right-of DUMMY0
# A prefix booted before the server shows both outputs keeps one monitor.
for _ in $(seq 50); do xrandr --listmonitors | grep -q '^Monitors: 2' && break; sleep 0.1; done
if ! xrandr --listmonitors | grep -q '^Monitors: 2'; then echo "FAIL: the X server has no second output"; exit 1; fi

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win32
wineboot -i >/dev/null 2>&1
wineserver -w >/dev/null 2>&1

check() {  # check WHAT EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then echo "ok   $1"; else echo "FAIL $1: expected '$2', got '$3'"; failures=$((failures + 1)); fi
}
add() { wine reg add "$key" /v "$1" /t "$2" /d "$3" /f >/dev/null 2>&1; }
reg_value() {  # a stored number, in decimal
  local v
  v=$(wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v n="$1" '$1 == n {print $3}')
  [ -n "$v" ] && echo $((v))
}
place() { wine "$probe" place 2>/dev/null | tr -d '\r'; }
# field WINDOW N: the Nth field of the probe's line for the window ("main", "results").
field() { awk -v w="$1" -v i="$2" '$1 == w {print $i}' <<<"$info"; }
rect() { echo "$(field "$1" 2) $(field "$1" 3) $(field "$1" 4) $(field "$1" 5)"; }
monitor() { echo "$(field "$1" 9) $(field "$1" 10) $(field "$1" 11) $(field "$1" 12)"; }
# inside WINDOW: "yes" when the window lies whole in its monitor's work area.
inside() {
  awk -v w="$1" '$1 == w { print ($2 >= $14 && $3 >= $15 && $4 <= $16 && $5 <= $17) ? "yes" : "no" }' <<<"$info"
}
wait_for() {  # wait_for WINDOW: until the probe shows it
  for _ in $(seq 60); do
    info=$(place)
    [ -n "$(field "$1" 2)" ] && [ "$(field "$1" 2)" != "none" ] && return 0
    sleep 0.5
  done
  return 1
}
readers() {  # readers of this prefix only: other runs may have their own
  local n=0 p
  for p in $(pgrep -x 'orvane.exe'); do
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && n=$((n + 1))
  done
  echo "$n"
}
# start ROW: the reader with the settings preset; false when no window came.
start() {
  wine "$exe" >/dev/null 2>&1 &
  reader=$!
  if ! wait_for main; then
    echo "FAIL $1: no reader window"; failures=$((failures + 1)); kill "$reader" 2>/dev/null; wait "$reader"
    return 1
  fi
}
# find_all: the results window (the stored string is a single alef).
find_all() {
  wine "$probe" command 118 >/dev/null 2>&1
  wait_for results || echo "FAIL no results window"
  sleep 1
  info=$(place)
}
stop() {
  wine "$probe" close >/dev/null 2>&1
  for _ in $(seq 40); do [ "$(readers)" == "0" ] && break; sleep 0.25; done
  [ "$(readers)" == "0" ] || kill "$reader" 2>/dev/null
  wait "$reader" 2>/dev/null
  wineserver -w >/dev/null 2>&1
}
preset() {  # preset LEFT TOP WIDTH HEIGHT SHOW: the main window's place
  wine reg delete 'HKCU\Software\Quillary' /f >/dev/null 2>&1
  add FontName REG_SZ "DejaVu Sans"
  add FontSize REG_DWORD 12
  add SearchString REG_BINARY 6100
  add Left REG_DWORD "$1"
  add Top REG_DWORD "$2"
  add Width REG_DWORD "$3"
  add Height REG_DWORD "$4"
  add showCmd REG_DWORD "$5"
}

info=$(wine "$probe" place 2>/dev/null | tr -d '\r')
second="1024 0 2304 1024"

# Stored normal on the second monitor: there again, at its size; the results
# window, with no place of its own, opens on that monitor; the place stored
# at exit is the one it came with.
preset 1200 100 700 500 1
if start "normal on the second monitor"; then
  check "monitors Wine sees" "2" "$(awk '$1 == "monitors" {print $2}' <<<"$info")"
  check "normal: the window's rectangle" "1200 100 1900 600" "$(rect main)"
  check "normal: its monitor" "$second" "$(monitor main)"
  find_all
  check "results: on the reader's monitor" "$second" "$(monitor results)"
  check "results: whole in its work area" "yes" "$(inside results)"
  stop
  check "normal: stored again as it came" "1200 100 700 500 1" \
    "$(reg_value Left) $(reg_value Top) $(reg_value Width) $(reg_value Height) $(reg_value showCmd)"
fi

# Stored maximised on the second monitor: maximised there, and restoring it
# later gives the stored rectangle, which is stored again at exit.
preset 1300 200 600 400 3
if start "maximised on the second monitor"; then
  check "maximised: maximised" "1" "$(field main 7)"
  check "maximised: its monitor" "$second" "$(monitor main)"
  stop
  check "maximised: stored again as it came" "600 400 3" "$(reg_value Width) $(reg_value Height) $(reg_value showCmd)"
fi

# Stored on a monitor that is gone (right of the second): whole on the
# nearest one that is there, at its size. The results window's place lies
# on another monitor that is gone (left of the primary, which is nearest to
# it): it comes onto the reader's monitor instead.
preset 3000 100 800 600 1
add ResultsLeft REG_DWORD 4294965296  # -2000
add ResultsTop REG_DWORD 100
add ResultsWidth REG_DWORD 500
add ResultsHeight REG_DWORD 300
if start "on a monitor that is gone"; then
  check "gone: on the nearest monitor" "$second" "$(monitor main)"
  check "gone: whole in its work area" "yes" "$(inside main)"
  check "gone: its size" "800 600" "$(($(field main 4) - $(field main 2))) $(($(field main 5) - $(field main 3)))"
  find_all
  check "gone: results on the reader's monitor" "$second" "$(monitor results)"
  check "gone: results whole in its work area" "yes" "$(inside results)"
  check "gone: results' size" "500 300" \
    "$(($(field results 4) - $(field results 2))) $(($(field results 5) - $(field results 3)))"
  stop
fi

[ "$failures" -eq 0 ] && echo "two monitors: all passed"
[ "$failures" -eq 0 ]
