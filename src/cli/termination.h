#pragma once
// SIGTERM and SIGHUP end the command line at once and cleanly: the worker
// process and the office suite are killed, the temporary folder is removed,
// the terminal gets its echo back, and the exit status is 1.

class CStopToken;

// Call before any other thread exists: the signals are then blocked in every
// thread and taken by a thread of their own. `run` is the run's stop: its
// gate is closed so the run's thread makes nothing new while the rest goes.
// `lastWords` (optional) runs once the workers and the office suite are
// gone, before the program ends (the run's report).
void StartTerminationWatch(CStopToken& run, void (*lastWords)() = nullptr);

// Ends the program the same way, from a signal handler (a second Ctrl-C).
void RequestTermination();
