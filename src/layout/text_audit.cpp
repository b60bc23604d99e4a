#include "layout/text_audit.h"

#include <algorithm>
#include <vector>

#include <unicode/uchar.h>

#include "layout/printed_text.h"

namespace {

constexpr char16_t kNoBreakSpace = 0xA0;
constexpr char16_t kFirstC1 = 0x80;
constexpr char16_t kDelete = 0x7F;

// Blanks and control characters carry no word.
bool Counted(char16_t unit)
{
    return unit > u' ' && unit != kDelete && !(unit >= kFirstC1 && unit <= kNoBreakSpace);
}

void AppendCounted(char16_t unit, std::u16string& out)
{
    if (Counted(unit))
        out.push_back(unit);
}

// Right-to-left lines store a drawn bracket as its mirror image, the bracket
// that reads so: the two of a mirrored pair count as one character.
void FoldMirrored(std::u16string& text)
{
    for (char16_t& unit : text) {
        const UChar32 mirror = u_charMirror(unit);
        if (mirror < unit)
            unit = static_cast<char16_t>(mirror);
    }
}

void AppendRun(const CTextRun& run, std::u16string& out)
{
    for (const CPrintedText& stretch : run.printed)
        for (char16_t unit : stretch.text)
            AppendCounted(unit, out);
}

} // namespace

std::u16string ItemCharacters(const std::vector<CTextItem>& items)
{
    std::u16string out;
    for (const CTextItem& item : items)
        for (char16_t unit : PrintedSpanText(CTextSpan{item.text, item.useCharCode != 0}))
            AppendCounted(unit, out);
    return out;
}

std::u16string PrintedCharacters(const CPage& page)
{
    std::u16string out;
    if (page.mode == TextMode::Flow) {
        for (const CRunBlock& block : page.blocks)
            for (const CRunColumn& column : block.columns)
                for (const CTextRun& run : column.runs)
                    AppendRun(run, out);
        for (const CTextRun& run : page.boxRuns)
            AppendRun(run, out);
    } else {
        for (const CFrameStack& stack : page.frameStacks)
            for (const CFrameLine& line : stack.lines)
                for (size_t i = line.first; i < line.first + line.count && i < page.lineRuns.size(); ++i)
                    AppendRun(page.lineRuns[i], out);
    }
    for (const CTextRun& run : page.upRuns)
        AppendRun(run, out);
    for (const CTextRun& run : page.downRuns)
        AppendRun(run, out);
    return out;
}

CTextAuditResult CompareCharacters(std::u16string expected, std::u16string written)
{
    FoldMirrored(expected);
    FoldMirrored(written);
    std::sort(expected.begin(), expected.end());
    std::sort(written.begin(), written.end());
    CTextAuditResult result;
    std::set_difference(expected.begin(), expected.end(), written.begin(), written.end(),
                        std::back_inserter(result.missing));
    std::set_difference(written.begin(), written.end(), expected.begin(), expected.end(),
                        std::back_inserter(result.extra));
    return result;
}

const CTextAuditResult& CPageTextAudit::CheckPage(int pageNumber, const CPage& page)
{
    checked_ += expected_.size();
    last_ = CompareCharacters(std::move(expected_), PrintedCharacters(page));
    expected_.clear();
    if (!last_.Clean())
        failures_.push_back({pageNumber, last_});
    return last_;
}
