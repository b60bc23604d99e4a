#!/usr/bin/env bash
# The RTF and the .docx of the same PDFs, both read back by LibreOffice: the
# share of words that come out the same and in the same order, and of those
# the share that start within 1 pt of each other (pdftotext -bbox of both
# exports, flow mode, pictures left out).
# Usage: bench/cross_printer.sh PDF...   (default: the fixtures)
set -euo pipefail
cd "$(dirname "$0")/.."
cli=build/src/paperwell-cli
worker=build/src/paperwell-worker
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pdfs=("$@")
if ((${#pdfs[@]} == 0)); then
  for f in sample right_to_left collection dense_text title_math word_by_word; do pdfs+=("build/fixtures/$f.pdf"); done
fi
names=()
for pdf in "${pdfs[@]}"; do
  name=$(basename "$pdf" .pdf)
  "$cli" --to-rtf "$pdf" "$work/$name.rtf" --delete-graphics >/dev/null 2>&1 || continue
  mkdir -p "$work/out_$name"
  PW_WORKER_PROGRAM=$worker "$cli" -q --format docx --delete-graphics "$pdf" -o "$work/out_$name" >/dev/null 2>&1 || continue
  cp "$(find "$work/out_$name" -name '*.docx' | head -1)" "$work/$name.docx"
  names+=("$name")
done
profile="file://$work/profile"
(cd "$work" && soffice --headless -env:UserInstallation="$profile" --convert-to pdf --outdir rtf ./*.rtf >/dev/null 2>&1)
(cd "$work" && soffice --headless -env:UserInstallation="$profile" --convert-to pdf --outdir docx ./*.docx >/dev/null 2>&1)
python3 - "$work" "${names[@]}" <<'PY'
import difflib, html, re, subprocess, sys
work = sys.argv[1]
def words(pdf):
    out = subprocess.run(['pdftotext', '-bbox', pdf, '-'], capture_output=True, text=True).stdout
    found, page = [], 0
    for line in out.splitlines():
        if '<page ' in line:
            page += 1
        m = re.search(r'<word xMin="([\d.]+)" yMin="[\d.]+" xMax="[\d.]+" yMax="([\d.]+)">(.*)</word>', line)
        if m:
            found.append((html.unescape(m.group(3)), page, float(m.group(1)), float(m.group(2))))
    return found
total = same = close = 0
print('| document | words (rtf, docx) | same in order | of them within 1 pt |')
print('|---|---|---|---|')
for name in sys.argv[2:]:
    a, b = words(f'{work}/rtf/{name}.pdf'), words(f'{work}/docx/{name}.pdf')
    n = max(len(a), len(b))
    if n == 0:
        continue
    blocks = difflib.SequenceMatcher(None, [w[0] for w in a], [w[0] for w in b], autojunk=False).get_matching_blocks()
    m = sum(bl.size for bl in blocks)
    c = sum(1 for bl in blocks for k in range(bl.size)
            if a[bl.a + k][1] == b[bl.b + k][1] and abs(a[bl.a + k][2] - b[bl.b + k][2]) <= 1
            and abs(a[bl.a + k][3] - b[bl.b + k][3]) <= 1)
    print(f'| {name} | {len(a)}, {len(b)} | {m / n:.3f} | {c / max(m, 1):.3f} |')
    total, same, close = total + n, same + m, close + c
if total:
    print(f'| all | {total} | {same / total:.4f} | {close / max(same, 1):.4f} |')
PY
