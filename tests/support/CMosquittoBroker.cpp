#include "support/CMosquittoBroker.h"

#include <chrono>
#include <csignal>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
constexpr const char* kBroker = "/usr/sbin/mosquitto";
constexpr const char* kPasswordTool = "/usr/bin/mosquitto_passwd";

sockaddr_in LoopbackAddress(int nPort)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(nPort));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A port nobody listens on now: the kernel's pick for a socket bound to port 0.
int FindFreePort()
{
    const int nSocket = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = LoopbackAddress(0);
    socklen_t nSize = sizeof(address);
    bind(nSocket, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    getsockname(nSocket, reinterpret_cast<sockaddr*>(&address), &nSize);
    close(nSocket);
    return ntohs(address.sin_port);
}

void AddUser(const std::string& strFile, const char* pszUser, const char* pszPassword, bool bCreate)
{
    std::vector<std::string> arguments{kPasswordTool, "-b", strFile, pszUser, pszPassword};
    if (bCreate)
        arguments.insert(arguments.begin() + 1, "-c");
    std::vector<char*> argv;
    for (std::string& strArgument : arguments)
        argv.push_back(strArgument.data());
    argv.push_back(nullptr);
    pid_t nProcess = -1;
    if (posix_spawn(&nProcess, kPasswordTool, nullptr, nullptr, argv.data(), environ) == 0)
        waitpid(nProcess, nullptr, 0);
}

bool TakesConnections(int nPort)
{
    const int nSocket = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = LoopbackAddress(nPort);
    const bool bConnected =
        connect(nSocket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    close(nSocket);
    return bConnected;
}
} // namespace

bool CMosquittoBroker::IsInstalled()
{
    return access(kBroker, X_OK) == 0 && access(kPasswordTool, X_OK) == 0;
}

CMosquittoBroker::CMosquittoBroker() : m_nPort(FindFreePort())
{
    const std::string strPasswords = m_folder.File("passwords");
    AddUser(strPasswords, kQuorbitUser, kQuorbitPassword, true);
    AddUser(strPasswords, "hub", kHubPassword, false);
    WriteFileBytes(m_folder.File("acl"), "pattern readwrite quorbit/%u/#\n"
                                         "pattern readwrite homeassistant/button/#\n"
                                         "pattern readwrite homeassistant/sensor/#\n"
                                         "pattern readwrite homeassistant/switch/#\n"
                                         "user hub\n"
                                         "topic readwrite #\n");
    WriteFileBytes(m_folder.File("mosquitto.conf"),
                   "listener " + std::to_string(m_nPort) + " 127.0.0.1\n" +
                       // Started by root it would become another user, who cannot read here.
                       "user " + getpwuid(getuid())->pw_name + "\n" +
                       "allow_anonymous false\n"
                       "persistence false\n"
                       "password_file " +
                       strPasswords + "\n" + "acl_file " + m_folder.File("acl") + "\n" +
                       "log_dest file " + m_folder.File("broker.log") + "\n");
}

CMosquittoBroker::~CMosquittoBroker()
{
    Stop();
}

bool CMosquittoBroker::Start()
{
    const std::string strConfig = m_folder.File("mosquitto.conf");
    m_nProcess = fork();
    if (m_nProcess == 0)
    {
        // Gone with the test, even one that crashed or was killed for taking too long.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        // Its warnings are the log's, not the test's output.
        const int nLog =
            open(m_folder.File("broker.out").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        dup2(nLog, STDOUT_FILENO);
        dup2(nLog, STDERR_FILENO);
        execl(kBroker, kBroker, "-c", strConfig.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int nTry = 0; nTry < 500; ++nTry)
    {
        if (TakesConnections(m_nPort))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

void CMosquittoBroker::Stop()
{
    if (m_nProcess <= 0)
        return;
    kill(m_nProcess, SIGTERM);
    waitpid(m_nProcess, nullptr, 0);
    m_nProcess = -1;
}
