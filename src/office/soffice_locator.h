#pragma once
#include <string>

// The office suite's launcher: $PW_SOFFICE when set (an empty value means
// "none installed"), else the first executable "soffice" on $PATH. Empty
// when there is none.
std::string FindSoffice();
