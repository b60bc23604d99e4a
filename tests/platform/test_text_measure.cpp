#include <gtest/gtest.h>

#include <chrono>

#include "platform/text_measure.h"

namespace {

CMeasureFont Font(const std::string& face, double cellHeight, bool bold = false, bool italic = false)
{
    CMeasureFont font;
    font.face = face;
    font.cellHeight = cellHeight;
    font.bold = bold;
    font.italic = italic;
    return font;
}

bool HasFamily(const std::string& request, const std::string& family)
{
    CMatchedFace match;
    return DescribeMatch(Font(request, 240), match) && match.family == family;
}

TEST(TextMeasure, CellHeightSpansWinAscentAndDescent)
{
    if (!HasFamily("Arial", "Liberation Sans"))
        GTEST_SKIP() << "Liberation Sans is not installed";
    CMatchedFace match;
    ASSERT_TRUE(DescribeMatch(Font("Arial", 240), match));
    EXPECT_NEAR(match.em, 214.825, 0.001);
    EXPECT_NEAR(MeasureText(Font("Liberation Sans", 240), "Hello world"), 1062.59, 0.01);
    EXPECT_NEAR(MeasureText(Font("Arial", 240), "Hello world"), 1062.59, 0.01);
}

TEST(TextMeasure, WeightSlantAndFaceChooseTheFile)
{
    if (!HasFamily("Arial", "Liberation Sans") || !HasFamily("Arial Narrow", "Liberation Sans Narrow"))
        GTEST_SKIP() << "the Liberation faces are not installed";
    EXPECT_NEAR(MeasureText(Font("Arial", 240, true), "Hello world"), 1157.73, 0.01);
    EXPECT_NEAR(MeasureText(Font("Arial", 240, false, true), "Hello world"), 1062.59, 0.01);
    EXPECT_NEAR(MeasureText(Font("Times New Roman", 240), "Hello world"), 1041.27, 0.01);
    EXPECT_NEAR(MeasureText(Font("Courier New", 240), "Hello world"), 1398.52, 0.01);
    // Narrow uses its own win metrics (1888/431), not its hhea values.
    EXPECT_NEAR(MeasureText(Font("Arial Narrow", 240), "Hello world"), 859.51, 0.01);
}

// The names a document's faces are found under (Helvetica, Times, Calibri)
// measure with the face fontconfig serves for them, in its weight and slant.
TEST(TextMeasure, ServedNamesMeasureWithTheirMetricFace)
{
    if (!HasFamily("Helvetica", "Liberation Sans") || !HasFamily("Times", "Liberation Serif") ||
        !HasFamily("Courier", "Liberation Mono"))
        GTEST_SKIP() << "the Liberation faces are not installed";
    EXPECT_NEAR(MeasureText(Font("Helvetica", 240), "Hello world"), 1062.59, 0.01);
    EXPECT_NEAR(MeasureText(Font("Helvetica", 240, true), "Hello world"), 1157.73, 0.01);
    EXPECT_NEAR(MeasureText(Font("Times", 240), "Hello world"), 1041.27, 0.01);
    EXPECT_NEAR(MeasureText(Font("Times", 240, true), "Hello world"),
                MeasureText(Font("Liberation Serif", 240, true), "Hello world"), 0.001);
    EXPECT_NEAR(MeasureText(Font("Courier", 240), "Hello world"), 1398.52, 0.01);

    CMatchedFace calibri;
    ASSERT_TRUE(DescribeMatch(Font("Calibri", 240), calibri));
    if (calibri.family != "Carlito")
        GTEST_SKIP() << "Calibri is served by " << calibri.family;
    const double width = MeasureText(Font("Calibri", 240), "Hello world");
    EXPECT_NEAR(width, MeasureText(Font("Carlito", 240), "Hello world"), 0.001);
    // Carlito is narrower than the sans serif it would otherwise fall back to.
    EXPECT_LT(width, MeasureText(Font("DejaVu Sans", 240), "Hello world"));
    CMatchedFace bold;
    ASSERT_TRUE(DescribeMatch(Font("Calibri", 240, true), bold));
    EXPECT_EQ(bold.family, "Carlito");
    EXPECT_NE(bold.file, calibri.file);
}

TEST(TextMeasure, WidthScalesWithCellHeightAndAddsUpPerByte)
{
    const double small = MeasureText(Font("Arial", 240), "Hello");
    ASSERT_GT(small, 0);
    EXPECT_NEAR(MeasureText(Font("Arial", 480), "Hello"), 2 * small, 1e-9);
    EXPECT_NEAR(MeasureText(Font("Arial", 240), "HelloHello"), 2 * small, 1e-9);
    EXPECT_EQ(MeasureText(Font("Arial", 240), ""), 0);
}

TEST(TextMeasure, BytesAreReadAsWindows1252)
{
    // 0x80 is the euro sign and 0xE9 e acute: both have real glyphs, not .notdef.
    const double notdef = MeasureText(Font("Arial", 240), "\x81");
    const double euro = MeasureText(Font("Arial", 240), "\x80");
    EXPECT_GT(euro, 0);
    EXPECT_NE(euro, notdef);
    EXPECT_DOUBLE_EQ(MeasureText(Font("Arial", 240), "\xE9"), MeasureText(Font("Arial", 240), "e"));
}

TEST(TextMeasure, RepeatedMeasuringIsCheap)
{
    const std::string text(60, 'n');
    MeasureText(Font("Arial", 240), text);
    auto start = std::chrono::steady_clock::now();
    double sum = 0;
    for (int i = 0; i < 20000; ++i)
        sum += MeasureText(Font("Arial", 200 + i % 50), text);
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GT(sum, 0);
    // Faces and advances are cached: 20000 runs must not reopen font files.
    EXPECT_LT(ms, 2000.0);
}

} // namespace
