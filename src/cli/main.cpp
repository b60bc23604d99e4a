// paperwell-cli: converts PDF files to Word documents from the command line.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/commands.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "--dump-items")
        return RunDumpItems(args);
    if (!args.empty() && args[0] == "--to-rtf")
        return RunToRtf(args);
    return RunConvert(args);
}
