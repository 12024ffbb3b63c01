#include "control/ControlSocket.h"

#include "base/StateFolder.h"
#include "control/ControlProtocol.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{
std::string DescribeErrno(const std::string& strWhat, const std::string& strPath)
{
    return strWhat + " " + strPath + ": " + std::strerror(errno);
}

std::string DescribeUser(uid_t nUser)
{
    const passwd* pUser = getpwuid(nUser);
    return pUser != nullptr ? pUser->pw_name : "uid " + std::to_string(nUser);
}

bool CheckPrivateFolder(const std::string& strFolder, std::string& strError)
{
    struct stat status
    {
    };
    if (lstat(strFolder.c_str(), &status) != 0)
    {
        strError = DescribeErrno("cannot look at", strFolder);
        return false;
    }
    // Another user's folder is theirs to empty: its lock would keep no second Quorbit out.
    if (!S_ISDIR(status.st_mode) || status.st_uid != getuid())
    {
        strError = strFolder +
                   (S_ISDIR(status.st_mode) ? " belongs to " + DescribeUser(status.st_uid) +
                                                  ", not to " + DescribeUser(getuid())
                                            : std::string(" is not a folder")) +
                   ", so it cannot hold the lock that lets one Quorbit run";
        return false;
    }
    if ((status.st_mode & 077) != 0 && chmod(strFolder.c_str(), 0700) != 0)
    {
        strError = DescribeErrno("cannot make private", strFolder);
        return false;
    }
    return true;
}

// The session's runtime folder. A cron job or a service has no XDG_RUNTIME_DIR, yet the one of
// the user's session is where the running Quorbit listens: take it when it is there. Root
// seldom has a session; none but root can make a folder in /run.
std::string FindRuntimeFolder()
{
    if (const char* pszRuntime = std::getenv("XDG_RUNTIME_DIR"); pszRuntime && *pszRuntime)
        return pszRuntime;
    const std::string strSession = "/run/user/" + std::to_string(getuid());
    struct stat status
    {
    };
    if (lstat(strSession.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
        status.st_uid == getuid())
        return strSession;
    return getuid() == 0 ? "/run" : std::string();
}

bool FitsSocket(const std::string& strFolder)
{
    return (strFolder + "/control.socket").size() < sizeof(sockaddr_un::sun_path);
}

// The folder without a session's: in the user's state folder, which no one else can make
// first, as anyone can in /tmp. /tmp only when there is no home, or a socket's path there
// would be too long. Every program of the user reaches the same answer.
std::string FindFolderWithoutSession()
{
    const std::string strState = GetStateFolder();
    if (!strState.empty() && FitsSocket(strState + "/run"))
        return strState + "/run";
    return "/tmp/quorbit-" + std::to_string(getuid());
}

// Makes the folders of the path that are missing, each for the user alone.
bool MakeFolders(const std::string& strFolder, std::string& strError)
{
    std::string strPart;
    for (const auto& name : std::filesystem::path(strFolder))
    {
        strPart = (std::filesystem::path(strPart) / name).string();
        if (mkdir(strPart.c_str(), 0700) != 0 && errno != EEXIST)
        {
            strError = DescribeErrno("cannot make", strPart);
            return false;
        }
    }
    return true;
}
} // namespace

bool PrepareControlFolder(SControlPaths& paths, std::string& strError)
{
    const std::string strRuntime = FindRuntimeFolder();
    paths.strFolder = !strRuntime.empty() ? strRuntime + "/quorbit" : FindFolderWithoutSession();
    paths.strSocket = paths.strFolder + "/control.socket";
    paths.strLock = paths.strFolder + "/control.lock";
    if (!FitsSocket(paths.strFolder))
    {
        strError = "the control socket's path is too long: " + paths.strSocket;
        return false;
    }
    return MakeFolders(paths.strFolder, strError) && CheckPrivateFolder(paths.strFolder, strError);
}

CFileDescriptor TakeControlLock(const SControlPaths& paths, bool& bHeld, std::string& strError)
{
    bHeld = false;
    CFileDescriptor lock(
        open(paths.strLock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!lock.IsOpen())
    {
        strError = DescribeErrno("cannot open", paths.strLock);
        return lock;
    }
    if (flock(lock.Get(), LOCK_EX | LOCK_NB) == 0)
        return lock;
    if (errno == EWOULDBLOCK)
        bHeld = true;
    else
        strError = DescribeErrno("cannot lock", paths.strLock);
    return {};
}

CControlClient::EConnect CControlClient::Connect(std::string& strError)
{
    // The running program takes the lock a moment before it listens; a client that comes in
    // between waits for it rather than starting a second program.
    constexpr auto kStartingWait = std::chrono::seconds(3);
    constexpr auto kRetry = std::chrono::milliseconds(20);
    SControlPaths paths;
    if (!PrepareControlFolder(paths, strError))
        return EConnect::Failed;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, paths.strSocket.c_str());
    const auto deadline = std::chrono::steady_clock::now() + kStartingWait;
    while (true)
    {
        m_socket = CFileDescriptor(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (!m_socket.IsOpen())
        {
            strError = DescribeErrno("cannot make a socket for", paths.strSocket);
            return EConnect::Failed;
        }
        if (connect(m_socket.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) ==
            0)
            return EConnect::Connected;
        bool bHeld = false;
        const CFileDescriptor lock = TakeControlLock(paths, bHeld, strError);
        if (!bHeld)
            return lock.IsOpen() ? EConnect::NoneRuns : EConnect::Failed;
        if (std::chrono::steady_clock::now() >= deadline)
        {
            strError =
                "a Quorbit holds " + paths.strLock + " but does not answer on " + paths.strSocket;
            return EConnect::Failed;
        }
        std::this_thread::sleep_for(kRetry);
    }
}

bool CControlClient::Request(const std::string& strLine, std::vector<std::string>& dataLines,
                             std::string& strLastLine, std::string& strError)
{
    dataLines.clear();
    const std::string strSent = strLine + "\n";
    for (std::size_t nSent = 0; nSent < strSent.size();)
    {
        const ssize_t nWritten =
            send(m_socket.Get(), strSent.data() + nSent, strSent.size() - nSent, MSG_NOSIGNAL);
        if (nWritten < 0 && errno == EINTR)
            continue;
        if (nWritten < 0)
        {
            // A program that turned the connection away has said why before closing it.
            const std::string strSendError = std::strerror(errno);
            if (ReadLine(strLastLine, strError) && strLastLine.starts_with("ERROR"))
                return true;
            strError = "the running Quorbit went away: " + strSendError;
            return false;
        }
        nSent += static_cast<std::size_t>(nWritten);
    }
    while (ReadLine(strLastLine, strError))
    {
        if (IsControlOk(strLastLine) || strLastLine.starts_with("ERROR"))
            return true;
        dataLines.push_back(strLastLine);
    }
    return false;
}

bool CControlClient::ReadLine(std::string& strLine, std::string& strError)
{
    while (true)
    {
        const std::size_t nEnd = m_strPending.find('\n');
        if (nEnd != std::string::npos)
        {
            strLine = m_strPending.substr(0, nEnd);
            m_strPending.erase(0, nEnd + 1);
            return true;
        }
        char buffer[4096];
        const ssize_t nRead = recv(m_socket.Get(), buffer, sizeof(buffer), 0);
        if (nRead < 0 && errno == EINTR)
            continue;
        if (nRead <= 0)
        {
            strError = "the running Quorbit closed the connection before it replied";
            return false;
        }
        m_strPending.append(buffer, static_cast<std::size_t>(nRead));
    }
}
