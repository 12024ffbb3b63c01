#include "cli/CliTestSupport.h"

#include "support/CPrivateRuntime.h"
#include "support/FreshStateFolders.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace
{
// Every program these tests start looks for a running Quorbit; none that the person runs, and
// none that a test running beside this one starts, may answer it.
class CPrivateRuntimeEnvironment : public testing::Environment
{
public:
    void SetUp() override
    {
        m_pRuntime = std::make_unique<CPrivateRuntime>();
        UseFreshStateFolders();
    }
    void TearDown() override { m_pRuntime.reset(); }

private:
    std::unique_ptr<CPrivateRuntime> m_pRuntime;
};

[[maybe_unused]] testing::Environment* const g_pRuntimeEnvironment =
    testing::AddGlobalTestEnvironment(new CPrivateRuntimeEnvironment);
// A command that hangs fails its test instead of holding the whole run until ctest's timeout.
constexpr auto kCommandTimeout = std::chrono::seconds(60);

int WaitOrKill(pid_t nPid)
{
    const auto deadline = std::chrono::steady_clock::now() + kCommandTimeout;
    int nStatus = 0;
    while (waitpid(nPid, &nStatus, WNOHANG) == 0)
    {
        if (std::chrono::steady_clock::now() > deadline)
        {
            ADD_FAILURE() << "the command did not end within " << kCommandTimeout.count()
                          << " s and was killed";
            kill(nPid, SIGKILL);
            waitpid(nPid, &nStatus, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return nStatus;
}
} // namespace

SProcessResult RunProgram(const std::string& strProgram, const std::vector<std::string>& arguments)
{
    // Output goes to files rather than pipes, so that a chatty child never blocks on a full pipe.
    const CTempFolder folder;
    const std::string strOutPath = folder.File("stdout");
    const std::string strErrPath = folder.File("stderr");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, strOutPath.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, strErrPath.c_str(), O_WRONLY | O_CREAT, 0600);

    std::vector<char*> argv{const_cast<char*>(strProgram.c_str())};
    for (const std::string& strArgument : arguments)
        argv.push_back(const_cast<char*>(strArgument.c_str()));
    argv.push_back(nullptr);

    SProcessResult result;
    pid_t nPid = 0;
    const int nError =
        posix_spawn(&nPid, strProgram.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (nError != 0)
        throw std::runtime_error("cannot start " + strProgram);
    const int nStatus = WaitOrKill(nPid);
    if (WIFEXITED(nStatus))
        result.nExitStatus = WEXITSTATUS(nStatus);
    result.strOut = ReadFileBytes(strOutPath);
    result.strErr = ReadFileBytes(strErrPath);
    return result;
}
