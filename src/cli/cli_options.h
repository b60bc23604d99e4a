#pragma once
#include <string>
#include <vector>

#include "conversion/conversion_options.h"
#include "conversion/worker_limits.h"

// What the command line asked for.
struct CliOptions {
    std::vector<std::string> inputs;   // PDF files and folders, as given (made absolute)
    std::string outputFolder;          // absolute; default the current folder
    bool frames = false;
    bool deleteGraphics = false;
    bool allPages = true;
    int fromPage = 0;
    int toPage = 0;
    bool hasPassword = false;
    std::string password;
    OutputFormat format = OutputFormat::Doc;
    bool recogniseText = false;        // --ocr: scanned pages get their text
    std::string ocrLanguages = "eng";  // --ocr=LANGS
    int pictureDpi = kScreenPictureDpi;             // of the page pictures
    bool embedFonts = true;   // --no-embed-fonts clears it
    int pageSeconds = kDefaultPageSeconds;          // time budget of one page; 0 = none
    int memoryMegabytes = kDefaultWorkerMegabytes;  // of the process converting a file; 0 = none
    int jobs = 0;                      // files at once; 0 = one per usable processor
    bool recursive = false;            // folders: their sub-folders too, mirrored in the output
    bool hasReport = false;
    std::string reportPath;            // JSON report; "-" = standard output
    bool quiet = false;
    bool showHelp = false;
    bool showVersion = false;
    // The diagnostics' own: --to-rtf --timings / --check-text, --dump-items --picture.
    bool timings = false;
    bool checkText = false;
    std::string picturePath;
};

// Parses the converter's arguments. false with `error` set on a usage error.
bool ParseCliOptions(const std::vector<std::string>& args, CliOptions& options, std::string& error);

// A decimal number from 0 to INT_MAX, nothing else; false otherwise.
bool ParseWholeNumber(const std::string& text, int& value);

// "FROM-TO" or "N" into a page range; false when malformed.
bool ParsePageRange(const std::string& text, int& from, int& to);

// The text of --help.
const std::string& CliUsage();
