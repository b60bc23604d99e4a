#pragma once
// What a file's scanned pages came to: which pages were scans, which got
// their text (recognised, or taken from the PDF's own text layer) and how
// many words. The file's result carries it for the run's report.
#include <string>
#include <vector>

struct CScanReport {
    std::vector<int> scannedPages;     // pages that are scans, in order
    std::vector<int> textPages;        // of those, the pages that got text
    int recognisedWords = 0;           // words recognised or taken from text layers
    bool engineFailureLogged = false;  // the engine's one line of the file is out
    bool damageLogged = false;         // likewise the line about a damaged scan
};

// "1-3, 5": the pages as ranges.
std::string PageRangesText(const std::vector<int>& pages);

// The file's line about its scans when text is not recognised: which pages
// are scans and that recognition would make their text editable.
std::string ScannedPagesLine(const std::string& name, const std::vector<int>& pages);

// The file's line after recognition: on which pages and how many words.
std::string RecognisedPagesLine(const std::string& name, const CScanReport& report);

// The file's line when the library could not read a scan's picture whole.
std::string DamagedScanLine(const std::string& name, int page, const std::string& libraryText);

// The file's line when the engine cannot be used (missing language data).
std::string RecognitionUnavailableLine(const std::string& name, const std::string& why);
