#!/usr/bin/env bash
# What embedding the PDF's own fonts costs a .docx run: whole-run wall time
# (best of REPEATS) with the fonts and with --no-embed-fonts, the ratio, the
# package sizes and how many fonts went in, on a pdfTeX manual (Type 1
# fonts), the manual six times over, and every corpus PDF given.
# Usage: bench/embed_fonts_speed.sh [REPEATS] [PDF...]
set -euo pipefail
cd "$(dirname "$0")/.."
repeats=${1:-3}; shift || true
cli=build/src/paperwell-cli
manual=/usr/share/doc/libtasn1-doc/libtasn1.pdf
[ -f "$manual" ] || DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends libtasn1-doc >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
qpdf --empty --pages $(for _ in 1 2 3 4 5 6; do printf '%s ' "$manual"; done) -- "$work/manual-x6.pdf"

best() {  # best PDF [flags...]: "seconds bytes log-line"
  local file=$1; shift
  local t b='' line=''
  for _ in $(seq "$repeats"); do
    rm -rf "$work/o"; mkdir -p "$work/o"
    local start end
    start=$(date +%s.%N)
    line=$("$cli" --format docx "$@" -o "$work/o" "$file" | grep ' :Fonts:' || true)
    end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc -l)
    if [ -z "$b" ] || (( $(echo "$t < $b" | bc -l) )); then b=$t; fi
  done
  local size
  size=$(stat -c %s "$work"/o/*/*.docx)
  printf '%.2f %s %s\n' "$b" "$size" "${line#* :Fonts: }"
}

echo "| document | pages | no fonts | fonts | ratio | size without | size with | fonts |"
echo "|---|---|---|---|---|---|---|---|"
for pdf in "$manual" "$work/manual-x6.pdf" "$@"; do
  pages=$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')
  read -r t0 s0 _ < <(best "$pdf" --no-embed-fonts)
  read -r t1 s1 report < <(best "$pdf")
  printf '| %s | %s | %s s | %s s | %.2f | %d KB | %d KB | %s |\n' "$(basename "$pdf")" "$pages" "$t0" "$t1" \
    "$(echo "$t1 / $t0" | bc -l)" $((s0 / 1024)) $((s1 / 1024)) "$report"
done
