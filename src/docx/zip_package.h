#pragma once
// The .docx package as a zip file written front to back: one entry at a
// time, each streamed as it is produced, so memory does not grow with the
// document. Every failure comes back as an errno value; after the first one
// the package keeps returning it.
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>

struct CZipSink;

class CZipPackage {
public:
    CZipPackage();
    ~CZipPackage();  // an open package is abandoned (see Abandon)
    CZipPackage(const CZipPackage&) = delete;
    CZipPackage& operator=(const CZipPackage&) = delete;

    // Creates (or truncates) the zip file at `path`; entries carry `stamp`.
    int Create(const std::string& path, std::time_t stamp);
    bool IsOpen() const { return zip_ != nullptr; }

    // Starts an entry; `compress` deflates it (pictures are stored as they are).
    int BeginEntry(const std::string& name, bool compress);
    int Write(std::string_view data);
    int EndEntry();
    // A whole entry from memory.
    int AddEntry(const std::string& name, std::string_view data, bool compress);
    // A whole entry from the file open at `fd`, read from its current offset to its end.
    int AddEntryFromFile(const std::string& name, int fd, bool compress);

    // Writes the central directory and closes the file; 0 or the first error.
    int Close();
    // Closes without caring for the result and removes the file when it is a
    // regular file this package created or truncated (a device is left alone).
    void Abandon();

    int Error() const;

private:
    int Fail(int zipResult);

    void* zip_ = nullptr;
    std::unique_ptr<CZipSink> sink_;
    std::string path_;
    bool regularFile_ = false;
    std::time_t stamp_ = 0;
};
