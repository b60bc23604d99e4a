#!/usr/bin/env bash
# The page picture's resolution: for each PDF and each of 96, 150 and 300
# dpi, a whole --format docx run (best of REPEATS): seconds, seconds a page,
# the document's size; then, with LibreOffice, how much of the PDF's rules
# the document shows when read back (bench/rule_readback.py, rendered at 150
# and at 300 dpi, as printed or zoomed).
# Usage: bench/picture_resolution.sh [REPEATS] [PDF...]
#   default PDFs: the form fixture, the corpus's table, vector graphic and
#   image documents, the libtasn1 manual.
set -euo pipefail
cd "$(dirname "$0")/.."
repeats=${1:-3}
shift || true
cli=build/src/paperwell-cli
corpus=/work/shared/corpus
pdfs=("$@")
if ((${#pdfs[@]} == 0)); then
  pdfs=(build/fixtures/form_rules.pdf)
  for name in demo-table demo-image-vector-graphic demo-image; do
    [ -f "$corpus/$name.pdf" ] && pdfs+=("$corpus/$name.pdf")
  done
  [ -f /usr/share/doc/libtasn1-doc/libtasn1.pdf ] && pdfs+=(/usr/share/doc/libtasn1-doc/libtasn1.pdf)
fi
[ -x "$cli" ] || { echo "build the project first ($cli is missing)" >&2; exit 1; }
work=$(mktemp -d)
profile="$work/profile"
trap 'rm -rf "$work"' EXIT

printf 'document\tpages\tdpi\tseconds\ts/page\tsize KB\trules@150\trules@300\n'
for pdf in "${pdfs[@]}"; do
  pages=$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')
  for dpi in 96 150 300; do
    best=""
    for _ in $(seq "$repeats"); do
      rm -rf "$work/o"
      start=$(date +%s.%N)
      PW_SOFFICE= "$cli" -q -j 1 --format docx --resolution "$dpi" "$pdf" -o "$work/o"
      end=$(date +%s.%N)
      t=$(echo "$end - $start" | bc -l)
      if [ -z "$best" ] || (( $(echo "$t < $best" | bc -l) )); then best=$t; fi
    done
    doc=$(ls "$work"/o/Paperwell*/*.docx)
    size=$(( $(stat -c %s "$doc") / 1024 ))
    r150=- r300=-
    if command -v soffice >/dev/null; then
      rm -rf "$work/back"
      soffice --headless --norestore "-env:UserInstallation=file://$profile" --convert-to pdf \
        --outdir "$work/back" "$doc" >/dev/null 2>&1 || true
      back=$(ls "$work"/back/*.pdf 2>/dev/null || true)
      if [ -n "$back" ]; then
        r150=$(bench/rule_readback.py "$pdf" "$back" 150 | cut -f1)
        r300=$(bench/rule_readback.py "$pdf" "$back" 300 | cut -f1)
      fi
    fi
    printf '%s\t%s\t%s\t%.2f\t%.3f\t%s\t%s\t%s\n' "$(basename "$pdf" .pdf)" "$pages" "$dpi" "$best" \
      "$(echo "$best / $pages" | bc -l)" "$size" "$r150" "$r300"
  done
done
