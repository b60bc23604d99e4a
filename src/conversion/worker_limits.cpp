#include "conversion/worker_limits.h"

WorkerLimits g_workerLimits;
