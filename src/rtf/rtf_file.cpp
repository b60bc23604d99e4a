#include "rtf/rtf_file.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {
// Bytes gathered before one write(2); large enough that the picture's hex
// text costs a handful of system calls per page, not one per byte.
constexpr size_t kWriteBufferBytes = 64 * 1024;
// Permission bits of the created files: they hold the user's document text.
constexpr mode_t kFileMode = 0600;
}

CRtfFile::~CRtfFile()
{
    Close();
}

int CRtfFile::Create(const std::string& path, bool readable)
{
    Close();
    error_ = 0;
    int flags = (readable ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC | O_CLOEXEC;
    fd_ = ::open(path.c_str(), flags, kFileMode);
    if (fd_ < 0)
        return errno ? errno : EIO;
    buffer_.reserve(kWriteBufferBytes);
    return 0;
}

int CRtfFile::WriteThrough(const char* data, size_t size)
{
    while (size > 0) {
        ssize_t done = ::write(fd_, data, size);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            error_ = errno ? errno : EIO;
            return error_;
        }
        if (done == 0) {
            error_ = ENOSPC;
            return error_;
        }
        data += done;
        size -= static_cast<size_t>(done);
    }
    return 0;
}

int CRtfFile::Flush()
{
    if (error_)
        return error_;
    if (fd_ < 0)
        return error_ = EBADF;
    if (buffer_.empty())
        return 0;
    int rc = WriteThrough(buffer_.data(), buffer_.size());
    buffer_.clear();
    return rc;
}

int CRtfFile::Write(std::string_view text)
{
    if (error_)
        return error_;
    if (fd_ < 0)
        return error_ = EBADF;
    if (buffer_.size() + text.size() > kWriteBufferBytes) {
        if (int rc = Flush())
            return rc;
        if (text.size() >= kWriteBufferBytes)
            return WriteThrough(text.data(), text.size());
    }
    buffer_.append(text);
    return 0;
}

int CRtfFile::Rewind()
{
    if (int rc = Flush())
        return rc;
    if (::lseek(fd_, 0, SEEK_SET) < 0)
        return error_ = errno;
    return 0;
}

ssize_t CRtfFile::Read(char* buffer, size_t size)
{
    if (fd_ < 0)
        return -EBADF;
    for (;;) {
        ssize_t got = ::read(fd_, buffer, size);
        if (got >= 0)
            return got;
        if (errno != EINTR)
            return -errno;
    }
}

int CRtfFile::Close()
{
    if (fd_ < 0)
        return error_;
    Flush();
    // close(2) can report a deferred write error (NFS, quota).
    if (::close(fd_) != 0 && !error_ && errno != EINTR)
        error_ = errno;
    fd_ = -1;
    buffer_.clear();
    buffer_.shrink_to_fit();
    return error_;
}
