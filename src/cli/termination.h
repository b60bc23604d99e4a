#pragma once
// SIGTERM and SIGHUP end the command line at once and cleanly: the worker
// process and the office suite are killed, the temporary folder is removed,
// the terminal gets its echo back, and the exit status is 1.

// Call before any other thread exists: the signals are then blocked in every
// thread and taken by a thread of their own.
void StartTerminationWatch();

// Ends the program the same way, from a signal handler (a second Ctrl-C).
void RequestTermination();
