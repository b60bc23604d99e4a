#pragma once
#include <string>
#include <vector>

// Each command takes the arguments after the program name and returns the
// process exit status.
int RunDumpItems(const std::vector<std::string>& args);  // --dump-items N FILE.pdf [--picture OUT.jpg]
int RunToRtf(const std::vector<std::string>& args);      // --to-rtf FILE.pdf OUT.rtf [...]
int RunConvert(const std::vector<std::string>& args);    // the converter itself
