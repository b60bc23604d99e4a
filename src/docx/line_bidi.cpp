#include "docx/line_bidi.h"

#include <unicode/ubidi.h>
#include <unicode/uchar.h>

#include "platform/text_direction.h"

namespace {

// The run's text in drawing order, with the piece of every unit.
struct CVisualLine {
    std::u16string text;
    std::vector<size_t> pieceOf;
};

CVisualLine VisualLine(const CTextRun& run)
{
    CVisualLine line;
    for (size_t p = 0; p < run.pieces.size(); ++p) {
        for (const CTextSpan& span : run.pieces[p].spans) {
            const std::u16string text = SpanText(span);
            line.text += text;
            line.pieceOf.insert(line.pieceOf.end(), text.size(), p);
        }
    }
    return line;
}

template <typename Visit>
void ForEachCodePoint(const CTextRun& run, Visit visit)
{
    for (const CTextPiece& piece : run.pieces)
        for (const CTextSpan& span : piece.spans) {
            const std::u16string& t = span.text;
            for (size_t i = 0; i < t.size(); ++i) {
                UChar32 c = t[i];
                if (U16_IS_LEAD(c) && i + 1 < t.size() && U16_IS_TRAIL(t[i + 1])) {
                    c = U16_GET_SUPPLEMENTARY(c, t[i + 1]);
                    ++i;
                }
                visit(c);
            }
        }
}

}  // namespace

std::u16string SpanText(const CTextSpan& span)
{
    if (!span.byCharCode || span.text.find(u'\t') == std::u16string::npos)
        return span.text;
    std::u16string text = span.text;
    for (char16_t& u : text)
        if (u == u'\t')
            u = u' ';
    return text;
}

bool HasRightToLeft(const CTextRun& run)
{
    bool found = false;
    ForEachCodePoint(run, [&](UChar32 c) { found = found || IsRightToLeftChar(c); });
    return found;
}

bool ReadsRightToLeft(const CTextRun& run)
{
    CLineDirection direction;
    ForEachCodePoint(run, [&](UChar32 c) { direction.Add(c); });
    return direction.ReadsRightToLeft();
}

std::vector<CTextSegment> LogicalSegments(const CTextRun& run, bool rightToLeftParagraph)
{
    const CVisualLine visual = VisualLine(run);
    std::vector<CTextSegment> segments;
    if (visual.text.empty())
        return segments;
    UErrorCode status = U_ZERO_ERROR;
    UBiDi* bidi = ubidi_open();
    if (!bidi)
        return segments;
    // Read the drawn order as if it were stored text: the order found is one
    // that the reader's own algorithm maps back onto the drawn order.
    ubidi_setReorderingMode(bidi, UBIDI_REORDER_INVERSE_LIKE_DIRECT);
    const auto length = static_cast<int32_t>(visual.text.size());
    ubidi_setPara(bidi, reinterpret_cast<const UChar*>(visual.text.data()), length, rightToLeftParagraph ? 1 : 0,
                  nullptr, &status);
    std::vector<int32_t> order(visual.text.size(), -1);
    if (U_SUCCESS(status) && ubidi_getResultLength(bidi) == length)
        ubidi_getVisualMap(bidi, order.data(), &status);
    const UBiDiLevel* levels = U_SUCCESS(status) ? ubidi_getLevels(bidi, &status) : nullptr;
    if (U_SUCCESS(status) && levels) {
        for (int32_t index : order) {
            if (index < 0)
                continue;
            const auto i = static_cast<size_t>(index);
            const bool rtl = (levels[index] & 1) != 0;
            const size_t piece = visual.pieceOf[i];
            if (segments.empty() || segments.back().piece != piece || segments.back().rightToLeft != rtl)
                segments.push_back(CTextSegment{piece, {}, rtl});
            char16_t unit = visual.text[i];
            if (rtl) {
                const UChar32 mirror = u_charMirror(unit);
                if (mirror <= 0xFFFF)
                    unit = static_cast<char16_t>(mirror);
            }
            segments.back().text.push_back(unit);
        }
        // A pair of surrogates in a reversed stretch comes out trail first.
        for (CTextSegment& segment : segments) {
            std::u16string& t = segment.text;
            for (size_t k = 0; k + 1 < t.size(); ++k)
                if (U16_IS_TRAIL(t[k]) && U16_IS_LEAD(t[k + 1]))
                    std::swap(t[k], t[k + 1]), ++k;
        }
    }
    ubidi_close(bidi);
    return segments;
}
