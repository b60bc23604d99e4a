#!/usr/bin/env bash
# A batch on one worker against a batch on several: a 20-file batch of the
# corpus converted with --jobs 1 and with --jobs N (best of REPEATS, wall
# time), checked to give byte-identical word/document.xml in every package
# and the same log; then peak memory of the whole process tree (the program,
# its worker servers and workers, sampled every 20 ms) for --jobs 1 and N on
# batches of 20 and 60 files: it must grow with N, not with the batch.
# Usage: bench/batch_speed.sh [JOBS] [REPEATS] [FORMAT] [CLI]
#   FORMAT: docx (default; no office suite) or doc (LibreOffice: one
#   instance per job, PW_OFFICE_INSTANCES=1 queues every document for one).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${1:-2}
repeats=${2:-3}
format=${3:-docx}
cli=${4:-build/src/paperwell-cli}
corpus=${PW_CORPUS:-/work/shared/corpus}
need=()
command -v bc >/dev/null || need+=(bc)
command -v unzip >/dev/null || need+=(unzip)
if ((${#need[@]})); then
  echo "installing ${need[*]}"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${need[@]}" >/dev/null
fi
[ -x "$cli" ] || { echo "build the project first ($cli is missing)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Batches of COUNT files: the first 20 files of the corpus taken over and
# over (so a longer batch repeats the 20-file one), each copy a name of its own.
make_batch() {  # make_batch FOLDER COUNT
  mkdir -p "$1"
  local pdfs=("$corpus"/*.pdf) i
  for ((i = 0; i < $2; i++)); do
    local source=${pdfs[(i % 20) % ${#pdfs[@]}]}
    cp "$source" "$1/$(printf '%02d' "$i")-$(basename "$source")"
  done
}
make_batch "$work/batch20" 20
make_batch "$work/batch60" 60
pages=0
for f in "$work"/batch20/*.pdf; do pages=$((pages + $(pdfinfo "$f" | awk '/^Pages:/ {print $2}'))); done

# Resident memory (KiB) of a process and all its descendants, summed: one
# ps per sample, the tree walked in awk.
tree_rss() {
  ps -e -o pid=,ppid=,rss= | awk -v root="$1" '
    { parent[$1] = $2; rss[$1] = $3 }
    END {
      for (p in parent) {
        q = p
        while (q != "" && q != root && q != 0 && q != 1) q = parent[q]
        if (q == root) sum += rss[p]
      }
      print sum + 0
    }'
}

# One run: prints "seconds peak-KiB"; the log goes to $work/log-NAME.
run_once() {  # run_once NAME JOBS BATCH [sample]
  local name=$1 n=$2 batch=$3 sample=${4:-}
  rm -rf "$work/o-$name"; mkdir -p "$work/o-$name"
  local start end peak=0
  start=$(date +%s.%N)
  "$cli" --jobs "$n" --format "$format" "$batch" -o "$work/o-$name" >"$work/log-$name" 2>&1 &
  local pid=$!
  if [ -n "$sample" ]; then
    while kill -0 "$pid" 2>/dev/null; do
      local now; now=$(tree_rss "$pid")
      ((now > peak)) && peak=$now
      sleep 0.02
    done
  fi
  wait "$pid" || { echo "run failed: --jobs $n $batch" >&2; cat "$work/log-$name" >&2; exit 1; }
  end=$(date +%s.%N)
  echo "$(echo "$end - $start" | bc -l) $peak"
}
best_of() {  # best_of NAME JOBS BATCH
  local best='' t m
  for _ in $(seq "$repeats"); do
    read -r t m < <(run_once "$@")
    if [ -z "$best" ] || (( $(echo "$t < $best" | bc -l) )); then best=$t; fi
  done
  echo "$best"
}

t1=$(best_of one 1 "$work/batch20")
tn=$(best_of many "$jobs" "$work/batch20")
printf 'batch of 20 files (%d pages), --format %s: --jobs 1 %.2f s, --jobs %d %.2f s, speed-up %.2f x\n' \
  "$pages" "$format" "$t1" "$jobs" "$tn" "$(echo "$t1 / $tn" | bc -l)"

# The same documents and the same log, whatever the number of jobs.
differ=0
for doc in "$work"/o-one/*/*."$format"; do
  other="$work/o-many/$(basename "$(dirname "$doc")")/$(basename "$doc")"
  if [ "$format" = docx ]; then
    cmp -s <(unzip -p "$doc" word/document.xml) <(unzip -p "$other" word/document.xml) || { echo "differs: $doc"; differ=1; }
  else
    [ -f "$other" ] || { echo "missing: $other"; differ=1; }
  fi
done
count=$(ls "$work"/o-one/*/*."$format" | wc -l)
# A .doc holds its save time: only its presence is compared.
what="word/document.xml identical"
[ "$format" = docx ] || what="every document made"
if cmp -s <(sed "s|$work/o-one|OUT|" "$work/log-one") <(sed "s|$work/o-many|OUT|" "$work/log-many"); then
  echo "documents: $count, $what: $([ $differ = 0 ] && echo yes || echo no); log identical: yes"
else
  echo "documents: $count; log identical: NO"
  diff <(sed "s|$work/o-one|OUT|" "$work/log-one") <(sed "s|$work/o-many|OUT|" "$work/log-many") | head -20
  differ=1
fi

for batch in batch20 batch60; do
  for n in 1 "$jobs"; do
    read -r t m < <(run_once "mem-$n" "$n" "$work/$batch" sample)
    printf 'peak memory, %s, --jobs %d: %.0f MB (%.2f s)\n' "$batch" "$n" "$(echo "$m / 1024" | bc -l)" "$t"
  done
done
exit $differ
