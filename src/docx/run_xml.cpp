#include "docx/run_xml.h"

#include <algorithm>

#include "docx/line_bidi.h"
#include "docx/xml_text.h"

namespace {

// Twips of font size per half-point.
constexpr int32_t kTwipsPerHalfPoint = 10;
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

// Half-points for a raise in twips, rounded to the nearest.
int32_t RaiseHalfPoints(int32_t twips)
{
    return twips >= 0 ? (twips + kTwipsPerHalfPoint / 2) / kTwipsPerHalfPoint
                      : -((-twips + kTwipsPerHalfPoint / 2) / kTwipsPerHalfPoint);
}

}  // namespace

void AppendRunProperties(std::string& out, const CTextPiece& piece, bool rightToLeft, bool complexScript)
{
    out += "<w:rPr>";
    if (!piece.face.empty()) {
        std::string face;
        AppendXmlAttribute(face, piece.face);
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
    if (const int32_t raise = RaiseHalfPoints(piece.raise))
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

void AppendRunText(std::string& out, const CTextRun& run, bool rightToLeftParagraph)
{
    if (HasRightToLeft(run)) {
        const std::vector<CTextSegment> segments = LogicalSegments(run, rightToLeftParagraph);
        if (!segments.empty()) {
            for (const CTextSegment& segment : segments)
                AppendTextRun(out, run.pieces[segment.piece], segment.text, segment.rightToLeft, true);
            return;
        }
    }
    for (const CTextPiece& piece : run.pieces) {
        // One w:t per piece: the spans' texts joined.
        bool open = false;
        for (const CTextSpan& span : piece.spans) {
            if (span.text.empty())
                continue;
            if (!open) {
                out += "<w:r>";
                AppendRunProperties(out, piece, false, false);
                out += "<w:t xml:space=\"preserve\">";
                open = true;
            }
            AppendXmlText(out, span.text);  // a tab comes out as a blank
        }
        if (open)
            out += "</w:t></w:r>";
    }
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
