#include "docx/run_xml.h"

#include "fonts/document_fonts.h"

#include <algorithm>

#include "docx/xml_text.h"
#include "page/units.h"

namespace {

// The character scale readers take as "no scale".
constexpr int32_t kNoScale = 100;
// The scales a document may state (percent).
constexpr int32_t kMinScale = 1;
constexpr int32_t kMaxScale = 600;

void AppendValue(std::string& out, const char* element, int64_t value)
{
    out += '<';
    out += element;
    out += " w:val=\"";
    AppendInt(out, value);
    out += "\"/>";
}

}  // namespace

void AppendRunProperties(std::string& out, const CTextPiece& piece, bool rightToLeft, bool complexScript)
{
    out += "<w:rPr>";
    // A piece in the PDF's own font names its embedded family.
    const std::string embedded = DocumentFonts().FamilyName(piece.embedFamily);
    const std::string& printed = embedded.empty() ? piece.face : embedded;
    if (!printed.empty()) {
        std::string face;
        AppendXmlAttribute(face, printed);
        out += "<w:rFonts w:ascii=\"" + face + "\" w:hAnsi=\"" + face + "\" w:eastAsia=\"" + face + "\" w:cs=\"" +
               face + "\"/>";
    }
    if (piece.bold)
        out += complexScript ? "<w:b/><w:bCs/>" : "<w:b/>";
    if (piece.italic)
        out += complexScript ? "<w:i/><w:iCs/>" : "<w:i/>";
    if (piece.color != 0)
        out += "<w:color w:val=\"" + HexColor(piece.color) + "\"/>";
    if (piece.charScale != kNoScale && piece.charScale > 0)
        AppendValue(out, "w:w", std::clamp(piece.charScale, kMinScale, kMaxScale));
    if (const int32_t raise = RoundedHalfPoints(piece.raise))
        AppendValue(out, "w:position", raise);
    const int32_t halfPoints = std::max(piece.halfPoints, 1);
    AppendValue(out, "w:sz", halfPoints);
    if (complexScript)
        AppendValue(out, "w:szCs", halfPoints);
    if (rightToLeft)
        out += "<w:rtl/>";
    out += "</w:rPr>";
}

void AppendTextRun(std::string& out, const CTextPiece& piece, std::u16string_view text, bool rightToLeft,
                   bool complexScript)
{
    if (text.empty())
        return;
    out += "<w:r>";
    AppendRunProperties(out, piece, rightToLeft, complexScript);
    out += "<w:t xml:space=\"preserve\">";
    AppendXmlText(out, text);
    out += "</w:t></w:r>";
}

void AppendRunText(std::string& out, const CTextRun& run)
{
    // Layout settled the text (stored order included): one run per stretch;
    // lines with right-to-left letters repeat their style for the reader's
    // complex-script formatting.
    for (const CPrintedText& stretch : run.printed)
        if (stretch.piece < run.pieces.size())
            AppendTextRun(out, run.pieces[stretch.piece], stretch.text, stretch.rightToLeft, run.hasRightToLeft);
}

void AppendTabRun(std::string& out, int32_t halfPoints)
{
    out += "<w:r><w:rPr>";
    AppendValue(out, "w:sz", std::max(halfPoints, 1));
    out += "</w:rPr><w:tab/></w:r>";
}

void AppendColumnBreakRun(std::string& out)
{
    out += "<w:r><w:br w:type=\"column\"/></w:r>";
}

int32_t RunHalfPoints(const CTextRun& run)
{
    int32_t halfPoints = 0;
    for (const CTextPiece& piece : run.pieces)
        halfPoints = std::max(halfPoints, piece.halfPoints);
    if (halfPoints == 0)
        halfPoints = run.size / kTwipsPerHalfPoint;
    return std::max(halfPoints, 1);
}
