#!/usr/bin/env bash
# run-fuzzers.sh BUILD_DIR SECONDS [RECORDS]: runs every fuzz_* program for
# SECONDS each, seeded with its committed seeds (tests/fuzz/seeds/NAME) and,
# for the record parser, a few records from the corpus folder RECORDS when a
# host build has made it. Prints each target's executions per second.
set -u
dir=$1
seconds=${2:-10}
records=${3:-}
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
for f in "$dir"/tests/fuzz/fuzz_*; do
  [ -x "$f" ] || continue
  name=$(basename "$f")
  corpus="$dir/corpus-$name"
  mkdir -p "$corpus"
  if [ "$name" = fuzz_records ] && [ -n "$records" ] && [ -d "$records" ] && [ -z "$(ls -A "$corpus")" ]; then
    find "$records" -name 'r10[0-2]?.bin' -exec cp {} "$corpus/" \;
  fi
  seeds=()
  [ -d "$root/tests/fuzz/seeds/$name" ] && seeds=("$root/tests/fuzz/seeds/$name")
  echo "== $name for ${seconds}s"
  if ! ASAN_OPTIONS=detect_leaks=1 "$f" -max_total_time="$seconds" -max_len=16384 -print_final_stats=0 -artifact_prefix="$dir/" \
        "$corpus" "${seeds[@]}" >"$dir/$name.log" 2>&1; then
    tail -40 "$dir/$name.log"
    status=1
  else
    grep -E '^(Done|#[0-9]+ *DONE)' "$dir/$name.log" | tail -1 |
      awk '/^Done/ { printf "%s (%d executions a second)\n", $0, $2 / ($5 ? $5 : 1); next } { print }'
  fi
done
exit $status
