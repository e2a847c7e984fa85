#!/usr/bin/env bash
# run-tests.sh [TREE [FUZZ_TREE]]: runs every test of a build tree (default
# build/test, the one `make test` makes): the native tests, the Windows tests
# and system tests under Wine (one private prefix and virtual display for the
# whole run), and a short fuzzing run. Ends with a line "N passed, N failed"
# over the three groups.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
tree=${1:-$root/build/test}
fuzz=${2:-$root/build/fuzz}
passed=0
failed=0
group() {
  local name=$1; shift
  echo "== $name"
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "!! $name failed"; fi
}
group "native tests" bash -c "cd '$tree/host' && ctest --output-on-failure -j 2"
group "Windows and system tests under Wine" \
  "$root/tools/with-display.sh" bash -c "cd '$tree/win' && ctest --output-on-failure"
group "fuzzing (${FUZZ_SMOKE_SECONDS:-10}s per target)" \
  "$root/tools/run-fuzzers.sh" "$fuzz" "${FUZZ_SMOKE_SECONDS:-10}" "$tree/host/corpus"
echo "test groups: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
