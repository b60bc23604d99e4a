#pragma once
// The worker's stop test and the gate that holds it while the front end asks
// the user a question (so the run makes no progress and sends nothing).
// The worker only ever waits at the gate at its stop tests and before its
// receiver calls, never while it holds something the front end needs.

// Front end: hold the worker at its next gate pass / let it go on.
void CloseStopGate();
void OpenStopGate();

// Worker: wait while the gate is closed.
void PassStopGate();

// Worker: pass the gate, then read g_settings.stopRequested.
bool StopRequested();
