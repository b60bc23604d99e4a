#include "cli/cli_options.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>

#include "conversion/worker_limits.h"
#include "ocr/ocr_languages.h"

const char* const kCliUsage =
    "Usage: paperwell-cli [options] FILE.pdf|FOLDER... [-o DIR]\n"
    "Converts PDF files into Word documents that keep the look of the pages.\n"
    "A folder stands for the PDF files in it; other files there are skipped.\n"
    "\n"
    "Options:\n"
    "  -o, --output DIR      folder for the dated \"Paperwell <date>\" sub-folder\n"
    "                        (default: the current folder)\n"
    "      --frames          write text in text boxes (frames at the runs' places)\n"
    "                        instead of flowing paragraphs\n"
    "      --delete-graphics leave out the page pictures\n"
    "      --pages FROM-TO   convert only these pages (1-based, inclusive)\n"
    "      --password PW     user password for encrypted PDFs (otherwise asked\n"
    "                        on the terminal, up to five times)\n"
    "      --format FMT      doc (default, made by LibreOffice), docx (written\n"
    "                        directly, no office suite needed) or rtf\n"
    "      --no-embed-fonts  a .docx without the PDF's own fonts (smaller; the\n"
    "                        text is shown in installed faces)\n"
    "      --ocr[=LANGS]     scanned pages become editable text: their own text\n"
    "                        layer, or text recognition in the languages LANGS\n"
    "                        (default eng; several joined by +, e.g. eng+deu;\n"
    "                        more with apt-get install tesseract-ocr-deu)\n"
    "      --resolution DPI  dots per inch of the page pictures: 96 (default,\n"
    "                        for the screen), 150 (print), 300 (high), or any\n"
    "                        from 48 to 600; the text is placed the same at\n"
    "                        every resolution\n"
    "      --page-timeout S  give up a file whose page takes longer than S\n"
    "                        seconds (default 60; 0: no limit)\n"
    "      --memory-limit MB memory for converting one file (default 1536;\n"
    "                        0: no limit)\n"
    "  -j, --jobs N          convert up to N files at once (default: one per\n"
    "                        processor this program may use; 1: one after another)\n"
    "  -r, --recursive       in a folder given as input, convert the PDFs of its\n"
    "                        sub-folders too, into the same sub-folders of the output\n"
    "      --report FILE     write what became of every file as JSON to FILE\n"
    "                        ('-': standard output, the log then goes to stderr)\n"
    "  -q, --quiet           no log lines and no progress bar\n"
    "  -h, --help            this text\n"
    "      --version         the program's version\n"
    "\n"
    "Diagnostics:\n"
    "  paperwell-cli --dump-items N FILE.pdf [--picture OUT.jpg]\n"
    "  paperwell-cli --to-rtf FILE.pdf OUT.rtf [--frames] [--delete-graphics]\n"
    "                [--pages FROM-TO] [--timings] [--check-text] [--ocr[=LANGS]]\n"
    "\n"
    "Exit status: 0 when every file was converted, 1 when any failed or the run\n"
    "was stopped, 2 for a usage error.\n";

namespace {

bool ParseInt(const std::string& text, int& value)
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

std::string AbsolutePath(const std::string& path)
{
    std::error_code ec;
    auto absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

} // namespace

bool ParsePageRange(const std::string& text, int& from, int& to)
{
    const auto dash = text.find('-');
    if (dash == std::string::npos) {
        if (!ParseInt(text, from))
            return false;
        to = from;
        return true;
    }
    return ParseInt(text.substr(0, dash), from) && ParseInt(text.substr(dash + 1), to);
}

bool ParseCliOptions(const std::vector<std::string>& args, CliOptions& options, std::string& error)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto needValue = [&](std::string& value) {
            if (i + 1 >= args.size()) {
                error = "option " + arg + " needs a value";
                return false;
            }
            value = args[++i];
            return true;
        };
        std::string value;
        if (arg == "-o" || arg == "--output") {
            if (!needValue(value))
                return false;
            options.outputFolder = value;
        } else if (arg == "--frames") {
            options.frames = true;
        } else if (arg == "--delete-graphics") {
            options.deleteGraphics = true;
        } else if (arg == "--pages") {
            if (!needValue(value))
                return false;
            if (!ParsePageRange(value, options.fromPage, options.toPage)) {
                error = "--pages wants FROM-TO, for example 3-5";
                return false;
            }
            options.allPages = false;
        } else if (arg == "--password") {
            if (!needValue(value))
                return false;
            options.hasPassword = true;
            options.password = value;
        } else if (arg == "--no-embed-fonts") {
            options.embedFonts = false;
        } else if (arg == "--format") {
            if (!needValue(value))
                return false;
            if (value == "doc")
                options.format = OutputFormat::Doc;
            else if (value == "docx")
                options.format = OutputFormat::Docx;
            else if (value == "rtf")
                options.format = OutputFormat::Rtf;
            else {
                error = "--format wants doc, docx or rtf";
                return false;
            }
        } else if (arg == "--ocr" || arg.rfind("--ocr=", 0) == 0) {
            options.recogniseText = true;
            if (arg != "--ocr") {
                options.ocrLanguages = arg.substr(6);
                if (!IsOcrLanguageList(options.ocrLanguages)) {
                    error = "--ocr= wants languages joined by +, for example eng+deu";
                    return false;
                }
            }
        } else if (arg == "--resolution") {
            if (!needValue(value))
                return false;
            int dpi = 0;
            if (!ParseInt(value, dpi) || dpi < kMinPictureDpi || dpi > kMaxPictureDpi) {
                error = "--resolution wants dots per inch from " + std::to_string(kMinPictureDpi) + " to " +
                        std::to_string(kMaxPictureDpi);
                return false;
            }
            options.pictureDpi = dpi;
        } else if (arg == "--page-timeout" || arg == "--memory-limit") {
            if (!needValue(value))
                return false;
            int number = 0;
            if (!ParseInt(value, number)) {
                error = arg + " wants a whole number";
                return false;
            }
            (arg == "--page-timeout" ? options.pageSeconds : options.memoryMegabytes) = number;
        } else if (arg == "-j" || arg == "--jobs") {
            if (!needValue(value))
                return false;
            if (!ParseInt(value, options.jobs) || options.jobs < 1) {
                error = arg + " wants a whole number of at least 1";
                return false;
            }
        } else if (arg == "-r" || arg == "--recursive") {
            options.recursive = true;
        } else if (arg == "--report") {
            if (!needValue(value))
                return false;
            if (value.empty()) {
                error = "--report wants a file name (or -)";
                return false;
            }
            options.hasReport = true;
            options.reportPath = value;
        } else if (arg == "-q" || arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "-h" || arg == "--help") {
            options.showHelp = true;
        } else if (arg == "--version") {
            options.showVersion = true;
        } else if (arg == "--") {
            for (++i; i < args.size(); ++i)
                options.inputs.push_back(args[i]);
        } else if (!arg.empty() && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else {
            options.inputs.push_back(arg);
        }
    }
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
