#pragma once
// The PDF library's process-wide parameters for the time one file is open:
// made before the document, destroyed after it.
class CPdfLibrary {
public:
    CPdfLibrary();
    ~CPdfLibrary();
    CPdfLibrary(const CPdfLibrary&) = delete;
    CPdfLibrary& operator=(const CPdfLibrary&) = delete;
};
