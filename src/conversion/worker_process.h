#pragma once
// Runs the first half of one file's conversion (ConvertFileToDocument) in a worker
// process, so that a crash, a hang or a memory bomb in the PDF library costs
// that one file and not the run. The run's receiver gets the worker's log
// lines, progress and prompts in their order; a stop reaches the worker in
// the middle of a page.
#include <atomic>
#include <string>

#include "conversion/file_conversion.h"

class IConversionReceiver;

// `job.onPageStarted` is not used; `job.onPagesDone` is called on this
// thread as the worker reports its pages. The worker's temporary files live
// in a folder of this process's private temporary folder and are gone when
// the call returns, except the document of a converted file. The first call
// on a thread starts that thread's worker server (paperwell-worker), which
// forks the worker of each file with the libraries already loaded; threads
// convert side by side, each through its own server. `job.stop` (the run's)
// and `cancelled` (optional, this file's) stop the worker in mid-page.
FileConversionResult ConvertFileInWorker(const FileConversionJob& job, int memoryMegabytes,
                                         IConversionReceiver* receiver, const std::atomic<bool>* cancelled = nullptr);

// Ends the calling thread's worker server, if one runs; at the end of a job.
void EndWorkerServer();

// Kills every running worker and server at once; safe from any thread.
void KillRunningWorker();

// The worker program: $PW_WORKER_PROGRAM, or paperwell-worker beside this
// program or in its libexec folder, or the one of the build tree.
std::string WorkerProgramPath();

// The file's line when its worker ended without a result.
std::string WorkerCrashLine(const std::string& name, int signalNumber);
std::string WorkerMemoryLine(const std::string& name, int memoryMegabytes);
