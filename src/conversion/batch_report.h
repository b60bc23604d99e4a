#pragma once
// The record of a batch, file by file, for a report a script can read: how
// each input ended, where its document went, what it held and how long it
// took. The run keeps it up to date as files end, so a program that is
// killed can still write what was known.
#include <string>
#include <vector>

#include "conversion/file_counts.h"

enum class FileStatus {
    Converted,  // a document was stored
    Failed,     // `message` holds the file's error line
    Stopped,    // the run was stopped, or ended early, before the file was done
    Skipped,    // not a PDF (found in a folder); nothing was tried
};

struct FileReport {
    std::string path;        // the input's full path
    std::string outputPath;  // the stored document; empty when none
    FileStatus status = FileStatus::Stopped;
    std::string message;     // Failed: the line that says why
    FileCounts counts;
    double seconds = 0;      // from the file's start to its end
};

// A new record: every input path, each Stopped until it ends.
void StartBatchRecord(const std::vector<std::string>& paths);
void RecordFile(size_t index, const FileReport& report);
// The record as it stands, in input order.
std::vector<FileReport> BatchRecord();
// Like BatchRecord, but gives up (false) rather than wait more than a
// moment for a run that holds the record: for a program ending at once.
bool TryBatchRecord(std::vector<FileReport>& out);
