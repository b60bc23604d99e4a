#include "cli/cli_options.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>

#include "cli/option_table.h"
#include "conversion/worker_limits.h"

namespace {

const char* const kUsageStart =
    "Usage: paperwell-cli [options] FILE.pdf|FOLDER... [-o DIR]\n"
    "Converts PDF files into Word documents that keep the look of the pages.\n"
    "A folder stands for the PDF files in it; other files there are skipped.\n"
    "\n"
    "Options:\n";

const char* const kUsageEnd =
    "\n"
    "Diagnostics:\n"
    "  paperwell-cli --dump-items N FILE.pdf [--picture OUT.jpg]\n"
    "  paperwell-cli --to-rtf FILE.pdf OUT.rtf [--frames] [--delete-graphics]\n"
    "                [--pages FROM-TO] [--timings] [--check-text] [--ocr[=LANGS]]\n"
    "\n"
    "Exit status: 0 when every file was converted, 1 when any failed or the run\n"
    "was stopped, 2 for a usage error.\n";

} // namespace

const std::string& CliUsage()
{
    static const std::string usage = kUsageStart + OptionHelp(kConvertCommand) + kUsageEnd;
    return usage;
}

namespace {

std::string AbsolutePath(const std::string& path)
{
    std::error_code ec;
    auto absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

} // namespace

bool ParseWholeNumber(const std::string& text, int& value)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < 0 || parsed > INT_MAX)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

bool ParsePageRange(const std::string& text, int& from, int& to)
{
    const auto dash = text.find('-');
    if (dash == std::string::npos) {
        if (!ParseWholeNumber(text, from))
            return false;
        to = from;
        return true;
    }
    return ParseWholeNumber(text.substr(0, dash), from) && ParseWholeNumber(text.substr(dash + 1), to);
}

bool ParseCliOptions(const std::vector<std::string>& args, CliOptions& options, std::string& error)
{
    if (!ParseCommandLine(kConvertCommand, args, 0, options, options.inputs, error))
        return false;
    if (options.showHelp || options.showVersion)
        return true;
    // A limit so small that no worker could even start is no limit the user meant.
    if (options.memoryMegabytes > 0 && options.memoryMegabytes < kMinWorkerMegabytes) {
        error = "--memory-limit wants at least " + std::to_string(kMinWorkerMegabytes) + " MB (or 0)";
        return false;
    }
    if (options.inputs.empty()) {
        error = "no PDF file given";
        return false;
    }
    options.outputFolder = AbsolutePath(options.outputFolder.empty() ? "." : options.outputFolder);
    for (std::string& input : options.inputs)
        input = AbsolutePath(input);
    if (options.hasReport && options.reportPath != "-")
        options.reportPath = AbsolutePath(options.reportPath);
    return true;
}
