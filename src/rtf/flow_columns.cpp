// Flow mode: the page's flow plan as ordinary paragraphs of exact line
// spacing, filler paragraphs and column sections that continue on the page.
#include <string>

#include "rtf/rtf_format.h"
#include "rtf/rtf_writer.h"
#include "rtf/run_text.h"

namespace {

constexpr const char* kSectionContinues = "\\pard\\sect\\sectd\\sbknone";

// "\pard\li%d\ri%d\sl-%d\slmult0 ": a paragraph `indent` twips in from its
// column's left edge and `rightIndent` from its right edge, whose line
// advances exactly `spacing` twips.
void AppendParagraphStart(std::string& out, int32_t indent, int32_t spacing, int32_t rightIndent)
{
    AppendRtf(out, "\\pard\\li", indent, "\\ri", rightIndent, "\\sl-", spacing, "\\slmult0 ");
}

// A right-to-left paragraph: in such a paragraph the office suite takes \li
// as the indent at the right, where the paragraph starts, and \qr as its start.
void AppendRightToLeftStart(std::string& out, int32_t startIndent, int32_t spacing)
{
    AppendRtf(out, "\\pard\\rtlpar\\qr\\li", startIndent, "\\ri0\\sl-", spacing, "\\slmult0 ");
}

std::string ColumnLayout(const std::vector<int32_t>& widths)
{
    std::string layout = RtfText("\\cols", widths.size());
    for (size_t c = 0; c < widths.size(); ++c)
        AppendRtf(layout, "\\colno", c + 1, "\\colw", widths[c], "\\colsr-0");
    return layout;
}

}  // namespace

int CRtfWriter::WriteFlowLines(const CPage& page)
{
    const CFlowPlan& plan = page.flowPlan;
    const std::string fillerEnd = RtfText("\\fs", plan.fillerMarkHalfPoints, "\\cf0\\par");
    std::string out;
    for (const CFlowLine& line : plan.lines) {
        out.clear();
        if (line.sectionBreak)
            out += kSectionContinues;
        if (!line.columnWidths.empty())
            out += ColumnLayout(line.columnWidths);
        if (line.columnBreak)
            out += "\\column";
        if (line.parts.empty()) {
            if (int rc = WriteBody(out))
                return rc;
            continue;
        }
        for (int32_t k = 0; k < line.fillers; ++k) {
            if (k > 0)
                out += fillerEnd;
            AppendParagraphStart(out, line.indent, plan.fillerSpacing, 0);
        }
        if (line.fillers > 0)
            out += fillerEnd;
        if (line.rightToLeft)
            AppendRightToLeftStart(out, line.startIndent, line.spacing);
        else
            AppendParagraphStart(out, line.indent, line.spacing, line.rightIndent);
        for (const CFlowPart& part : line.parts)
            if (part.tabStop > 0)
                AppendRtf(out, "\\tx", part.tabStop);
        for (const CFlowPart& part : line.parts) {
            if (part.tabStop > 0)
                AppendRtf(out, "{\\fs", part.tabHalfPoints, "\\tab}");
            out += RunRtf(page.RunAt(part.run), TextMode::Flow, *this);
        }
        out += "\\par";
        if (int rc = WriteBody(out))
            return rc;
    }
    return 0;
}
