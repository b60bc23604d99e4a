// Flow mode: the page's text boxes in its anchor paragraph, then its flow
// plan as ordinary paragraphs of exact line spacing, filler paragraphs,
// column sections that continue on the page and tabbed lines.
#include <string>

#include "docx/page_body.h"
#include "docx/run_xml.h"
#include "docx/xml_text.h"

namespace {

// The w:cols of a section of `widths` (none for a section of one column).
std::string ColumnsXml(const std::vector<int32_t>& widths)
{
    if (widths.empty())
        return std::string();
    std::string cols = "<w:cols w:num=\"";
    AppendInt(cols, static_cast<int64_t>(widths.size()));
    cols += "\" w:space=\"0\" w:equalWidth=\"0\">";
    for (size_t c = 0; c < widths.size(); ++c) {
        // One twip between neighbours: the columns tile the page from its
        // left edge to the right edge of the picture.
        cols += "<w:col w:w=\"";
        AppendInt(cols, widths[c]);
        cols += c + 1 < widths.size() ? "\" w:space=\"1\"/>" : "\" w:space=\"0\"/>";
    }
    cols += "</w:cols>";
    return cols;
}

void WriteFiller(CPageBody& body, const CFlowPlan& plan)
{
    std::string properties;
    AppendExactSpacing(properties, plan.fillerSpacing);
    body.OpenParagraph(properties, plan.fillerMarkHalfPoints);
    body.CloseParagraph();
}

void WriteLine(CPageBody& body, const CFlowLine& line)
{
    const CPage& page = body.Page();
    std::string properties;
    std::string stops;
    for (const CFlowPart& part : line.parts)
        if (part.tabStop > 0) {
            stops += "<w:tab w:val=\"left\" w:pos=\"";
            AppendInt(stops, part.tabStop);
            stops += "\"/>";
        }
    // A tab list holds at least one stop.
    if (!stops.empty())
        properties += "<w:tabs>" + stops + "</w:tabs>";
    AppendExactSpacing(properties, line.spacing);
    if (line.rightToLeft) {
        // Set from its start, its right end: the indent at the start and the
        // alignment to the start (the names readers agree on for
        // right-to-left paragraphs).
        properties.insert(0, "<w:bidi/>");
        properties += "<w:ind w:start=\"";
        AppendInt(properties, line.startIndent);
        properties += "\" w:end=\"0\"/><w:jc w:val=\"start\"/>";
    } else {
        AppendIndent(properties, line.indent, line.rightIndent);
    }
    body.OpenParagraph(properties, RunHalfPoints(page.RunAt(line.parts.front().run)));
    std::string& out = body.Out();
    for (const CFlowPart& part : line.parts) {
        if (part.tabStop > 0)
            AppendTabRun(out, part.tabHalfPoints);
        AppendRunText(out, page.RunAt(part.run));
    }
    body.CloseParagraph();
}

}  // namespace

void WriteFlowPage(CPageBody& body, CDrawingIds& ids, const std::string& pictureRelation)
{
    WriteAnchorParagraph(body, ids, pictureRelation);
    const CFlowPlan& plan = body.Page().flowPlan;
    for (const CFlowLine& line : plan.lines) {
        if (line.sectionBreak)
            body.BreakSection(ColumnsXml(line.columnWidths));
        else if (!line.columnWidths.empty())
            body.SetColumns(ColumnsXml(line.columnWidths));
        if (line.columnBreak)
            body.BreakColumn();
        if (line.parts.empty())
            continue;
        for (int32_t k = 0; k < line.fillers; ++k)
            WriteFiller(body, plan);
        WriteLine(body, line);
    }
}
