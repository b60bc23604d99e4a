#include "conversion/scan_report.h"

std::string PageRangesText(const std::vector<int>& pages)
{
    std::string text;
    for (size_t i = 0; i < pages.size();) {
        size_t j = i;
        while (j + 1 < pages.size() && pages[j + 1] == pages[j] + 1)
            ++j;
        if (!text.empty())
            text += ", ";
        text += std::to_string(pages[i]);
        if (j > i)
            text += "-" + std::to_string(pages[j]);
        i = j + 1;
    }
    return text;
}

std::string ScannedPagesLine(const std::string& name, const std::vector<int>& pages)
{
    const bool one = pages.size() == 1;
    return name + " :" + (one ? "Page " : "Pages ") + PageRangesText(pages) + (one ? " is a scan" : " are scans") +
           ": " + (one ? "its" : "their") +
           " text stays a picture. Text recognition (--ocr, or \"Recognise text in scans\" in the settings) "
           "makes it editable.";
}

std::string RecognisedPagesLine(const std::string& name, const CScanReport& report)
{
    const bool one = report.textPages.size() == 1;
    return name + " :Text of scanned " + (one ? "page " : "pages ") + PageRangesText(report.textPages) + ": " +
           std::to_string(report.recognisedWords) + (report.recognisedWords == 1 ? " word." : " words.");
}

std::string RecognitionUnavailableLine(const std::string& name, const std::string& why)
{
    return name + " :Text recognition is not available: " + why + "; scanned pages stay pictures.";
}

std::string DamagedScanLine(const std::string& name, int page, const std::string& libraryText)
{
    return name + " :Page " + std::to_string(page) + ": the scanned picture is damaged (" + libraryText +
           "); the page keeps what could be read of it.";
}
