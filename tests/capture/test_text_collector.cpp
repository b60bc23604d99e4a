// Glyph collection through a real Poppler GfxState and GfxFont, and the item
// rules of AddTextItem and AcceptItem.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <GfxFont.h>  // first: Array.h needs Object.h complete
#include <Array.h>
#include <Dict.h>
#include <GfxState.h>
#include <GlobalParams.h>
#include <Page.h>

#include "capture/face_lookup.h"
#include "capture/marked_content.h"
#include "capture/text_collector.h"
#include "page/text_item.h"

namespace {

const std::vector<std::string> kFaces{"Courier", "Tahoma", "Arial Narrow", "MS Mincho", "Symbol"};
constexpr uint32_t kRed = 0x0000FF;

Dict* NewDict() { return new Dict(static_cast<XRef*>(nullptr)); }

// A simple font as a PDF would declare it; flags < 0 leaves out the descriptor.
std::shared_ptr<GfxFont> SimpleFont(const char* baseFont, int flags = -1, int id = 10)
{
    Dict* font = NewDict();
    font->add("Type", Object(objName, "Font"));
    font->add("Subtype", Object(objName, "Type1"));
    font->add("BaseFont", Object(objName, baseFont));
    if (flags >= 0) {
        Dict* descriptor = NewDict();
        descriptor->add("Flags", Object(flags));
        font->add("FontDescriptor", Object(descriptor));
    }
    Object holder(font);
    return std::shared_ptr<GfxFont>(GfxFont::makeFont(nullptr, "F1", Ref{id, 0}, font).release());
}

// A Type 0 font with the vertical identity encoding.
std::shared_ptr<GfxFont> VerticalCidFont(const char* baseFont)
{
    Dict* info = NewDict();
    info->add("Registry", Object(new GooString("Adobe")));
    info->add("Ordering", Object(new GooString("Identity")));
    info->add("Supplement", Object(0));
    Dict* descendant = NewDict();
    descendant->add("Type", Object(objName, "Font"));
    descendant->add("Subtype", Object(objName, "CIDFontType2"));
    descendant->add("BaseFont", Object(objName, baseFont));
    descendant->add("CIDSystemInfo", Object(info));
    Array* descendants = new Array(static_cast<XRef*>(nullptr));
    descendants->add(Object(descendant));
    Dict* font = NewDict();
    font->add("Type", Object(objName, "Font"));
    font->add("Subtype", Object(objName, "Type0"));
    font->add("BaseFont", Object(objName, baseFont));
    font->add("Encoding", Object(objName, "Identity-V"));
    font->add("DescendantFonts", Object(descendants));
    Object holder(font);
    return std::shared_ptr<GfxFont>(GfxFont::makeFont(nullptr, "F2", Ref{20, 0}, font).release());
}

class CollectorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!globalParams) globalParams = std::make_unique<GlobalParams>();
        collector.ReadMarkedContent(&marked);
        state.setTextMat(1, 0, 0, 1, 72, 700);
    }

    // Collects one glyph at device (x, 200) with a horizontal advance of 8 px.
    int Collect(std::vector<Unicode> u, double dx = 8, double dy = 0, int nBytes = 1, double x = 100)
    {
        return collector.CollectGlyph(&state, x, 200, dx, dy, nBytes, u.data(), int(u.size()), kRed);
    }
    const std::vector<CTextItem>& Items() const { return store; }

    // Adds an item with a height of 12 px and a width of `advance`.
    void Add(double x, double y, const std::u16string& text, double advance = 6,
             const std::string& name = "Tahoma", double height = 12)
    {
        collector.AddTextItem(x, y, text.c_str(), int(text.size()), name, advance, height, 0, 0, kRed,
                              0, false);
    }

    CFaceLookup faces{[] { return kFaces; }};
    std::vector<CTextItem> store;
    std::vector<MarkedContentEntry> marked;  // the open sequences, as a device keeps them
    CTextCollector collector{faces, store};
    PDFRectangle box{0, 0, 612, 792};
    GfxState state{96, 96, &box, 0, true};  // 96 dpi, y down, as the device renders
};

}  // namespace

TEST(FontAngle, DirectionOfTheFontMatrix)
{
    const double upright[4] = {16, 0, 0, -16};
    const double upwards[4] = {0, -16, -16, 0};
    const double downwards[4] = {0, 16, 16, 0};
    const double c = std::cos(M_PI / 6), s = std::sin(M_PI / 6);
    const double turned30[4] = {16 * c, -16 * s, -16 * s, -16 * c};
    const double collapsed[4] = {1e-7, -1e-7, 0, 0};
    EXPECT_EQ(FontAngle(upright), 0.0);
    EXPECT_NEAR(FontAngle(upwards), 90.0, 1e-4);
    EXPECT_NEAR(FontAngle(downwards), -90.0, 1e-4);
    EXPECT_NEAR(FontAngle(turned30), 30.0, 1e-4);
    EXPECT_EQ(FontAngle(collapsed), 0.0);
}

TEST(IsSkewed, ShearAndMirrorAgainstUprightAndTurned)
{
    const double upright[4] = {16, 0, 0, -16};
    const double upwards[4] = {0, -16, -16, 0};
    const double sheared[4] = {16, 0, 4.8, -16};
    const double shearedUpwards[4] = {0, -16, -16, 4.8};
    const double mirroredUpwards[4] = {0, -16, 16, 0};
    const double tinyShear[4] = {16, 0.00005, 0.00005, -16};
    EXPECT_FALSE(IsSkewed(upright));
    EXPECT_FALSE(IsSkewed(upwards));
    EXPECT_TRUE(IsSkewed(sheared));
    EXPECT_TRUE(IsSkewed(shearedUpwards));
    EXPECT_TRUE(IsSkewed(mirroredUpwards));
    EXPECT_FALSE(IsSkewed(tinyShear));
}

TEST(RotationOf, QuarterTurnBandsIncludingTheirEdges)
{
    EXPECT_EQ(RotationOf(0.0), 0);
    EXPECT_EQ(RotationOf(-0.0), 0);
    EXPECT_EQ(RotationOf(89.5), 90);
    EXPECT_EQ(RotationOf(90.5), 90);
    EXPECT_EQ(RotationOf(-89.5), -90);
    EXPECT_EQ(RotationOf(-90.5), -90);
}

TEST_F(CollectorTest, HorizontalGlyphBecomesOneItem)
{
    state.setFont(SimpleFont("Times-Roman"), 12);
    EXPECT_EQ(Collect({'A'}), 0);
    ASSERT_EQ(Items().size(), 1u);
    const CTextItem& item = Items()[0];
    EXPECT_DOUBLE_EQ(item.x, 100.0);
    EXPECT_DOUBLE_EQ(item.y, 203.0);
    EXPECT_EQ(item.text, u"A");
    EXPECT_EQ(item.narrowText, "A");
    EXPECT_EQ(item.textLength, 1);
    EXPECT_EQ(item.faceName, "Times New Roman");
    EXPECT_FLOAT_EQ(item.width, 8.0f);
    EXPECT_FLOAT_EQ(item.height, 16.0f);  // 12 pt at 96 dpi
    EXPECT_EQ(item.rotation, 0);
    EXPECT_EQ(item.bold, 0);
    EXPECT_EQ(item.italic, 0);
    EXPECT_EQ(item.color, kRed);
    EXPECT_EQ(item.useCharCode, 0);
    EXPECT_EQ(item.charCode, 0u);
    EXPECT_EQ(item.layoutMark, 0);
}

TEST_F(CollectorTest, ControlCharactersAreDroppedAndNotDrawn)
{
    state.setFont(SimpleFont("Tahoma"), 12);
    EXPECT_EQ(Collect({0x09}), 0);
    EXPECT_EQ(Collect({0x0D}), 0);
    EXPECT_EQ(Collect({0x14}), 0);
    EXPECT_TRUE(Items().empty());
    // Only a lone control character is dropped.
    EXPECT_EQ(Collect({0x15}), 0);
    EXPECT_EQ(Items().size(), 1u);
}

TEST_F(CollectorTest, OverlongMappingIsCutToTheBuffer)
{
    state.setFont(SimpleFont("Tahoma"), 12);
    std::vector<Unicode> twelve;
    for (Unicode c = 'a'; c < 'a' + 12; ++c) twelve.push_back(c);
    EXPECT_EQ(Collect(twelve), 0);
    ASSERT_EQ(Items().size(), 1u);
    EXPECT_EQ(Items()[0].textLength, kGlyphTextCapacity);
    EXPECT_EQ(Items()[0].text, u"abcdefghi");
}

TEST_F(CollectorTest, EmptyMappingIsNeverRead)
{
    state.setFont(SimpleFont("Tahoma"), 12);
    // A stale pointer from an earlier glyph: it must not be taken for this glyph's text.
    const Unicode stale[1] = {'Z'};
    EXPECT_EQ(collector.CollectGlyph(&state, 100, 200, 8, 0, 1, stale, 0, kRed), 0);
    EXPECT_EQ(collector.CollectGlyph(&state, 100, 200, 8, 0, 1, nullptr, 0, kRed), 0);
    EXPECT_EQ(collector.CollectGlyph(&state, 100, 200, 8, 0, 1, nullptr, 1, kRed), 0);
    EXPECT_TRUE(Items().empty());
    // On a turned line it is still drawn into the picture.
    const double c = std::cos(M_PI / 6), s = std::sin(M_PI / 6);
    state.setTextMat(c, s, -s, c, 72, 700);
    EXPECT_EQ(collector.CollectGlyph(&state, 100, 200, 8, 0, 1, stale, 0, kRed), kDrawGlyph);
}

TEST_F(CollectorTest, ValuesBeyondSixteenBitsBecomeSurrogatePairsAndLigaturesKeepBothLetters)
{
    state.setFont(SimpleFont("Tahoma"), 12);
    EXPECT_EQ(Collect({0x1D400}), 0);
    EXPECT_EQ(Collect({'f', 'i'}, 8, 0), 0);
    ASSERT_EQ(Items().size(), 2u);
    // MATHEMATICAL BOLD CAPITAL A, not the Hangul syllable its low 16 bits name.
    EXPECT_EQ(Items()[0].text, u"\U0001D400");
    EXPECT_EQ(Items()[0].textLength, 2);
    EXPECT_EQ(Items()[0].useCharCode, 1);
    EXPECT_EQ(Items()[0].charCode, 0xDC00D835u);
    EXPECT_EQ(Items()[1].text, u"fi");
    EXPECT_EQ(Items()[1].textLength, 2);
    EXPECT_EQ(Items()[1].narrowText, "f");
}

TEST_F(CollectorTest, DirectionDecidesCaptureAndAdvance)
{
    state.setFont(SimpleFont("Tahoma"), 12);
    const double c = std::cos(M_PI / 6), s = std::sin(M_PI / 6);
    state.setTextMat(c, s, -s, c, 72, 700);
    EXPECT_EQ(Collect({'A'}), kDrawGlyph);
    EXPECT_TRUE(Items().empty());

    state.setTextMat(0, 1, -1, 0, 72, 700);  // reads bottom to top
    EXPECT_EQ(Collect({'B'}, 0, -20), 0);
    state.setTextMat(0, -1, 1, 0, 72, 700);  // reads top to bottom
    EXPECT_EQ(Collect({'C'}, 0, 20), 0);
    ASSERT_EQ(Items().size(), 2u);
    EXPECT_EQ(Items()[0].rotation, 90);
    EXPECT_FLOAT_EQ(Items()[0].width, 20.0f);  // the vertical advance, not cut to the height
    EXPECT_EQ(Items()[1].rotation, -90);
    EXPECT_FLOAT_EQ(Items()[1].width, 16.0f);  // cut to the height
    EXPECT_FLOAT_EQ(Items()[1].height, 16.0f);
}

TEST_F(CollectorTest, ShearMakesHorizontalTextItalicOnly)
{
    state.setFont(SimpleFont("Tahoma"), 12);
    state.setTextMat(1, 0, 0.3, 1, 72, 700);
    EXPECT_EQ(Collect({'A'}), 0);
    state.setTextMat(0, 1, -1, 0.3, 72, 700);  // sheared and turned upwards
    EXPECT_EQ(Collect({'B'}, 0, -8), 0);
    ASSERT_EQ(Items().size(), 2u);
    EXPECT_EQ(Items()[0].italic, 1);
    EXPECT_EQ(Items()[1].rotation, 90);
    EXPECT_EQ(Items()[1].italic, 0);
}

TEST_F(CollectorTest, StateWithoutFontUsesCourier)
{
    EXPECT_EQ(Collect({'A'}), 0);
    ASSERT_EQ(Items().size(), 1u);
    EXPECT_EQ(Items()[0].faceName, "Courier");
    EXPECT_EQ(Items()[0].bold, 0);
    EXPECT_EQ(Items()[0].italic, 0);
    EXPECT_FLOAT_EQ(Items()[0].height, 0.0f);  // no font size: the height floor of 0.001
}

TEST_F(CollectorTest, BoldFromDescriptorOrName)
{
    state.setFont(SimpleFont("Tahoma", 0x40000 | 0x40), 12);
    EXPECT_EQ(Collect({'A'}), 0);
    state.setFont(SimpleFont("Times-Bold", 0, 11), 12);
    EXPECT_EQ(Collect({'B'}, 8), 0);
    ASSERT_EQ(Items().size(), 2u);
    EXPECT_EQ(Items()[0].bold, 0x40000);
    EXPECT_EQ(Items()[0].italic, 0x40);
    EXPECT_EQ(Items()[0].faceName, "Tahoma");
    EXPECT_EQ(Items()[1].bold, 1);
    // "Times" is not installed: the family's face that Word users have.
    EXPECT_EQ(Items()[1].faceName, "Times New Roman");
}

TEST_F(CollectorTest, SymbolGlyphsAndTheirFaces)
{
    state.setFont(SimpleFont("Symbol"), 12);
    EXPECT_EQ(Collect({0x03B1}), 0);
    EXPECT_EQ(Collect({'a'}, 8, 0, 1), 0);
    ASSERT_EQ(Items().size(), 2u);
    EXPECT_EQ(Items()[0].faceName, "Arial Narrow");
    EXPECT_EQ(Items()[0].useCharCode, 1);
    EXPECT_EQ(Items()[0].charCode, 0x03B1u);
    EXPECT_EQ(Items()[1].faceName, "Symbol");
    EXPECT_EQ(Items()[1].useCharCode, 1);
    EXPECT_EQ(Items()[1].charCode, uint32_t('a'));
}

TEST_F(CollectorTest, VerticalWritingModeAndPointTextMarks)
{
    state.setFont(VerticalCidFont("MSMincho"), 12);
    EXPECT_EQ(Collect({0x65E5}, 0, 16, 2), 0);
    EXPECT_EQ(Collect({0x3001}, 0, 16, 2), 0);
    ASSERT_EQ(Items().size(), 2u);
    EXPECT_EQ(Items()[0].faceName, "MSMincho");
    EXPECT_FLOAT_EQ(Items()[0].width, 0.0f);  // the horizontal advance of vertical text
    EXPECT_EQ(Items()[1].faceName, "@MSMincho");

    ClearPageText(store);
    state.setFont(SimpleFont("MSMincho"), 12);
    marked.push_back({1, "PointText", false, false});
    marked.push_back({2, "PointText", false, true});  // properties by name
    EXPECT_EQ(Collect({0x3002}), 0);
    marked.push_back({2, "Span", true, true});
    EXPECT_EQ(Collect({0x3002}, 8, 0, 1), 0);
    marked.push_back({2, "PointText", true, true});
    EXPECT_EQ(Collect({0x3002}, 8, 0, 1, 140), 0);  // elsewhere, now vertical
    ASSERT_EQ(Items().size(), 2u) << "the unmarked repeat is a duplicate";
    EXPECT_EQ(Items()[0].faceName, "MS Mincho");
    EXPECT_EQ(Items()[1].faceName, "@MSMincho");
}

TEST_F(CollectorTest, FontChangesAreNoticedByContent)
{
    // Fonts come and go; a new font may even reuse a freed one's address.
    for (int round = 0; round < 3; ++round) {
        state.setFont(SimpleFont("Tahoma", 0x40000), 12);
        EXPECT_EQ(Collect({'a'}, 8), 0);
        state.setFont(SimpleFont("Symbol"), 12);
        EXPECT_EQ(Collect({'b'}, 8), 0);
        state.setFont(SimpleFont("Tahoma"), 12);
        EXPECT_EQ(Collect({'c'}, 8), 0);
        ClearPageText(store);
        state.setFont(nullptr, 12);
    }
    state.setFont(SimpleFont("Tahoma", 0x40000), 12);
    Collect({'a'}, 8);
    state.setFont(SimpleFont("Symbol"), 12);
    Collect({'b'}, 8);
    state.setFont(SimpleFont("Tahoma"), 12);
    Collect({'c'}, 8);
    ASSERT_EQ(Items().size(), 3u);
    EXPECT_EQ(Items()[0].bold, 0x40000);
    EXPECT_EQ(Items()[1].faceName, "Symbol");
    EXPECT_EQ(Items()[1].useCharCode, 1);
    EXPECT_EQ(Items()[2].bold, 0);
    EXPECT_EQ(Items()[2].faceName, "Tahoma");
}

TEST_F(CollectorTest, EveryGlyphSeesItsOwnMatrixAndFontAfterChanges)
{
    // The collector keeps the last matrix and font name; each change must show.
    struct Step {
        double tm[4];
        double size;
        const char* font;
        int32_t italic, rotation, useCharCode;
        float height;
        const char* face;
    };
    const Step steps[] = {
        {{1, 0, 0, 1}, 12, "Tahoma", 0, 0, 0, 16, "Tahoma"},
        {{1, 0, 0.3, 1}, 12, "Tahoma", 1, 0, 0, 16.7f, "Tahoma"},
        {{1, 0, 0, 1}, 9, "Tahoma", 0, 0, 0, 12, "Tahoma"},
        {{0, 1, -1, 0}, 9, "Tahoma", 0, 90, 0, 12, "Tahoma"},
        {{1, 0, 0, 1}, 9, "SymbolMT", 0, 0, 1, 12, "Symbol"},
        {{1, 0, 0, 1}, 9, "Helvetica-Condensed", 0, 0, 0, 12, "Arial Narrow"},
        {{1, 0, 0, 1}, 9, "Tahoma", 0, 0, 0, 12, "Tahoma"},
        {{1, 0, 0.3, 1}, 12, "Tahoma", 1, 0, 0, 16.7f, "Tahoma"},
    };
    double x = 100;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.font);
        state.setFont(SimpleFont(step.font), step.size);
        state.setTextMat(step.tm[0], step.tm[1], step.tm[2], step.tm[3], 72, 700);
        ASSERT_EQ(Collect({'a'}, 8, -8, 1, x), 0);
        ASSERT_FALSE(Items().empty());
        const CTextItem& item = Items().back();
        EXPECT_DOUBLE_EQ(item.x, x);
        EXPECT_EQ(item.italic, step.italic);
        EXPECT_EQ(item.rotation, step.rotation);
        EXPECT_EQ(item.useCharCode, step.useCharCode);
        EXPECT_NEAR(item.height, step.height, 0.01);
        EXPECT_EQ(item.faceName, step.face);
        x += 40;
    }
    EXPECT_EQ(Items().size(), std::size(steps));
}

TEST_F(CollectorTest, SimulatedBoldDrawnTwiceGivesOneItem)
{
    state.setFont(SimpleFont("Tahoma"), 12);
    EXPECT_EQ(collector.CollectGlyph(&state, 100, 200, 8, 0, 1, std::vector<Unicode>{'H'}.data(), 1,
                                     kRed),
              0);
    EXPECT_EQ(collector.CollectGlyph(&state, 100.6, 200.4, 8, 0, 1,
                                     std::vector<Unicode>{'H'}.data(), 1, kRed),
              0);
    EXPECT_EQ(Items().size(), 1u);
}

TEST_F(CollectorTest, ItemGeometryAndRounding)
{
    Add(10.004, 103.004, u"A");
    ASSERT_EQ(Items().size(), 1u);
    EXPECT_DOUBLE_EQ(Items()[0].x, 10.0);
    EXPECT_DOUBLE_EQ(Items()[0].y, 103.0);
    EXPECT_DOUBLE_EQ(Items()[0].y, RoundHundredths(100.004 + 3.0));

    Add(50, 103, u"W", 20.004);     // wider than the font size: cut
    Add(80, 103, u" ", 20.004);     // a space keeps its advance
    Add(120, 103, u"\u2020", 20);   // a dagger is no space, whatever its low byte
    Add(160, 103, u"x", -5.126);    // advances are stored without sign
    collector.AddTextItem(200, 103, u"y", 1, "Tahoma", 5, -12.3, 0, 0, 0, 0, false);
    ASSERT_EQ(Items().size(), 6u);
    EXPECT_FLOAT_EQ(Items()[1].width, 12.0f);
    EXPECT_FLOAT_EQ(Items()[2].width, 20.0f);
    EXPECT_FLOAT_EQ(Items()[3].width, 12.0f);
    EXPECT_FLOAT_EQ(Items()[4].width, 5.13f);
    EXPECT_FLOAT_EQ(Items()[5].height, 12.3f);
}

TEST_F(CollectorTest, TextFieldsOfAnItem)
{
    Add(10, 100, u"\u00E9");
    Add(30, 100, u"\u3042");
    Add(50, 100, u"~");
    Add(70, 100, u"a", 6, "MySymbolFace");
    collector.AddTextItem(90, 100, u"", 0, "Tahoma", 6, 12, 0, 0, 0, 0, false);
    ASSERT_EQ(Items().size(), 4u) << "an empty text makes no item";
    EXPECT_EQ(Items()[0].narrowText, "\xE9");
    EXPECT_EQ(Items()[0].useCharCode, 1);
    EXPECT_EQ(Items()[0].charCode, 0xE9u);
    EXPECT_EQ(Items()[1].narrowText, "\x42\x30");
    EXPECT_EQ(Items()[2].useCharCode, 0);
    EXPECT_EQ(Items()[3].useCharCode, 1);
    EXPECT_EQ(Items()[3].charCode, uint32_t('a'));
    EXPECT_EQ(Items()[3].faceName, "");
}

TEST_F(CollectorTest, SwallowedSpaces)
{
    Add(10, 100, u"A", 10);
    Add(14, 100, u" ", 6);       // its left half lies inside "A"
    Add(14, 140, u" ", 6);       // another line
    Add(40, 100, u"B", 10);
    Add(44, 100.4, u" ", 6);     // same rounded baseline: swallowed by "B"
    Add(47, 100, u" ", 6);       // its middle is exactly B's right edge: kept
    ASSERT_EQ(Items().size(), 4u);
    EXPECT_DOUBLE_EQ(Items()[1].y, 140.0);
    EXPECT_DOUBLE_EQ(Items()[3].x, 47.0);
}

TEST_F(CollectorTest, RepeatedNarrowLettersOfVerticalTextStay)
{
    // "ll" reading bottom to top: the second l is one advance (3.33 px) up,
    // well within half the font size, yet it is a letter of its own.
    auto addUp = [&](double y, double advance) {
        collector.AddTextItem(700, y, u"l", 1, "Tahoma", advance, 12, 0, 0, kRed, 90, false);
    };
    addUp(300, 3.33);
    addUp(296.67, 3.33);
    EXPECT_EQ(Items().size(), 2u);
    // Drawn again in place (simulated bold), it is still one glyph.
    addUp(296.5, 3.33);
    EXPECT_EQ(Items().size(), 2u);
}

TEST_F(CollectorTest, DuplicateRules)
{
    Add(100, 100, u"A", 10);
    Add(104.9, 105.9, u"A", 10);  // closer than half the width and half the height
    Add(105, 100, u"A", 10);      // exactly half the width away
    Add(200, 100, u"A", 10);
    Add(200, 100, u"B", 10);      // other text
    Add(300, 100, u"C", 10);
    Add(300, 100, u"C", 10, "Tahoma", 13);      // other rounded height
    Add(400, 100, u"D", 10);
    Add(400, 100, u"D", 10, "Symbol");          // written by code instead of text
    ASSERT_EQ(Items().size(), 8u);
    EXPECT_DOUBLE_EQ(Items()[1].x, 105.0);
}
