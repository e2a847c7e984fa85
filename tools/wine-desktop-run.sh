#!/usr/bin/env bash
# wine-desktop-run.sh TEST.exe ARGS...: runs a GoogleTest program under Wine
# inside Wine's own virtual desktop, where showing and destroying top-level
# windows does not wait on a window manager that is not there. The desktop
# does not hand back the program's exit code, so the result is read from the
# program's XML report. The desktop outlives the program for a while, so it
# gets a prefix and display of its own (tools/with-display.sh), apart from
# the ones the other tests share.
set -u
if [ -z "${ORVANE_DESKTOP_OWN:-}" ]; then
  ORVANE_DESKTOP_OWN=1 exec env -u ORVANE_WINE_READY "$(dirname "$0")/with-display.sh" "$0" "$@"
fi
report=$(mktemp -u "${TMPDIR:-/tmp}/orvane-report.XXXXXX").xml
wine explorer /desktop=orvane-tests,1024x768 "$@" "--gtest_output=xml:Z:${report//\//\\}"
if [ ! -s "$report" ]; then
  echo "wine-desktop-run: the test program left no report" >&2
  exit 1
fi
head -3 "$report" | grep -q 'failures="0" disabled="[0-9]*" errors="0"'
status=$?
rm -f "$report"
exit $status
