#pragma once
// Turns the finished RTF into the Word document the user gets and stores it
// under a free name in the output sub-folder.
#include <string>

class IConversionReceiver;

// 0 when the office suite saved a Word document (per g_outputFormat) at
// `targetPath`; -1 otherwise. "Open fails" shows "Error opening word document
// file." through the receiver first.
int ConvertRtfWithWord(const std::string& rtfPath, const std::string& targetPath,
                       IConversionReceiver* receiver);

// The store step: convert (or fall back to the RTF itself), pick the first
// free name of outputBase + ".doc", "(1).doc", ... (extension per
// g_outputFormat), copy without ever replacing a file, delete the temporaries.
// Returns true with `storedPath` set, or false with `message` set to the
// file's error line (name + " :Error - " ...).
bool StoreWordDocument(const std::string& rtfPath, const std::string& outputBase,
                       const std::string& name, IConversionReceiver* receiver,
                       std::string& storedPath, std::string& message);

// Stops the office-suite instance of the run, if one was started.
void EndOfficeSession();
