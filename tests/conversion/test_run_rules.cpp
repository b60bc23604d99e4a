// Small rules of a conversion run: page sizes, the resolution fallback, the
// dated sub-folder, UTF-16 lengths of names, the command line's options.
#include <gtest/gtest.h>

#include <ctime>

#include "cli/cli_options.h"
#include "conversion/conversion_worker.h"
#include "conversion/page_loop.h"
#include "conversion/settings.h"
#include "platform/utf16_length.h"

TEST(PageSize, TwipsAreOneMoreThanTheExactValue)
{
    EXPECT_EQ(PixelsToPageTwips(816), 12241);
    EXPECT_EQ(PixelsToPageTwips(1056), 15841);
    EXPECT_EQ(PixelsToPageTwips(1239), 18586);
    EXPECT_EQ(PixelsToPageTwips(1755), 26326);
}

TEST(ResolutionFallback, FollowsTheSizeRules)
{
    // Fits: unchanged.
    EXPECT_EQ(FallbackResolution(96, 816, 1056), 96);
    EXPECT_EQ(FallbackResolution(96, 1239, 1755), 96);
    // 2000 px wide: k = 2, half the resolution.
    EXPECT_EQ(FallbackResolution(96, 2000, 1000), 48);
    // 1300 px wide, under 1170 high: k = 1, two thirds.
    EXPECT_EQ(FallbackResolution(96, 1300, 1100), 64);
    EXPECT_EQ(FallbackResolution(64, 1300, 1100), 42);
    // Height decides as well.
    EXPECT_EQ(FallbackResolution(96, 800, 3600), 32);
    // Never below one dot per inch, however large the page.
    EXPECT_EQ(FallbackResolution(1, 100000, 100000), 1);
    EXPECT_EQ(FallbackResolution(2, 100000, 100000), 1);
}

TEST(DatedSubfolder, EnglishMonthTwoDigitDayAndYear)
{
    std::tm when {};
    when.tm_year = 2011 - 1900;
    when.tm_mon = 2;
    when.tm_mday = 5;
    when.tm_hour = 12;
    const std::time_t t = std::mktime(&when);
    EXPECT_EQ(DatedSubfolder("/out", t), "/out/Paperwell March05_2011");
    EXPECT_EQ(DatedSubfolder("/out/", t), "/out/Paperwell March05_2011");
}

TEST(Utf16Length, CountsUnitsNotBytes)
{
    EXPECT_EQ(Utf16Length(""), 0u);
    EXPECT_EQ(Utf16Length("Report"), 6u);
    EXPECT_EQ(Utf16Length("\xC3\xBC"), 1u);          // ü
    EXPECT_EQ(Utf16Length("\xE6\x97\xA5"), 1u);      // 日
    EXPECT_EQ(Utf16Length("\xF0\x9D\x90\x80"), 2u);  // a surrogate pair
    EXPECT_EQ(Utf16Length("\xFF\xFE"), 2u);          // not UTF-8: a unit per byte
    EXPECT_EQ(Utf16Length("\xE6\x97"), 2u);          // cut short
}

TEST(CliOptions, ParsesEveryOption)
{
    CliOptions options;
    std::string error;
    ASSERT_TRUE(ParseCliOptions({"a.pdf", "--frames", "--delete-graphics", "--pages", "3-5", "--password",
                                 "pw", "--format", "docx", "--resolution", "150", "-q", "-o", "/tmp/out", "b.pdf"},
                                options, error))
        << error;
    EXPECT_EQ(options.inputs.size(), 2u);
    EXPECT_EQ(options.inputs[0][0], '/');
    EXPECT_TRUE(options.frames);
    EXPECT_TRUE(options.deleteGraphics);
    EXPECT_FALSE(options.allPages);
    EXPECT_EQ(options.fromPage, 3);
    EXPECT_EQ(options.toPage, 5);
    EXPECT_TRUE(options.hasPassword);
    EXPECT_EQ(options.password, "pw");
    EXPECT_EQ(options.format, OutputFormat::Docx);
    EXPECT_EQ(options.pictureDpi, 150);
    EXPECT_TRUE(options.quiet);
    EXPECT_EQ(options.outputFolder, "/tmp/out");
}

TEST(CliOptions, RejectsUsageErrors)
{
    std::string error;
    CliOptions a;
    EXPECT_FALSE(ParseCliOptions({}, a, error));
    CliOptions b;
    EXPECT_FALSE(ParseCliOptions({"a.pdf", "--pages", "x-3"}, b, error));
    CliOptions c;
    EXPECT_FALSE(ParseCliOptions({"a.pdf", "--format", "odt"}, c, error));
    CliOptions d;
    EXPECT_FALSE(ParseCliOptions({"a.pdf", "--bogus"}, d, error));
    CliOptions e;
    EXPECT_FALSE(ParseCliOptions({"a.pdf", "-o"}, e, error));
    for (const char* dpi : {"47", "601", "150dpi", "-96", ""}) {
        CliOptions g;
        EXPECT_FALSE(ParseCliOptions({"a.pdf", "--resolution", dpi}, g, error)) << dpi;
        EXPECT_EQ(error, "--resolution wants dots per inch from 48 to 600") << dpi;
    }
    CliOptions h;
    ASSERT_TRUE(ParseCliOptions({"a.pdf"}, h, error));
    EXPECT_EQ(h.pictureDpi, 96);
    CliOptions f;
    EXPECT_TRUE(ParseCliOptions({"--help"}, f, error));
    EXPECT_TRUE(f.showHelp);
}

TEST(CliOptions, SinglePageRange)
{
    int from = 0, to = 0;
    EXPECT_TRUE(ParsePageRange("7", from, to));
    EXPECT_EQ(from, 7);
    EXPECT_EQ(to, 7);
    EXPECT_FALSE(ParsePageRange("-3", from, to));
    EXPECT_FALSE(ParsePageRange("3-", from, to));
}
