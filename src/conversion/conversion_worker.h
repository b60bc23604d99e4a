#pragma once
// One conversion run: collect the settings, make the dated sub-folder, run the
// driver of the chosen text mode, report the end state.
#include <ctime>
#include <string>

class IConversionReceiver;

// Always returns 1. Runs on the caller's thread (front ends start it on a
// worker thread of their own). Clears g_settings.stopRequested at the end.
int ConversionWorker(IConversionReceiver* receiver);

// outputFolder + "/Paperwell " + the date as "%B%d_%Y" in English.
std::string DatedSubfolder(const std::string& outputFolder, std::time_t when);
