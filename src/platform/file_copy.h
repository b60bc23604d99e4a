#pragma once
#include <string>

// Copies `from` into the new file `to`, which must not exist: it is created
// with O_EXCL so a file that appeared meanwhile stays untouched. Returns 0,
// EEXIST when the name was taken, or the errno of the failure (a partly
// written copy is removed again).
int CopyToNewFile(const std::string& from, const std::string& to);
