#include "layout/flow_plan.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// A line closer than this share of its line height to the previous baseline
// is a close line.
constexpr double kCloseLineShare = 0.75;
// The smallest spacing a paragraph is given (twips): 0 would read as "as
// tall as the text" rather than exact.
constexpr int32_t kLeastSpacing = 1;

// Where a line stands before it is placed.
struct CLineBox {
    int32_t left = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int64_t lineHeight = 0;
    bool rightToLeft = false;
};

bool EveryColumnHoldsARun(const CRunBlock& block)
{
    for (const CRunColumn& column : block.columns)
        if (column.runs.empty())
            return false;
    return true;
}

class CFlowPlanner {
public:
    explicit CFlowPlanner(const CPage& page) : page_(page) {}

    CFlowPlan Plan()
    {
        plan_.fillerSpacing = kFillerSpacing;
        plan_.fillerMarkHalfPoints = kFillerMarkHalfPoints;
        for (size_t b = 0; b < page_.blocks.size(); ++b) {
            const CRunBlock& block = page_.blocks[b];
            if (block.columns.size() == 1) {
                inColumnSection_ = false;
                PlanColumn(b, 0);
            } else if (block.tabbedLine && EveryColumnHoldsARun(block)) {
                inColumnSection_ = false;
                PlanTabbedLine(b);
            } else if (block.columns.size() > 1) {
                PlanColumnSection(b);
            }
        }
        return std::move(plan_);
    }

private:
    // The column's right edge; the page's last (or only) column reaches to
    // the paper's edge.
    int32_t ColumnRight(int32_t boundary, int32_t width) const
    {
        const int32_t right = boundary + width;
        return right >= page_.widthTwips ? page_.PaperWidth() : right;
    }

    void PlanColumnSection(size_t b)
    {
        const CRunBlock& block = page_.blocks[b];
        inColumnSection_ = true;
        pendingBreak_ = lastBaseline_ != 0;
        pendingColumns_.clear();
        for (const CRunColumn& column : block.columns)
            pendingColumns_.push_back(std::max(column.width, 1));
        // Every column starts from the baseline reached before the block; on
        // the page's first block that is the page's top edge. The block ends
        // at the lowest baseline a column reached.
        const int32_t start = lastBaseline_;
        reached_ = start;
        for (size_t c = 0; c < block.columns.size(); ++c) {
            pendingColumnBreak_ = c > 0;
            lastBaseline_ = block.id != 0 ? start : 0;
            PlanColumn(b, c);
        }
        lastBaseline_ = std::max(block.endBaseline, reached_);
    }

    void PlanColumn(size_t b, size_t c)
    {
        const CRunColumn& column = page_.blocks[b].columns[c];
        if (lastBaseline_ != 0 && !inColumnSection_)
            pendingBreak_ = true;
        const int32_t columnRight = ColumnRight(column.boundary, column.width);
        for (size_t r = 0; r < column.runs.size(); ++r) {
            const CTextRun& run = column.runs[r];
            CFlowLine& line = PlaceLine({run.left, run.right, run.bottom, run.lineHeight, run.readsRightToLeft},
                                        column.boundary, columnRight);
            line.parts.push_back(CFlowPart{Index(b, c, r), 0, 0});
        }
        // A column without lines (layout makes none) still keeps its breaks.
        if (column.runs.empty() && (pendingBreak_ || !pendingColumns_.empty() || pendingColumnBreak_))
            TakePendingBreaks(plan_.lines.emplace_back());
    }

    void TakePendingBreaks(CFlowLine& line)
    {
        line.sectionBreak = pendingBreak_;
        line.columnWidths = std::move(pendingColumns_);
        line.columnBreak = pendingColumnBreak_;
        pendingBreak_ = pendingColumnBreak_ = false;
        pendingColumns_.clear();
    }

    // A block of one run per column on one baseline: one line from the
    // first column's boundary with a tab stop on every later run's left edge.
    void PlanTabbedLine(size_t b)
    {
        const CRunBlock& block = page_.blocks[b];
        if (lastBaseline_ != 0)
            pendingBreak_ = true;
        const int32_t origin = block.columns[0].boundary;
        const CTextRun& first = block.columns[0].runs[0];
        CLineBox box{origin, first.right, first.bottom, first.lineHeight, false};
        for (const CRunColumn& column : block.columns) {
            box.right = std::max(box.right, column.runs[0].right);
            box.lineHeight = std::max<int64_t>(box.lineHeight, column.runs[0].lineHeight);
        }
        // The line stands in a column of its own from the origin; it never
        // reads right to left, so the column's right edge is not used.
        CFlowLine& line = PlaceLine(box, origin, ColumnRight(origin, 0));
        for (size_t c = 0; c < block.columns.size(); ++c) {
            const CTextRun& run = block.columns[c].runs[0];
            CFlowPart part{Index(b, c, 0), 0, 0};
            // The tab has the size of the run it leads to, so it cannot make
            // the line taller than its runs. A run at the origin itself needs
            // none (a tab there would skip to the next stop).
            if (const int32_t offset = run.left - origin; offset > 0) {
                part.tabStop = offset;
                part.tabHalfPoints = std::max(run.size / kTwipsPerHalfPoint, 1);
            }
            line.parts.push_back(part);
        }
    }

    // The paragraph that puts a line at its baseline, after the breaks
    // pending before it.
    CFlowLine& PlaceLine(const CLineBox& box, int32_t boundary, int32_t columnRight)
    {
        CFlowLine& line = plan_.lines.emplace_back();
        TakePendingBreaks(line);

        const int64_t h = box.lineHeight;
        const auto closeBelow = static_cast<int64_t>(std::floor(kCloseLineShare * static_cast<double>(h)));
        const int64_t d = static_cast<int64_t>(box.bottom) - lastBaseline_;
        line.indent = box.left - boundary;
        int64_t advance = d;
        int64_t spacing = d;
        if (d < closeBelow) {
            // A line closer to the previous one than its own height (a
            // subscript line, a plot drawn with text) advances exactly its
            // distance: the reader draws text taller than an exact spacing
            // without clipping it, and any larger spacing would push every
            // later line of the page down, and the page over its end. A line
            // above the text already written (flowing text cannot go back
            // up) advances the least step.
            advance = spacing = std::max<int64_t>(d, kLeastSpacing);
        } else if (d > h) {
            const int64_t gap = d - h;
            line.fillers = static_cast<int32_t>(gap / kFillerSpacing);
            spacing = h + gap % kFillerSpacing;
        }
        line.spacing = static_cast<int32_t>(std::max<int64_t>(spacing, kLeastSpacing));
        if (box.rightToLeft) {
            // Set from its right end, which stays where the PDF has it, as
            // the lines of such text are aligned there.
            line.rightToLeft = true;
            line.startIndent = std::max(columnRight - box.right, 0);
        } else {
            // Each paragraph holds one line of the PDF; where the reader sets
            // it wider than the PDF (other fonts, characters the measure
            // could not see), the line runs on a page width past the
            // column's edge instead of wrapping into a second line, which
            // would push every later line of the page down and the page
            // over its end.
            line.rightIndent = -page_.PaperWidth();
        }
        // Where the line really stands: the next spacing is measured from it.
        lastBaseline_ = static_cast<int32_t>(lastBaseline_ + advance);
        reached_ = std::max(reached_, lastBaseline_);
        return line;
    }

    static CBlockRunIndex Index(size_t b, size_t c, size_t r)
    {
        return {static_cast<uint32_t>(b), static_cast<uint32_t>(c), static_cast<uint32_t>(r)};
    }

    const CPage& page_;
    CFlowPlan plan_;
    int32_t lastBaseline_ = 0;  // baseline of the last line placed on the page
    int32_t reached_ = 0;       // lowest baseline placed in the current column section
    bool inColumnSection_ = false;
    bool pendingBreak_ = false;
    std::vector<int32_t> pendingColumns_;
    bool pendingColumnBreak_ = false;
};

void AddBoxes(std::vector<CTextBox>& boxes, const RunList& runs, RunKind list, TextFlow flow)
{
    for (size_t i = 0; i < runs.size(); ++i)
        boxes.push_back(CTextBox{list, i, flow, TextBoxRect(runs[i], flow)});
}

}  // namespace

CFlowPlan PlanFlowLines(const CPage& page) { return CFlowPlanner(page).Plan(); }

std::vector<CTextBox> PlanTextBoxes(const CPage& page)
{
    std::vector<CTextBox> boxes;
    if (page.mode == TextMode::Flow)
        AddBoxes(boxes, page.boxRuns, RunKind::Box, TextFlow::Horizontal);
    AddBoxes(boxes, page.upRuns, RunKind::Up, TextFlow::Upward);
    AddBoxes(boxes, page.downRuns, RunKind::Down, TextFlow::Downward);
    return boxes;
}

void PlanPlaces(CPage& page)
{
    page.flowPlan = page.mode == TextMode::Flow ? PlanFlowLines(page) : CFlowPlan();
    page.textBoxes = PlanTextBoxes(page);
}
