#!/usr/bin/env bash
# End-to-end figures: the page loop (--to-rtf, and the whole run with
# --format rtf) against pdftoppm rendering the same pages to JPEG at 96 dpi,
# the office step per document, and peak memory for short and long documents.
# Usage: bench/end_to_end.sh [PDF]   (default: a 36-page pdfTeX manual)
set -euo pipefail
cd "$(dirname "$0")/.."
cli=build/src/paperwell-cli
pdf=${1:-/usr/share/doc/libtasn1-doc/libtasn1.pdf}
# The tools the figures need, and the default document.
need=()
command -v bc >/dev/null || need+=(bc)
[ -x /usr/bin/time ] || need+=(time)
[ -f /usr/share/doc/libtasn1-doc/libtasn1.pdf ] || need+=(libtasn1-doc)
if ((${#need[@]})); then
  echo "installing ${need[*]}"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${need[@]}" >/dev/null
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pages=$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')
echo "document: $pdf ($pages pages)"

now() { date +%s.%N; }
best_of() {  # best_of N command... -> minimum wall seconds
  local n=$1; shift; local best=
  for _ in $(seq "$n"); do
    local s e t; s=$(now); "$@" >/dev/null 2>&1; e=$(now)
    t=$(echo "$e - $s" | bc -l)
    if [ -z "$best" ] || (( $(echo "$t < $best" | bc -l) )); then best=$t; fi
  done
  echo "$best"
}

run_to_rtf() { rm -f "$work/out.rtf"; "$cli" --to-rtf "$pdf" "$work/out.rtf" "$@"; }
run_pdftoppm() { rm -f "$work"/ppm-*; pdftoppm -r 96 -jpeg -jpegopt quality=100 "$pdf" "$work/ppm"; }

for mode in flow frames; do
  flag=(); [ "$mode" = frames ] && flag=(--frames)
  t_rtf=$(best_of 3 run_to_rtf "${flag[@]}")
  t_ppm=$(best_of 3 run_pdftoppm)
  printf '%-6s --to-rtf %.3f s (%.1f ms/page)  pdftoppm %.3f s  ratio %.2f\n' "$mode" "$t_rtf" \
    "$(echo "$t_rtf * 1000 / $pages" | bc -l)" "$t_ppm" "$(echo "$t_rtf / $t_ppm" | bc -l)"
  run_to_rtf "${flag[@]}" --timings 2>&1 | grep '^pages' | sed "s/^/       split: /"
done

# The whole run without the office step.
t_run=$(best_of 3 bash -c "rm -rf '$work/o'; mkdir -p '$work/o'; '$cli' -q --format rtf -o '$work/o' '$pdf'")
printf 'whole run --format rtf: %.3f s (%.1f ms/page)\n' "$t_run" "$(echo "$t_run * 1000 / $pages" | bc -l)"

# Peak memory must not grow with the page count: 5 pages against 200 (the
# document repeated with qpdf).
copies=$(( (200 + pages - 1) / pages ))
qpdf --empty --pages $(for _ in $(seq "$copies"); do printf '%s ' "$pdf"; done) -- "$work/long.pdf"
for n in 5 200; do
  rm -rf "$work/o"; mkdir -p "$work/o"
  rss=$( { /usr/bin/time -f '%M' "$cli" -q --format rtf --pages "1-$n" -o "$work/o" "$work/long.pdf" ; } 2>&1 | tail -1)
  echo "peak RSS for $n pages: ${rss} KiB"
done

# The office step on the whole text-heavy document, per text mode: frames
# are what LibreOffice lays out slowly.
if command -v soffice >/dev/null; then
  for mode in flow frames; do
    flag=(); [ "$mode" = frames ] && flag=(--frames)
    run_to_rtf "${flag[@]}" 2>/dev/null
    frames=$( (grep -o '\\phpg' "$work/out.rtf" || true) | wc -l)
    rm -rf "$work/o"; mkdir -p "$work/o"
    s=$(now); "$cli" -q --format rtf "${flag[@]}" -o "$work/o" "$pdf"; e=$(now)
    base=$(echo "$e - $s" | bc -l)
    rm -rf "$work/o"; mkdir -p "$work/o"
    s=$(now); "$cli" -q "${flag[@]}" -o "$work/o" "$pdf"; e=$(now)
    whole=$(echo "$e - $s" | bc -l)
    printf '%-6s %d frames (%.0f per page); whole run to .doc %.2f s; office step %.2f s (%.3f s/page)\n' \
      "$mode" "$frames" "$(echo "$frames / $pages" | bc -l)" "$whole" "$(echo "$whole - $base" | bc -l)" \
      "$(echo "($whole - $base) / $pages" | bc -l)"
  done
fi

# The office step: one document cold, then a batch of 10.
if command -v soffice >/dev/null; then
  for mode in flow frames; do
    flag=(); [ "$mode" = frames ] && flag=(--frames)
    rm -rf "$work/o"; mkdir -p "$work/o"
    s=$(now); "$cli" -q "${flag[@]}" --pages 1-1 -o "$work/o" "$pdf"; e=$(now)
    printf '%-6s office, 1 one-page document cold: %.2f s\n' "$mode" "$(echo "$e - $s" | bc -l)"
    files=(); for i in $(seq 10); do cp "$pdf" "$work/doc$i.pdf"; files+=("$work/doc$i.pdf"); done
    rm -rf "$work/o"; mkdir -p "$work/o"
    s=$(now); "$cli" -q "${flag[@]}" --pages 1-3 -o "$work/o" "${files[@]}"; e=$(now)
    printf '%-6s batch of 10 three-page documents: %.2f s (%.2f s/document)\n' "$mode" \
      "$(echo "$e - $s" | bc -l)" "$(echo "($e - $s) / 10" | bc -l)"
  done
fi
