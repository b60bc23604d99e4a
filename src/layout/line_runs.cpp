#include "layout/line_runs.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>


namespace {

// Share of B's line height by which a run on another baseline must reach into
// A's line to count as part of it (superscripts, subscripts).
constexpr double kLineOverlapShare = 0.25;
// In frame mode a run after text this many times its size is not joined
// across baselines (a large initial keeps its own frame).
constexpr int kFrameInitialRatio = 3;
// Largest gap, in units of the last size, that still joins two runs.
constexpr double kJoinGapShare = 0.25;
// A gap wider than this share of the last size is a word space: a blank is
// inserted when joining.
constexpr double kBlankGapShare = 0.15;
// On one baseline, runs this far apart (share of the size) are still one line.
constexpr double kSameLineGapShare = 0.4;

int32_t RoundHalfUp(double v) { return static_cast<int32_t>(std::floor(v + 0.5)); }

uint32_t U(int32_t v) { return static_cast<uint32_t>(v); }

// The closed intervals [a1, a2] and [b1, b2] intersect (unsigned values).
bool Meet(uint32_t a1, uint32_t a2, uint32_t b1, uint32_t b2) { return !(a2 < b1 || b2 < a1); }

bool OnOneLine(const CTextRun& a, const CTextRun& b, TextMode mode, bool& sameLine)
{
    sameLine = a.bottom == b.bottom;
    if (sameLine)
        return true;
    if (!Meet(U(b.top), U(b.bottom), U(a.top), U(a.bottom)))
        return false;
    if (!(U(a.bottom) - U(b.top) > U(RoundHalfUp(kLineOverlapShare * b.lineHeight))))
        return false;
    return mode == TextMode::Flow || a.lastSize < kFrameInitialRatio * b.size;
}

// Tries to join b into a; on success `joined` holds the result and a or b
// may have got a blank.
bool TryJoin(CTextRun& a, CTextRun& b, TextMode mode, CTextRun& joined)
{
    bool sameLine = false;
    if (!OnOneLine(a, b, mode, sameLine))
        return false;
    if (U(b.left) > U(a.left) && U(b.right) > U(a.right)) {
        int32_t g = static_cast<int32_t>(U(b.left) - U(a.right));
        int32_t q = RoundHalfUp(kJoinGapShare * a.lastSize);
        if (g < 0) {
            if (!(-static_cast<int64_t>(g) < a.lastSize))
                return false;
        } else if (g <= q) {
            if (g > RoundHalfUp(kBlankGapShare * a.lastSize))
                AppendBlank(a);
        } else if (sameLine && g <= RoundHalfUp(kSameLineGapShare * a.size)) {
            AppendBlank(a);
        } else {
            return false;
        }
        joined = JoinRuns(a, b);
        return true;
    }
    if (U(b.left) < U(a.left) && U(b.right) < U(a.right)) {
        int64_t g = std::llabs(static_cast<int64_t>(static_cast<int32_t>(U(b.right) - U(a.left))));
        if (g > RoundHalfUp(kJoinGapShare * b.lastSize))
            return false;
        if (g > RoundHalfUp(kBlankGapShare * b.lastSize))
            AppendBlank(b);
        joined = JoinRuns(b, a);
        return true;
    }
    return false;
}

bool SortsBefore(const CTextRun& a, const CTextRun& b)
{
    if (U(a.bottom) != U(b.bottom))
        return U(a.bottom) < U(b.bottom);
    return U(a.left) < U(b.left);
}

}  // namespace

CTextRun JoinRuns(const CTextRun& x, const CTextRun& y)
{
    const bool xFirst = U(y.left) > U(x.left);
    const CTextRun& f = xFirst ? x : y;
    const CTextRun& g = xFirst ? y : x;
    CTextRun r = f;
    // The right-hand pieces keep their height over the joined run's baseline.
    const size_t firstOfG = r.pieces.size();
    r.pieces.insert(r.pieces.end(), g.pieces.begin(), g.pieces.end());
    for (size_t i = firstOfG; i < r.pieces.size(); ++i)
        r.pieces[i].raise = static_cast<int32_t>(U(r.pieces[i].raise) + U(f.bottom) - U(g.bottom));
    r.right = g.right;
    r.width = static_cast<int32_t>(U(r.right) - U(r.left));
    r.lineHeight = std::max(x.lineHeight, y.lineHeight);
    r.top = static_cast<int32_t>(U(r.bottom) - x.lineHeight);
    r.lastSize = g.lastSize;
    return r;
}

void MergeLineRuns(RunList& runs, TextMode mode)
{
    if (runs.size() < 2)
        return;
    // Compaction instead of erasing in the middle: runs[out] is the run being
    // grown (run i), runs[next] its neighbour (run i + 1). A failed pair moves
    // on, which makes the neighbour the next run i, as erasing would.
    size_t out = 0;
    CTextRun joined;
    for (size_t next = 1; next < runs.size(); ++next) {
        if (TryJoin(runs[out], runs[next], mode, joined)) {
            runs[out] = std::move(joined);
        } else {
            ++out;
            if (out != next)
                runs[out] = std::move(runs[next]);
        }
    }
    runs.resize(out + 1);
}

void SortLineRuns(RunList& runs)
{
    // The passes of neighbour swaps (only on a strictly smaller key) amount to
    // a stable sort on the same key; with as many passes as runs it completes.
    std::stable_sort(runs.begin(), runs.end(), SortsBefore);
}
