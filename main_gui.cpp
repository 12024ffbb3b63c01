// The window program, started by quorbit for everything but the commands without windows; it
// runs those too when started by itself.
#include "app/CQuorbexApp.h"
#include "cli/CCommandLine.h"

int main(int argc, char** argv)
{
    SCommandLine commandLine;
    int nExitCode = 0;
    if (RunHeadlessCommand(argc, argv, commandLine, nExitCode))
        return nExitCode;
    return RunQuorbitApp(argc, argv, commandLine);
}
