// Quorbit: the commands without windows, and the start of the window program for the rest.
// This program never loads the window toolkit, so that scripts calling it often pay only for
// what they ask.
#include "cli/CCommandLine.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

namespace
{
// The window program is installed beside this one.
std::string FindWindowProgram()
{
    char szSelf[PATH_MAX];
    const ssize_t nLength = readlink("/proc/self/exe", szSelf, sizeof(szSelf) - 1);
    std::string strFolder = nLength > 0 ? std::string(szSelf, static_cast<std::size_t>(nLength))
                                        : std::string("./quorbit");
    strFolder.erase(strFolder.rfind('/') + 1);
    return strFolder + "quorbit-gui";
}

// Becomes the window program, with the same arguments; its exit status is this program's.
int StartWindowProgram(char** argv)
{
    const std::string strProgram = FindWindowProgram();
    execv(strProgram.c_str(), argv);
    std::fprintf(stderr, "quorbit: cannot start the window program %s: %s\n", strProgram.c_str(),
                 std::strerror(errno));
    return 1;
}
} // namespace

int main(int argc, char** argv)
{
    SCommandLine commandLine;
    int nExitCode = 0;
    if (RunHeadlessCommand(argc, argv, commandLine, nExitCode))
        return nExitCode;
    return StartWindowProgram(argv);
}
