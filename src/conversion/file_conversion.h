#pragma once
// The first half of one file's conversion: open the PDF (passwords), convert
// the page range into the document of the run's format (a .docx, or the RTF a
// .doc is made of) and finish it. It runs inside the worker
// process; the run keeps the names, the store step and the outcome.
#include <functional>
#include <string>
#include <vector>

#include "conversion/conversion_options.h"
#include "conversion/file_counts.h"

class CStopToken;
class IConversionReceiver;

enum class FileOutcome { Converted, Failed, StopRun, AbortRun };

struct FileConversionJob {
    std::string path;                     // the PDF
    std::string name;                     // base name + ".pdf", prefix of its log lines
    ConversionOptions options;            // page range, modes, format
    std::vector<std::string> passwords;   // tried before the user is asked
    int pageSeconds = 0;                  // time budget of a page; 0 = none
    const CStopToken* stop = nullptr;     // the run's; null: never stops
    std::function<void(int page)> onPageStarted;  // optional; 0 = finishing the document
    // Optional: pages of the range done so far and the range's size, once
    // the file is open and after every page.
    std::function<void(int done, int total)> onPagesDone;
};

struct FileConversionResult {
    FileOutcome outcome = FileOutcome::Failed;
    std::string documentPath;  // Converted: the finished .docx or RTF, the caller's to delete
    std::string message;     // a line the caller still has to log (empty: none)
    std::string openedWith;  // the password that opened the file, if any
    FileCounts counts;       // what was converted, also of a file that failed later
    // The file's scanned pages, those that got text and how many words
    // (recognised, or from the PDF's text layer).
    std::vector<int> scannedPages;
    std::vector<int> textPages;
    int recognisedWords = 0;
};

// Converts as job.options ask; sends log lines, progress and prompts to the
// receiver as the per-file driver does.
FileConversionResult ConvertFileToDocument(const FileConversionJob& job, IConversionReceiver* receiver);
