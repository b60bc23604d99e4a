#include "docx/zip_package.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>
#include <minizip/zip.h>

namespace {

// Bytes gathered before one write(2): the zip library hands over headers a
// few bytes at a time.
constexpr size_t kSinkBufferBytes = 256 * 1024;
// Bytes read at a time when a file is copied into an entry.
constexpr size_t kCopyChunkBytes = 256 * 1024;
// Deflate level of the XML parts: the document text compresses well already
// at a fast level, and printing must stay far cheaper than rendering.
constexpr int kDeflateLevel = 6;
// Permission bits of the created package: it holds the user's document.
constexpr mode_t kFileMode = 0644;

}  // namespace

// The zip library's file: a descriptor with a write buffer that records the
// first errno, so a full disk is reported as such and not as "zip error".
struct CZipSink {
    int fd = -1;
    int error = 0;
    uint64_t flushed = 0;  // file offset of the buffer's start
    std::string buffer;

    int Flush()
    {
        size_t done = 0;
        while (!error && done < buffer.size()) {
            const ssize_t n = ::write(fd, buffer.data() + done, buffer.size() - done);
            if (n < 0) {
                if (errno != EINTR)
                    error = errno ? errno : EIO;
            } else if (n == 0) {
                error = ENOSPC;
            } else {
                done += static_cast<size_t>(n);
            }
        }
        flushed += done;
        buffer.clear();
        return error;
    }
};

namespace {

CZipSink* SinkOf(voidpf stream) { return static_cast<CZipSink*>(stream); }

voidpf OpenSink(voidpf opaque, const void*, int) { return opaque; }

uLong ReadSink(voidpf, voidpf stream, void* buf, uLong size)
{
    CZipSink* sink = SinkOf(stream);
    if (sink->Flush())
        return 0;
    const ssize_t n = ::read(sink->fd, buf, size);
    if (n < 0) {
        sink->error = errno ? errno : EIO;
        return 0;
    }
    sink->flushed += static_cast<uint64_t>(n);
    return static_cast<uLong>(n);
}

uLong WriteSink(voidpf, voidpf stream, const void* buf, uLong size)
{
    CZipSink* sink = SinkOf(stream);
    if (sink->error)
        return 0;
    sink->buffer.append(static_cast<const char*>(buf), size);
    if (sink->buffer.size() >= kSinkBufferBytes && sink->Flush())
        return 0;
    return size;
}

ZPOS64_T TellSink(voidpf, voidpf stream)
{
    const CZipSink* sink = SinkOf(stream);
    return sink->flushed + sink->buffer.size();
}

long SeekSink(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    CZipSink* sink = SinkOf(stream);
    if (sink->Flush())
        return -1;
    const int whence = origin == ZLIB_FILEFUNC_SEEK_SET   ? SEEK_SET
                       : origin == ZLIB_FILEFUNC_SEEK_CUR ? SEEK_CUR
                                                          : SEEK_END;
    const off_t at = ::lseek(sink->fd, static_cast<off_t>(offset), whence);
    if (at < 0) {
        sink->error = errno;
        return -1;
    }
    sink->flushed = static_cast<uint64_t>(at);
    return 0;
}

int CloseSink(voidpf, voidpf stream)
{
    CZipSink* sink = SinkOf(stream);
    sink->Flush();
    // close(2) can report a deferred write error (NFS, quota).
    if (::close(sink->fd) != 0 && !sink->error && errno != EINTR)
        sink->error = errno;
    sink->fd = -1;
    return sink->error ? -1 : 0;
}

int TestSink(voidpf, voidpf stream) { return SinkOf(stream)->error; }

zip_fileinfo EntryInfo(std::time_t stamp)
{
    zip_fileinfo info{};
    std::tm local{};
    localtime_r(&stamp, &local);
    info.tmz_date.tm_sec = static_cast<uInt>(local.tm_sec);
    info.tmz_date.tm_min = static_cast<uInt>(local.tm_min);
    info.tmz_date.tm_hour = static_cast<uInt>(local.tm_hour);
    info.tmz_date.tm_mday = static_cast<uInt>(local.tm_mday);
    info.tmz_date.tm_mon = static_cast<uInt>(local.tm_mon);
    info.tmz_date.tm_year = static_cast<uInt>(local.tm_year + 1900);
    return info;
}

}  // namespace

CZipPackage::CZipPackage() = default;

CZipPackage::~CZipPackage()
{
    if (zip_)
        Abandon();
}

int CZipPackage::Error() const
{
    return sink_ ? sink_->error : 0;
}

int CZipPackage::Fail(int zipResult)
{
    if (zipResult == ZIP_OK)
        return 0;
    if (sink_ && sink_->error)
        return sink_->error;
    // A failure of the library itself (not of the file): no errno to give.
    if (sink_)
        sink_->error = zipResult == ZIP_INTERNALERROR ? ENOMEM : EIO;
    return sink_ ? sink_->error : EIO;
}

int CZipPackage::Create(const std::string& path, std::time_t stamp)
{
    if (zip_)
        return EBUSY;
    path_ = path;
    stamp_ = stamp;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kFileMode);
    if (fd < 0)
        return errno ? errno : EIO;
    struct stat st{};
    regularFile_ = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    sink_ = std::make_unique<CZipSink>();
    sink_->fd = fd;
    sink_->buffer.reserve(kSinkBufferBytes);

    zlib_filefunc64_def io{};
    io.zopen64_file = OpenSink;
    io.zread_file = ReadSink;
    io.zwrite_file = WriteSink;
    io.ztell64_file = TellSink;
    io.zseek64_file = SeekSink;
    io.zclose_file = CloseSink;
    io.zerror_file = TestSink;
    io.opaque = sink_.get();
    zip_ = zipOpen2_64(path.c_str(), APPEND_STATUS_CREATE, nullptr, &io);
    if (!zip_) {
        const int rc = sink_->error ? sink_->error : EIO;
        if (sink_->fd >= 0)
            ::close(sink_->fd);
        sink_->fd = -1;
        if (regularFile_)
            ::unlink(path_.c_str());
        return rc;
    }
    return 0;
}

int CZipPackage::BeginEntry(const std::string& name, bool compress)
{
    if (!zip_)
        return EBADF;
    if (int rc = Error())
        return rc;
    const zip_fileinfo info = EntryInfo(stamp_);
    return Fail(zipOpenNewFileInZip4_64(zip_, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                        compress ? Z_DEFLATED : 0, compress ? kDeflateLevel : 0, 0, -MAX_WBITS,
                                        DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, 0, 0, 0));
}

int CZipPackage::Write(std::string_view data)
{
    if (!zip_)
        return EBADF;
    if (int rc = Error())
        return rc;
    // The library takes at most 4 GB minus one per call.
    constexpr size_t kMaxCall = 1u << 30;
    while (!data.empty()) {
        const size_t n = std::min(data.size(), kMaxCall);
        if (int rc = Fail(zipWriteInFileInZip(zip_, data.data(), static_cast<unsigned>(n))))
            return rc;
        data.remove_prefix(n);
    }
    return 0;
}

int CZipPackage::EndEntry()
{
    if (!zip_)
        return EBADF;
    if (int rc = Error())
        return rc;
    return Fail(zipCloseFileInZip(zip_));
}

int CZipPackage::AddEntry(const std::string& name, std::string_view data, bool compress)
{
    if (int rc = BeginEntry(name, compress))
        return rc;
    if (int rc = Write(data))
        return rc;
    return EndEntry();
}

int CZipPackage::AddEntryFromFile(const std::string& name, int fd, bool compress)
{
    if (int rc = BeginEntry(name, compress))
        return rc;
    std::string chunk(kCopyChunkBytes, '\0');
    for (;;) {
        const ssize_t got = ::read(fd, chunk.data(), chunk.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int rc = errno ? errno : EIO;
            if (sink_ && !sink_->error)
                sink_->error = rc;
            return rc;
        }
        if (got == 0)
            break;
        if (int rc = Write(std::string_view(chunk.data(), static_cast<size_t>(got))))
            return rc;
    }
    return EndEntry();
}

int CZipPackage::Close()
{
    if (!zip_)
        return EBADF;
    const int result = zipClose(zip_, nullptr);
    zip_ = nullptr;
    const int rc = sink_->error ? sink_->error : (result == ZIP_OK ? 0 : EIO);
    if (rc && regularFile_)
        ::unlink(path_.c_str());
    return rc;
}

void CZipPackage::Abandon()
{
    if (zip_) {
        zipClose(zip_, nullptr);
        zip_ = nullptr;
    }
    if (regularFile_ && !path_.empty())
        ::unlink(path_.c_str());
    regularFile_ = false;
}
