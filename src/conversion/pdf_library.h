#pragma once
#include <string>
// The PDF library's process-wide parameters for the time one file is open:
// made before the document, destroyed after it.
class CPdfLibrary {
public:
    CPdfLibrary();
    ~CPdfLibrary();
    CPdfLibrary(const CPdfLibrary&) = delete;
    CPdfLibrary& operator=(const CPdfLibrary&) = delete;
};

// Errors the library reported that make a drawing wrong (a damaged stream,
// a read error), counted for the whole process, and the last one's text.
// Other diagnostics are dropped, as before.
long long PdfDrawingErrorCount();
std::string LastPdfDrawingError();
