#pragma once
// Turns the finished RTF into the Word document the user gets and stores it
// under a free name in the output sub-folder.
#include <string>

#include "conversion/conversion_options.h"

class IConversionReceiver;

// 0 when the office suite saved a Word document (.docx for `format` Docx, else .doc) at
// `targetPath`; -1 otherwise. "Open fails" shows "Error opening word document
// file." through the receiver first.
int ConvertRtfWithWord(const std::string& rtfPath, const std::string& targetPath, OutputFormat format,
                       IConversionReceiver* receiver);

// The store step. `documentPath` is what the worker made: the RTF, or the
// finished .docx when `format` is Docx. A .doc is converted by the
// office suite (or falls back to the RTF itself); a .docx or an RTF is taken
// as it is, without the suite. Then pick the first free name of outputBase +
// ".doc", "(1).doc", ... (extension per `format`), copy without ever
// replacing a file, and delete the temporaries (`documentPath` included).
// Returns true with `storedPath` set, or false with `message` set to the
// file's error line (name + " :Error - " ...).
bool StoreWordDocument(const std::string& documentPath, OutputFormat format, const std::string& outputBase,
                       const std::string& name, IConversionReceiver* receiver,
                       std::string& storedPath, std::string& message);

// True when a .doc can be made by the office suite; without it a .doc holds
// the RTF itself.
bool WordConverterInstalled();

// Stops the office-suite instance of the run, if one was started.
void EndOfficeSession();
