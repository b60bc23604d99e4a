#pragma once
// The conversion without UNO: one "soffice --convert-to" process per
// document, with a private profile and a timeout.
#include <chrono>
#include <string>

#include "office/office_suite.h"

// `workFolder` is a private folder the call may fill (the profile lives in
// its "profile" sub-folder); the call leaves only the profile behind.
// `timedOut` tells that the process was killed after `timeout`.
OfficeResult ConvertOnCommandLine(const std::string& soffice, const std::string& workFolder,
                                  const std::string& rtfPath, const std::string& targetPath,
                                  OfficeFormat format, std::chrono::milliseconds timeout,
                                  bool& timedOut);
