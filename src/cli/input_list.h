#pragma once
// The command line's inputs as the run gets them: a file stays what it is
// (it is tried even when it is no PDF, and fails with the usual line); a
// folder stands for the PDF files in it, in name order, with its
// sub-folders' when asked, each going into the same sub-folder of the
// output. Other files found in folders are skipped and counted.
#include <string>
#include <vector>

struct InputEntry {
    std::string path;          // full path
    bool skipped = false;      // found in a folder and not a PDF
    std::string outputFolder;  // sub-folder of the output ("" = none); PDFs only
};

struct InputList {
    std::vector<InputEntry> entries;     // in the order given, folders expanded
    std::vector<std::string> warnings;   // folders that could not be read
    std::vector<std::string> Pdfs() const;
    std::vector<std::string> OutputFolders() const;
    size_t SkippedCount() const;
};

InputList ExpandInputs(const std::vector<std::string>& inputs, bool recursive);

// A PDF by name (".pdf" in any case) or by its first bytes ("%PDF-").
bool LooksLikePdf(const std::string& path);
