// Quorbit: the window program, or one of the headless commands when asked for one.
#include "app/cli/CCommandLine.h"

int main(int argc, char** argv)
{
    int nExitCode = 0;
    if (RunHeadlessCommand(argc, argv, nExitCode))
        return nExitCode;
    std::fprintf(stderr, "quorbit: the window program is not built yet\n");
    return 1;
}
