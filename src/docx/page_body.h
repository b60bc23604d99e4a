#pragma once
// The XML of one page of the document body: its paragraphs and the sections
// they fall into. A page is one section of its own size with zero margins;
// flow mode's column blocks split it into further sections that continue on
// the same page. A section's properties belong in its last paragraph, so
// the body remembers where that paragraph's properties end.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "docx/drawing_xml.h"
#include "page/page.h"

class CPageBody {
public:
    CPageBody(const CPage& page, std::string& out);

    const CPage& Page() const { return page_; }
    std::string& Out() { return out_; }
    int32_t PaperWidth() const { return page_.PaperWidth(); }
    int32_t PaperHeight() const { return page_.PaperHeight(); }

    // Starts a paragraph with the paragraph properties `properties` (in
    // schema order, without the mark's run properties); a paragraph mark of
    // `markHalfPoints` (0: the default size). A pending column break becomes
    // the paragraph's first run.
    void OpenParagraph(std::string_view properties, int32_t markHalfPoints);
    void CloseParagraph() { out_ += "</w:p>"; }

    // Ends the current section at the last paragraph written; the next one
    // continues on the same page, with `columns` (w:cols, empty for one).
    void BreakSection(std::string columns);
    // Sets the columns of the current section.
    void SetColumns(std::string columns) { columns_ = std::move(columns); }
    // The next paragraph starts in the next column.
    void BreakColumn() { columnBreak_ = true; }

    // Writes an empty one-twip paragraph when the current section has none
    // yet: its properties need a paragraph to end in.
    void EnsureParagraph();

    // The current section's properties (the page's last section).
    std::string SectionProperties() const;
    // Where the last paragraph's properties end: a section's properties go there.
    size_t LastMarkEnd() const { return markEnd_; }

private:
    const CPage& page_;
    std::string& out_;
    size_t markEnd_ = std::string::npos;
    std::string columns_;
    bool continuous_ = false;
    bool columnBreak_ = false;
};

// Paragraph property helpers, appended in schema order by the callers.
void AppendExactSpacing(std::string& out, int64_t twips);
void AppendIndent(std::string& out, int64_t left, int64_t right);

// The page's text part and drawings, by text mode.
void WriteFlowPage(CPageBody& body, CDrawingIds& ids, const std::string& pictureRelation);
void WriteFramePage(CPageBody& body, CDrawingIds& ids, const std::string& pictureRelation);

// The page's first paragraph: one twip high, holding the page picture
// (when `pictureRelation` is not empty) and the page's text boxes.
void WriteAnchorParagraph(CPageBody& body, CDrawingIds& ids, const std::string& pictureRelation);
