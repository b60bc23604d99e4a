// The PDF's own fonts read back: LibreOffice turns the .docx into a PDF that
// embeds the built families, and its glyphs stand where the PDF had them,
// measured glyph by glyph with the benchmark's placement script.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

#include "docx_fixture_support.h"
#include "docx_test_support.h"

using namespace docxtest;

namespace {

bool HaveOffice() { return std::system("command -v soffice >/dev/null 2>&1 && command -v pdffonts >/dev/null 2>&1") == 0; }

struct CPlacement {
    int status = -1;  // the script's exit status: 0 when every limit held
    std::string report;
};

// The script's report on `docx` against `pdf`, with `limits` checked.
CPlacement MeasurePlacement(const std::string& pdf, const std::string& docx, const std::string& limits)
{
    CPlacement p;
    int raw = 0;
    p.report = RunCommand("/usr/bin/python3 " PW_SOURCE_DIR "/bench/glyph_placement.py --fonts 0 --cli '" PW_CLI_PATH
                          "' --check " + limits + " '" + pdf + "' '" + docx + "' 2>&1",
                          raw);
    p.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return p;
}

std::string FixturePath() { return std::string(PW_FIXTURE_DIR) + "/embedded_fonts.pdf"; }

}  // namespace

// Frame mode sets every line at its own place: nearly every glyph lands
// within one pixel at 50 dpi both ways. The old way (spaces left to the
// reader's fallback font, runs never stretched to make up for the size's
// rounding) put half the glyphs further off.
TEST(DocxPlacement, EmbeddedRunsReadBackWhereThePdfHasTheirGlyphs)
{
    if (!HaveOffice())
        GTEST_SKIP() << "LibreOffice or pdffonts is not installed";
    for (const TextMode mode : {TextMode::Frames, TextMode::Flow}) {
        SCOPED_TRACE(mode == TextMode::Frames ? "frames" : "flow");
        const std::string out = MakeTempPath() + ".docx";
        CFixtureRun run;
        run.embedFonts = true;
        run.mode = mode;
        ASSERT_EQ(ConvertFixture(FixturePath(), out, run), 0);
        // Flow mode's line spacing is its own matter: only the horizontal
        // placement is held to the pixel there.
        const std::string limits = mode == TextMode::Frames
                                       ? "matched=0.98,dxin=0.8,linedx90=0.75,dyin=0.95,dy90=0.75,width90=0.04"
                                       : "matched=0.98,dxin=0.8,linedx90=0.75,width90=0.04";
        const CPlacement placement = MeasurePlacement(FixturePath(), out, limits);
        EXPECT_EQ(placement.status, 0) << placement.report;
        // The exported PDF shows the built families, each under its own name.
        for (const char* family : {"PwSansType1", "PwSansCff", "PwSerifSymbolic", "PwSerifCid", "PwSansCidCff"})
            EXPECT_NE(placement.report.find(" " + std::string(family)), std::string::npos) << family << "\n"
                                                                                        << placement.report;
        EXPECT_EQ(placement.report.find("PwSerifRestricted"), std::string::npos) << placement.report;
        std::remove(out.c_str());
    }
}
