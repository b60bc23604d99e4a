#!/usr/bin/env bash
# Seconds a page for scanned pages with and without --ocr, on one core: the
# scan fixtures (300 dpi grey, colour, with a photo, turned a quarter turn,
# skewed; the 200 dpi noisy letter, alone and with its text layer) and, for
# pages that are not scans, the sample and the dense-text fixture. Whole
# .docx runs (worker start included, no office step), best of REPEATS, the
# recognition's own share from --to-rtf --timings.
# Usage: bench/ocr_speed.sh [REPEATS] [BUILD]
set -euo pipefail
cd "$(dirname "$0")/.."
repeats=${1:-3}
build=${2:-build}
cli=$build/src/paperwell-cli
fixtures=$build/fixtures
[ -x "$cli" ] && [ -f "$fixtures/scan_gray.pdf" ] || { echo "build the project first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# One core for the whole run, and one thread for the engine in-process too.
export OMP_THREAD_LIMIT=1
one_core=(taskset -c 0)
command -v taskset >/dev/null || one_core=()

pages_of() { pdfinfo "$1" | awk '/^Pages:/ {print $2}'; }

best_seconds() {  # best_seconds PDF [flags...]
  local file=$1; shift
  local best=""
  for _ in $(seq "$repeats"); do
    rm -rf "$work/o"; mkdir -p "$work/o"
    local start end
    start=$(date +%s.%N)
    "${one_core[@]}" "$cli" -q --format docx "$@" "$file" -o "$work/o" >/dev/null
    end=$(date +%s.%N)
    local s
    s=$(echo "$end - $start" | bc -l)
    if [ -z "$best" ] || (( $(echo "$s < $best" | bc -l) )); then best=$s; fi
  done
  echo "$best"
}

printf '%-22s %5s %12s %12s %14s\n' "file" "pages" "s/page" "s/page --ocr" "recognise s/p"
for name in scan_gray scan_color scan_photo scan_rotated scan_skewed scan_noisy scan_text_layer sample dense_text; do
  file=$fixtures/$name.pdf
  pages=$(pages_of "$file")
  plain=$(best_seconds "$file")
  ocr=$(best_seconds "$file" --ocr)
  rm -f "$work/out.rtf"
  recognise=$("${one_core[@]}" "$cli" --to-rtf "$file" "$work/out.rtf" --ocr --timings 2>&1 >/dev/null |
              sed -n 's/.*recognise \([0-9.]*\) s.*/\1/p')
  printf '%-22s %5d %12.3f %12.3f %14.3f\n' "$name" "$pages" "$(echo "$plain / $pages" | bc -l)" \
         "$(echo "$ocr / $pages" | bc -l)" "$(echo "${recognise:-0} / $pages" | bc -l)"
done
