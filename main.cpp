// Quorbit: the window program, or one of the headless commands when asked for one.
#include "app/cli/CCommandLine.h"

#include <cstdio>

#ifdef QUORBIT_HAS_GUI
#include "app/CQuorbexApp.h"
#endif

int main(int argc, char** argv)
{
    int nExitCode = 0;
    if (RunHeadlessCommand(argc, argv, nExitCode))
        return nExitCode;
#ifdef QUORBIT_HAS_GUI
    return RunQuorbitApp(argc, argv);
#else
    std::fputs("quorbit: the windows are not part of this build yet; "
               "see quorbit --help for the commands that run without them\n",
               stderr);
    return 1;
#endif
}
