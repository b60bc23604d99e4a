#include <gtest/gtest.h>

#include <iconv.h>

#include "platform/code_page.h"

namespace {

TEST(CodePage, AsciiAndLatin1PassThrough)
{
    EXPECT_EQ(Utf16ToWindows1252(u"Hello, world!"), "Hello, world!");
    EXPECT_EQ(Utf16ToWindows1252(u"\u00e9\u00fc\u00df\u00a0\u00ff"), "\xE9\xFC\xDF\xA0\xFF");
}

TEST(CodePage, TheThirtyTwoHighCodesFollowWindows1252)
{
    EXPECT_EQ(Utf16ToWindows1252(u"\u20ac\u2014\u2122\u201c\u201d\u2022\u0152\u0178"),
              "\x80\x97\x99\x93\x94\x95\x8C\x9F");
    for (int byte = 0; byte < 256; ++byte) {
        char32_t unicode = Windows1252ToUnicode(static_cast<unsigned char>(byte));
        EXPECT_EQ(CodePointToWindows1252(unicode), std::string(1, static_cast<char>(byte))) << byte;
    }
}

TEST(CodePage, CloseFitsForCharactersOutsideTheCodePage)
{
    EXPECT_EQ(Utf16ToWindows1252(u"\u0141\u00f3d\u017a"), "L\xF3" "dz");  // Łódź
    EXPECT_EQ(Utf16ToWindows1252(u"\u0101\u010d\u0119"), "ace");
    EXPECT_EQ(Utf16ToWindows1252(u"\ufb01\ufb02\ufb03"), "fiflffi");
    EXPECT_EQ(Utf16ToWindows1252(u"a\u2212b\u2010c"), "a-b-c");
    EXPECT_EQ(Utf16ToWindows1252(u"a\u2003b\u2009c"), "a b c");
    EXPECT_EQ(Utf16ToWindows1252(u"\uff21\uff42\uff11"), "Ab1");
    EXPECT_EQ(Utf16ToWindows1252(u"\u2264\u2265"), "<=>=");
}

TEST(CodePage, NoFitGivesOneQuestionMarkPerCharacter)
{
    EXPECT_EQ(Utf16ToWindows1252(u"\u4e2d\u6587"), "??");
    EXPECT_EQ(Utf16ToWindows1252(u"a\U0001F600b"), "a?b");   // a surrogate pair is one character
    EXPECT_EQ(Utf16ToWindows1252(std::u16string(u"a\xD800" u"b")), "a?b");  // lone surrogate
}

TEST(CodePage, ConversionStopsAtTheFirstZero)
{
    EXPECT_EQ(Utf16ToWindows1252(std::u16string(u"ab\0c", 4)), "ab");
}

TEST(CodePage, Utf8Names)
{
    EXPECT_EQ(Utf8ToWindows1252("Caf\xC3\xA9 \xE2\x82\xAC"), "Caf\xE9 \x80");
    EXPECT_EQ(Utf8ToWindows1252("a\xC3"), "a?");        // cut short
    EXPECT_EQ(Utf8ToWindows1252("a\xFF" "b"), "a?b");  // not UTF-8 at all
    EXPECT_EQ(Utf8ToWindows1252("\xF0\x9F\x98\x80"), "?");
}

// Every character that the system's own CP1252 converter maps exactly
// comes out as the same byte here.
TEST(CodePage, AgreesWithTheSystemConverterOnEveryExactMapping)
{
    iconv_t cd = iconv_open("CP1252", "UTF-16LE");
    if (cd == reinterpret_cast<iconv_t>(-1))
        GTEST_SKIP() << "no CP1252 converter in this C library";
    int compared = 0;
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        char in[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        char out[8];
        char* inPtr = in;
        char* outPtr = out;
        size_t inLeft = 2, outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1))
            continue;
        std::string expected(out, static_cast<size_t>(outPtr - out));
        ASSERT_EQ(CodePointToWindows1252(c), expected) << std::hex << static_cast<uint32_t>(c);
        ++compared;
    }
    iconv_close(cd);
    EXPECT_EQ(compared, 250);  // every byte but NUL and the five unassigned ones
}

} // namespace
