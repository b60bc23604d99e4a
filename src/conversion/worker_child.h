#pragma once
// The worker process's side: read one job from the run, convert the file to
// RTF inside this process's limits, relay log lines, progress and prompts,
// and answer with the result.
#include <sys/types.h>

#include <string>

struct FileRtfJob;

// Returns the process exit status. `parent` is the run's process id: the
// worker ends when the run is gone.
int RunFileWorker(int fromRun, int toRun, pid_t parent);

// The job message for a worker: the file, the run's settings and limits.
std::string EncodeWorkerJob(const FileRtfJob& job, int memoryMegabytes);
