#!/usr/bin/env bash
# corpus-choice.sh MODE CHOICE_FILE [DIR]: the corpus the build embeds.
#   set FILE DIR   `make ... CORPUS=DIR`: remembers DIR in FILE (an empty DIR
#                  forgets it: the generated corpus)
#   keep FILE      any other build: uses what FILE remembers, if anything
#   test FILE      `make test`: says that the tests leave the choice alone
# Says in one line which corpus the build uses (nothing for the generated one
# when nothing was ever chosen). A folder that is not there stops the build,
# with its path, and changes nothing.
set -u
mode=$1
file=$2
remembered=
[ -f "$file" ] && remembered=$(cat "$file")
again='make build CORPUS= goes back to the generated corpus'
case $mode in
  set)
    dir=${3:-}
    if [ -z "$dir" ]; then
      rm -f "$file"
      if [ -n "$remembered" ]; then
        echo "Corpus: the generated one (the texts in $remembered are no longer used)"
      else
        echo "Corpus: the generated one"
      fi
    elif [ ! -d "$dir" ]; then
      echo "Corpus: $dir is not a folder; nothing was built or changed" >&2
      exit 1
    else
      mkdir -p "$(dirname "$file")" && printf '%s\n' "$dir" >"$file" || exit 1
      echo "Corpus: the texts in $dir, remembered for later builds, run, dist, install, export and bench ($again)"
    fi ;;
  keep)
    [ -z "$remembered" ] && exit 0
    if [ ! -d "$remembered" ]; then
      echo "Corpus: the folder of texts the build remembers, $remembered, is gone; bring it back," \
        "or choose with make build CORPUS=DIR (empty: the generated corpus)" >&2
      exit 1
    fi
    echo "Corpus: the texts in $remembered, as remembered ($again)" ;;
  test)
    [ -n "$remembered" ] &&
      echo "Corpus: the tests use the generated one in their own build tree; the texts in $remembered and the program built from them are left alone"
    exit 0 ;;
  *)
    echo "usage: corpus-choice.sh set|keep|test CHOICE_FILE [DIR]" >&2
    exit 2 ;;
esac
