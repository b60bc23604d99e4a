#pragma once
// The small message protocol between a run and the worker process that
// converts one PDF file: framed messages over a socket pair, each a type
// byte, a 32-bit length and a payload of packed fields.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

enum class WorkerMessage : char {
    Job = 'J',             // run -> worker: what to convert (WorkerJob)
    Log = 'L',             // worker -> run: a log line
    Progress = 'P',        // worker -> run: status text (or none) and percent
    AskPassword = 'Q',     // worker -> run: attempt line; answered by Answer
    Answer = 'A',          // run -> worker: given or not, and the text
    ShowMessage = 'M',     // worker -> run: message box; answered by Answer
    PageStarted = 'S',     // worker -> run: a page (0: the document's end) begins
    KnownPasswords = 'K',  // worker -> run: the run's passwords now; answered by Passwords
    Passwords = 'W',       // run -> worker: a count and that many passwords
    PagesDone = 'D',       // worker -> run: pages of the range done, and the range's size
    Result = 'R',          // worker -> run: how the file ended (WorkerResult)
    OutOfMemory = 'O',     // worker -> run: an allocation failed, the worker aborts
    // Between the run and the worker server, which forks one worker per file:
    Started = 'N',         // server -> run: the new worker's process id
    Ended = 'E',           // server -> run: the worker's wait status
};

// Packs fields in order; CFieldReader takes them out in the same order.
class CFieldWriter {
public:
    CFieldWriter& Int(int32_t value);
    CFieldWriter& Text(const std::string& value);
    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
};

class CFieldReader {
public:
    // Keeps its own copy: messages are small, and a temporary may be read.
    explicit CFieldReader(std::string bytes) : bytes_(std::move(bytes)) {}
    // false once the payload ran short; later reads give 0 and "".
    bool Int(int32_t& value);
    bool Text(std::string& value);
    bool Ok() const { return ok_; }

private:
    std::string bytes_;
    size_t at_ = 0;
    bool ok_ = true;
};

// Writes one whole message; false when the pipe is gone.
bool WriteWorkerMessage(int fd, WorkerMessage type, const std::string& payload);

// Blocking read of one whole message; false at the end of the pipe or on a
// malformed frame.
bool ReadWorkerMessage(int fd, WorkerMessage& type, std::string& payload);

// One byte carrying the descriptor `fd` to the other end of a Unix socket.
bool SendDescriptor(int socket, int fd);
// The descriptor sent by SendDescriptor (close-on-exec); -1 at the end of
// the socket or on error.
int ReceiveDescriptor(int socket);

// Collects bytes as they arrive and hands out whole messages.
class CMessageBuffer {
public:
    void Append(const char* data, size_t size) { bytes_.append(data, size); }
    // true and one message when a whole one is there.
    bool Next(WorkerMessage& type, std::string& payload);
    // A frame longer than any message: the stream cannot be trusted.
    bool Broken() const { return broken_; }

private:
    std::string bytes_;
    bool broken_ = false;
};

// Largest payload accepted; a longer frame means the stream is broken.
constexpr uint32_t kMaxWorkerPayload = 1u << 20;
