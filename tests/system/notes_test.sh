#!/usr/bin/env bash
# System test of notes: a note added to a selection is in the notes file,
# drawn as a mark beside its passage after a restart and listed in All
# Notes; the export writes it.
# Runs inside tools/with-display.sh (private WINEPREFIX and display).
set -u
exe=$1
probe=$2
key='HKCU\Software\Quillary\Orvane'
work=$(mktemp -d)
failures=0
check() {  # check WHAT EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then echo "ok   $1"; else echo "FAIL $1: expected '$2', got '$3'"; failures=$((failures + 1)); fi
}
wait_for() {  # wait_for PATTERN [ARGS...]: until the probe's answer matches
  local pattern=$1
  shift
  for _ in $(seq 60); do
    case "$(wine "$probe" "$@" 2>/dev/null | tr -d '\r')" in $pattern) return 0 ;; esac
    sleep 0.5
  done
  return 1
}
readers() {  # readers of this run's Wine prefix only
  local n=0 p
  for p in $(pgrep -x 'orvane.exe'); do
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && n=$((n + 1))
  done
  echo "$n"
}
start_reader() {
  wine "$exe" &
  reader=$!
  wait_for "client*" || { echo "FAIL the reader's window did not appear"; exit 1; }
  sleep 1
}
close_reader() {
  wine "$probe" close >/dev/null 2>&1
  for _ in $(seq 40); do [ "$(readers)" == "0" ] && break; sleep 0.25; done
  [ "$(readers)" == "0" ] || kill "$reader" 2>/dev/null
  wait "$reader" 2>/dev/null
  wineserver -w
}

wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
wine reg delete 'HKCU\Software\Quillary' /f >/dev/null 2>&1
add() { wine reg add "$key" /v "$1" /t "$2" /d "$3" /f >/dev/null 2>&1; }
add FontName REG_SZ "DejaVu Sans"
add FontSize REG_DWORD 12
add Lesson REG_DWORD 3
add Top REG_DWORD 40
add Left REG_DWORD 60
add Width REG_DWORD 700
add Height REG_DWORD 520
add showCmd REG_DWORD 1
appdata=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Roaming 2>/dev/null | head -1)
[ -n "$appdata" ] || appdata=$(ls -d "$WINEPREFIX"/drive_c/users/*/"Application Data" | head -1)
notes="$appdata/Quillary/Orvane/Notes.txt"
rm -rf "$appdata/Quillary" "$WINEPREFIX/drive_c/exported.txt"  # what other tests of this prefix left

start_reader
# Select All, then Add Note: the dialog, typed into from a Latin keyboard.
wine "$probe" command 40012 >/dev/null 2>&1
wine "$probe" command 2161 >/dev/null 2>&1
wait_for "title Note" title || echo "FAIL the note dialog did not open"
xdotool type --delay 50 hello
xdotool key --clearmodifiers Return
xdotool type --delay 50 hello
xdotool key --clearmodifiers ctrl+Return
wait_for "title Orvane" title || echo "FAIL Ctrl+Enter did not close the dialog"
check "the notes file holds the note, typed as Hebrew letters, two lines" "2" \
  "$(grep -c '^text: יקךךם$' "$notes" 2>/dev/null)"
close_reader

start_reader
read -r _ ox oy wc hc _ t _ cx _ <<<"$(wine "$probe" | tr -d '\r')"
import -window root "$work/shot.png"
g=10
# The gutter right of the main pane, between it and its scroll bar.
marks=$(convert "$work/shot.png" -crop "${g}x200+$((ox + wc - cx - g))+$((oy + t))" txt:- | grep -ci '#D96C00')
check "a mark stands in the margin of the passage's first line" "1" "$([ "$marks" -gt 4 ] && echo 1)"
under=$(convert "$work/shot.png" -crop "$((wc - cx - 2 * g))x60+$((ox + g))+$((oy + t + g))" txt:- | grep -ci '#D96C00')
check "the passage is underlined" "1" "$([ "$under" -gt 40 ] && echo 1)"
wine "$probe" command 2165 >/dev/null 2>&1
wait_for "title All Notes (1)" title || echo "FAIL All Notes does not list the note"
check "All Notes lists it" "title All Notes (1)" "$(wine "$probe" title 2>/dev/null | tr -d '\r')"
# Export: all notes, as a notes file, to C:\exported.txt.
xdotool key --clearmodifiers alt+e
sleep 1
xdotool key a
wait_for "title Save As" title || echo "FAIL the save dialog did not open"
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 30 'C:\exported.txt'
xdotool key Return
for _ in $(seq 20); do [ -f "$WINEPREFIX/drive_c/exported.txt" ] && break; sleep 0.25; done
check "the export writes the note" "2" "$(grep -c '^text: יקךךם$' "$WINEPREFIX/drive_c/exported.txt" 2>/dev/null)"
close_reader

rm -rf "$work"
echo "$failures failed"
[ "$failures" -eq 0 ]
