#!/bin/sh
# orvane: starts the Orvane reader under Wine, in the user's Wine prefix.
here=$(dirname "$(readlink -f "$0")")
exe=$here/../lib/orvane/orvane.exe
if ! command -v wine >/dev/null 2>&1; then
  echo "orvane: Wine is needed to run the reader (Debian: apt-get install wine wine32:i386)" >&2
  exit 127
fi
# No offer to install Mono or Gecko when Wine makes a new prefix: the reader
# needs neither.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEDEBUG="${WINEDEBUG:--all}"
exec wine "$exe" "$@"
