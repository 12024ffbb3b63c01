#include "support/CMosquittoBroker.h"

#include "support/CLoopbackPort.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

#include <fcntl.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
constexpr const char* kBroker = "/usr/sbin/mosquitto";
constexpr const char* kPasswordTool = "/usr/bin/mosquitto_passwd";
constexpr const char* kTlsTool = "/usr/bin/openssl";
} // namespace

bool CMosquittoBroker::IsInstalled()
{
    return access(kBroker, X_OK) == 0 && access(kPasswordTool, X_OK) == 0;
}

CMosquittoBroker::CMosquittoBroker() : m_nPort(CLoopbackPort().GetPort())
{
    // Written in the clear, then hashed in place as the broker wants it.
    const std::string strPasswords = m_folder.File("passwords");
    WriteFileBytes(strPasswords, std::string(kQuorbitUser) + ":" + kQuorbitPassword + "\n" +
                                     kOtherUser + ":" + kOtherPassword + "\n" +
                                     "hub:" + kHubPassword + "\n");
    std::system((std::string(kPasswordTool) + " -U " + strPasswords).c_str());
    WriteFileBytes(m_folder.File("acl"), "pattern readwrite quorbit/%u/#\n"
                                         "pattern readwrite homeassistant/+/%u/+/config\n"
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

int CMosquittoBroker::AddTlsListener()
{
    const std::string strKey = m_folder.File("key.pem");
    const std::string strCertificate = m_folder.File("certificate.pem");
    const std::string strMake = std::string(kTlsTool) +
                                " req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 "
                                "-nodes -days 2 -subj /CN=localhost -keyout " +
                                strKey + " -out " + strCertificate + " 2>/dev/null";
    if (access(kTlsTool, X_OK) != 0 || std::system(strMake.c_str()) != 0)
        return 0;
    const int nPort = CLoopbackPort().GetPort();
    const std::string strConfig = m_folder.File("mosquitto.conf");
    WriteFileBytes(strConfig, ReadFileBytes(strConfig) + "listener " + std::to_string(nPort) +
                                  " 127.0.0.1\ncertfile " + strCertificate + "\nkeyfile " + strKey +
                                  "\n");
    m_nTlsPort = nPort;
    return nPort;
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
        // The listeners may come up one after the other.
        if (CLoopbackPort::TakesConnections(m_nPort) &&
            (m_nTlsPort == 0 || CLoopbackPort::TakesConnections(m_nTlsPort)))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::string CMosquittoBroker::ReadLog() const
{
    std::string strLog;
    for (const char* pszName : {"broker.out", "broker.log"})
    {
        if (access(m_folder.File(pszName).c_str(), R_OK) == 0)
            strLog += ReadFileBytes(m_folder.File(pszName));
    }
    return strLog;
}

void CMosquittoBroker::Stop()
{
    if (m_nProcess <= 0)
        return;
    kill(m_nProcess, SIGTERM);
    waitpid(m_nProcess, nullptr, 0);
    m_nProcess = -1;
}
