#!/usr/bin/env bash
# run-bench.sh [BUILD]: runs every benchmark of a build (default build/):
# native bench_* programs, then bench_*.exe under Wine.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
status=0
while IFS= read -r b; do
  echo "== $(basename "$b")"
  "$b" || status=1
done < <(find "$build/host/tests/bench" -type f -name 'bench_*' -perm -u+x 2>/dev/null | sort)
mapfile -t wins < <(find "$build/win/tests/bench" -type f -name 'bench_*.exe' 2>/dev/null | sort)
if [ ${#wins[@]} -gt 0 ]; then
  "$root/tools/with-display.sh" bash -c '
    for b in "$@"; do echo "== $(basename "$b")"; wine "$b" || exit 1; done' _ "${wins[@]}" || status=1
fi
exit $status
