#pragma once
// The worker side. A worker server is started once per run; for each file
// the run hands it one end of a fresh socket, and the server forks a worker
// that reads its job there, converts the file into its document inside its limits,
// relays log lines, progress and prompts, and answers with the result. The
// server tells the run the worker's process id and, once it has ended, its
// wait status.
#include <sys/types.h>

#include <string>

// The server's loop on `control` until the run closes it; returns the exit
// status. `parent` is the run's process id: the server ends when the run is gone.
int RunWorkerServer(int control, pid_t parent);

// The worker server's environment names the languages of the run's text
// recognition here, so the server loads them once for all its workers.
inline constexpr const char* kWorkerOcrLanguagesVariable = "PW_OCR_LANGUAGES";
// The recognition engine's own threads: a worker converts one file on one
// core, so the engine gets no more than this many.
inline constexpr const char* kWorkerEngineThreads = "1";
