// The one option table behind the converter, --to-rtf and --dump-items:
// each command takes only its own options, errors name the spelling used,
// and --help lists the converter's options in their column.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "cli/cli_options.h"
#include "cli/option_table.h"

namespace {

bool Parse(CliCommand command, const std::vector<std::string>& args, CliOptions& options,
           std::vector<std::string>& positional, std::string& error)
{
    return ParseCommandLine(command, args, 0, options, positional, error);
}

std::string ErrorOf(CliCommand command, const std::vector<std::string>& args)
{
    CliOptions options;
    std::vector<std::string> positional;
    std::string error;
    EXPECT_FALSE(Parse(command, args, options, positional, error));
    return error;
}

} // namespace

TEST(OptionTable, SpellingsAreUniqueAndEveryListedOptionIsTheConverters)
{
    std::set<std::string> spellings;
    for (const CliOptionEntry& entry : CliOptionTable()) {
        EXPECT_EQ(std::string(entry.longName).rfind("--", 0), 0u) << entry.longName;
        EXPECT_TRUE(spellings.insert(entry.longName).second) << entry.longName;
        if (entry.shortName) {
            EXPECT_TRUE(spellings.insert(entry.shortName).second) << entry.shortName;
        }
        EXPECT_EQ(entry.argument == CliArgument::None, entry.valueName == nullptr) << entry.longName;
        if (entry.help) {
            EXPECT_NE(entry.commands & kConvertCommand, 0u) << entry.longName;
        }
        EXPECT_NE(entry.commands, 0u) << entry.longName;
    }
}

TEST(OptionTable, EachCommandTakesOnlyItsOwnOptions)
{
    EXPECT_EQ(ErrorOf(kConvertCommand, {"a.pdf", "--timings"}), "unknown option --timings");
    EXPECT_EQ(ErrorOf(kConvertCommand, {"a.pdf", "--picture", "x.jpg"}), "unknown option --picture");
    EXPECT_EQ(ErrorOf(kToRtfCommand, {"a.pdf", "b.rtf", "-o", "dir"}), "unknown option -o");
    EXPECT_EQ(ErrorOf(kToRtfCommand, {"a.pdf", "b.rtf", "--format", "docx"}), "unknown option --format");
    EXPECT_EQ(ErrorOf(kDumpItemsCommand, {"1", "a.pdf", "--frames"}), "unknown option --frames");

    CliOptions toRtf;
    std::vector<std::string> positional;
    std::string error;
    ASSERT_TRUE(Parse(kToRtfCommand, {"a.pdf", "--frames", "--pages", "2-4", "--timings", "--check-text",
                                      "--delete-graphics", "--ocr=eng+deu", "b.rtf"},
                      toRtf, positional, error))
        << error;
    EXPECT_EQ(positional, (std::vector<std::string> {"a.pdf", "b.rtf"}));
    EXPECT_TRUE(toRtf.frames && toRtf.deleteGraphics && toRtf.timings && toRtf.checkText);
    EXPECT_FALSE(toRtf.allPages);
    EXPECT_EQ(toRtf.fromPage, 2);
    EXPECT_EQ(toRtf.toPage, 4);
    EXPECT_TRUE(toRtf.recogniseText);
    EXPECT_EQ(toRtf.ocrLanguages, "eng+deu");

    CliOptions dump;
    positional.clear();
    ASSERT_TRUE(Parse(kDumpItemsCommand, {"--picture", "p.jpg", "3", "a.pdf"}, dump, positional, error)) << error;
    EXPECT_EQ(dump.picturePath, "p.jpg");
    EXPECT_EQ(positional, (std::vector<std::string> {"3", "a.pdf"}));
    EXPECT_EQ(ErrorOf(kDumpItemsCommand, {"1", "a.pdf", "--picture", ""}), "--picture wants a file name");
}

TEST(OptionTable, ErrorsNameTheSpellingUsedAndValuesAreChecked)
{
    EXPECT_EQ(ErrorOf(kConvertCommand, {"a.pdf", "-j", "0"}), "-j wants a whole number of at least 1");
    EXPECT_EQ(ErrorOf(kConvertCommand, {"a.pdf", "--jobs", "x"}), "--jobs wants a whole number of at least 1");
    EXPECT_EQ(ErrorOf(kConvertCommand, {"a.pdf", "--page-timeout", "-1"}), "--page-timeout wants a whole number");
    EXPECT_EQ(ErrorOf(kConvertCommand, {"a.pdf", "--memory-limit", "1e3"}), "--memory-limit wants a whole number");
    EXPECT_EQ(ErrorOf(kConvertCommand, {"a.pdf", "--report"}), "option --report needs a value");
    EXPECT_EQ(ErrorOf(kToRtfCommand, {"a.pdf", "b.rtf", "--pages"}), "option --pages needs a value");
    EXPECT_EQ(ErrorOf(kToRtfCommand, {"a.pdf", "b.rtf", "--pages", "5-x"}), "--pages wants FROM-TO, for example 3-5");
    // --ocr takes its languages only joined to it, and only a list of them.
    EXPECT_EQ(ErrorOf(kToRtfCommand, {"a.pdf", "b.rtf", "--ocr="}),
              "--ocr= wants languages joined by +, for example eng+deu");
    EXPECT_EQ(ErrorOf(kConvertCommand, {"a.pdf", "--ocrx"}), "unknown option --ocrx");
    CliOptions bare;
    std::vector<std::string> positional;
    std::string error;
    ASSERT_TRUE(Parse(kConvertCommand, {"--ocr", "eng"}, bare, positional, error));
    EXPECT_TRUE(bare.recogniseText);
    EXPECT_EQ(bare.ocrLanguages, "eng");
    EXPECT_EQ(positional, std::vector<std::string> {"eng"});

    // After "--" everything is a file, even what looks like an option.
    CliOptions rest;
    positional.clear();
    ASSERT_TRUE(Parse(kConvertCommand, {"--frames", "--", "-odd.pdf", "--quiet"}, rest, positional, error));
    EXPECT_TRUE(rest.frames);
    EXPECT_FALSE(rest.quiet);
    EXPECT_EQ(positional, (std::vector<std::string> {"-odd.pdf", "--quiet"}));
}

TEST(OptionTable, HelpListsEveryConverterOptionInItsColumn)
{
    const std::string help = OptionHelp(kConvertCommand);
    std::istringstream lines(help);
    std::string line;
    size_t listed = 0;
    while (std::getline(lines, line)) {
        ASSERT_GT(line.size(), 24u) << line;
        EXPECT_EQ(line[23], ' ') << line;
        EXPECT_NE(line[24], ' ') << line;
        if (line.compare(0, 24, std::string(24, ' ')) != 0)
            ++listed;
    }
    size_t withHelp = 0;
    for (const CliOptionEntry& entry : CliOptionTable())
        if (entry.help && (entry.commands & kConvertCommand)) {
            ++withHelp;
            EXPECT_NE(help.find(entry.longName), std::string::npos) << entry.longName;
        }
    EXPECT_EQ(listed, withHelp);
    // The longest spelling leaves one blank before its text.
    EXPECT_NE(help.find("      --delete-graphics leave out the page pictures\n"), std::string::npos);
    EXPECT_NE(help.find("      --ocr[=LANGS]     scanned pages"), std::string::npos);
    EXPECT_NE(help.find("  -o, --output DIR      folder"), std::string::npos);
    // The --help text is made of it.
    EXPECT_NE(CliUsage().find(help), std::string::npos);
    EXPECT_EQ(OptionHelp(kToRtfCommand).find("--output"), std::string::npos);
}
