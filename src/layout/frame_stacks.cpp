#include "layout/frame_stacks.h"

#include <algorithm>
#include <cmath>

namespace {

// A run shares the frame of the run before it on its line only when it starts
// at least this share of that run's size after its end: the tab that leads to
// it must not find the text already past its stop when the reader's font is
// a little wider.
constexpr double kMinTabGapShare = 0.25;
// LibreOffice sets the baseline of a line of exact spacing at this share of
// the spacing below the line's top...
constexpr double kExactBaselineShare = 0.8;
// ...and a frame's first line this far below the frame's top (twips;
// measured the same for Liberation Sans, Serif and Mono at 10 and 12 pt).
constexpr int32_t kFrameContentInset = 45;
// The spacing given to the first line of a stack, in line heights: its
// baseline share then holds the ascent of any common face.
constexpr double kFirstLineSpacing = 1.2;
// A later line joins a stack only with at least this many line heights of
// spacing: tighter lines would have their glyphs clipped by the reader.
constexpr double kMinStackSpacing = 1.15;

int32_t RoundToTwips(double value) { return static_cast<int32_t>(std::lround(value)); }

CFrameLine LineAt(const RunList& runs, size_t first)
{
    CFrameLine line;
    line.first = first;
    line.count = SameLineRunCount(runs, first);
    line.left = runs[first].left;
    line.top = runs[first].top;
    line.bottom = runs[first].bottom;
    for (size_t i = first; i < first + line.count; ++i) {
        line.top = std::min(line.top, runs[i].top);
        line.height = std::max({line.height, static_cast<int32_t>(runs[i].lineHeight), runs[i].size});
    }
    return line;
}

// The exact spacing that puts `line`'s baseline on its own below the stack's
// lines, or 0 when it cannot join the stack.
int32_t StackSpacing(const CFrameStack& stack, const CFrameLine& line)
{
    const CFrameLine& last = stack.lines.back();
    if (line.left != stack.left || line.bottom <= last.bottom || line.height <= 0)
        return 0;
    int64_t above = 0;  // the heights of the lines already in the stack
    for (const CFrameLine& l : stack.lines)
        above += l.spacing;
    const int32_t spacing = RoundToTwips(
        static_cast<double>(line.bottom - stack.top - kFrameContentInset - above) / kExactBaselineShare);
    return spacing >= kMinStackSpacing * line.height ? spacing : 0;
}

CFrameStack StackOf(const CFrameLine& line)
{
    CFrameStack stack;
    stack.left = line.left;
    stack.lines.push_back(line);
    // As the first line of a stack it gets an exact spacing and the stack
    // starts where that spacing puts its baseline on the run's baseline.
    stack.lines.back().spacing = RoundToTwips(std::ceil(kFirstLineSpacing * line.height));
    stack.top = line.bottom - kFrameContentInset - RoundToTwips(kExactBaselineShare * stack.lines.back().spacing);
    return stack;
}

}  // namespace

size_t SameLineRunCount(const RunList& runs, size_t first)
{
    size_t count = 1;
    while (first + count < runs.size()) {
        const CTextRun& previous = runs[first + count - 1];
        const CTextRun& next = runs[first + count];
        const double minGap = kMinTabGapShare * previous.size;
        if (next.bottom != previous.bottom || next.left - previous.right < minGap)
            break;
        ++count;
    }
    return count;
}

std::vector<CFrameStack> PlanFrameStacks(const RunList& runs)
{
    std::vector<CFrameStack> stacks;
    for (size_t i = 0; i < runs.size();) {
        CFrameLine line = LineAt(runs, i);
        i += line.count;
        if (!stacks.empty()) {
            CFrameStack& stack = stacks.back();
            if (const int32_t spacing = StackSpacing(stack, line)) {
                line.spacing = spacing;
                stack.lines.push_back(line);
                continue;
            }
        }
        stacks.push_back(StackOf(line));
    }
    // A frame of one line keeps its exact spacing too: without one the
    // reader sets the baseline by the font's own ascent, which puts it a
    // pixel or two off wherever the font's ascent is not its size's.
    return stacks;
}
