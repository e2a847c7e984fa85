#!/usr/bin/env bash
# linux-install.sh install PREFIX EXE ICON | uninstall PREFIX
#
# Puts the reader where a Linux desktop finds it:
#   PREFIX/lib/orvane/orvane.exe                      the program
#   PREFIX/bin/orvane                                 launcher: runs it under Wine
#   PREFIX/share/applications/orvane.desktop          menu entry
#   PREFIX/share/icons/hicolor/NxN/apps/orvane.png    the icon, each size it has
# Every file written and every folder made is listed in
# PREFIX/lib/orvane/installed, and uninstall removes exactly those (folders only
# when nothing else is left in them), so folders that were there before stay.
set -euo pipefail

usage() { echo "usage: $0 install PREFIX EXE ICON | uninstall PREFIX" >&2; exit 2; }
[ $# -ge 2 ] || usage
action=$1
prefix=${2%/}
[ -n "$prefix" ] || { echo "linux-install: empty PREFIX" >&2; exit 2; }
libdir=$prefix/lib/orvane
list=$libdir/installed
here=$(cd "$(dirname "$0")" && pwd)

# mkdirs DIR: makes DIR and its missing parents, listing each one it made.
mkdirs() {
  local missing=() d=$1
  while [ ! -d "$d" ]; do missing=("$d" "${missing[@]}"); d=$(dirname "$d"); done
  for d in "${missing[@]}"; do mkdir "$d" && echo "D $d" >>"$record"; done
}
# put SOURCE TARGET MODE: copies a file in place and lists it.
put() {
  mkdirs "$(dirname "$2")"
  install -m "$3" "$1" "$2"
  echo "F $2" >>"$record"
}
# An argument of a desktop entry's Exec key: in double quotes, where \ " ` $
# take a backslash after the string escapes (so a backslash becomes four), and
# % is doubled.
desktop_quote() {
  printf '"%s"' "$(printf '%s' "$1" | sed -e 's/\\/\\\\\\\\/g' -e 's/["`$]/\\\\&/g' -e 's/%/%%/g')"
}

do_install() {
  local exe=$1 icon=$2 png size
  [ -f "$exe" ] || { echo "linux-install: no program at $exe" >&2; exit 1; }
  command -v icotool >/dev/null || { echo "linux-install: icotool (Debian: icoutils) is needed" >&2; exit 1; }
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  record=$work/record
  : >"$record"
  # Folders made by an earlier install stay listed, so that uninstall still
  # removes them.
  if [ -f "$list" ]; then grep '^D ' "$list" >>"$record" || true; fi

  put "$exe" "$libdir/orvane.exe" 0644
  put "$here/orvane-launcher.sh" "$prefix/bin/orvane" 0755

  sed -e "s|@EXEC@|$(desktop_quote "$prefix/bin/orvane" | sed 's/[|&\\]/\\&/g')|" \
    "$here/orvane.desktop.in" >"$work/orvane.desktop"
  put "$work/orvane.desktop" "$prefix/share/applications/orvane.desktop" 0644

  mkdir "$work/icons"
  icotool -x -o "$work/icons" "$icon" 2>/dev/null
  for png in "$work/icons"/*.png; do
    size=$(basename "$png" .png | sed -n 's/.*_\([0-9]*x[0-9]*\)x[0-9]*$/\1/p')
    [ -n "$size" ] && put "$png" "$prefix/share/icons/hicolor/$size/apps/orvane.png" 0644
  done

  awk '!seen[$0]++' "$record" >"$list"
  echo "installed Orvane in $prefix (launcher: $prefix/bin/orvane)"
}

do_uninstall() {
  local line path
  if [ ! -f "$list" ]; then
    echo "linux-install: nothing installed in $prefix (no $list)" >&2
    exit 0
  fi
  dirs=$(mktemp)
  trap 'rm -f "$dirs"' EXIT
  # Files first, then folders deepest first; nothing outside PREFIX is touched.
  while IFS= read -r line; do
    path=${line#? }
    case "$path" in "$prefix"/*) ;; *) continue ;; esac
    case "$line" in F*) rm -f -- "$path" ;; D*) echo "$path" >>"$dirs" ;; esac
  done <"$list"
  rm -f -- "$list"
  sort -r "$dirs" | while IFS= read -r path; do rmdir -- "$path" 2>/dev/null || true; done
  echo "removed Orvane from $prefix"
}

case "$action" in
  install) [ $# -eq 4 ] || usage; do_install "$3" "$4" ;;
  uninstall) do_uninstall ;;
  *) usage ;;
esac
