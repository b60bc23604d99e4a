#include "cli/option_table.h"

#include <algorithm>

#include "cli/cli_options.h"
#include "ocr/ocr_languages.h"

namespace {

constexpr size_t kHelpColumn = 24;  // where an option's help text starts

using Spelling = const std::string&;

bool SetOutput(CliOptions& o, const std::string* v, Spelling, std::string&)
{
    o.outputFolder = *v;
    return true;
}

bool SetFrames(CliOptions& o, const std::string*, Spelling, std::string&)
{
    o.frames = true;
    return true;
}

bool SetDeleteGraphics(CliOptions& o, const std::string*, Spelling, std::string&)
{
    o.deleteGraphics = true;
    return true;
}

bool SetPages(CliOptions& o, const std::string* v, Spelling, std::string& error)
{
    if (!ParsePageRange(*v, o.fromPage, o.toPage)) {
        error = "--pages wants FROM-TO, for example 3-5";
        return false;
    }
    o.allPages = false;
    return true;
}

bool SetPassword(CliOptions& o, const std::string* v, Spelling, std::string&)
{
    o.hasPassword = true;
    o.password = *v;
    return true;
}

bool SetFormat(CliOptions& o, const std::string* v, Spelling, std::string& error)
{
    if (*v == "doc")
        o.format = OutputFormat::Doc;
    else if (*v == "docx")
        o.format = OutputFormat::Docx;
    else if (*v == "rtf")
        o.format = OutputFormat::Rtf;
    else {
        error = "--format wants doc, docx or rtf";
        return false;
    }
    return true;
}

bool SetNoEmbedFonts(CliOptions& o, const std::string*, Spelling, std::string&)
{
    o.embedFonts = false;
    return true;
}

bool SetOcr(CliOptions& o, const std::string* v, Spelling, std::string& error)
{
    o.recogniseText = true;
    if (v) {
        o.ocrLanguages = *v;
        if (!IsOcrLanguageList(o.ocrLanguages)) {
            error = "--ocr= wants languages joined by +, for example eng+deu";
            return false;
        }
    }
    return true;
}

bool SetResolution(CliOptions& o, const std::string* v, Spelling, std::string& error)
{
    int dpi = 0;
    if (!ParseWholeNumber(*v, dpi) || dpi < kMinPictureDpi || dpi > kMaxPictureDpi) {
        error = "--resolution wants dots per inch from " + std::to_string(kMinPictureDpi) + " to " +
                std::to_string(kMaxPictureDpi);
        return false;
    }
    o.pictureDpi = dpi;
    return true;
}

bool SetWholeNumber(int& target, const std::string& value, Spelling spelling, std::string& error)
{
    if (!ParseWholeNumber(value, target)) {
        error = spelling + " wants a whole number";
        return false;
    }
    return true;
}

bool SetPageTimeout(CliOptions& o, const std::string* v, Spelling spelling, std::string& error)
{
    return SetWholeNumber(o.pageSeconds, *v, spelling, error);
}

bool SetMemoryLimit(CliOptions& o, const std::string* v, Spelling spelling, std::string& error)
{
    return SetWholeNumber(o.memoryMegabytes, *v, spelling, error);
}

bool SetJobs(CliOptions& o, const std::string* v, Spelling spelling, std::string& error)
{
    if (!ParseWholeNumber(*v, o.jobs) || o.jobs < 1) {
        error = spelling + " wants a whole number of at least 1";
        return false;
    }
    return true;
}

bool SetRecursive(CliOptions& o, const std::string*, Spelling, std::string&)
{
    o.recursive = true;
    return true;
}

bool SetReport(CliOptions& o, const std::string* v, Spelling, std::string& error)
{
    if (v->empty()) {
        error = "--report wants a file name (or -)";
        return false;
    }
    o.hasReport = true;
    o.reportPath = *v;
    return true;
}

bool SetQuiet(CliOptions& o, const std::string*, Spelling, std::string&)
{
    o.quiet = true;
    return true;
}

bool SetHelp(CliOptions& o, const std::string*, Spelling, std::string&)
{
    o.showHelp = true;
    return true;
}

bool SetVersion(CliOptions& o, const std::string*, Spelling, std::string&)
{
    o.showVersion = true;
    return true;
}

bool SetTimings(CliOptions& o, const std::string*, Spelling, std::string&)
{
    o.timings = true;
    return true;
}

bool SetCheckText(CliOptions& o, const std::string*, Spelling, std::string&)
{
    o.checkText = true;
    return true;
}

bool SetPicture(CliOptions& o, const std::string* v, Spelling, std::string& error)
{
    if (v->empty()) {
        error = "--picture wants a file name";
        return false;
    }
    o.picturePath = *v;
    return true;
}

constexpr unsigned kConvertAndToRtf = kConvertCommand | kToRtfCommand;

const std::vector<CliOptionEntry> kOptions = {
    {"-o", "--output", CliArgument::Value, "DIR", kConvertCommand,
     "folder for the dated \"Paperwell <date>\" sub-folder\n(default: the current folder)", SetOutput},
    {nullptr, "--frames", CliArgument::None, nullptr, kConvertAndToRtf,
     "write text in text boxes (frames at the runs' places)\ninstead of flowing paragraphs", SetFrames},
    {nullptr, "--delete-graphics", CliArgument::None, nullptr, kConvertAndToRtf, "leave out the page pictures",
     SetDeleteGraphics},
    {nullptr, "--pages", CliArgument::Value, "FROM-TO", kConvertAndToRtf,
     "convert only these pages (1-based, inclusive)", SetPages},
    {nullptr, "--password", CliArgument::Value, "PW", kConvertCommand,
     "user password for encrypted PDFs (otherwise asked\non the terminal, up to five times)", SetPassword},
    {nullptr, "--format", CliArgument::Value, "FMT", kConvertCommand,
     "doc (default, made by LibreOffice), docx (written\ndirectly, no office suite needed) or rtf", SetFormat},
    {nullptr, "--no-embed-fonts", CliArgument::None, nullptr, kConvertCommand,
     "a .docx without the PDF's own fonts (smaller; the\ntext is shown in installed faces)", SetNoEmbedFonts},
    {nullptr, "--ocr", CliArgument::Optional, "LANGS", kConvertAndToRtf,
     "scanned pages become editable text: their own text\nlayer, or text recognition in the languages LANGS\n"
     "(default eng; several joined by +, e.g. eng+deu;\nmore with apt-get install tesseract-ocr-deu)",
     SetOcr},
    {nullptr, "--resolution", CliArgument::Value, "DPI", kConvertCommand,
     "dots per inch of the page pictures: 96 (default,\nfor the screen), 150 (print), 300 (high), or any\n"
     "from 48 to 600; the text is placed the same at\nevery resolution",
     SetResolution},
    {nullptr, "--page-timeout", CliArgument::Value, "S", kConvertCommand,
     "give up a file whose page takes longer than S\nseconds (default 60; 0: no limit)", SetPageTimeout},
    {nullptr, "--memory-limit", CliArgument::Value, "MB", kConvertCommand,
     "memory for converting one file (default 1536;\n0: no limit)", SetMemoryLimit},
    {"-j", "--jobs", CliArgument::Value, "N", kConvertCommand,
     "convert up to N files at once (default: one per\nprocessor this program may use; 1: one after another)",
     SetJobs},
    {"-r", "--recursive", CliArgument::None, nullptr, kConvertCommand,
     "in a folder given as input, convert the PDFs of its\nsub-folders too, into the same sub-folders of the output",
     SetRecursive},
    {nullptr, "--report", CliArgument::Value, "FILE", kConvertCommand,
     "write what became of every file as JSON to FILE\n('-': standard output, the log then goes to stderr)",
     SetReport},
    {"-q", "--quiet", CliArgument::None, nullptr, kConvertCommand, "no log lines and no progress bar", SetQuiet},
    {"-h", "--help", CliArgument::None, nullptr, kConvertCommand, "this text", SetHelp},
    {nullptr, "--version", CliArgument::None, nullptr, kConvertCommand, "the program's version", SetVersion},
    {nullptr, "--timings", CliArgument::None, nullptr, kToRtfCommand, nullptr, SetTimings},
    {nullptr, "--check-text", CliArgument::None, nullptr, kToRtfCommand, nullptr, SetCheckText},
    {nullptr, "--picture", CliArgument::Value, "OUT.jpg", kDumpItemsCommand, nullptr, SetPicture},
};

// The option `arg` names, with its joined value if it has one.
const CliOptionEntry* FindOption(CliCommand command, const std::string& arg, bool& joined, std::string& value)
{
    joined = false;
    for (const CliOptionEntry& entry : kOptions) {
        if ((entry.commands & command) == 0)
            continue;
        if (arg == entry.longName || (entry.shortName && arg == entry.shortName))
            return &entry;
        const std::string prefix = std::string(entry.longName) + "=";
        if (entry.argument == CliArgument::Optional && arg.compare(0, prefix.size(), prefix) == 0) {
            joined = true;
            value = arg.substr(prefix.size());
            return &entry;
        }
    }
    return nullptr;
}

} // namespace

const std::vector<CliOptionEntry>& CliOptionTable()
{
    return kOptions;
}

bool ParseCommandLine(CliCommand command, const std::vector<std::string>& args, size_t first,
                      CliOptions& options, std::vector<std::string>& positional, std::string& error)
{
    for (size_t i = first; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            positional.insert(positional.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            return true;
        }
        if (arg.empty() || arg[0] != '-') {
            positional.push_back(arg);
            continue;
        }
        bool joined = false;
        std::string value;
        const CliOptionEntry* entry = FindOption(command, arg, joined, value);
        if (!entry) {
            error = "unknown option " + arg;
            return false;
        }
        if (entry->argument == CliArgument::Value) {
            if (i + 1 >= args.size()) {
                error = "option " + arg + " needs a value";
                return false;
            }
            value = args[++i];
        }
        const bool hasValue = entry->argument == CliArgument::Value || joined;
        if (!entry->set(options, hasValue ? &value : nullptr, arg, error))
            return false;
    }
    return true;
}

std::string OptionHelp(CliCommand command)
{
    std::string help;
    for (const CliOptionEntry& entry : kOptions) {
        if ((entry.commands & command) == 0 || !entry.help)
            continue;
        std::string line = entry.shortName ? std::string("  ") + entry.shortName + ", " : std::string(6, ' ');
        line += entry.longName;
        if (entry.argument == CliArgument::Value)
            line += std::string(" ") + entry.valueName;
        else if (entry.argument == CliArgument::Optional)
            line += std::string("[=") + entry.valueName + "]";
        line.resize(std::max(line.size(), kHelpColumn - 1), ' ');
        line += ' ';
        const std::string text = entry.help;
        for (size_t at = 0; at <= text.size();) {
            const size_t end = std::min(text.find('\n', at), text.size());
            help += line + text.substr(at, end - at) + "\n";
            line.assign(kHelpColumn, ' ');
            at = end + 1;
        }
    }
    return help;
}
