#!/usr/bin/env bash
# wine-desktop-run.sh TEST.exe ARGS...: runs a GoogleTest program under Wine
# inside Wine's own virtual desktop, where showing and destroying top-level
# windows does not wait on a window manager that is not there. The desktop
# does not hand back the program's exit code, so the result is read from the
# program's XML report. Uses the prefix and display of tools/with-display.sh
# (or makes its own, as tools/wine-run.sh does).
set -u
if [ -z "${ORVANE_WINE_READY:-}" ]; then
  exec "$(dirname "$0")/with-display.sh" "$0" "$@"
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
