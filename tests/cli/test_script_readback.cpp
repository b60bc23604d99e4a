// Accents drawn apart from their letters and right-to-left lines, through
// --to-rtf and LibreOffice in both text modes: the words read back whole and
// in their reading order, and the stored text is in logical order.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli_process.h"
#include "fixtures.h"

namespace fs = std::filesystem;

namespace {

const std::string kCli = PW_CLI_PATH;

bool HaveSoffice() { return std::system("command -v soffice >/dev/null 2>&1") == 0; }

// The text of a PDF as pdftotext reads it, the direction marks it puts
// around right-to-left stretches taken for blanks.
std::string PdfText(const std::string& pdf)
{
    std::string text = RunShell("pdftotext " + Quoted(pdf) + " -").out;
    for (const char* mark : {"\u202A", "\u202B", "\u202C", "\u202D", "\u202E", "\u200E", "\u200F"})
        for (size_t at; (at = text.find(mark)) != std::string::npos;)
            text.replace(at, std::string(mark).size(), " ");
    return text;
}

std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

// The right end (points) of each line of a PDF's first page, top to bottom,
// from the word boxes pdftotext reports.
std::vector<double> LineRightEnds(const std::string& pdf)
{
    const std::string boxes = RunShell("pdftotext -f 1 -l 1 -bbox " + Quoted(pdf) + " -").out;
    std::vector<std::pair<double, double>> lines;  // (yMax, right end)
    for (size_t at = 0; (at = boxes.find("<word ", at)) != std::string::npos; ++at) {
        double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
        if (std::sscanf(boxes.c_str() + at, "<word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%lf\"", &xMin,
                        &yMin, &xMax, &yMax) != 4)
            continue;
        auto line = std::find_if(lines.begin(), lines.end(),
                                 [&](const auto& l) { return std::abs(l.first - yMax) < 3; });
        if (line == lines.end())
            lines.emplace_back(yMax, xMax);
        else
            line->second = std::max(line->second, xMax);
    }
    std::sort(lines.begin(), lines.end());
    std::vector<double> ends;
    for (const auto& l : lines)
        ends.push_back(l.second);
    return ends;
}

class ScriptReadbackTest : public ::testing::Test {
protected:

    std::string ToRtf(const std::string& fixture, const std::string& flags, const std::string& stem)
    {
        const std::string rtf = folder + "/" + stem + ".rtf";
        const ShellResult convert =
            RunShell(Quoted(kCli) + " --to-rtf " + Quoted(FixturePath(fixture)) + " " + Quoted(rtf) + " " + flags);
        EXPECT_EQ(convert.exitCode, 0) << convert.err;
        return rtf;
    }

    // The PDF LibreOffice makes of an RTF in the folder.
    std::string OfficePdf(const std::string& stem)
    {
        OfficePdfsOf(folder, Quoted(stem + ".rtf"), folder);
        return folder + "/" + stem + ".pdf";
    }

    ScopedTempFolder temp {"pw-script"};
    const std::string folder = temp.Path();
};

}  // namespace

TEST_F(ScriptReadbackTest, AccentsDrawnApartAreWrittenWithTheirLetters)
{
    for (const std::string mode : {"", "--frames"}) {
        SCOPED_TRACE("mode " + mode);
        const std::string stem = mode.empty() ? "accents-flow" : "accents-frames";
        const std::string rtf = ReadWholeFile(ToRtf("accents.pdf", mode, stem));
        // The letters as precomposed characters, no accent glyph left alone,
        // and in flow mode no text box for a covered accent (the page picture
        // is a shape too, but without text).
        for (const char* code : {"Einf\\u252xhrung", "caf\\u233x", "na\\u239xve", "gar\\u231xon",
                                 "\\u197xngstr\\u246xm", "cr\\u232xme", "Br\\u252xckenbau"})
            EXPECT_NE(rtf.find(code), std::string::npos) << code;
        for (const char* accent : {"\\u168x", "\\u180x", "\\u184x", "\\u730x", "`"})
            EXPECT_EQ(rtf.find(accent), std::string::npos) << accent;
        if (mode.empty()) {
            EXPECT_EQ(rtf.find("\\shptxt"), std::string::npos);
        }
    }
}

TEST_F(ScriptReadbackTest, AccentedWordsReadBackWhole)
{
    if (!HaveSoffice())
        GTEST_SKIP() << "LibreOffice is not installed";
    for (const std::string mode : {"", "--frames"}) {
        SCOPED_TRACE("mode " + mode);
        const std::string stem = mode.empty() ? "accents-flow" : "accents-frames";
        ToRtf("accents.pdf", mode, stem);
        const std::vector<std::string> got = Words(PdfText(OfficePdf(stem)));
        const std::vector<std::string> want = {"Einführung", "café",   "naïve", "garçon", "Ångström", "crème",
                                               "Café",       "au",     "lait,", "der",    "Brückenbau"};
        EXPECT_EQ(got, want);
    }
}

TEST_F(ScriptReadbackTest, RightToLeftTextIsStoredInReadingOrder)
{
    const std::string rtf = ReadWholeFile(ToRtf("right_to_left.pdf", "", "rtl-flow"));
    // "shalom olam" from its first letter (shin), as a right-to-left paragraph.
    EXPECT_NE(rtf.find("\\u1513x\\u1500x\\u1493x\\u1501x \\u1506x\\u1493x\\u1500x\\u1501x"), std::string::npos);
    EXPECT_NE(rtf.find("\\rtlpar"), std::string::npos);
    // Arabic "marhaban" from its first letter (meem).
    EXPECT_NE(rtf.find("\\u1605x\\u1585x\\u1581x\\u1576x\\u1575x"), std::string::npos);
    // The Latin line with a Hebrew word stays a left-to-right paragraph,
    // the word stored from its first letter.
    EXPECT_NE(rtf.find("The word }"), std::string::npos);
    EXPECT_NE(rtf.find("\\u1513x\\u1500x\\u1493x\\u1501x}"), std::string::npos);
}

TEST_F(ScriptReadbackTest, RightToLeftLinesReadBackAsInThePdf)
{
    if (!HaveSoffice())
        GTEST_SKIP() << "LibreOffice is not installed";
    const std::vector<std::string> want = Words(PdfText(FixturePath("right_to_left.pdf")));
    ASSERT_EQ(want.size(), 16u);
    for (const std::string mode : {"", "--frames"}) {
        SCOPED_TRACE("mode " + mode);
        const std::string stem = mode.empty() ? "rtl-flow" : "rtl-frames";
        ToRtf("right_to_left.pdf", mode, stem);
        const std::string back = OfficePdf(stem);
        EXPECT_EQ(Words(PdfText(back)), want);
        if (mode.empty()) {
            // Flow mode keeps the right end of the right-to-left lines.
            const std::vector<double> wantEnds = LineRightEnds(FixturePath("right_to_left.pdf"));
            const std::vector<double> gotEnds = LineRightEnds(back);
            ASSERT_EQ(gotEnds.size(), wantEnds.size());
            for (size_t i = 0; i + 1 < wantEnds.size(); ++i)
                EXPECT_NEAR(gotEnds[i], wantEnds[i], 1.5) << "line " << i;
        }
    }
}
