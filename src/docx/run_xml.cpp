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

// The run properties of `piece`, in the font `printed` (none when empty).
void AppendPropertiesIn(std::string& out, const CTextPiece& piece, const std::string& printed, bool rightToLeft,
                        bool complexScript, int32_t spacing = 0)
{
    out += "<w:rPr>";
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
    if (spacing != 0)
        AppendValue(out, "w:spacing", spacing);
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

void AppendRunIn(std::string& out, const CTextPiece& piece, const std::string& printed, std::u16string_view text,
                 bool rightToLeft, bool complexScript, int32_t spacing = 0)
{
    if (text.empty())
        return;
    out += "<w:r>";
    AppendPropertiesIn(out, piece, printed, rightToLeft, complexScript, spacing);
    out += "<w:t xml:space=\"preserve\">";
    AppendXmlText(out, text);
    out += "</w:t></w:r>";
}

// The length of the code point at `text[i]` (1 or 2 units) and the code point.
size_t CodePointAt(std::u16string_view text, size_t i, char32_t& cp)
{
    cp = text[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        return 2;
    }
    return 1;
}

}  // namespace

void AppendRunProperties(std::string& out, const CTextPiece& piece, bool rightToLeft, bool complexScript)
{
    // A piece in the PDF's own font names its embedded family.
    const std::string embedded = DocumentFonts().FamilyName(piece.embedFamily);
    AppendPropertiesIn(out, piece, embedded.empty() ? piece.face : embedded, rightToLeft, complexScript);
}

void AppendTextRun(std::string& out, const CTextPiece& piece, std::u16string_view text, bool rightToLeft,
                   bool complexScript)
{
    const CDocumentFonts& fonts = DocumentFonts();
    const std::string embedded = fonts.FamilyName(piece.embedFamily);
    if (embedded.empty()) {
        AppendRunIn(out, piece, piece.face, text, rightToLeft, complexScript);
        return;
    }
    // Letters the family lacks (the blanks between words of a PDF that
    // places its words without a space glyph) are set in the piece's face,
    // as the character scale measured them; a reader would otherwise pick a
    // fallback font of its own with other widths.
    // Blanks widened to the PDF's word gaps carry that spacing in runs of
    // their own.
    struct CStretch {
        bool inFamily = true;
        bool widened = false;
        bool operator!=(const CStretch& o) const { return inFamily != o.inFamily || widened != o.widened; }
    };
    auto print = [&](const CStretch& kind, std::u16string_view part) {
        AppendRunIn(out, piece, kind.inFamily ? embedded : piece.face, part, rightToLeft, complexScript,
                    kind.widened ? piece.blankSpacing : 0);
    };
    size_t start = 0;
    CStretch current;
    for (size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        const size_t units = CodePointAt(text, i, cp);
        double advance = 0;
        const CStretch kind{fonts.Advance(piece.embedFamily, cp, advance), piece.blankSpacing != 0 && cp == u' '};
        if (kind != current) {
            print(current, text.substr(start, i - start));
            start = i;
            current = kind;
        }
        i += units;
    }
    print(current, text.substr(start));
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
