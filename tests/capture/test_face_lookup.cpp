// Face lookup against a given face list and against the fonts fontconfig lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "capture/face_lookup.h"

namespace {

const std::vector<std::string> kFaces{"Tahoma",        "Gill Sans MT", "Liberation Sans",
                                      "Arial Narrow",  "MS Mincho",    "@MS Mincho",
                                      "Symbol",        "Tahoma"};

struct CountingFaces {
    std::vector<std::vector<std::string>> answers;  // one per call, the last one repeats
    int* calls;
    std::vector<std::string> operator()() const
    {
        const size_t i = std::min<size_t>(size_t((*calls)++), answers.size() - 1);
        return answers[i];
    }
};

std::pair<int, std::string> Lookup(CFaceLookup& faces, const std::string& name)
{
    std::string out = "untouched";
    const int found = faces.LookupFace(name, out);
    return {found, out};
}

bool Installed(const std::vector<std::string>& faces, const std::string& face)
{
    return std::find(faces.begin(), faces.end(), face) != faces.end();
}

}  // namespace

TEST(LookupFace, AliasesAnswerWithoutListingFaces)
{
    int calls = 0;
    CFaceLookup faces(CountingFaces{{kFaces}, &calls});
    EXPECT_EQ(Lookup(faces, "Times-Roman"), std::make_pair(1, std::string("Times New Roman")));
    EXPECT_EQ(Lookup(faces, "BickleyScriptLetPlain"), std::make_pair(1, std::string("Script")));
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(faces.LastLookupFound());
    // Alias keys are exact.
    EXPECT_EQ(Lookup(faces, "times-roman"), std::make_pair(0, std::string("times")));
    EXPECT_EQ(calls, 1);
}

TEST(LookupFace, MatchesIgnoringCaseAndSpaces)
{
    int calls = 0;
    CFaceLookup faces(CountingFaces{{kFaces}, &calls});
    // A plain match answers with the name as asked, a match without spaces with the listed face.
    EXPECT_EQ(Lookup(faces, "tahoma"), std::make_pair(1, std::string("tahoma")));
    EXPECT_EQ(Lookup(faces, "GillSansMT"), std::make_pair(1, std::string("Gill Sans MT")));
    EXPECT_EQ(Lookup(faces, "LIBERATIONSANS"), std::make_pair(1, std::string("Liberation Sans")));
    EXPECT_EQ(Lookup(faces, "Arial Narrow"), std::make_pair(1, std::string("Arial Narrow")));
    EXPECT_EQ(Lookup(faces, "@MSMincho"), std::make_pair(1, std::string("@MS Mincho")));
    EXPECT_EQ(calls, 1) << "the face list is read once";
}

TEST(LookupFace, CutsAtTheFirstCommaOrDash)
{
    int calls = 0;
    CFaceLookup faces(CountingFaces{{kFaces}, &calls});
    EXPECT_EQ(Lookup(faces, "Some-Face"), std::make_pair(0, std::string("Some")));
    EXPECT_EQ(Lookup(faces, "Tahoma,Bold-X"), std::make_pair(1, std::string("Tahoma")));
    EXPECT_EQ(Lookup(faces, "Tahoma-X,Bold"), std::make_pair(1, std::string("Tahoma")));
    EXPECT_EQ(Lookup(faces, "Times"), std::make_pair(0, std::string("Times")));
    EXPECT_FALSE(faces.LastLookupFound());
    // The name with its suffix is not a face with spaces removed.
    CFaceLookup times(CountingFaces{{{"Times New Roman"}}, &calls});
    EXPECT_EQ(Lookup(times, "TimesNewRomanPSMT"), std::make_pair(0, std::string("TimesNewRomanPSMT")));
    EXPECT_EQ(Lookup(times, "TimesNewRoman"), std::make_pair(1, std::string("Times New Roman")));
}

TEST(LookupFace, EmptyFaceListIsAskedAgain)
{
    int calls = 0;
    CFaceLookup faces(CountingFaces{{{}, {}, {"Tahoma"}}, &calls});
    EXPECT_EQ(Lookup(faces, "Tahoma").first, 0);
    EXPECT_EQ(Lookup(faces, "Tahoma").first, 0);
    EXPECT_EQ(Lookup(faces, "Tahoma"), std::make_pair(1, std::string("Tahoma")));
    EXPECT_EQ(calls, 3);
    // Once filled, it is never asked again, for hits or misses.
    EXPECT_EQ(Lookup(faces, "Verdana").first, 0);
    EXPECT_EQ(Lookup(faces, "Verdana").first, 0);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(faces.EnumerationCount(), 3);
}

TEST(LookupFace, RepeatedNamesAnswerAsTheFirstTime)
{
    int calls = 0;
    CFaceLookup faces(CountingFaces{{kFaces}, &calls});
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(Lookup(faces, "Times"), std::make_pair(0, std::string("Times")));
        EXPECT_FALSE(faces.LastLookupFound());
        EXPECT_EQ(Lookup(faces, "Times"), std::make_pair(0, std::string("Times")));
        EXPECT_FALSE(faces.LastLookupFound());
        EXPECT_EQ(Lookup(faces, "GillSansMT-Bold"), std::make_pair(1, std::string("Gill Sans MT")));
        EXPECT_TRUE(faces.LastLookupFound());
        EXPECT_EQ(Lookup(faces, "GillSansMT-Bold"), std::make_pair(1, std::string("Gill Sans MT")));
        EXPECT_EQ(Lookup(faces, "gillsansmt"), std::make_pair(1, std::string("Gill Sans MT")));
        EXPECT_EQ(Lookup(faces, "tahoma"), std::make_pair(1, std::string("tahoma")));
    }
    EXPECT_EQ(calls, 1);
}

TEST(LookupFace, MissAgainstAnEmptyListIsNotRememberedAfterAnEarlierAnswer)
{
    int calls = 0;
    CFaceLookup faces(CountingFaces{{{}, {"Tahoma"}}, &calls});
    EXPECT_EQ(Lookup(faces, "Times-Roman"), std::make_pair(1, std::string("Times New Roman")));
    EXPECT_EQ(Lookup(faces, "Tahoma"), std::make_pair(0, std::string("Tahoma")));
    EXPECT_EQ(Lookup(faces, "Tahoma"), std::make_pair(1, std::string("Tahoma")));
    EXPECT_EQ(Lookup(faces, "Times-Roman"), std::make_pair(1, std::string("Times New Roman")));
    EXPECT_EQ(calls, 2);
}

TEST(SelectFace, FoundFacesForHorizontalAndVerticalText)
{
    int calls = 0;
    CFaceLookup faces(CountingFaces{{kFaces}, &calls});
    EXPECT_EQ(faces.SelectFace("GillSansMT", u"A", false, 0), "Gill Sans MT");
    EXPECT_EQ(faces.SelectFace("Times-Roman", u"A", false, 0), "Times New Roman");
    EXPECT_EQ(faces.SelectFace("Times", u"A", false, 0), "");
    EXPECT_FALSE(faces.LastLookupFound());

    // Vertical text keeps the PDF name, with "@" only in front of vertical punctuation.
    EXPECT_EQ(faces.SelectFace("MSMincho", u"\u65E5", true, 0), "MSMincho");
    EXPECT_EQ(faces.SelectFace("MSMincho", u"\u3001", true, 0), "@MSMincho");
    EXPECT_EQ(faces.SelectFace("@MSMincho", u"\u65E5", true, 0), "MSMincho");
    EXPECT_EQ(faces.SelectFace("@MSMincho", u"\uFF08", true, 0), "@MSMincho");
    EXPECT_EQ(faces.SelectFace("Nowhere", u"\u3001", true, 0), "");

    EXPECT_EQ(faces.SelectFace("Symbol", u"a", false, 1), "Symbol Bold");
    EXPECT_EQ(faces.SelectFace("Symbol", u"a", false, 0x40000), "Symbol Bold");
    EXPECT_EQ(faces.SelectFace("Symbol", u"a", false, 0), "Symbol");
}

TEST(IsVerticalPunctuation, Ranges)
{
    EXPECT_FALSE(IsVerticalPunctuation(0x3000));
    EXPECT_TRUE(IsVerticalPunctuation(0x3001));
    EXPECT_TRUE(IsVerticalPunctuation(0x300F));
    EXPECT_FALSE(IsVerticalPunctuation(0x3010));
    EXPECT_TRUE(IsVerticalPunctuation(0x30FC));
    EXPECT_FALSE(IsVerticalPunctuation(0xFEFF));
    EXPECT_TRUE(IsVerticalPunctuation(0xFF00));
    EXPECT_TRUE(IsVerticalPunctuation(0xFFFF));
    EXPECT_FALSE(IsVerticalPunctuation(u'A'));
}

TEST(InstalledFaces, FontconfigFamiliesAreMatchedWithoutSpaces)
{
    const std::vector<std::string> listed = EnumerateInstalledFaces();
    ASSERT_FALSE(listed.empty()) << "fontconfig lists no fonts";

    CFaceLookup faces;  // the real enumeration
    std::string out;
    if (Installed(listed, "Liberation Sans")) {
        EXPECT_EQ(faces.LookupFace("LiberationSans", out), 1);
        EXPECT_EQ(out, "Liberation Sans");
        EXPECT_EQ(faces.LookupFace("LiberationSans-Bold", out), 1);
        EXPECT_EQ(out, "Liberation Sans");
    }
    if (Installed(listed, "DejaVu Sans Mono")) {
        EXPECT_EQ(faces.LookupFace("DejaVuSansMono", out), 1);
        EXPECT_EQ(out, "DejaVu Sans Mono");
    }
    if (!Installed(listed, "Liberation Sans") && !Installed(listed, "DejaVu Sans Mono"))
        GTEST_SKIP() << "neither Liberation Sans nor DejaVu Sans Mono is installed";
    // A name fontconfig answers with a generic fallback is not a face.
    EXPECT_EQ(faces.LookupFace("NoSuchFaceAnywhere", out), 0);
    EXPECT_EQ(faces.EnumerationCount(), 1);
    EXPECT_EQ(faces.InstalledFaces(), listed);
}

TEST(MetricAliases, OnlyFacesWithTheSameMetricsCount)
{
    EXPECT_TRUE(IsMetricCompatible("Arial", "Liberation Sans"));
    EXPECT_TRUE(IsMetricCompatible("Helvetica", "Liberation Sans"));
    EXPECT_TRUE(IsMetricCompatible("Helvetica", "TeX Gyre Heros"));
    EXPECT_TRUE(IsMetricCompatible("Times", "Liberation Serif"));
    EXPECT_TRUE(IsMetricCompatible("Times New Roman", "Tinos"));
    EXPECT_TRUE(IsMetricCompatible("Courier", "Liberation Mono"));
    EXPECT_TRUE(IsMetricCompatible("Courier New", "liberation mono"));
    EXPECT_TRUE(IsMetricCompatible("Arial Narrow", "Liberation Sans Narrow"));
    EXPECT_TRUE(IsMetricCompatible("Calibri", "Carlito"));
    EXPECT_TRUE(IsMetricCompatible("Cambria", "Caladea"));
    // The real face, where it is installed.
    EXPECT_TRUE(IsMetricCompatible("Calibri", "Calibri"));

    // Generic fallbacks and faces of other widths do not count.
    EXPECT_FALSE(IsMetricCompatible("Calibri", "DejaVu Sans"));
    EXPECT_FALSE(IsMetricCompatible("Cambria", "DejaVu Serif"));
    EXPECT_FALSE(IsMetricCompatible("Arial", "DejaVu Sans"));
    EXPECT_FALSE(IsMetricCompatible("Arial Narrow", "Liberation Sans"));
    EXPECT_FALSE(IsMetricCompatible("Arial", "Liberation Sans Narrow"));
    EXPECT_FALSE(IsMetricCompatible("Times New Roman", "Liberation Sans"));
    EXPECT_FALSE(IsMetricCompatible("Calibri", "Caladea"));
    EXPECT_FALSE(IsMetricCompatible("Arial", ""));
    // Names outside the table only count as themselves.
    EXPECT_FALSE(IsMetricCompatible("Tahoma", "Liberation Sans"));
}

TEST(MetricAliases, ListedInTableOrderWhenTheMatchFits)
{
    std::vector<std::string> asked;
    const FamilyMatcher noOfficeFonts = [&asked](const std::string& name) -> std::string {
        asked.push_back(name);
        if (name == "Calibri") return "DejaVu Sans";
        if (name == "Cambria") return "DejaVu Serif";
        if (name == "Arial Narrow") return "Liberation Sans Narrow";
        if (name.find("Times") == 0) return "Liberation Serif";
        if (name.find("Courier") == 0) return "Liberation Mono";
        return "Liberation Sans";
    };
    EXPECT_EQ(MetricAliasFaces(noOfficeFonts),
              (std::vector<std::string>{"Arial", "Helvetica", "Times New Roman", "Times", "Courier New",
                                        "Courier", "Arial Narrow"}));
    EXPECT_EQ(asked.size(), 9u);

    const FamilyMatcher onlyFallbacks = [](const std::string&) { return std::string("DejaVu Sans"); };
    EXPECT_TRUE(MetricAliasFaces(onlyFallbacks).empty());
    EXPECT_TRUE(MetricAliasFaces(FamilyMatcher()).empty());
}

TEST(MetricAliases, ServedNamesAreInstalledFaces)
{
    if (!IsMetricCompatible("Arial", FontconfigMatchFamily("Arial")))
        GTEST_SKIP() << "fontconfig serves Arial with " << FontconfigMatchFamily("Arial");
    const std::vector<std::string> listed = EnumerateInstalledFaces();
    for (const char* name : {"Arial", "Helvetica", "Times New Roman", "Times", "Courier New", "Courier"})
        EXPECT_TRUE(Installed(listed, name)) << name;
    // Once each, after the listed families.
    EXPECT_EQ(std::count(listed.begin(), listed.end(), "Arial"), 1);

    // The lookup rules then run unchanged on them.
    CFaceLookup faces;
    std::string out;
    EXPECT_EQ(faces.LookupFace("Helvetica", out), 1);
    EXPECT_EQ(out, "Helvetica");
    EXPECT_EQ(faces.LookupFace("Courier", out), 1);
    EXPECT_EQ(out, "Courier");
    EXPECT_EQ(faces.LookupFace("Times", out), 1);
    EXPECT_EQ(out, "Times");
    // Matched without spaces, like a listed face; a PostScript suffix still misses.
    EXPECT_EQ(faces.LookupFace("TimesNewRoman", out), 1);
    EXPECT_EQ(out, "Times New Roman");
    EXPECT_EQ(faces.LookupFace("TimesNewRomanPSMT", out), 0);

    const bool carlito = IsMetricCompatible("Calibri", FontconfigMatchFamily("Calibri"));
    EXPECT_EQ(Installed(listed, "Calibri"), carlito);
    EXPECT_EQ(faces.LookupFace("Calibri", out), carlito ? 1 : 0);
    EXPECT_EQ(out, "Calibri");
}
