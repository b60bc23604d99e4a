#!/usr/bin/env bash
# .docx written by the engine against the RTF of the same run: whole-run wall
# time (best of REPEATS), pages a second and peak memory (/usr/bin/time, the
# worker processes included) for text set word by word, form rows and a
# pdfTeX manual, in both text modes; then peak memory of a .docx run at two
# lengths of one document, which must stay flat.
# Usage: bench/docx_speed.sh [PDF] [REPEATS] [CLI]
#   PDF defaults to the 36-page manual of Debian's libtasn1-doc (installed
#   when missing, with the other tools the figures need).
set -euo pipefail
cd "$(dirname "$0")/.."
pdf=${1:-/usr/share/doc/libtasn1-doc/libtasn1.pdf}
repeats=${2:-3}
cli=${3:-build/src/paperwell-cli}
make_pdfs=build/bench/make_bench_pdfs
need=()
command -v bc >/dev/null || need+=(bc)
command -v qpdf >/dev/null || need+=(qpdf)
[ -x /usr/bin/time ] || need+=(time)
[ -f /usr/share/doc/libtasn1-doc/libtasn1.pdf ] || need+=(libtasn1-doc)
if ((${#need[@]})); then
  echo "installing ${need[*]}"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${need[@]}" >/dev/null
fi
[ -x "$make_pdfs" ] || { echo "build the project first ($make_pdfs is missing)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

pages_of() { pdfinfo "$1" | awk '/^Pages:/ {print $2}'; }

"$make_pdfs" words 64 "$work/words-64.pdf"
"$make_pdfs" rows 64 "$work/rows-64.pdf"
manual_pages=$(pages_of "$pdf")
copies=$(( (200 + manual_pages - 1) / manual_pages ))
qpdf --empty --pages $(for _ in $(seq "$copies"); do printf '%s ' "$pdf"; done) -- "$work/long.pdf"

# One whole run: prints "seconds peak-KiB"; the run must succeed.
run_once() {  # run_once FORMAT PDF [flags...]
  local format=$1 file=$2; shift 2
  rm -rf "$work/o"; mkdir -p "$work/o"
  /usr/bin/time -f '%e %M' -o "$work/time" "$cli" -q --format "$format" "$@" -o "$work/o" "$file" \
    || { echo "run failed: --format $format $* $file" >&2; exit 1; }
  cat "$work/time"
}
# Best wall time of REPEATS runs and the largest peak memory among them.
best_run() {
  local best='' rss=0 t m
  for _ in $(seq "$repeats"); do
    read -r t m < <(run_once "$@")
    if [ -z "$best" ] || (( $(echo "$t < $best" | bc -l) )); then best=$t; fi
    (( m > rss )) && rss=$m
  done
  echo "$best $rss"
}

echo "| document | pages | mode | rtf | docx | docx / rtf | docx pages/s | peak MB rtf | peak MB docx |"
echo "|---|---|---|---|---|---|---|---|---|"
for entry in "words-64.pdf:text set word by word" "rows-64.pdf:form rows" "manual:$(basename "$pdf")" \
             "long.pdf:$(basename "$pdf") x $copies"; do
  file=${entry%%:*}; label=${entry#*:}
  if [ "$file" = manual ]; then file=$pdf; else file=$work/$file; fi
  n=$(pages_of "$file")
  for mode in flow frames; do
    flag=(); [ "$mode" = frames ] && flag=(--frames)
    read -r t_rtf m_rtf < <(best_run rtf "$file" "${flag[@]}")
    read -r t_docx m_docx < <(best_run docx "$file" "${flag[@]}")
    printf '| %s | %d | %s | %.2f s | %.2f s | %.2f | %.0f | %.0f | %.0f |\n' "$label" "$n" "$mode" "$t_rtf" \
      "$t_docx" "$(echo "$t_docx / $t_rtf" | bc -l)" "$(echo "$n / $t_docx" | bc -l)" \
      "$(echo "$m_rtf / 1024" | bc -l)" "$(echo "$m_docx / 1024" | bc -l)"
  done
done

# Memory must not grow with the page count: the same document, 10 pages
# against all of them.
long_pages=$(pages_of "$work/long.pdf")
for n in 10 "$long_pages"; do
  read -r t m < <(run_once docx "$work/long.pdf" --pages "1-$n")
  printf 'peak memory of a .docx run of %d pages: %.0f MB (%.2f s)\n' "$n" "$(echo "$m / 1024" | bc -l)" "$t"
done
