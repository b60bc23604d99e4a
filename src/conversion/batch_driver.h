#pragma once
// The per-file driver: convert every PDF of the batch and store one Word
// document per PDF in its output sub-folder (or the folder the batch names
// under it). Up to `jobCount` files are converted at once, each by a worker
// of its own; the log, prompts and names come out as in a run that converts
// the files in turn. BatchRecord() tells how each file ended.
#include <string>
#include <vector>

#include "conversion/conversion_options.h"
#include "conversion/worker_limits.h"

class CStopToken;
class IConversionReceiver;

struct BatchJob {
    ConversionOptions options;
    std::vector<std::string> inputPaths;     // full paths, in the user's order
    // Per input path, the folder under outputSubfolder its document goes
    // into ("" or missing: the sub-folder itself).
    std::vector<std::string> outputFolders;
    std::string outputSubfolder;             // the run's dated sub-folder
    int jobCount = 1;                        // files at once
    WorkerLimits limits;
    const CStopToken* stop = nullptr;        // the run's; null: never stops
};

// 1 when every file was converted or a stop was noticed, 0 when a file failed
// or the run was aborted. The receiver may be null. `convertedFiles` is
// emptied first and then holds every stored document (in input order once
// the batch is done).
int ConvertBatch(const BatchJob& batch, IConversionReceiver* receiver, std::vector<std::string>& convertedFiles);

// The number of processors this process may run on (at least 1).
int UsableProcessors();
