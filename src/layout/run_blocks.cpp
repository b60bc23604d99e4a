#include "layout/run_blocks.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "layout/line_runs.h"

namespace {

// Most columns one block (one section of the document) may have.
constexpr size_t kMaxBlockColumns = 12;
// Twips left free between neighbouring columns when a block is closed.
constexpr int32_t kColumnGapTwips = 1;

uint32_t U(int32_t v) { return static_cast<uint32_t>(v); }

// Closed horizontal extents intersect (unsigned box values).
bool MeetsHorizontally(const CTextRun& run, const CRunColumn& column)
{
    return !(U(run.right) < U(column.contentLeft) || U(column.contentRight) < U(run.left));
}

bool SameBox(const CTextRun& a, const CTextRun& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Visits the runs of R's line: from `from`, runs ending above R's baseline are
// passed over, and the scan ends at the first run starting at or below it (or,
// with `taken`, at the first run already in a column). R is left out.
// `visit` returns false to end the scan early.
template <typename Visit>
void ForRunsOnLine(const RunList& lineRuns, const CTextRun& r, size_t from, const std::vector<bool>* taken,
                   Visit&& visit)
{
    for (size_t i = from; i < lineRuns.size(); ++i) {
        const CTextRun& l = lineRuns[i];
        if (U(l.bottom) < U(r.bottom))
            continue;
        if (U(l.top) >= U(r.bottom))
            return;
        if (SameBox(l, r))
            continue;
        if (taken && (*taken)[i])
            return;
        if (!visit(l))
            return;
    }
}

// R beside every column: each run of its line may meet at most one column, and
// each column at most one run of the line.
bool FitsBeside(const CRunBlock& block, const CTextRun& r, const RunList& lineRuns, size_t from)
{
    std::vector<int> metBy(block.columns.size(), 0);
    bool fits = true;
    ForRunsOnLine(lineRuns, r, from, nullptr, [&](const CTextRun& l) {
        int meets = 0;
        for (size_t c = 0; c < block.columns.size(); ++c)
            if (MeetsHorizontally(l, block.columns[c])) {
                ++meets;
                if (++metBy[c] > 1)
                    fits = false;
            }
        if (meets > 1)
            fits = false;
        return fits;
    });
    return fits;
}

// R under column k: no other run of its line may fall under k, and the others
// must each sit under a different single column.
bool FitsUnder(const CRunBlock& block, size_t k, const CTextRun& r, const RunList& lineRuns,
               const std::vector<bool>& taken, size_t from)
{
    std::vector<bool> met(block.columns.size(), false);
    bool fits = true;
    ForRunsOnLine(lineRuns, r, from, &taken, [&](const CTextRun& l) {
        int meets = 0;
        size_t m = 0;
        for (size_t c = 0; c < block.columns.size(); ++c)
            if (MeetsHorizontally(l, block.columns[c])) {
                ++meets;
                m = c;
                if (c == k)
                    fits = false;
            }
        if (meets > 1)
            fits = false;
        if (fits && meets == 1) {
            if (met[m])
                fits = false;
            met[m] = true;
        }
        return fits;
    });
    return fits;
}

}  // namespace

void AddColumn(CRunBlock& block, const CTextRun& run, bool sorted)
{
    CRunColumn column;
    column.runs.push_back(run);
    column.contentLeft = run.left;
    column.contentRight = run.right;
    column.lastBaseline = run.bottom;
    auto at = block.columns.end();
    if (sorted)
        at = std::find_if(block.columns.begin(), block.columns.end(), [&](const CRunColumn& c) {
            return c.contentLeft > column.contentLeft;
        });
    block.columns.insert(at, std::move(column));
}

void AddRunToColumn(CRunColumn& column, const CTextRun& run)
{
    if (!column.runs.empty() && column.runs.back().bottom == run.bottom)
        column.runs.back() = JoinRuns(column.runs.back(), run);
    else
        column.runs.push_back(run);
    column.lastBaseline = run.bottom;
    if (U(run.left) < U(column.contentLeft))
        column.contentLeft = run.left;
    if (U(run.right) > U(column.contentRight))
        column.contentRight = run.right;
}

bool OfferRun(CRunBlock& block, const RunList& lineRuns, size_t index, std::vector<bool>& taken, size_t scanFrom)
{
    const CTextRun& run = lineRuns[index];
    size_t hits = 0, k = 0;
    for (size_t c = 0; c < block.columns.size(); ++c)
        if (MeetsHorizontally(run, block.columns[c])) {
            ++hits;
            k = c;
        }
    if (hits == 0) {
        // A block of more columns than a Word document's section holds would
        // not survive being stored as one: the run starts a new block.
        if (block.columns.size() >= kMaxBlockColumns)
            return false;
        if (!FitsBeside(block, run, lineRuns, scanFrom))
            return false;
        AddColumn(block, run, true);
        taken[index] = true;
        return true;
    }
    if (hits == 1) {
        if (!FitsUnder(block, k, run, lineRuns, taken, scanFrom))
            return false;
        AddRunToColumn(block.columns[k], run);
        taken[index] = true;
        return true;
    }
    return false;
}

void CloseBlock(CRunBlock& block, int32_t pageWidth)
{
    const size_t n = block.columns.size();
    uint32_t end = 0;
    for (size_t k = 0; k < n; ++k) {
        CRunColumn& c = block.columns[k];
        c.boundary = k == 0 ? 0 : c.contentLeft;
        end = std::max(end, U(c.lastBaseline));
    }
    for (size_t k = 0; k < n; ++k) {
        CRunColumn& c = block.columns[k];
        c.width = k + 1 < n ? block.columns[k + 1].contentLeft - c.boundary - kColumnGapTwips
                            : pageWidth - c.boundary;
    }
    block.endBaseline = static_cast<int32_t>(end);
}

void BuildBlocks(const RunList& lineRuns, int32_t pageWidth, std::vector<CRunBlock>& blocks)
{
    if (lineRuns.empty())
        return;
    // Largest bottom of each prefix of the list: every run before the first
    // prefix reaching R's bottom ends above R's line, so the scan for R's line
    // can start there (a binary search) and sees exactly the runs a scan from
    // the list's start would see.
    std::vector<uint32_t> prefixMaxBottom(lineRuns.size());
    uint32_t top = 0;
    for (size_t i = 0; i < lineRuns.size(); ++i) {
        top = std::max(top, U(lineRuns[i].bottom));
        prefixMaxBottom[i] = top;
    }
    CRunBlock block;
    bool open = false;
    auto closeOpen = [&] {
        CloseBlock(block, pageWidth);
        block.id = static_cast<int32_t>(blocks.size());
        blocks.push_back(std::move(block));
        block = CRunBlock();
        open = false;
    };
    // Which runs a column holds: a scan for a run's line stops at them.
    std::vector<bool> taken(lineRuns.size(), false);
    for (size_t i = 0; i < lineRuns.size(); ++i) {
        const CTextRun& run = lineRuns[i];
        if (open) {
            size_t from = static_cast<size_t>(
                std::lower_bound(prefixMaxBottom.begin(), prefixMaxBottom.end(), U(run.bottom)) -
                prefixMaxBottom.begin());
            if (OfferRun(block, lineRuns, i, taken, from))
                continue;
            closeOpen();
        }
        AddColumn(block, run, false);
        taken[i] = true;
        open = true;
    }
    closeOpen();
}
