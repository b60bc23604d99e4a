// The character scale of runs holding glyphs written by character code.
#include <gtest/gtest.h>

#include <cmath>

#include "layout/char_scale.h"
#include "page/text_run.h"
#include "platform/text_measure.h"

namespace {

CTextRun RunIn(const std::string& face, int32_t width)
{
    CTextRun run;
    run.face = face;
    run.size = 240;
    run.width = width;
    return run;
}

}  // namespace

TEST(CharScale, CodeGlyphsAreMeasuredByTheirLetters)
{
    const std::u16string arabic = u"\u0633\u0644\u0627\u0645";  // four Arabic letters
    CMeasureFont font{"DejaVu Sans", 240, false, false};
    bool complete = false;
    const double letters = MeasureUnicode(font, arabic, complete);
    ASSERT_TRUE(complete);
    ASSERT_GT(letters, 100);
    std::vector<CCodeGlyph> glyphs;
    for (char16_t unit : arabic)
        glyphs.push_back(CCodeGlyph{std::u16string(1, unit), 1000});  // PDF widths that must not count

    // A box as wide as the letters: no compression, the face stays.
    CTextRun run = RunIn("DejaVu Sans", static_cast<int32_t>(std::ceil(letters)));
    EXPECT_EQ(ApplyCharScale(run, "", glyphs), 100);
    EXPECT_EQ(run.face, "DejaVu Sans");
    // A box a fifth narrower than the letters: the text is a quarter too wide.
    run = RunIn("DejaVu Sans", static_cast<int32_t>(std::ceil(letters * 0.8)));
    const int32_t scale = ApplyCharScale(run, "", glyphs);
    EXPECT_GE(scale, 75);
    EXPECT_LE(scale, 76);
}

TEST(CharScale, LettersTheFaceLacksCountWithTheirPdfWidth)
{
    // Liberation Sans has no mathematical bold A: the reader sets it in
    // another face, as wide as the PDF had it, the best guess there is.
    const std::vector<CCodeGlyph> glyphs{CCodeGlyph{u"\U0001D400", 300}};
    CTextRun run = RunIn("Liberation Sans", 300);
    EXPECT_EQ(ApplyCharScale(run, "", glyphs), 100);
    run = RunIn("Liberation Sans", 200);
    EXPECT_EQ(ApplyCharScale(run, "", glyphs), 50);
    // Converted text and code glyphs add up.
    CMeasureFont font{"Liberation Sans", 240, false, false};
    const double plain = MeasureText(font, "abc");
    run = RunIn("Liberation Sans", static_cast<int32_t>(std::ceil((plain + 300) * 0.8)));
    const int32_t scale = ApplyCharScale(run, "abc", glyphs);
    EXPECT_GE(scale, 75);
    EXPECT_LE(scale, 76);
}
