#pragma once
// Limits of the worker process that converts one PDF file: they keep a
// hostile or broken file from hanging the run or swapping the machine.

// A page taking longer than this is given up and its file fails.
constexpr int kDefaultPageSeconds = 60;
// Address space of a worker: room for any sane page on a 4 GB desktop
// while a decompression bomb fails long before the machine swaps.
constexpr int kDefaultWorkerMegabytes = 1536;

// Below this a worker has hardly room beyond its libraries (about 55 MB).
constexpr int kMinWorkerMegabytes = 128;

struct WorkerLimits {
    int pageSeconds = kDefaultPageSeconds;          // 0 = no page budget
    int memoryMegabytes = kDefaultWorkerMegabytes;  // 0 = no memory limit
};

// Set by the front end before a run; read by the run.
extern WorkerLimits g_workerLimits;
