#pragma once
// File helpers of the office step: URLs, the private profile folder and the
// check that a result really is a Word document.
#include <string>
#include <string_view>

#include "office/office_suite.h"

// "file:///..." for an absolute path, with every byte outside the URL's
// unreserved set percent-encoded.
std::string FileUrlFromPath(const std::string& path);

// A fresh private folder (mode 0700) for the suite's profile and work
// files, inside `parent` (the folder of the run's temporary files), else
// under /var/tmp. Empty on failure.
std::string MakeOfficeFolder(const std::string& parent);

// The folder part of a path ("" when it has none).
std::string FolderOf(const std::string& path);

// Removes a folder made by MakeOfficeProfileFolder with all it holds.
void RemoveOfficeFolder(const std::string& folder);

// True when `path` starts with the signature of the format: the OLE2
// compound file of a .doc, the zip container of a .docx.
bool IsWordDocument(const std::string& path, OfficeFormat format);

// The export filter of the format ("MS Word 97" / "MS Word 2007 XML").
const char* ExportFilterName(OfficeFormat format);

// The group that holds a shape's text in RTF: an RTF with it has text boxes.
inline constexpr const char* kRtfShapeText = "{\\shptxt";

// True when the file holds `needle` (read in pieces; false when it cannot
// be read or the needle is empty).
bool FileContains(const std::string& path, std::string_view needle);

// Bytes of the file, 0 when it cannot be read.
long long FileSizeOf(const std::string& path);
