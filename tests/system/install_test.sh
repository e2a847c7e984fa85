#!/usr/bin/env bash
# System test of the distribution: builds the installer and the portable
# archive from the program; installs silently, starts the installed reader,
# uninstalls silently; then the Linux install into a temporary PREFIX and its
# uninstall. Runs inside tools/with-display.sh (private WINEPREFIX and display).
set -u
exe=$1
probe=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # check WHAT EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then echo "ok   $1"; else echo "FAIL $1: expected '$2', got '$3'"; failures=$((failures + 1)); fi
}
reg_value() {  # reg_value KEY NAME: the data of one value, as wine reg prints it
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
unix_folder() { winepath -u "$(wine cmd /c echo "%$1%" | tr -d '\r')" 2>/dev/null; }
# Processes of this Wine prefix with the given name (other runs on the machine
# have other prefixes).
count() {
  local n=0 pid
  for pid in $(pgrep -x "$1"); do
    tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" && n=$((n + 1))
  done
  echo "$n"
}
until_true() {  # until_true SECONDS COMMAND...: polls twice a second
  for _ in $(seq $(($1 * 2))); do "${@:2}" && return 0; sleep 0.5; done
  return 1
}
window_up() { wine "$probe" 2>/dev/null | grep -q '^client'; }
no_reader() { [ "$(count orvane.exe)" == 0 ]; }
close_reader() {
  wine taskkill /im orvane.exe >/dev/null 2>&1
  until_true 20 no_reader
}

settings='HKCU\Software\Quillary\Orvane'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvane'
scheme='HKCU\Software\Classes\orvane'
wine reg delete 'HKCU\Software\Quillary' /f >/dev/null 2>&1
wine reg add "$settings" /v FontName /d "DejaVu Sans" /f >/dev/null 2>&1

# The installer and the archive, named after the version.
"$root/tools/dist/make-dist.sh" "$exe" "$work/dist" >/dev/null || { echo "FAIL make-dist"; exit 1; }
setup=$work/dist/orvane-1.84a-setup.exe
archive=$work/dist/orvane-1.84a-windows.zip
check "archive holds the program and a read-me" "README.txt orvane.exe" "$(unzip -Z1 "$archive" | sort | xargs)"
check "archived program is the built one" "" "$(unzip -p "$archive" orvane.exe | cmp - "$exe" 2>&1)"
check "read-me has Windows line ends" "1" "$(unzip -p "$archive" README.txt | head -1 | grep -c $'\r$')"

# Silent install, per user.
wine "$setup" /S
check "silent install ends with code 0" "0" "$?"
programs=$(unix_folder LOCALAPPDATA)/Programs/Orvane
shortcut="$(unix_folder APPDATA)/Microsoft/Windows/Start Menu/Programs/Orvane.lnk"
check "program installed" "" "$(cmp "$programs/orvane.exe" "$exe" 2>&1)"
check "Start-menu shortcut" "1" "$([ -f "$shortcut" ] && echo 1)"
check "uninstaller" "1" "$([ -f "$programs/uninstall.exe" ] && echo 1)"
check "Uninstall entry: name" "Orvane" "$(reg_value "$uninstall_key" DisplayName)"
check "Uninstall entry: version" "1.84a" "$(reg_value "$uninstall_key" DisplayVersion)"
check "Uninstall entry: publisher" "Quillary" "$(reg_value "$uninstall_key" Publisher)"
icon=$(reg_value "$uninstall_key" DisplayIcon)
check "Uninstall entry: icon is the installed program" "1" \
  "$([ "$(winepath -u "${icon%,0}" 2>/dev/null)" -ef "$programs/orvane.exe" ] && echo 1)"
size_kb=$(($(reg_value "$uninstall_key" EstimatedSize)))
check "Uninstall entry: size covers the program" "1" "$([ "$size_kb" -ge "$(($(stat -c %s "$exe") / 1024))" ] && echo 1)"
check "Uninstall entry: uninstall command" "1" "$(reg_value "$uninstall_key" UninstallString | grep -c 'uninstall.exe"$')"
# The link scheme, for this user.
default_value() { wine reg query "$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/^ *([^)]*) *REG_SZ *//p'; }
check "scheme: its name" "URL:Orvane reference" "$(default_value "$scheme")"
check "scheme: an empty URL Protocol" "1" "$(wine reg query "$scheme" /v 'URL Protocol' 2>/dev/null | grep -c 'URL Protocol')"
command=$(default_value "$scheme\shell\open\command")
check "scheme: opens the installed program with the link" '"%1"' "${command##* }"

# The installed reader starts; an installer run meanwhile refuses to replace it.
wine "$programs/orvane.exe" &
until_true 30 window_up
check "installed reader shows its window" "0" "$?"
check "one reader runs" "1" "$(count orvane.exe)"
wine "$setup" /S
check "install while the reader runs is refused" "2" "$?"
close_reader
check "installed reader closes" "0" "$?"
wait
check "reader wrote its settings" "1" "$([ -n "$(reg_value "$settings" Lesson)" ] && echo 1)"

# The registered command, run with a link as Windows runs it (Wine's shell
# does not read the user's classes): "כ:" is 20b of the first tractate, record 75.
wine reg add "$settings" /v Lesson /t REG_DWORD /d 1 /f >/dev/null 2>&1
wine "$(echo "$command" | cut -d'"' -f2)" 'orvane:%D7%9B%3A' &
until_true 30 window_up
check "a link starts the installed reader" "0" "$?"
close_reader
wait
check "the link's page is the one shown" "0x4b" "$(reg_value "$settings" Lesson)"
# The reader's notes, which no uninstall removes unless asked.
notes="$(unix_folder APPDATA)/Quillary/Orvane/Notes.txt"
mkdir -p "$(dirname "$notes")"
printf 'Orvane notes 1\n' >"$notes"

# Silent uninstall: the uninstaller copies itself to a temporary folder, starts
# the copy (Un.exe) and ends; wait for the copy.
wine "$programs/uninstall.exe" /S
uninstalled() { [ ! -e "$programs/uninstall.exe" ] && [ "$(count Un.exe)" == 0 ]; }
until_true 60 uninstalled
check "silent uninstall finishes" "0" "$?"
check "program folder removed" "" "$(ls -A "$(dirname "$programs")" 2>/dev/null | grep -x Orvane)"
check "shortcut removed" "" "$([ -e "$shortcut" ] && echo left)"
check "Uninstall entry removed" "1" "$(wine reg query "$uninstall_key" >/dev/null 2>&1 || echo 1)"
check "scheme removed" "1" "$(wine reg query "$scheme" >/dev/null 2>&1 || echo 1)"
check "settings kept" "DejaVu Sans" "$(reg_value "$settings" FontName)"
check "notes kept" "1" "$([ -f "$notes" ] && echo 1)"

# Linux: install into a PREFIX (with a space, and a bin/ that was there
# before), start the reader through the launcher, uninstall.
prefix="$work/pre fix"
mkdir -p "$prefix/bin"
echo tool >"$prefix/bin/other"
before=$(cd "$prefix" && find . | sort)
"$root/tools/dist/linux-install.sh" install "$prefix" "$exe" "$root/resources/orvane.ico" >/dev/null
check "Linux: program" "" "$(cmp "$prefix/lib/orvane/orvane.exe" "$exe" 2>&1)"
check "Linux: launcher is executable" "1" "$([ -x "$prefix/bin/orvane" ] && echo 1)"
check "Linux: menu entry runs the launcher, with a link" "Exec=\"$prefix/bin/orvane\" %u" \
  "$(grep '^Exec=' "$prefix/share/applications/orvane.desktop")"
check "Linux: icon as PNG" "PNG" "$(head -c 4 "$prefix/share/icons/hicolor/32x32/apps/orvane.png" | tail -c 3)"
"$prefix/bin/orvane" &
until_true 30 window_up
check "Linux: the launcher starts the reader" "0" "$?"
close_reader
wait
"$root/tools/dist/linux-install.sh" uninstall "$prefix" >/dev/null
check "Linux: uninstall leaves what was there before, and nothing else" "$before" "$(cd "$prefix" && find . | sort)"
check "Linux: notes kept" "1" "$([ -f "$notes" ] && echo 1)"

echo "install test: $failures failure(s)"
[ "$failures" -eq 0 ]
