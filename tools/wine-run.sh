#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest. Uses the WINEPREFIX and DISPLAY
# that tools/with-display.sh set up; started alone, it makes a private prefix
# and a virtual display of its own, so a user's own Wine prefix is never used.
set -u
if [ -z "${ORVANE_WINE_READY:-}" ]; then
  exec "$(dirname "$0")/with-display.sh" "$0" "$@"
fi
exec wine "$@"
