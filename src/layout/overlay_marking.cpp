#include "layout/overlay_marking.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>


namespace {

// A raised or lowered letter of a word may reach this share of the previous
// letter's height above or below it.
constexpr double kRaisedLetterReach = 0.25;
// Fraction of its own width by which each box is shrunk before the overlap
// test, so glyphs that merely touch or kern into each other are not overlaid.
constexpr double kShrinkWidthShare = 1.0 / 6.0;
// Fraction of its own height by which each box is shrunk for the same test.
constexpr double kShrinkHeightShare = 0.25;
// Largest gap, in units of the left glyph's height, between two glyphs of one
// word (the overlay mark spreads across such gaps).
constexpr double kWordGapShare = 0.15;
// A large initial is more than this many times as tall as the text after it.
constexpr double kInitialHeightRatio = 3.0;
// Upper bound on grid cells per axis for the overlap index; keeps the memory
// of very large glyphs bounded.
constexpr int kMaxIndexCells = 128;
// Index cell side, in multiples of the page's mean glyph extent.
constexpr double kCellGlyphMultiple = 2.0;

// A coordinate on the 0.01 grid as a whole number of hundredths.
long long Hundredths(double v) { return std::llround(v * 100.0); }

int RoundHalfUp(double v) { return static_cast<int>(std::floor(v + 0.5)); }

// The glyph boxes meet as closed intervals on both axes.
bool BoxesMeet(const CTextItem& s, const CTextItem& p)
{
    return s.y - s.height <= p.y && p.x + p.width >= s.x && s.x + s.width >= p.x &&
           p.y - p.height <= s.y;
}

CItemRect ShrunkRect(const CTextItem& item)
{
    CItemRect r(item);
    r.Shrink(r.Width() * kShrinkWidthShare, r.Height() * kShrinkHeightShare);
    return r;
}

// P lies over S: its shrunk box overlaps S's and it differs in baseline or size.
bool Covers(const CTextItem& s, const CTextItem& p)
{
    if (!BoxesMeet(s, p))
        return false;
    if (!Overlaps(ShrunkRect(p), ShrunkRect(s)))
        return false;
    return p.y != s.y || p.height != s.height;
}

// P, drawn right after S, continues S's word as a raised or lowered letter
// (the A and E of the LaTeX logo, kerned into their neighbours): no taller
// than S, starting past the middle of S, within S's line widened by a
// quarter of its height either way. Such a letter is part of the line, not
// text laid over it.
bool RaisedLetterOfWord(const CTextItem& s, const CTextItem& p)
{
    const double reach = kRaisedLetterReach * s.height;
    return p.height <= s.height && p.x > s.x + s.width / 2 && p.y - p.height >= s.y - s.height - reach &&
           p.y <= s.y + reach;
}

// Item s of the store marks item p, unless one is the other's raised letter.
bool Marks(const std::vector<CTextItem>& items, size_t s, size_t p)
{
    if (p == s + 1 && RaisedLetterOfWord(items[s], items[p]))
        return false;
    if (s == p + 1 && RaisedLetterOfWord(items[p], items[s]))
        return false;
    return Covers(items[s], items[p]);
}

bool SkippedAsSource(const CTextItem& s) { return s.layoutMark != 0 || s.narrowText == " "; }

// Uniform grid over the item boxes. Every item is listed in each cell its
// closed box touches; the cell of a coordinate is monotonic in it, so two boxes
// that meet always share a cell.
class CItemGrid {
public:
    explicit CItemGrid(const std::vector<CTextItem>& items)
    {
        minX_ = minY_ = INFINITY;
        double maxX = -INFINITY, maxY = -INFINITY, extentSum = 0;
        for (const CTextItem& it : items) {
            minX_ = std::min(minX_, it.x);
            maxX = std::max(maxX, it.x + it.width);
            minY_ = std::min(minY_, it.y - it.height);
            maxY = std::max(maxY, it.y);
            extentSum += std::max(it.width, it.height);
        }
        double mean = extentSum / static_cast<double>(items.size());
        cell_ = std::max(mean * kCellGlyphMultiple, 1e-3);
        cellsX_ = CellCount(maxX - minX_);
        cellsY_ = CellCount(maxY - minY_);
        cells_.resize(static_cast<size_t>(cellsX_) * cellsY_);
        for (size_t i = 0; i < items.size(); ++i) {
            const CTextItem& it = items[i];
            ForCells(it, [&](std::vector<uint32_t>& c) { c.push_back(static_cast<uint32_t>(i)); });
        }
    }

    template <typename F>
    void ForCells(const CTextItem& it, F&& f)
    {
        int x0 = CellX(it.x), x1 = CellX(it.x + it.width);
        int y0 = CellY(it.y - it.height), y1 = CellY(it.y);
        for (int cy = y0; cy <= y1; ++cy)
            for (int cx = x0; cx <= x1; ++cx)
                f(cells_[static_cast<size_t>(cy) * cellsX_ + cx]);
    }

private:
    int CellCount(double extent) const
    {
        double n = std::ceil(extent / cell_) + 1;
        return static_cast<int>(std::clamp(n, 1.0, static_cast<double>(kMaxIndexCells)));
    }
    static int Cell(double v, double origin, double cell, int count)
    {
        double k = std::floor((v - origin) / cell);
        return static_cast<int>(std::clamp(k, 0.0, static_cast<double>(count - 1)));
    }
    int CellX(double v) const { return Cell(v, minX_, cell_, cellsX_); }
    int CellY(double v) const { return Cell(v, minY_, cell_, cellsY_); }

    double minX_ = 0, minY_ = 0, cell_ = 1;
    int cellsX_ = 1, cellsY_ = 1;
    std::vector<std::vector<uint32_t>> cells_;
};

bool AllFinite(const std::vector<CTextItem>& items)
{
    for (const CTextItem& it : items)
        if (!std::isfinite(it.x) || !std::isfinite(it.y) || !std::isfinite(it.width) ||
            !std::isfinite(it.height))
            return false;
    return true;
}

// The plain pairwise comparison; serves pages whose coordinates the grid
// cannot place.
void MarkOverlapsPairwise(std::vector<CTextItem>& items)
{
    for (size_t s = 0; s < items.size(); ++s) {
        if (SkippedAsSource(items[s]))
            continue;
        for (size_t p = 0; p < items.size(); ++p) {
            if (p == s || items[p].layoutMark != 0)
                continue;
            if (Marks(items, s, p))
                items[p].layoutMark = 1;
        }
    }
}

bool Adjacent(const CTextItem& a, const CTextItem& b)
{
    return RoundHalfUp(a.y) == RoundHalfUp(b.y) && a.height == b.height && a.x < b.x &&
           b.x - (a.x + a.width) < kWordGapShare * a.height;
}

bool LargeInitial(const CTextItem& a, const CTextItem& b, const CTextItem& f)
{
    int aTop = static_cast<int>(a.y - a.height), aBottom = static_cast<int>(a.y);
    int bTop = static_cast<int>(b.y - b.height), bBottom = static_cast<int>(b.y);
    return bBottom >= aTop && bTop <= aBottom && a.x < b.x &&
           a.height > kInitialHeightRatio * b.height && kInitialHeightRatio * b.height >= f.height;
}

}  // namespace

CItemRect::CItemRect(double l, double t, double r, double b) { Set(l, t, r, b); }

CItemRect::CItemRect(const CTextItem& item)
{
    Set(item.x, item.y - item.height, item.x + item.width, item.y);
}

void CItemRect::Set(double l, double t, double r, double b)
{
    left = RoundHundredths(l);
    top = RoundHundredths(t);
    right = RoundHundredths(r);
    bottom = RoundHundredths(b);
    halfWidth = RoundHundredths((right - left) / 2);
    halfHeight = RoundHundredths((bottom - top) / 2);
}

void CItemRect::Shrink(double dx, double dy)
{
    dx = RoundHundredths(dx);
    dy = RoundHundredths(dy);
    Set(left + dx, top + dy, right - dx, bottom - dy);
}

bool Overlaps(const CItemRect& a, const CItemRect& b)
{
    long long aw = Hundredths(a.right) - Hundredths(a.left);
    long long ah = Hundredths(a.bottom) - Hundredths(a.top);
    long long bh = Hundredths(b.bottom) - Hundredths(b.top);
    const bool scanB = ah >= bh || aw == 0;
    const CItemRect& scanned = scanB ? b : a;
    const CItemRect& other = scanB ? a : b;
    // Grid points of the scanned box form closed integer ranges; "strictly
    // inside" the other box means the open range (left, right) on each axis.
    long long x0 = std::max(Hundredths(scanned.left), Hundredths(other.left) + 1);
    long long x1 = std::min(Hundredths(scanned.right), Hundredths(other.right) - 1);
    long long y0 = std::max(Hundredths(scanned.top), Hundredths(other.top) + 1);
    long long y1 = std::min(Hundredths(scanned.bottom), Hundredths(other.bottom) - 1);
    return x0 <= x1 && y0 <= y1;
}

void MarkOverlaps(std::vector<CTextItem>& items)
{
    if (items.size() < 2)
        return;
    if (!AllFinite(items)) {
        MarkOverlapsPairwise(items);
        return;
    }
    // Within one source item the marks it sets depend only on each candidate's
    // own state, so visiting just the items sharing a grid cell (in store
    // order) gives exactly the pairwise result.
    CItemGrid grid(items);
    std::vector<size_t> seenBy(items.size(), SIZE_MAX);
    std::vector<uint32_t> candidates;
    for (size_t s = 0; s < items.size(); ++s) {
        if (SkippedAsSource(items[s]))
            continue;
        candidates.clear();
        grid.ForCells(items[s], [&](std::vector<uint32_t>& cell) {
            for (uint32_t p : cell)
                if (p != s && seenBy[p] != s) {
                    seenBy[p] = s;
                    candidates.push_back(p);
                }
        });
        std::sort(candidates.begin(), candidates.end());
        for (uint32_t p : candidates) {
            if (items[p].layoutMark != 0)
                continue;
            if (Marks(items, s, p))
                items[p].layoutMark = 1;
        }
    }
}

void MarkPageItems(std::vector<CTextItem>& items, TextMode mode)
{
    if (mode != TextMode::Flow)
        return;
    MarkOverlaps(items);
    for (size_t i = 0; i + 2 < items.size(); ++i) {
        CTextItem& a = items[i];
        CTextItem& b = items[i + 1];
        const CTextItem& f = items[i + 2];
        if (a.layoutMark == 1) {
            if (b.layoutMark != 1 && Adjacent(a, b))
                b.layoutMark = 1;
        } else if (b.layoutMark == 1 && Adjacent(a, b)) {
            a.layoutMark = 1;
        }
        if (LargeInitial(a, b, f))
            a.layoutMark = 2;
    }
}
