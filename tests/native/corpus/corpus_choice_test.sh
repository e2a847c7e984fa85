#!/usr/bin/env bash
# The corpus a build remembers: `make ... CORPUS=DIR` records DIR, and every
# later target that builds the program (and what `make dist` packs) uses it;
# `make test` builds its own tree from the generated corpus and leaves the
# choice alone; a folder that has gone stops the build with its path;
# CORPUS= goes back. Looks at what make would run (-n) and at the choice
# step itself; builds nothing.
set -u
root=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
b=$work/build
texts="$work/my texts"
mkdir -p "$texts"
failures=0
check() {  # check WHAT EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then echo "ok   $1"; else echo "FAIL $1: expected '$2', got '$3'"; failures=$((failures + 1)); fi
}
m() { env -u MAKEFLAGS -u MFLAGS -u MAKELEVEL -u CORPUS make -C "$root" --no-print-directory B="$b" "$@" 2>&1; }
configures() {  # configures TARGET: the tree and corpus folder of each cmake configure TARGET runs
  m -n "$1" | sed -n "s/^cmake -S \. -B \([^ ]*\) .*-DORVANE_TEXTS=\('[^']*'\).*/\1 \2/p" | sort -u
}

check "CORPUS=DIR is remembered" \
  "Corpus: the texts in $texts, remembered for later builds, run, dist, install, export and bench (make build CORPUS= goes back to the generated corpus)" \
  "$(m corpus-choice CORPUS="$texts")"
check "the choice file" "$texts" "$(cat "$b/corpus-texts")"
check "a later build says so" "Corpus: the texts in $texts, as remembered (make build CORPUS= goes back to the generated corpus)" \
  "$(m corpus-choice)"
for target in build run dist install export bench; do
  check "make $target builds from it" "$b/host '$texts'" "$(configures $target)"
done
check "make dist packs the program built from it" "./tools/dist/make-dist.sh $b/orvane.exe $b/dist" \
  "$(m -n dist | grep make-dist)"
check "make test builds its own tree from the generated corpus" "$b/test/host ''" "$(configures test)"
check "make test leaves the choice alone" "$texts" "$(cat "$b/corpus-texts")"

mv "$texts" "$work/moved"
out=$(m build)
check "a folder that has gone stops the build" "1 1 0" \
  "$(grep -c "$texts, is gone" <<<"$out") $(grep -c 'Error 1' <<<"$out") $(ls "$b" | grep -c host)"
check "an unknown folder is not remembered" "1 $texts" \
  "$(m corpus-choice CORPUS="$work/nowhere" | grep -c "$work/nowhere is not a folder") $(cat "$b/corpus-texts")"
check "CORPUS= goes back and says so" "Corpus: the generated one (the texts in $texts are no longer used)" \
  "$(m corpus-choice CORPUS=)"
check "the generated corpus again" "$b/host ''" "$(configures dist)"
check "nothing more is said" "" "$(m corpus-choice)"

echo "corpus choice test: $failures failure(s)"
[ "$failures" -eq 0 ]
