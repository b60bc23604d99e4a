#pragma once
// One conversion run: collect the settings, make the dated sub-folder, run the
// driver of the chosen text mode, report the end state.
#include <ctime>
#include <string>

class CStopToken;
class IConversionReceiver;

// Always returns 1. Runs on the caller's thread (front ends start it on a
// worker thread of their own). The receiver's CollectSettings fills the
// process-wide settings, read here once into the run's options; nothing the
// run calls reads them. `stop` is the run's: the front end requests it and
// holds the run at its gate; the run clears it as its last step.
int ConversionWorker(IConversionReceiver* receiver, CStopToken& stop);

// outputFolder + "/Paperwell " + the date as "%B%d_%Y" in English.
std::string DatedSubfolder(const std::string& outputFolder, std::time_t when);
