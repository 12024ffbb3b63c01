#include "app/cli/CCommandLine.h"

#include <cstring>

bool RunHeadlessCommand(int argc, char** argv, int& nExitCode)
{
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0)
    {
        std::printf("quorbit %s\n", QUORBIT_VERSION);
        nExitCode = 0;
        return true;
    }
    return false;
}
