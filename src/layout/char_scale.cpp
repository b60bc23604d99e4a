#include "layout/char_scale.h"

#include <cmath>
#include <strings.h>

#include "platform/text_measure.h"
#include "fonts/document_fonts.h"
#include "page/text_run.h"
#include "page/units.h"

namespace {
// The scale of text that needs no compression.
constexpr int32_t kFullScale = 100;
// Text wider than its box by this percentage or more cannot be compressed to fit.
constexpr float kUnfittablePercent = 100.0f;
constexpr const char* kNarrowFace = "Arial Narrow";
// The scales an embedded run may take: its own glyphs at the PDF's widths
// only miss their box by the size's rounding to whole pixels and half-points
// and by word gaps, so a scale outside this range means the text is not
// what the box held.
constexpr int32_t kLeastEmbeddedScale = 50;
constexpr int32_t kMostEmbeddedScale = 150;
// The widest word gap a blank's spacing makes up, in font sizes.
constexpr double kMostBlankSpacingSizes = 3.0;
}

bool IsSymbolFace(const std::string& face)
{
    for (const char* symbol : {"symbol", "symbol bold", "mt extra", "webdings"})
        if (strcasecmp(face.c_str(), symbol) == 0)
            return true;
    return face.find("Wingdings") != std::string::npos;
}

int32_t CharScaleFor(int32_t boxWidth, double measured, const std::string& face, bool& narrowFace)
{
    narrowFace = false;
    if (boxWidth == 0)
        return kFullScale;
    const double difference = boxWidth - measured;
    const float percent = static_cast<float>(std::fabs(difference) / boxWidth * 100.0);
    // Text twice as wide as its box cannot be fitted by any scale: the narrow
    // face comes closest. Text narrower than its box keeps its face (a
    // narrower face would only leave a wider gap) and is never stretched.
    if (difference < 0 && percent >= kUnfittablePercent) {
        narrowFace = !IsSymbolFace(face);
        return kFullScale;
    }
    if (percent <= 0.0f || percent >= 100.0f)
        return kFullScale;
    if (difference < 0)
        return kFullScale - static_cast<int32_t>(std::floor(percent));
    return kFullScale;
}

int32_t EmbeddedScaleFor(int32_t boxWidth, double measured)
{
    if (boxWidth <= 0 || !(measured > 0))
        return kFullScale;
    // The nearest whole percent both ways: the run's glyphs are the PDF's,
    // so the scale that fills the box puts its last glyph where the PDF has it.
    const long scale = std::lround(100.0 * boxWidth / measured);
    if (scale < kLeastEmbeddedScale || scale > kMostEmbeddedScale)
        return kFullScale;
    return static_cast<int32_t>(scale);
}

int32_t ApplyCharScale(CTextRun& run, std::string_view measure, const std::vector<CCodeGlyph>& codeGlyphs)
{
    CMeasureFont font;
    font.face = run.face;
    font.cellHeight = run.size;
    font.bold = run.bold != 0;
    font.italic = run.italic != 0;
    double measured = MeasureText(font, measure);
    for (const CCodeGlyph& glyph : codeGlyphs) {
        bool complete = false;
        const double width = MeasureUnicode(font, glyph.text, complete);
        measured += complete ? width : glyph.pdfWidth;
    }
    bool narrow = false;
    int32_t scale = CharScaleFor(run.width, measured, run.face, narrow);
    if (narrow) {
        // Measured again in the narrow face, which may then fit with a scale.
        run.face = kNarrowFace;
        font.face = run.face;
        measured = MeasureText(font, measure);
        for (const CCodeGlyph& glyph : codeGlyphs) {
            bool complete = false;
            const double width = MeasureUnicode(font, glyph.text, complete);
            measured += complete ? width : glyph.pdfWidth;
        }
        scale = CharScaleFor(run.width, measured, run.face, narrow);
    }
    return scale;
}

CEmbeddedFit EmbeddedFit(const CTextRun& run, int family, const std::vector<CTextSpan>& spans, int32_t halfPoints,
                         double pdfSize)
{
    const CDocumentFonts& fonts = DocumentFonts();
    const double written = halfPoints > 0 ? double(halfPoints) * kTwipsPerHalfPoint : double(run.size);
    // Thousandths of an em, summed, then in twips at the written size; the
    // blanks apart, since they are what the PDF's word gaps stretch.
    double thousandths = 0;
    int blanks = 0;
    std::string missing;
    for (const CTextSpan& span : spans) {
        for (size_t i = 0; i < span.text.size(); ++i) {
            char32_t cp = span.text[i];
            if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < span.text.size()) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (span.text[i + 1] - 0xDC00);
                ++i;
            }
            if (span.byCharCode && cp == u'\t') cp = u' ';
            double advance = 0;
            if (cp == u' ')
                ++blanks;
            else if (fonts.Advance(family, cp, advance))
                thousandths += advance;
            else
                missing.push_back(cp < 0x80 ? char(cp) : 'n');
        }
    }
    CMeasureFont font;
    font.face = run.face;
    font.cellHeight = static_cast<int32_t>(std::lround(written));
    font.bold = run.bold != 0;
    font.italic = run.italic != 0;
    double letters = thousandths * written / 1000.0;
    if (!missing.empty())
        letters += MeasureText(font, missing);
    // A blank the family has is printed in it, one it lacks in the face.
    double blank = 0;
    if (fonts.Advance(family, U' ', blank))
        blank *= written / 1000.0;
    else if (blanks > 0)
        blank = MeasureText(font, " ");
    CEmbeddedFit fit;
    fit.scale = EmbeddedScaleFor(run.width, letters + blanks * blank);
    if (blanks == 0 || !(pdfSize > 0) || !(written > 0))
        return fit;
    // The glyphs at the PDF's own size (what the half-point size misses of
    // it, as a scale), the word gaps made up by the blanks' spacing.
    const long sizeScale = std::lround(100.0 * pdfSize / written);
    if (sizeScale < kLeastEmbeddedScale || sizeScale > kMostEmbeddedScale)
        return fit;
    const double scaled = double(sizeScale) / 100.0;
    const double extra = (run.width - (letters + blanks * blank) * scaled) / blanks;
    // A gap narrower than a tenth of a blank or wider than this many sizes
    // is not a word gap this run's text explains: the plain fit stays.
    if (extra < -0.9 * blank * scaled || extra > kMostBlankSpacingSizes * pdfSize)
        return fit;
    fit.scale = static_cast<int32_t>(sizeScale);
    fit.blankSpacing = static_cast<int32_t>(std::lround(extra));
    return fit;
}

int32_t EmbeddedCharScale(const CTextRun& run, int family, const std::vector<CTextSpan>& spans)
{
    return EmbeddedFit(run, family, spans, 0, 0).scale;
}
