#!/usr/bin/env bash
# make-dist.sh EXE OUTDIR: the Windows installer and the portable archive of
# the program EXE, named after the version in resources/version.h:
#   OUTDIR/orvane-VERSION-setup.exe    (NSIS, per user)
#   OUTDIR/orvane-VERSION-windows.zip  (orvane.exe and README.txt)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
exe=$(realpath "$1")
mkdir -p "$2"
out=$(realpath "$2")

version_h=$root/resources/version.h
field() { sed -n "s/^#define ORVANE_VERSION_$1 \"\{0,1\}\([^\"]*\)\"\{0,1\}\$/\1/p" "$version_h"; }
version=$(field TEXT)
numbers="$(field MAJOR).$(field MINOR).$(field PATCH).$(field BUILD)"
[ -n "$version" ] || { echo "make-dist: no version in $version_h" >&2; exit 1; }

setup=$out/orvane-$version-setup.exe
makensis -V2 -NOCD -DVERSION="$version" -DVERSION_NUMBERS="$numbers" -DEXE="$exe" \
  -DICON="$root/resources/orvane.ico" -DOUTFILE="$setup" "$here/orvane.nsi"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$exe" "$stage/orvane.exe"
sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$here/README.txt" >"$stage/README.txt"
archive=$out/orvane-$version-windows.zip
rm -f "$archive"
(cd "$stage" && zip -q -X -9 "$archive" orvane.exe README.txt)
echo "$setup"
echo "$archive"
