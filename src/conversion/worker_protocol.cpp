#include "conversion/worker_protocol.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr size_t kHeaderSize = 5;  // type byte + 32-bit payload length

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        // A socket, so that a peer that is gone gives an error, not SIGPIPE.
        const ssize_t written = send(fd, data, size, MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool ReadAll(int fd, char* data, size_t size)
{
    while (size > 0) {
        const ssize_t got = read(fd, data, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        data += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

uint32_t LengthOf(const char* header)
{
    uint32_t length = 0;
    std::memcpy(&length, header + 1, sizeof length);
    return length;
}

} // namespace

CFieldWriter& CFieldWriter::Int(int32_t value)
{
    bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
    return *this;
}

CFieldWriter& CFieldWriter::Text(const std::string& value)
{
    Int(static_cast<int32_t>(value.size()));
    bytes_ += value;
    return *this;
}

bool CFieldReader::Int(int32_t& value)
{
    value = 0;
    if (!ok_ || bytes_.size() - at_ < sizeof value)
        return ok_ = false;
    std::memcpy(&value, bytes_.data() + at_, sizeof value);
    at_ += sizeof value;
    return true;
}

bool CFieldReader::Text(std::string& value)
{
    value.clear();
    int32_t size = 0;
    if (!Int(size) || size < 0 || bytes_.size() - at_ < static_cast<size_t>(size))
        return ok_ = false;
    value.assign(bytes_, at_, static_cast<size_t>(size));
    at_ += static_cast<size_t>(size);
    return true;
}

bool WriteWorkerMessage(int fd, WorkerMessage type, const std::string& payload)
{
    // Header and payload in one write: a short message is never torn, and a
    // reader never waits for the second half of a header.
    std::string frame(kHeaderSize, '\0');
    frame[0] = static_cast<char>(type);
    const uint32_t length = static_cast<uint32_t>(payload.size());
    std::memcpy(frame.data() + 1, &length, sizeof length);
    frame += payload;
    return WriteAll(fd, frame.data(), frame.size());
}

bool ReadWorkerMessage(int fd, WorkerMessage& type, std::string& payload)
{
    char header[kHeaderSize];
    if (!ReadAll(fd, header, sizeof header))
        return false;
    const uint32_t length = LengthOf(header);
    if (length > kMaxWorkerPayload)
        return false;
    type = static_cast<WorkerMessage>(header[0]);
    payload.assign(length, '\0');
    return ReadAll(fd, payload.data(), length);
}

bool SendDescriptor(int socket, int fd)
{
    char byte = 'F';
    iovec data {&byte, 1};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr message {};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = SOL_SOCKET;
    header->cmsg_type = SCM_RIGHTS;
    header->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(header), &fd, sizeof fd);
    ssize_t sent;
    do {
        sent = sendmsg(socket, &message, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent == 1;
}

int ReceiveDescriptor(int socket)
{
    char byte = 0;
    iovec data {&byte, 1};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr message {};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t got;
    do {
        got = recvmsg(socket, &message, MSG_CMSG_CLOEXEC);
    } while (got < 0 && errno == EINTR);
    const cmsghdr* header = got == 1 ? CMSG_FIRSTHDR(&message) : nullptr;
    if (header == nullptr || header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS)
        return -1;
    int fd = -1;
    std::memcpy(&fd, CMSG_DATA(header), sizeof fd);
    return fd;
}

bool CMessageBuffer::Next(WorkerMessage& type, std::string& payload)
{
    if (bytes_.size() < kHeaderSize)
        return false;
    const uint32_t length = LengthOf(bytes_.data());
    if (length > kMaxWorkerPayload) {
        broken_ = true;
        return false;
    }
    if (bytes_.size() - kHeaderSize < length)
        return false;
    type = static_cast<WorkerMessage>(bytes_[0]);
    payload.assign(bytes_, kHeaderSize, length);
    bytes_.erase(0, kHeaderSize + length);
    return true;
}
