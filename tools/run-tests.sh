#!/usr/bin/env bash
# Runs every test: the native tests, the Windows tests and system tests under
# Wine (one private prefix and virtual display for the whole run), and a short
# fuzzing run. Ends with a line "N passed, N failed" over the three groups.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
passed=0
failed=0
group() {
  local name=$1; shift
  echo "== $name"
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "!! $name failed"; fi
}
group "native tests" bash -c "cd '$root/build/host' && ctest --output-on-failure -j 2"
group "Windows and system tests under Wine" \
  "$root/tools/with-display.sh" bash -c "cd '$root/build/win' && ctest --output-on-failure"
group "fuzzing (${FUZZ_SMOKE_SECONDS:-10}s per target)" \
  "$root/tools/run-fuzzers.sh" "$root/build/fuzz" "${FUZZ_SMOKE_SECONDS:-10}"
echo "test groups: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
