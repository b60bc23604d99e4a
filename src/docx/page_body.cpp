#include "docx/page_body.h"

#include <algorithm>

#include "docx/xml_text.h"

namespace {

// Size of the mark of the one-twip anchor paragraph (half-points).
constexpr int32_t kAnchorMarkHalfPoints = 2;
// The anchor paragraph's exact height (twips): as small as a line can be.
constexpr int32_t kAnchorLineTwips = 1;

}  // namespace

CPageBody::CPageBody(const CPage& page, std::string& out) : page_(page), out_(out) {}

void CPageBody::OpenParagraph(std::string_view properties, int32_t markHalfPoints)
{
    out_ += "<w:p><w:pPr>";
    out_ += properties;
    if (markHalfPoints > 0) {
        out_ += "<w:rPr><w:sz w:val=\"";
        AppendInt(out_, markHalfPoints);
        out_ += "\"/></w:rPr>";
    }
    markEnd_ = out_.size();
    out_ += "</w:pPr>";
    if (columnBreak_) {
        out_ += "<w:r><w:br w:type=\"column\"/></w:r>";
        columnBreak_ = false;
    }
}

std::string CPageBody::SectionProperties() const
{
    std::string s = "<w:sectPr>";
    if (continuous_)
        s += "<w:type w:val=\"continuous\"/>";
    s += "<w:pgSz w:w=\"";
    AppendInt(s, PaperWidth());
    s += "\" w:h=\"";
    AppendInt(s, PaperHeight());
    s += PaperWidth() > PaperHeight() ? "\" w:orient=\"landscape\"/>" : "\"/>";
    s += "<w:pgMar w:top=\"0\" w:right=\"0\" w:bottom=\"0\" w:left=\"0\" w:header=\"0\" w:footer=\"0\" "
         "w:gutter=\"0\"/>";
    s += columns_;
    s += "</w:sectPr>";
    return s;
}

void CPageBody::BreakSection(std::string columns)
{
    EnsureParagraph();
    out_.insert(markEnd_, SectionProperties());
    columns_ = std::move(columns);
    continuous_ = true;
    markEnd_ = std::string::npos;
}

void CPageBody::EnsureParagraph()
{
    if (markEnd_ != std::string::npos)
        return;
    std::string properties;
    AppendExactSpacing(properties, kAnchorLineTwips);
    OpenParagraph(properties, kAnchorMarkHalfPoints);
    CloseParagraph();
}

void AppendExactSpacing(std::string& out, int64_t twips)
{
    out += "<w:spacing w:line=\"";
    AppendInt(out, std::max<int64_t>(twips, 1));
    out += "\" w:lineRule=\"exact\"/>";
}

void AppendIndent(std::string& out, int64_t left, int64_t right)
{
    out += "<w:ind w:left=\"";
    AppendInt(out, left);
    out += "\" w:right=\"";
    AppendInt(out, right);
    out += "\"/>";
}

void WriteAnchorParagraph(CPageBody& body, CDrawingIds& ids, const std::string& pictureRelation)
{
    std::string properties;
    AppendExactSpacing(properties, kAnchorLineTwips);
    body.OpenParagraph(properties, kAnchorMarkHalfPoints);
    std::string& out = body.Out();
    if (!pictureRelation.empty()) {
        std::string name = "Page ";
        AppendInt(name, body.Page().number);
        AppendPictureAnchor(out, ids, pictureRelation, name, body.Page().widthTwips, body.Page().heightTwips);
    }
    for (const CTextBox& box : body.Page().textBoxes)
        AppendTextBox(out, ids, body.Page().BoxRun(box), box);
    body.CloseParagraph();
}
