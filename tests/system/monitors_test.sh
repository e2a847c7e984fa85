#!/usr/bin/env bash
# monitors_test.sh ORVANE_EXE WINDOW_PROBE_EXE: the reader on two monitors side
# by side (1024x768 at 0,0, the primary, and 1280x1024 at 1024,0) of an X
# server of its own (Xorg's dummy driver), in a prefix booted on it, with no
# virtual desktop; places are read from inside with the probe. Xorg needs
# root or sudo: without either the test is skipped (exit code 77).
set -u
exe=$1 probe=$2
key='HKCU\Software\Quillary\Orvane'
work=$(mktemp -d)
failures=0
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  sudo -n true 2>/dev/null || { echo "SKIP: Xorg with the dummy driver needs root or sudo"; exit 77; }
  as_root=(sudo -n)
fi
command -v Xorg xrandr >/dev/null || { echo "FAIL: Xorg or xrandr is missing (run tools/install-deps.sh)"; exit 1; }

xorg_pid=
cleanup() {
  [ -d "${WINEPREFIX:-/nonexistent}" ] && { wineserver -k; wineserver -w; } >/dev/null 2>&1
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
Section "Screen"
  Identifier "screen"
  Device "dummy"
  DefaultDepth 24
  SubSection "Display"
    Virtual 4096 2048
  EndSubSection
EndSection
EOF
mkdir -p "$work/none"
mkfifo "$work/displayfd"  # the server picks a free display number
"${as_root[@]}" Xorg -displayfd 9 -config "$work/dummy.conf" -configdir "$work/none" -logfile "$work/xorg.log" \
  -noreset -nolisten tcp -novtswitch -sharevts -ac 9>"$work/displayfd" >/dev/null 2>&1 &
xorg_pid=$!
read -r -t 30 n <"$work/displayfd" || { echo "FAIL: Xorg did not start"; tail -20 "$work/xorg.log"; exit 1; }
export DISPLAY=":$n"
xrandr --newmode 1280x1024_60 108.88 1280 1360 1496 1712 1024 1025 1028 1060 -hsync +vsync >/dev/null 2>&1
xrandr --addmode DUMMY1 1280x1024_60
xrandr --output DUMMY0 --mode 1024x768 --primary --output DUMMY1 --mode 1280x1024_60 --right-of DUMMY0
# A prefix booted before the server shows both outputs keeps one monitor.
for _ in $(seq 50); do xrandr --listmonitors | grep -q '^Monitors: 2' && break; sleep 0.1; done
xrandr --listmonitors | grep -q '^Monitors: 2' || { echo "FAIL: the X server has no second output"; exit 1; }
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win32
wineboot -i >/dev/null 2>&1
wineserver -w >/dev/null 2>&1

check() {  # check WHAT EXPECTED-PATTERN ACTUAL
  # shellcheck disable=SC2053
  if [[ "$3" == $2 ]]; then echo "ok   $1"; else echo "FAIL $1: expected '$2', got '$3'"; failures=$((failures + 1)); fi
}
add() { wine reg add "$key" /v "$1" /t "$2" /d "$3" /f >/dev/null 2>&1; }
stored() {  # stored NAME...: the stored numbers, in decimal
  local out=() n
  for n; do out+=("$(($(wine reg query "$key" /v "$n" 2>/dev/null | tr -d '\r' | awk -v n="$n" '$1 == n {print $3}')))"); done
  echo "${out[*]}"
}
# seen WINDOW: rectangle, size, maximised, monitor, whole in its work area.
seen() {
  awk -v w="$1" '$1 == w { print $2, $3, $4, $5, ($4 - $2) "x" ($5 - $3), "max=" $7, "on", $9, $10, $11, $12,
    ($2 >= $14 && $3 >= $15 && $4 <= $16 && $5 <= $17) ? "inside" : "outside" }' <<<"$info"
}
wait_for() {  # wait_for WINDOW: until the probe shows it
  for _ in $(seq 60); do
    info=$(wine "$probe" place 2>/dev/null | tr -d '\r')
    awk -v w="$1" '$1 == w && $2 != "none" { f = 1 } END { exit !f }' <<<"$info" && return 0
    sleep 0.5
  done
  return 1
}
start() {  # start ROW: the reader with the settings preset; false when no window came
  wine "$exe" >/dev/null 2>&1 &
  reader=$!
  wait_for main && return 0
  check "$1: a reader window" yes no
  kill "$reader" 2>/dev/null; wait "$reader"; return 1
}
find_all() { wine "$probe" command 118 >/dev/null 2>&1; wait_for results && sleep 1 && wait_for results; }
stop() {
  wine "$probe" close >/dev/null 2>&1
  for _ in $(seq 40); do kill -0 "$reader" 2>/dev/null || break; sleep 0.25; done
  kill "$reader" 2>/dev/null; wait "$reader" 2>/dev/null; wineserver -w >/dev/null 2>&1
}
preset() {  # preset LEFT TOP WIDTH HEIGHT SHOW [RESULTS' LEFT TOP WIDTH HEIGHT]; Find All finds one alef
  wine reg delete 'HKCU\Software\Quillary' /f >/dev/null 2>&1
  add FontName REG_SZ "DejaVu Sans"; add FontSize REG_DWORD 12; add SearchString REG_BINARY 6100
  local names=(Left Top Width Height showCmd ResultsLeft ResultsTop ResultsWidth ResultsHeight) i=0 v
  for v; do add "${names[i++]}" REG_DWORD $((v & 0xFFFFFFFF)); done
}
on2="on 1024 0 2304 1024 inside"

# Rows: the stored places; what the probe sees of the main window and of the
# results (- for no Find All); the values stored at exit and what they hold.
# Normal or maximised on the second monitor, they come back there; the
# results, with no place of their own, open on the reader's monitor. On a
# monitor that is gone (right of the second; the results left of the
# primary), they come whole onto the nearest one, at their size.
while IFS='|' read -r -u 3 what place main results names kept; do
  preset $place
  start "$what" || continue
  check "$what: the window" "$main" "$(seen main)"
  if [ "$results" != - ]; then find_all; check "$what: the results" "$results" "$(seen results)"; fi
  stop
  [ "$names" == - ] || check "$what: stored again" "$kept" "$(stored $names)"
done 3<<EOF
normal|1200 100 700 500 1|1200 100 1900 600 700x500 max=0 $on2|* $on2|Left Top Width Height showCmd|1200 100 700 500 1
maximised|1300 200 600 400 3|* max=1 on 1024 0 2304 1024 *|-|Width Height showCmd|600 400 3
gone|3000 100 800 600 1 -2000 100 500 300|* 800x600 max=0 $on2|* 500x300 max=* $on2|-|-
EOF

[ "$failures" -eq 0 ] && echo "two monitors: all passed"
[ "$failures" -eq 0 ]
