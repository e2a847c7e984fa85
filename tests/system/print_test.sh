#!/usr/bin/env bash
# Print system test: starts a private CUPS server (its own configuration,
# spool and socket under a temporary folder; nothing of the machine's own
# printing setup is used or changed) with the PDF printer's description,
# runs the printing tests under Wine against it, and checks what was
# printed: the number of pages the test expects for its text and the footer
# of the first page; then the first article of the corpus once per face of
# the table below, with its Hebrew letters, footer and face on page 1; and
# that the margins are measured from the paper's edges on a printer that
# cannot reach the outer quarter inch at the sides and half inch at the top
# and bottom (the printer's description says so). The
# PDF backend reads its settings only from /etc and writes into the user's
# home, so the queue prints to a file through CUPS's own file device and
# Ghostscript makes the PDF, as that backend does.
# Runs inside tools/with-display.sh (private WINEPREFIX and display), as root;
# arguments: the printing tests' program, the reader's program (its records).
set -u
tests=$1
program=${2:-}
work=$(mktemp -d)
chmod 755 "$work"
cupsd_pid=
failures=0
cleanup() {
  [ -n "$cupsd_pid" ] && kill "$cupsd_pid" 2>/dev/null && wait "$cupsd_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
check() {  # check WHAT EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then echo "ok   $1"; else echo "FAIL $1: expected '$2', got '$3'"; failures=$((failures + 1)); fi
}

for tool in cupsd lpadmin lpstat ps2pdf pdfinfo pdftotext; do
  command -v "$tool" >/dev/null || { echo "FAIL $tool is missing (tools/install-deps.sh installs it)"; exit 1; }
done
mkdir -p "$work"/{conf,spool,cache,state,tmp,log,pdf}
chmod 1777 "$work/tmp" "$work/pdf"
cat >"$work/conf/cups-files.conf" <<CONF
ServerRoot $work/conf
RequestRoot $work/spool
CacheDir $work/cache
StateDir $work/state
TempDir $work/tmp
ErrorLog $work/log/error_log
AccessLog $work/log/access_log
PageLog $work/log/page_log
SystemGroup root
FileDevice Yes
CONF
cat >"$work/conf/cupsd.conf" <<CONF
Listen $work/cups.sock
LogLevel ${ORVANE_CUPS_LOG:-warn}
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
    Allow all
  </Limit>
</Policy>
CONF
cupsd -f -c "$work/conf/cupsd.conf" -s "$work/conf/cups-files.conf" &
cupsd_pid=$!
export CUPS_SERVER="$work/cups.sock"
for _ in $(seq 50); do [ -S "$CUPS_SERVER" ] && break; sleep 0.1; done
sed -e 's|^\*ImageableArea A4/A4: .*|*ImageableArea A4/A4: "18 36 577 806"|' \
    -e 's|^\*ImageableArea Letter/US Letter: .*|*ImageableArea Letter/US Letter: "18 36 594 756"|' \
    /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd >"$work/printer.ppd"
if ! lpadmin -p Orvane-PDF-printer-with-a-long-queue-name -E -v "file://$work/pdf/job.ps" -P "$work/printer.ppd" ||
   ! lpadmin -d Orvane-PDF-printer-with-a-long-queue-name; then
  echo "FAIL the PDF printer could not be set up"; cat "$work/log/error_log" 2>/dev/null; exit 1
fi

export ORVANE_CUPS_PRINTER=1
ORVANE_PRINT_EXPECT=$(winepath -w "$work/expected-pages" 2>/dev/null | tr -d '\r')
export ORVANE_PRINT_EXPECT
pdf=$work/pdf/job.pdf
printed() {  # each job replaces the queue's file: waits for it and makes the PDF
  for _ in $(seq 120); do [ -s "$work/pdf/job.ps" ] && [ -z "$(lpstat -o 2>/dev/null)" ] && break; sleep 0.5; done
  [ -s "$work/pdf/job.ps" ] && ps2pdf "$work/pdf/job.ps" "$pdf" && return 0
  echo "FAIL nothing was printed $1"; lpstat -W all -o; grep '^E' "$work/log/error_log"; return 1
}
timeout 600 wine "$tests" --gtest_filter='Printer.*' || failures=$((failures + 1))
printed "" || exit 1
pages=$(tr -d '\r' <"$work/expected-pages" 2>/dev/null)
check "pages printed" "$pages" "$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')"
# The text of the first page without the direction marks the extraction adds
# around right-to-left runs (which also moves the closing parenthesis).
first=$(pdftotext -f 1 -l 1 -layout "$pdf" - | perl -CSD -pe 's/[\x{202A}-\x{202E}]//g' | tr -s ' ')
footer=$(grep 'www.quillary.example -- Vandrel Orvane (with Tesker' <<<"$first")
check "one footer on the first page" "1" "$(grep -c . <<<"$footer")"
check "the first footer's page label" "1" "$(grep -c ' Page 1$' <<<"$footer")"
last=$(pdftotext -f "$pages" -l "$pages" -layout "$pdf" - | perl -CSD -pe 's/[\x{202A}-\x{202E}]//g')
check "the last footer's page label" "1" "$(grep -c " Page $pages\$" <<<"$last")"
check "job name" "1" "$(grep -c 'Vandrel Orvane' <<<"$(pdfinfo "$pdf" | grep '^Title:')")"
# The test's margins are half an inch left and an inch right (36 and 72
# points from the paper's edges): the footer text starts at the one, the
# page label ends at the other (to within a glyph's side bearing).
paper=$(pdfinfo "$pdf" | awk '/^Page size:/ {print $3}')
footer_ends=$(pdftotext -f 1 -l 1 -bbox "$pdf" - | perl -ne '
  push @w, [$1, $2, $3] if /<word xMin="([\d.]+)" yMin="[\d.]+" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</;
  END { for $i (0 .. $#w) {
    $left = $w[$i][0] if $w[$i][2] eq "www.quillary.example";
    $right = $w[$i + 1][1] if $w[$i][2] eq "Page" && $i < $#w;
  } printf "%.0f %.0f\n", $left, $right }')
read -r footer_left footer_right <<<"$footer_ends"
near() { [ "$(( $1 - $2 ))" -ge -2 ] && [ "$(( $1 - $2 ))" -le 2 ] && echo yes || echo "at $1, not $2"; }
check "the footer starts at the left margin from the paper's edge" "yes" "$(near "$footer_left" 36)"
check "the page label ends at the right margin from the paper's edge" "yes" "$(near "$footer_right" "$(awk -v p="$paper" 'BEGIN { printf "%.0f", p - 72 }')")"

# face | the face printed | the box before printing (a face it cannot draw)
faces=${ORVANE_PRINT_FACES:-'DejaVu Sans|DejaVu Sans|
Frank Ruehl CLM|Frank Ruehl CLM|
David CLM|Frank Ruehl CLM|Print: The face "David CLM" cannot be printed on this printer'}
ORVANE_PROGRAM=$(winepath -w "$program" 2>/dev/null | tr -d '\r')
export ORVANE_PROGRAM
while IFS='|' read -r face used box; do
  rm -f "$work/pdf/job.ps" "$pdf"
  ORVANE_PRINT_FACE=$face ORVANE_PRINT_BOX=$box timeout 600 wine "$tests" \
    --gtest_filter='Printer.PrintsTheFirstArticleInAFace' || failures=$((failures + 1))
  printed "in $face" || { failures=$((failures + 1)); continue; }
  first=$(pdftotext -f 1 -l 1 -layout "$pdf" - | perl -CSD -pe 's/[\x{202A}-\x{202E}]//g' | tr -s ' ')
  letters=$(perl -CSD -ne '$n += () = /[\x{05D0}-\x{05EA}]/g; END { print $n + 0 }' <<<"$first")
  check "$face: Hebrew letters on page 1" "yes" "$([ "$letters" -ge 300 ] && echo yes || echo "only $letters")"
  check "$face: the first footer" "1" "$(grep -c 'www.quillary.example -- Vandrel Orvane (with Tesker.* Page 1$' <<<"$first")"
  check "$face: printed in" "${used// /}" "$(pdffonts "$pdf" | grep -o -m1 "${used// /}")"
done <<<"$faces"
[ "$failures" -eq 0 ]
