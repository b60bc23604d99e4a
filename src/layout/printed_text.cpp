#include "layout/printed_text.h"

#include <unicode/ubidi.h>
#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/utf16.h>

#include <utility>

#include "platform/text_direction.h"

namespace {

constexpr char16_t kTab = 0x09;
constexpr char16_t kFirstPrintable = 0x20;
constexpr char16_t kDelete = 0x7F;

// Most glyph texts are one printable ASCII letter: nothing to compose.
bool NeedsComposing(const std::u16string& text)
{
    for (char16_t unit : text)
        if (unit >= 0x80)
            return true;
    return false;
}

std::u16string Composed(std::u16string text)
{
    if (!NeedsComposing(text))
        return text;
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
    if (U_FAILURE(status))
        return text;
    const auto* source = reinterpret_cast<const UChar*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    if (unorm2_isNormalized(nfc, source, length, &status) || U_FAILURE(status))
        return text;
    // Composition never makes text longer than its source.
    std::u16string out(text.size(), u'\0');
    status = U_ZERO_ERROR;
    const int32_t written =
        unorm2_normalize(nfc, source, length, reinterpret_cast<UChar*>(out.data()), length, &status);
    if (U_FAILURE(status))
        return text;
    out.resize(static_cast<size_t>(written));
    return out;
}

template <typename Visit>
void ForEachCodePoint(const std::u16string& t, Visit visit)
{
    for (size_t i = 0; i < t.size(); ++i) {
        UChar32 c = t[i];
        if (U16_IS_LEAD(c) && i + 1 < t.size() && U16_IS_TRAIL(t[i + 1])) {
            c = U16_GET_SUPPLEMENTARY(c, t[i + 1]);
            ++i;
        }
        visit(c);
    }
}

// The pieces' texts in drawing order, each unit with its piece and origin.
struct CDrawnText {
    std::u16string text;
    std::vector<size_t> pieceOf;
    std::vector<bool> byCharCode;
};

void AppendPiece(const CTextRun& run, size_t p, CDrawnText& drawn)
{
    for (const CTextSpan& span : run.pieces[p].spans) {
        const std::u16string text = PrintedSpanText(span);
        drawn.text += text;
        drawn.pieceOf.insert(drawn.pieceOf.end(), text.size(), p);
        // A blank (a tab included) is a plain blank even in a glyph given by
        // character code.
        for (char16_t unit : text)
            drawn.byCharCode.push_back(span.byCharCode && unit != u' ');
    }
}

// Drawing order as it is: one stretch per piece (empty ones too, so a
// printer sees every piece's style).
void AppendInDrawingOrder(const CDrawnText& drawn, size_t firstPiece, size_t endPiece,
                          std::vector<CPrintedText>& out)
{
    size_t unit = 0;
    for (size_t p = firstPiece; p < endPiece; ++p) {
        CPrintedText stretch;
        stretch.piece = p;
        while (unit < drawn.text.size() && drawn.pieceOf[unit] == p) {
            stretch.text.push_back(drawn.text[unit]);
            stretch.byCharCode.push_back(drawn.byCharCode[unit]);
            ++unit;
        }
        out.push_back(std::move(stretch));
    }
}

// The drawn text in logical order for a paragraph of the given direction;
// false when the analysis fails.
bool AppendInLogicalOrder(const CDrawnText& drawn, bool rightToLeftParagraph, std::vector<CPrintedText>& out)
{
    if (drawn.text.empty())
        return true;
    UErrorCode status = U_ZERO_ERROR;
    UBiDi* bidi = ubidi_open();
    if (!bidi)
        return false;
    // Read the drawn order as if it were stored text: the order found is one
    // that the reader's own algorithm maps back onto the drawn order.
    ubidi_setReorderingMode(bidi, UBIDI_REORDER_INVERSE_LIKE_DIRECT);
    const auto length = static_cast<int32_t>(drawn.text.size());
    ubidi_setPara(bidi, reinterpret_cast<const UChar*>(drawn.text.data()), length, rightToLeftParagraph ? 1 : 0,
                  nullptr, &status);
    std::vector<int32_t> order(drawn.text.size(), -1);
    if (U_SUCCESS(status) && ubidi_getResultLength(bidi) == length)
        ubidi_getVisualMap(bidi, order.data(), &status);
    const UBiDiLevel* levels = U_SUCCESS(status) ? ubidi_getLevels(bidi, &status) : nullptr;
    const bool ok = U_SUCCESS(status) && levels != nullptr;
    const size_t first = out.size();
    if (ok) {
        for (int32_t index : order) {
            if (index < 0)
                continue;
            const auto i = static_cast<size_t>(index);
            const bool rtl = (levels[index] & 1) != 0;
            const size_t piece = drawn.pieceOf[i];
            if (out.size() == first || out.back().piece != piece || out.back().rightToLeft != rtl)
                out.push_back(CPrintedText{piece, rtl, {}, {}});
            char16_t unit = drawn.text[i];
            bool byCharCode = drawn.byCharCode[i];
            if (rtl) {
                // The reader mirrors a bracket of a right-to-left stretch
                // back: store its mirror image, as text of its own.
                const UChar32 mirror = u_charMirror(unit);
                if (mirror != unit && mirror <= 0xFFFF) {
                    unit = static_cast<char16_t>(mirror);
                    byCharCode = false;
                }
            }
            out.back().text.push_back(unit);
            out.back().byCharCode.push_back(byCharCode);
        }
        // A surrogate pair in a reversed stretch comes out trail first.
        for (size_t s = first; s < out.size(); ++s) {
            std::u16string& t = out[s].text;
            std::vector<bool>& flags = out[s].byCharCode;
            for (size_t k = 0; k + 1 < t.size(); ++k)
                if (U16_IS_TRAIL(t[k]) && U16_IS_LEAD(t[k + 1])) {
                    std::swap(t[k], t[k + 1]);
                    std::vector<bool>::swap(flags[k], flags[k + 1]);
                    ++k;
                }
        }
    }
    ubidi_close(bidi);
    if (!ok)
        out.resize(first);
    return ok;
}

}  // namespace

std::u16string PrintedSpanText(const CTextSpan& span)
{
    std::u16string text;
    text.reserve(span.text.size());
    for (char16_t unit : span.text) {
        if (unit == 0)
            break;
        if (unit == kTab)
            text.push_back(u' ');
        else if (unit >= kFirstPrintable && unit != kDelete)
            text.push_back(unit);
    }
    return Composed(std::move(text));
}

void SettlePrintedText(CTextRun& run, PrintedOrder order)
{
    CDrawnText drawn;
    for (size_t p = 0; p < run.pieces.size(); ++p)
        AppendPiece(run, p, drawn);
    run.printed.clear();
    run.hasRightToLeft = false;
    run.readsRightToLeft = false;
    if (order != PrintedOrder::GlyphOrder)
        ForEachCodePoint(drawn.text, [&](UChar32 c) { run.hasRightToLeft = run.hasRightToLeft || IsRightToLeftChar(c); });
    if (!run.hasRightToLeft) {
        AppendInDrawingOrder(drawn, 0, run.pieces.size(), run.printed);
        return;
    }
    if (order == PrintedOrder::FlowLine) {
        CLineDirection direction;
        ForEachCodePoint(drawn.text, [&](UChar32 c) { direction.Add(c); });
        run.readsRightToLeft = direction.ReadsRightToLeft();
    }
    bool ordered = true;
    if (order == PrintedOrder::PieceParagraphs) {
        for (size_t p = 0; p < run.pieces.size() && ordered; ++p) {
            CDrawnText one;
            AppendPiece(run, p, one);
            ordered = AppendInLogicalOrder(one, false, run.printed);
        }
    } else {
        ordered = AppendInLogicalOrder(drawn, run.readsRightToLeft, run.printed);
    }
    if (!ordered) {
        // Without the analysis the text goes out as drawn rather than not at all.
        run.printed.clear();
        run.hasRightToLeft = false;
        run.readsRightToLeft = false;
        AppendInDrawingOrder(drawn, 0, run.pieces.size(), run.printed);
    }
}

PrintedOrder PrintedOrderOf(RunKind kind, TextMode mode)
{
    switch (kind) {
    case RunKind::Line:
        return mode == TextMode::Flow ? PrintedOrder::FlowLine : PrintedOrder::Paragraph;
    case RunKind::Box:
        return PrintedOrder::PieceParagraphs;
    case RunKind::Up:
    case RunKind::Down:
        break;
    }
    return PrintedOrder::GlyphOrder;
}

void SettlePageText(CPage& page)
{
    for (RunList* runs : {&page.lineRuns, &page.boxRuns, &page.upRuns, &page.downRuns})
        for (CTextRun& run : *runs)
            SettlePrintedText(run, PrintedOrderOf(run.kind, page.mode));
}
