#!/usr/bin/env bash
# The office step against rendering, per text mode, over a folder of PDFs:
# one whole run to RTF (no office step), to .doc in flow mode and to .doc in
# frame mode, each against pdftoppm rendering the same pages (96 dpi, JPEG).
# Every run is repeated and the median taken (the machine may be shared).
# Usage: bench/office_table.sh DIR_OF_PDFS [REPEATS] [CLI]
set -euo pipefail
dir=${1:?usage: office_table.sh DIR_OF_PDFS [REPEATS] [CLI]}
repeats=${2:-3}
cli=${3:-$(dirname "$0")/../build/src/paperwell-cli}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pdfs=("$dir"/*.pdf)
pages=0
for pdf in "${pdfs[@]}"; do
  pages=$((pages + $(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')))
done
echo "${#pdfs[@]} PDFs, $pages pages"

now() { date +%s.%N; }
median_of() {  # median_of N command... -> median wall seconds
  local n=$1; shift; local times=()
  for _ in $(seq "$n"); do
    local s e; s=$(now); "$@" >/dev/null 2>&1 || true; e=$(now)
    times+=("$(echo "$e - $s" | bc -l)")
  done
  printf '%s\n' "${times[@]}" | sort -g | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'
}
render() { rm -f "$work"/ppm-*; for pdf in "${pdfs[@]}"; do pdftoppm -r 96 -jpeg "$pdf" "$work/ppm"; done; }
convert() { rm -rf "$work/o"; mkdir -p "$work/o"; "$cli" -q -o "$work/o" "$@" "${pdfs[@]}"; }

t_ppm=$(median_of "$repeats" render)
printf '| | whole run | per page | against pdftoppm (%.1f s) |\n|---|---|---|---|\n' "$t_ppm"
row() {
  local label=$1; shift
  local t; t=$(median_of "$repeats" convert "$@")
  printf '| %s | %.1f s | %.3f s | %.2f x |\n' "$label" "$t" "$(echo "$t / $pages" | bc -l)" \
    "$(echo "$t / $t_ppm" | bc -l)"
}
row '`--format rtf`' --format rtf
row '`.doc`, flow mode'
row '`.doc`, frame mode' --frames
