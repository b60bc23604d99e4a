#include "layout/char_scale.h"

#include <cmath>
#include <strings.h>

#include "platform/text_measure.h"
#include "fonts/document_fonts.h"
#include "page/text_run.h"

namespace {
// The scale of text that needs no compression.
constexpr int32_t kFullScale = 100;
// Text wider than its box by this percentage or more cannot be compressed to fit.
constexpr float kUnfittablePercent = 100.0f;
constexpr const char* kNarrowFace = "Arial Narrow";
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

int32_t EmbeddedCharScale(const CTextRun& run, int family, const std::vector<CTextSpan>& spans)
{
    const CDocumentFonts& fonts = DocumentFonts();
    // Thousandths of an em, summed, then in twips at the run's size.
    double thousandths = 0;
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
            if (fonts.Advance(family, cp, advance))
                thousandths += advance;
            else
                missing.push_back(cp < 0x80 ? char(cp) : 'n');
        }
    }
    double measured = thousandths * run.size / 1000.0;
    if (!missing.empty()) {
        CMeasureFont font;
        font.face = run.face;
        font.cellHeight = run.size;
        font.bold = run.bold != 0;
        font.italic = run.italic != 0;
        measured += MeasureText(font, missing);
    }
    bool narrow = false;
    return CharScaleFor(run.width, measured, run.face, narrow);
}
