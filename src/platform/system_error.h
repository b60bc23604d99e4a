#pragma once
#include <string>

// The system's text for an errno value; 0 stands for the calling thread's
// current errno. strerror carries no line end, so nothing is cut off.
std::string SystemErrorText(int code);
