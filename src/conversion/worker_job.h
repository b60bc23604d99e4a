#pragma once
// The two messages that carry a file across the worker boundary: the job the
// run sends (the file, its options, the limits) and the result the worker
// answers with. Both sides use these codecs, so a field added to either
// value is added once.
#include <string>

#include "conversion/file_conversion.h"

struct WorkerJob {
    std::string folder;        // the worker's temporary folder
    // Path, name, options, passwords and page budget; the callbacks and the
    // stop token stay on their side.
    FileConversionJob file;
    int memoryMegabytes = 0;   // 0 = no limit
    bool stopRequested = false;  // a stop raised before the worker started
};

std::string EncodeWorkerJob(const WorkerJob& job);
// False when the payload ran short or names a mode, format or picture
// resolution the engine does not have.
bool DecodeWorkerJob(const std::string& payload, WorkerJob& job);

std::string EncodeWorkerResult(const FileConversionResult& result);
// False when the payload ran short or names no known outcome.
bool DecodeWorkerResult(const std::string& payload, FileConversionResult& result);
