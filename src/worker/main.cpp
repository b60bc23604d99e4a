// paperwell-worker: the worker server of a run of paperwell or paperwell-cli,
// which starts it as "paperwell-worker FD PARENT_PID" with a socket on FD and
// has it fork one worker per PDF file. Not meant to be started by hand.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "conversion/worker_child.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "paperwell-worker: started by paperwell and paperwell-cli only\n");
        return 2;
    }
    const int fd = std::atoi(argv[1]);
    const pid_t parent = static_cast<pid_t>(std::atol(argv[2]));
    const int status = RunWorkerServer(fd, parent);
    std::fflush(nullptr);
    _exit(status);
}
