// The manual pages against what the programs say about themselves with
// --help: the same options, the same numbers for each, the same
// diagnostics and exit statuses, the current version; and they format
// without warnings.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli_process.h"

namespace {

std::string ReadText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Every option-like word of a text: -x or --long-name.
std::set<std::string> OptionWords(const std::string& text)
{
    std::set<std::string> words;
    static const std::regex option(R"((^|[\s\[(|,])(--?[a-zA-Z][a-zA-Z-]*))");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option); it != std::sregex_iterator(); ++it)
        words.insert((*it)[2].str());
    return words;
}

std::set<std::string> Numbers(const std::string& text)
{
    std::set<std::string> numbers;
    static const std::regex number(R"(\d+)");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), number); it != std::sregex_iterator(); ++it)
        numbers.insert(it->str());
    return numbers;
}

// The manual page as plain text: fonts and escapes taken out.
std::string Plain(std::string roff)
{
    roff = std::regex_replace(roff, std::regex(R"(\\f[BIRP])"), "");
    roff = std::regex_replace(roff, std::regex(R"(\\-)"), "-");
    roff = std::regex_replace(roff, std::regex(R"(\\\(dq)"), "\"");
    roff = std::regex_replace(roff, std::regex(R"(\\&)"), "");
    return roff;
}

struct CEntry {
    std::string header;  // the options and their argument
    std::string text;    // what they do
};

// --help: "  -o, --output DIR      text" lines with their continuation lines,
// keyed by the option's last (long) name; and the text after `section`.
std::map<std::string, CEntry> HelpOptions(const std::string& help)
{
    std::map<std::string, CEntry> entries;
    std::string key;
    for (const std::string& line : Lines(help)) {
        static const std::regex optionLine(R"(^ {2,6}(-[^ ,]+(?:, --[^ ]+)?(?: [A-Z][A-Z-]*)?)\s+(.*)$)");
        std::smatch m;
        if (std::regex_match(line, m, optionLine)) {
            const std::set<std::string> words = OptionWords(m[1].str());
            key = *words.rbegin();
            for (const std::string& w : words)
                if (w.rfind("--", 0) == 0)
                    key = w;
            entries[key] = {m[1].str(), m[2].str()};
        } else if (!key.empty() && line.rfind("                        ", 0) == 0) {
            entries[key].text += " " + line;
        } else {
            key.clear();
        }
    }
    return entries;
}

// One section of a manual page (".SH NAME" up to the next .SH), plain.
std::string Section(const std::string& page, const std::string& name)
{
    const size_t start = page.find(".SH " + name + "\n");
    if (start == std::string::npos)
        return {};
    const size_t end = page.find("\n.SH ", start + 1);
    return Plain(page.substr(start, end == std::string::npos ? std::string::npos : end - start));
}

// The .TP entries of a section, keyed like the help's.
std::map<std::string, CEntry> ManualOptions(const std::string& section)
{
    std::map<std::string, CEntry> entries;
    const std::vector<std::string> lines = Lines(section);
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] != ".TP")
            continue;
        CEntry entry {lines[i + 1], {}};
        size_t j = i + 2;
        for (; j < lines.size() && lines[j] != ".TP" && lines[j] != ".PP"; ++j)
            entry.text += " " + lines[j];
        const std::set<std::string> words = OptionWords(entry.header);
        if (words.empty())
            continue;
        std::string key = *words.rbegin();
        for (const std::string& w : words)
            if (w.rfind("--", 0) == 0) {
                key = w;
                break;
            }
        entries[key] = entry;
    }
    return entries;
}

struct CProgram {
    const char* name;
    std::string path;
};

class ManualPageTest : public ::testing::TestWithParam<CProgram> {
protected:
    std::string Help() const { return RunShell(Quoted(GetParam().path) + " --help").out; }
    std::string Page() const { return ReadText(std::string(PW_MAN_DIR "/") + GetParam().name + ".1"); }
};

TEST_P(ManualPageTest, ListsEveryOptionOfTheHelpWithItsNumbersAndNoOther)
{
    const std::string help = Help();
    const std::string page = Page();
    ASSERT_FALSE(help.empty());
    ASSERT_FALSE(page.empty()) << "no manual page in " PW_MAN_DIR;
    const auto fromHelp = HelpOptions(help);
    const auto fromPage = ManualOptions(Section(page, "OPTIONS"));
    ASSERT_FALSE(fromHelp.empty());
    for (const auto& [option, entry] : fromHelp) {
        const auto it = fromPage.find(option);
        if (it == fromPage.end()) {
            ADD_FAILURE() << GetParam().name << "(1) lacks " << option;
            continue;
        }
        // The same short name and argument, and every default and limit.
        EXPECT_EQ(OptionWords(it->second.header), OptionWords(entry.header)) << option;
        const std::string argument = std::regex_replace(entry.header, std::regex(R"(^.*?(?: ([A-Z][A-Z-]*))?$)"), "$1");
        EXPECT_NE(it->second.header.find(argument), std::string::npos) << option << " " << argument;
        for (const std::string& number : Numbers(entry.text))
            EXPECT_TRUE(Numbers(it->second.text).count(number))
                << GetParam().name << "(1), " << option << ": --help says " << number;
    }
    for (const auto& [option, entry] : fromPage)
        EXPECT_TRUE(fromHelp.count(option)) << GetParam().name << "(1) lists " << option << ", --help does not";
}

TEST_P(ManualPageTest, NamesTheProgramsVersionAndFormatsWithoutWarnings)
{
    const std::string version = RunShell(Quoted(GetParam().path) + " --version").out;
    const std::string page = Page();
    const std::string number = version.substr(version.find(' ') + 1, version.find('\n') - version.find(' ') - 1);
    EXPECT_NE(Lines(page).at(0).find("\"paperwell " + number + "\""), std::string::npos) << Lines(page).at(0);
    const ShellResult format = RunShell("LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 " +
                                        Quoted(std::string(PW_MAN_DIR "/") + GetParam().name + ".1") +
                                        " 2>&1 >/dev/null");
    EXPECT_EQ(format.exitCode, 0);
    EXPECT_EQ(format.out, "") << "man --warnings";
    // The page that is installed is the one checked here.
    const ShellResult packed = RunShell("zcat " + Quoted(std::string(PW_MAN_DIR "/") + GetParam().name + ".1.gz"));
    EXPECT_EQ(packed.out, page);
}

INSTANTIATE_TEST_SUITE_P(Programs, ManualPageTest,
                         ::testing::Values(CProgram {"paperwell-cli", PW_CLI_PATH},
                                           CProgram {"paperwell", PW_WIZARD_PATH}),
                         [](const auto& info) { return info.param.name == std::string("paperwell") ? "Wizard" : "Cli"; });

TEST(ManualPage, TheCommandLinesDiagnosticsAndExitStatusesAreThoseOfItsHelp)
{
    const std::string help = RunShell(Quoted(PW_CLI_PATH) + " --help").out;
    const std::string page = ReadText(PW_MAN_DIR "/paperwell-cli.1");
    const size_t diagnostics = help.find("Diagnostics:");
    const size_t exitStatus = help.find("Exit status:");
    ASSERT_NE(diagnostics, std::string::npos);
    ASSERT_NE(exitStatus, std::string::npos);
    const std::string helpDiagnostics = help.substr(diagnostics, exitStatus - diagnostics);
    std::set<std::string> wanted = OptionWords(helpDiagnostics);
    std::set<std::string> documented = OptionWords(Section(page, "DIAGNOSTICS"));
    // The options the diagnostics share with a conversion are described above them.
    for (const auto& [option, entry] : HelpOptions(help))
        for (const std::string& word : OptionWords(entry.header))
            wanted.erase(word), documented.erase(word);
    EXPECT_EQ(documented, wanted);
    std::set<std::string> statuses;
    for (const std::string& line : Lines(Section(page, "EXIT STATUS")))
        if (line.rfind(".B ", 0) == 0)
            statuses.insert(line.substr(3));
    EXPECT_EQ(statuses, Numbers(help.substr(exitStatus)));
    // The synopsis shows the same ways to call it as the help's usage lines.
    EXPECT_EQ(OptionWords(Section(page, "SYNOPSIS")),
              OptionWords(help.substr(0, help.find('\n')) + helpDiagnostics));
}

} // namespace
