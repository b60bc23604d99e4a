#pragma once
// Whether a text the user typed can serve as the output folder. The check may
// create the missing folders of an absolute path.
#include <cstddef>
#include <string>

// The longest path (in UTF-16 units) the check creates folders for: the dated
// sub-folder and a document name must still fit behind it.
constexpr size_t kMaxCreatableFolderUnits = 253;

// True when something (a folder or a file) exists at `path`, or when `path`
// is absolute, at most kMaxCreatableFolderUnits long, and every missing
// folder along it could be created, so that it now is a folder.
bool CheckOutputFolder(const std::string& path);
