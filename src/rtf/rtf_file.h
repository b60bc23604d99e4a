#pragma once
// A write-buffered file for the RTF and body files. Every failure comes back
// as its errno; after the first failure the file keeps returning that error,
// so a caller that checks only the last result still sees it.
#include <cstddef>
#include <string>
#include <string_view>
#include <sys/types.h>

class CRtfFile {
public:
    CRtfFile() = default;
    ~CRtfFile();
    CRtfFile(const CRtfFile&) = delete;
    CRtfFile& operator=(const CRtfFile&) = delete;

    // Creates or truncates `path`; `readable` also opens it for reading.
    int Create(const std::string& path, bool readable);
    bool IsOpen() const { return fd_ >= 0; }

    int Write(std::string_view text);
    int Flush();
    // Flushes and moves to the start, for reading the file back.
    int Rewind();
    // Bytes read (0 at the end), or -errno.
    ssize_t Read(char* buffer, size_t size);
    // Flushes and closes; 0 or the first error seen on this file.
    int Close();
    // The first error seen, or 0.
    int Error() const { return error_; }

private:
    int WriteThrough(const char* data, size_t size);

    int fd_ = -1;
    int error_ = 0;
    std::string buffer_;
};
