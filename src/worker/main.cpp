// paperwell-worker: converts one PDF file to RTF for a run of paperwell or
// paperwell-cli, which starts it as "paperwell-worker FD PARENT_PID" with a
// socket on FD. Not meant to be started by hand.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "conversion/worker_child.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "paperwell-worker: started by paperwell and paperwell-cli only\n");
        return 2;
    }
    const int fd = std::atoi(argv[1]);
    const pid_t parent = static_cast<pid_t>(std::atol(argv[2]));
    const int status = RunFileWorker(fd, fd, parent);
    // Leave without the exit handlers: the temporary folder, RTF included,
    // belongs to the run now.
    std::fflush(nullptr);
    _exit(status);
}
