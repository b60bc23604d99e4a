#pragma once
// Runs the first half of one file's conversion (ConvertFileToRtf) in a worker
// process, so that a crash, a hang or a memory bomb in the PDF library costs
// that one file and not the run. The run's receiver gets the worker's log
// lines, progress and prompts in their order; a stop reaches the worker in
// the middle of a page.
#include <string>

#include "conversion/file_to_rtf.h"

class IConversionReceiver;

// `job.onPageStarted` is not used. The worker's temporary files live in a
// folder of this process's private temporary folder and are gone when the
// call returns, except the RTF of a converted file. The first call starts
// the worker server (paperwell-worker), which forks the worker of each file
// with the libraries already loaded.
FileRtfResult ConvertFileInWorker(const FileRtfJob& job, int memoryMegabytes, IConversionReceiver* receiver);

// Ends the worker server, if one runs; at the end of a run.
void EndWorkerServer();

// Kills the running worker and the server at once; safe from any thread.
void KillRunningWorker();

// The worker program: $PW_WORKER_PROGRAM, or paperwell-worker beside this
// program or in its libexec folder, or the one of the build tree.
std::string WorkerProgramPath();

// The file's line when its worker ended without a result.
std::string WorkerCrashLine(const std::string& name, int signalNumber);
std::string WorkerMemoryLine(const std::string& name, int memoryMegabytes);
