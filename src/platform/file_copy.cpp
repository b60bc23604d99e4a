#include "platform/file_copy.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {
// Bytes moved per read and write.
constexpr size_t kCopyBufferSize = 64 * 1024;
}

int CopyToNewFile(const std::string& from, const std::string& to)
{
    const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return errno;
    const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (out < 0) {
        const int error = errno;
        close(in);
        return error;
    }
    int error = 0;
    char buffer[kCopyBufferSize];
    while (error == 0) {
        const ssize_t got = read(in, buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno != EINTR)
                error = errno;
            continue;
        }
        for (ssize_t done = 0; done < got && error == 0;) {
            const ssize_t put = write(out, buffer + done, static_cast<size_t>(got - done));
            if (put < 0) {
                if (errno != EINTR)
                    error = errno;
            } else {
                done += put;
            }
        }
    }
    close(in);
    if (close(out) != 0 && error == 0)
        error = errno;
    if (error != 0)
        unlink(to.c_str());
    return error;
}

