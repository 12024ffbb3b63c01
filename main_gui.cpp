// The window program, started by quorbit for everything but the commands without windows; it
// runs those too when started by itself.
#include "app/CQuorbexApp.h"
#include "app/cli/CCommandLine.h"

int main(int argc, char** argv)
{
    int nExitCode = 0;
    if (RunHeadlessCommand(argc, argv, nExitCode))
        return nExitCode;
    return RunQuorbitApp(argc, argv);
}
