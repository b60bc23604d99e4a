#pragma once
// The run's report as JSON, for scripts: every input once, in the order
// given (folders expanded), with what became of it, and the run's totals.
// The schema is written down in the README ("The run's report").
#include <string>
#include <vector>

#include "cli/input_list.h"
#include "conversion/batch_report.h"

struct RunSummary {
    std::string outputFolder;  // the dated sub-folder
    int jobs = 1;
    std::string result;        // "complete", "failed" or "stopped"
    int exitStatus = 0;
    double seconds = 0;        // the whole run
};

// `record` holds the PDFs of `inputs` in their order (BatchRecord()).
std::string RunReportJson(const InputList& inputs, const std::vector<FileReport>& record, const RunSummary& run);

// Writes the report to `path` ("-": standard output) through a temporary
// name in the same folder, so a reader never sees half a report. 0 or an errno.
int WriteRunReport(const std::string& path, const std::string& json);

// Whether a report can be written at `path` (its folder takes a new file);
// 0 or an errno. Asked before the run, so a long batch does not end without
// the report it was run for.
int CheckReportPath(const std::string& path);

// Text as a JSON string, quotes included; bytes that are not UTF-8 become U+FFFD.
std::string JsonString(const std::string& text);
