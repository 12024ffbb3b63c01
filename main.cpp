// Quorbit: the window program, or one of the headless commands when asked for one.
#include "app/cli/CCommandLine.h"

#include <cstdio>

int main(int argc, char** argv)
{
    int nExitCode = 0;
    if (RunHeadlessCommand(argc, argv, nExitCode))
        return nExitCode;
    std::fputs("quorbit: the windows are not part of this build yet; "
               "see quorbit --help for the commands that run without them\n",
               stderr);
    return 1;
}
