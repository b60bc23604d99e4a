#!/usr/bin/python3
"""Where LibreOffice puts the glyphs of a converted document, against the PDF.

    glyph_placement.py [options] ORIG.pdf OTHER.(pdf|docx|doc|rtf|odt)

OTHER that is not a PDF is turned into one by headless LibreOffice (a private
profile in a temporary folder). Both PDFs go through the converter's own glyph
capture (paperwell-cli --dump-items), page by page; the glyphs of a page are
matched in order by their text, words are cut where the original has a blank
or a gap, and for every matched glyph and word it reports, in points:

  dx, dy     where the glyph's origin and baseline landed;
  line dx    the start of each line (a frame or indent placed wrong);
  drift      a word's dx less its line's start dx (advances and word gaps);
  width      a word's extent in OTHER over its extent in ORIG;
  size       a glyph's font size in OTHER over ORIG;

as the median, the mean of the absolute values, the 90th and 99th percentile
of the absolute values and the share within one pixel at 50 dpi (1.44 pt),
over the document and per font (the face OTHER's glyph was set in, with its
weight and slant). --check LIMITS fails (exit 1) when a limit is broken:
LIMITS is comma-separated key=value, keys: matched (least share of ORIG's
glyphs matched), dx90, dy90, linedx90, drift90 (largest 90th percentile of
|value|, pt), width90 (largest 90th percentile of |ratio - 1|), size90,
dxin, dyin, linedxin, driftin (least share within one pixel at 50 dpi).
The fonts OTHER embeds (pdffonts, subset prefixes cut) are listed too.
"""
import argparse
import bisect
import difflib
import json
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
from collections import defaultdict

PX_TO_PT = 0.75          # --dump-items measures at 96 dpi
PIXEL_50DPI_PT = 72 / 50  # one pixel of the look comparison
HERE = os.path.dirname(os.path.abspath(__file__))


def run_limited(cmd, seconds, **kw):
    """Runs cmd in its own process group, ended whole after `seconds`."""
    proc = subprocess.Popen(cmd, start_new_session=True, stdout=subprocess.PIPE, stderr=subprocess.PIPE, **kw)
    try:
        out, err = proc.communicate(timeout=seconds)
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        proc.communicate()
        raise RuntimeError("timed out: " + " ".join(cmd))
    finally:
        try:
            os.killpg(proc.pid, signal.SIGKILL)  # leftovers of the group (soffice.bin)
        except ProcessLookupError:
            pass
    return proc.returncode, out, err


def office_pdf(document, work, seconds):
    src = os.path.join(work, "in" + os.path.splitext(document)[1])
    shutil.copyfile(document, src)
    profile = os.path.join(work, "profile")
    rc, out, err = run_limited(["soffice", "--headless", "--norestore", "--nolockcheck",
                                "-env:UserInstallation=file://" + profile, "--convert-to", "pdf",
                                "--outdir", work, src], seconds)
    pdf = os.path.join(work, "in.pdf")
    if rc != 0 or not os.path.exists(pdf):
        raise RuntimeError("LibreOffice made no PDF of %s: %s" % (document, err.decode(errors="replace")))
    return pdf


def page_count(pdf):
    rc, out, _ = run_limited(["pdfinfo", pdf], 60)
    for line in out.decode(errors="replace").splitlines():
        if line.startswith("Pages:"):
            return int(line.split()[1])
    return 0


def unescape(text):
    return text.replace("\\t", "\t").replace("\\n", "\n").replace("\\r", "\r").replace("\\\\", "\\")


def embedded_fonts(pdf):
    """The names of the fonts a PDF embeds, without subset prefixes."""
    rc, out, _ = run_limited(["pdffonts", pdf], 60)
    names = []
    for line in out.decode(errors="replace").splitlines()[2:]:
        f = line.split()
        if len(f) >= 5 and f[-5] == "yes":
            names.append(f[0].split("+", 1)[-1])
    return sorted(set(names))


def page_glyphs(cli, pdf, page):
    """The horizontal glyphs of a page in drawing order: dicts with x, y
    (baseline), w (advance), size (pt), font, text."""
    rc, out, err = run_limited([cli, "--dump-items", str(page), pdf], 300)
    if rc != 0:
        raise RuntimeError("--dump-items %d %s failed: %s" % (page, pdf, err.decode(errors="replace")))
    lines = out.decode("utf-8", errors="replace").split("\n")
    glyphs = []
    for line in lines[1:]:
        if not line:
            break  # the font table follows
        f = line.split("\t")
        if len(f) < 13 or f[4] != "0":
            continue
        style = ("b" if f[5] != "0" else "") + ("i" if f[6] != "0" else "")
        glyphs.append({"x": float(f[0]) * PX_TO_PT, "y": float(f[1]) * PX_TO_PT, "w": float(f[2]) * PX_TO_PT,
                       "size": float(f[3]) * PX_TO_PT, "font": f[8] + (" " + style if style else ""),
                       "text": unescape(f[12])})
    return glyphs


def words_of(glyphs):
    """Splits ORIG's glyphs into words: a blank, a new baseline, a step back
    or a gap of more than 0.15 of the size ends one. Returns lists of glyph
    indices and, per word, whether it starts a line."""
    words, starts = [], []
    current = []
    prev = None
    for i, g in enumerate(glyphs):
        blank = g["text"].strip() == ""
        if prev is not None:
            p = glyphs[prev]
            new_line = abs(g["y"] - p["y"]) > 0.5 or g["x"] < p["x"] - 0.5
            gap = g["x"] - (p["x"] + p["w"]) > 0.15 * max(p["size"], 1)
        else:
            new_line, gap = True, False
        if blank or new_line or gap:
            if current:
                words.append(current)
                current = []
        if blank:
            if new_line:
                prev = None  # a line may start with blanks
            continue
        if not current:
            starts.append(new_line or prev is None)
        current.append(i)
        prev = i
    if current:
        words.append(current)
    return words, starts[:len(words)]


def match(orig, other):
    """Index of OTHER's glyph for each of ORIG's non-blank glyphs (or None),
    matched in order by the glyphs' characters."""
    def units(glyphs):
        chars, owner = [], []
        for i, g in enumerate(glyphs):
            if g["text"].strip() == "":
                continue
            for c in g["text"]:
                chars.append(c)
                owner.append(i)
        return chars, owner
    a, ao = units(orig)
    b, bo = units(other)
    pairs = [None] * len(orig)
    sm = difflib.SequenceMatcher(None, a, b, autojunk=False)
    for block in sm.get_matching_blocks():
        for k in range(block.size):
            i, j = ao[block.a + k], bo[block.b + k]
            if pairs[i] is None:
                pairs[i] = j
    return pairs


class Stats:
    def __init__(self):
        self.values = defaultdict(list)

    def add(self, key, value):
        self.values[key].append(value)

    def summary(self, key, ratio=False):
        v = self.values.get(key, [])
        if not v:
            return None
        dev = sorted(abs(x - 1) if ratio else abs(x) for x in v)

        def pct(p):
            return dev[min(len(dev) - 1, int(p * len(dev)))]
        s = {"n": len(v), "median": statistics.median(v), "mean_abs": sum(dev) / len(dev), "p90": pct(0.9),
             "p99": pct(0.99)}
        if not ratio:
            s["within_px"] = sum(1 for x in dev if x <= PIXEL_50DPI_PT) / len(dev)
        return s


KEYS = [("dx", False), ("dy", False), ("linedx", False), ("drift", False), ("width", True), ("size", True)]


def measure(cli, orig_pdf, other_pdf, pages):
    total, per_font = Stats(), defaultdict(Stats)
    counts = {"glyphs": 0, "matched": 0, "pages_orig": page_count(orig_pdf), "pages_other": page_count(other_pdf)}
    last = min(counts["pages_orig"], counts["pages_other"])
    if pages:
        last = min(last, pages)
    for page in range(1, last + 1):
        orig = page_glyphs(cli, orig_pdf, page)
        other = page_glyphs(cli, other_pdf, page)
        pairs = match(orig, other)
        words, starts = words_of(orig)
        line_dx = 0.0
        for word, starts_line in zip(words, starts):
            got = [pairs[i] for i in word]
            counts["glyphs"] += len(word)
            counts["matched"] += sum(1 for j in got if j is not None)
            for i, j in zip(word, got):
                if j is None:
                    continue
                font = other[j]["font"] or "(none)"
                for stats in (total, per_font[font]):
                    stats.add("dx", other[j]["x"] - orig[i]["x"])
                    stats.add("dy", other[j]["y"] - orig[i]["y"])
                    if orig[i]["size"] > 0:
                        stats.add("size", other[j]["size"] / orig[i]["size"])
            # Word geometry only where the whole word came back in order on one baseline.
            if any(j is None for j in got) or any(b <= a for a, b in zip(got, got[1:])):
                if starts_line:
                    line_dx = None
                continue
            if any(abs(other[j]["y"] - other[got[0]]["y"]) > 0.5 for j in got):
                continue
            first, last_g = orig[word[0]], orig[word[-1]]
            o_first, o_last = other[got[0]], other[got[-1]]
            dx = o_first["x"] - first["x"]
            font = o_first["font"] or "(none)"
            extent = last_g["x"] + last_g["w"] - first["x"]
            for stats in (total, per_font[font]):
                if starts_line:
                    stats.add("linedx", dx)
                elif line_dx is not None:
                    stats.add("drift", dx - line_dx)
                if extent > 1:
                    stats.add("width", (o_last["x"] + o_last["w"] - o_first["x"]) / extent)
            if starts_line:
                line_dx = dx
    result = {"counts": counts, "embedded": embedded_fonts(other_pdf), "total": {k: total.summary(k, r) for k, r in KEYS}, "fonts": {}}
    for font, stats in sorted(per_font.items(), key=lambda kv: -len(kv[1].values["dx"])):
        result["fonts"][font] = {k: stats.summary(k, r) for k, r in KEYS}
    return result


def fmt(s, ratio=False):
    if s is None:
        return "-"
    text = "med %+.2f  |.| %.2f  p90 %.2f  p99 %.2f" % (s["median"] - (1 if ratio else 0), s["mean_abs"], s["p90"],
                                                        s["p99"])
    if "within_px" in s:
        text += "  in1px %3.0f%%" % (100 * s["within_px"])
    return text + "  n %d" % s["n"]


def print_report(result, fonts):
    c = result["counts"]
    share = c["matched"] / c["glyphs"] if c["glyphs"] else 0
    print("pages %d / %d, glyphs %d, matched %.3f" % (c["pages_orig"], c["pages_other"], c["glyphs"], share))
    print("embedded: " + " ".join(result["embedded"]))
    for key, ratio in KEYS:
        print("  %-7s %s" % (key, fmt(result["total"][key], ratio)))
    for font, summary in list(result["fonts"].items())[:fonts]:
        print("font %s" % font)
        for key, ratio in KEYS:
            if summary[key]:
                print("  %-7s %s" % (key, fmt(summary[key], ratio)))


def check(result, limits):
    broken = []
    c = result["counts"]
    for item in limits.split(","):
        key, _, value = item.partition("=")
        key, value = key.strip(), float(value)
        if key == "matched":
            share = c["matched"] / c["glyphs"] if c["glyphs"] else 0
            if share < value:
                broken.append("matched %.3f < %.3f" % (share, value))
            continue
        within = key.endswith("in")
        name = key[:-2]
        s = result["total"].get(name)
        if s is None or (within and "within_px" not in s):
            broken.append("%s: nothing measured" % name)
        elif within and s["within_px"] < value:
            broken.append("%s within one pixel %.3f < %.3f" % (name, s["within_px"], value))
        elif not within and s["p90"] > value:
            broken.append("%s p90 %.3f > %.3f" % (name, s["p90"], value))
    return broken


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("orig")
    ap.add_argument("other")
    ap.add_argument("--cli", default=os.path.join(HERE, "..", "build", "src", "paperwell-cli"))
    ap.add_argument("--pages", type=int, default=0, help="only the first N pages")
    ap.add_argument("--fonts", type=int, default=8, help="fonts listed (most glyphs first)")
    ap.add_argument("--json", action="store_true")
    ap.add_argument("--check", default="")
    ap.add_argument("--timeout", type=int, default=300)
    args = ap.parse_args()
    work = tempfile.mkdtemp(prefix="pw-placement.")
    try:
        other = args.other
        if not other.lower().endswith(".pdf"):
            other = office_pdf(other, work, args.timeout)
        result = measure(args.cli, args.orig, other, args.pages)
    except RuntimeError as e:
        print("glyph_placement: %s" % e, file=sys.stderr)
        return 2
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if args.json:
        print(json.dumps(result, indent=1))
    else:
        print_report(result, args.fonts)
    if args.check:
        broken = check(result, args.check)
        for b in broken:
            print("BROKEN " + b)
        return 1 if broken else 0
    return 0


if __name__ == "__main__":
    sys.exit(main())
