#include "control/CControlServer.h"

#include "base/CScopedCount.h"
#include "control/CControlHandler.h"
#include "control/ControlAnswers.h"
#include "control/ControlProtocol.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{
// Each costs a descriptor. When they are all taken, the one that has waited longest without a
// request makes room, so that clients which never close cannot lock the others out.
constexpr std::size_t kMaxConnections = 32;
// Replies wait in the program for a client that reads slowly; one that lets this much pile up
// while it sends more requests has stopped reading and is dropped.
constexpr std::size_t kMaxWaitingOutput = 64 * 1024;

bool ReadPeerUser(int nDescriptor, uid_t& nUser)
{
    ucred credentials{};
    socklen_t nSize = sizeof(credentials);
    if (getsockopt(nDescriptor, SOL_SOCKET, SO_PEERCRED, &credentials, &nSize) != 0)
        return false;
    nUser = credentials.uid;
    return true;
}
std::string FormatTooLong()
{
    return FormatControlError("too-long", "a request line holds at most " +
                                              std::to_string(kMaxControlLine) + " bytes");
}

void Refuse(const CFileDescriptor& socket, const std::string& strCode, const std::string& strText)
{
    const std::string strReply = FormatControlError(strCode, strText);
    send(socket.Get(), strReply.data(), strReply.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}
} // namespace

CControlServer::CControlServer() : m_readPeerUser(ReadPeerUser) {}

CControlServer::~CControlServer()
{
    if (m_listener.IsOpen())
        unlink(m_paths.strSocket.c_str());
}

CControlServer::EClaim CControlServer::Claim(std::string& strError)
{
    if (!PrepareControlFolder(m_paths, strError))
        return EClaim::Failed;
    bool bHeld = false;
    m_lock = TakeControlLock(m_paths, bHeld, strError);
    if (bHeld)
        return EClaim::AnotherRuns;
    return m_lock.IsOpen() ? EClaim::Claimed : EClaim::Failed;
}

bool CControlServer::Listen(CControlHandler& handler, std::string& strError)
{
    if (!m_lock.IsOpen())
    {
        strError = "another Quorbit owns the control socket";
        return false;
    }
    m_pHandler = &handler;
    // Whoever made a socket here before has let go of the lock: it is gone, and so is its
    // socket's listener.
    unlink(m_paths.strSocket.c_str());
    m_listener = CFileDescriptor(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, m_paths.strSocket.c_str());
    if (!m_listener.IsOpen() ||
        bind(m_listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(m_listener.Get(), SOMAXCONN) != 0)
    {
        strError = "cannot listen on " + m_paths.strSocket + ": " + std::strerror(errno);
        m_listener = CFileDescriptor();
        return false;
    }
    return true;
}

std::vector<int> CControlServer::GetWatchedDescriptors() const
{
    std::vector<int> descriptors;
    if (m_listener.IsOpen())
        descriptors.push_back(m_listener.Get());
    for (const auto& pConnection : m_connections)
    {
        if (!pConnection->IsAnswering() && !pConnection->bClosed)
            descriptors.push_back(pConnection->socket.Get());
    }
    return descriptors;
}

std::vector<int> CControlServer::GetWritingDescriptors() const
{
    std::vector<int> descriptors;
    for (const auto& pConnection : m_connections)
    {
        if (!pConnection->strOutput.empty() && !pConnection->bClosed)
            descriptors.push_back(pConnection->socket.Get());
    }
    return descriptors;
}

CControlServer::SConnection* CControlServer::FindConnection(int nDescriptor) const
{
    const auto it = std::find_if(m_connections.begin(), m_connections.end(),
                                 [&](const auto& pConnection)
                                 { return pConnection->socket.Get() == nDescriptor; });
    return it != m_connections.end() && !(*it)->bClosed ? it->get() : nullptr;
}

void CControlServer::OnReadable(int nDescriptor)
{
    if (m_listener.IsOpen() && nDescriptor == m_listener.Get())
        Accept();
    if (SConnection* pConnection = FindConnection(nDescriptor);
        pConnection != nullptr && !pConnection->IsAnswering())
        Serve(*pConnection);
    ForgetClosed();
}

void CControlServer::OnWritable(int nDescriptor)
{
    if (SConnection* pConnection = FindConnection(nDescriptor))
        Flush(*pConnection);
    ForgetClosed();
}

void CControlServer::ServeFor(int nMilliseconds)
{
    CWatchedSource* const sources[] = {this};
    ServeSources(sources, nMilliseconds);
}

void CControlServer::Accept()
{
    CFileDescriptor socket(accept4(m_listener.Get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!socket.IsOpen())
        return;
    uid_t nUser = 0;
    if (!m_readPeerUser(socket.Get(), nUser) || nUser != getuid())
        return Refuse(socket, "not-permitted", "only the user running Quorbit may control it");
    if (m_connections.size() >= kMaxConnections && !DropLongestIdle())
        return Refuse(socket, "busy", "too many connections are open");
    auto pConnection = std::make_unique<SConnection>();
    pConnection->socket = std::move(socket);
    pConnection->lastRequest = std::chrono::steady_clock::now();
    m_connections.push_back(std::move(pConnection));
}

bool CControlServer::DropLongestIdle()
{
    SConnection* pLongest = nullptr;
    for (const auto& pConnection : m_connections)
    {
        if (!pConnection->IsAnswering() &&
            (!pLongest || pConnection->lastRequest < pLongest->lastRequest))
            pLongest = pConnection.get();
    }
    if (!pLongest)
        return false;
    pLongest->bClosed = true;
    ForgetClosed();
    return true;
}

void CControlServer::Serve(SConnection& connection)
{
    if (!ReadInput(connection))
    {
        connection.bClosed = true;
        return;
    }
    AnswerLines(connection);
}

bool CControlServer::ReadInput(SConnection& connection)
{
    char buffer[4096];
    const ssize_t nRead = recv(connection.socket.Get(), buffer, sizeof(buffer), MSG_DONTWAIT);
    if (nRead < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    if (nRead == 0)
        return false;
    connection.strInput.append(buffer, static_cast<std::size_t>(nRead));
    connection.lastRequest = std::chrono::steady_clock::now();
    return true;
}

void CControlServer::AnswerLines(SConnection& connection)
{
    const CScopedCount answering(connection.nAnswering);
    while (!connection.bClosed && !connection.bAwaitingReply)
    {
        const std::size_t nEnd = connection.strInput.find('\n');
        if (nEnd == std::string::npos)
        {
            if (connection.strInput.size() > kMaxControlLine && !connection.bDiscarding)
            {
                Reply(connection, FormatTooLong());
                connection.bDiscarding = true;
            }
            if (connection.bDiscarding)
                connection.strInput.clear();
            return;
        }
        std::string strLine = connection.strInput.substr(0, nEnd);
        connection.strInput.erase(0, nEnd + 1);
        if (std::exchange(connection.bDiscarding, false))
            continue;
        if (!strLine.empty() && strLine.back() == '\r')
            strLine.pop_back();
        if (strLine.size() > kMaxControlLine)
            Reply(connection, FormatTooLong());
        else
            AnswerLater(connection, strLine);
    }
}

void CControlServer::AnswerLater(SConnection& connection, const std::string& strLine)
{
    // A FIRE may wait behind a firing; the connection's next requests wait for its reply, so
    // that replies come in the order of the requests. The connection stays while it waits.
    connection.bAwaitingReply = true;
    const std::weak_ptr<CControlServer*> alive = m_pAlive;
    SConnection* pConnection = &connection;
    AnswerControlLine(
        *m_pHandler, strLine,
        [alive, pConnection](const std::string& strReply)
        {
            if (const auto pSelf = alive.lock())
                (*pSelf)->Deliver(*pConnection, strReply);
        },
        MakeStream(connection));
}

std::function<bool(const std::string&)> CControlServer::MakeStream(SConnection& connection)
{
    const std::weak_ptr<CControlServer*> alive = m_pAlive;
    const std::weak_ptr<int> presence = connection.pPresence;
    SConnection* pConnection = &connection;
    return [alive, presence, pConnection](const std::string& strLine)
    {
        const auto pSelf = alive.lock();
        if (!pSelf || presence.expired() || pConnection->bClosed)
            return false;
        // A listener counts as busy, not idle, while presses come.
        pConnection->lastRequest = std::chrono::steady_clock::now();
        (*pSelf)->Reply(*pConnection, strLine);
        return true;
    };
}

void CControlServer::Deliver(SConnection& connection, const std::string& strReply)
{
    connection.bAwaitingReply = false;
    Reply(connection, strReply);
    // Answered later, from the loop: the requests it holds meanwhile are answered now.
    if (connection.nAnswering == 0)
        AnswerLines(connection);
}

void CControlServer::Reply(SConnection& connection, const std::string& strReply)
{
    if (connection.strOutput.size() > kMaxWaitingOutput)
    {
        connection.bClosed = true;
        return;
    }
    connection.strOutput += strReply;
    Flush(connection);
}

void CControlServer::Flush(SConnection& connection)
{
    std::size_t nSent = 0;
    while (nSent < connection.strOutput.size())
    {
        const ssize_t nWritten =
            send(connection.socket.Get(), connection.strOutput.data() + nSent,
                 connection.strOutput.size() - nSent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (nWritten < 0 && errno == EINTR)
            continue;
        if (nWritten < 0)
        {
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                connection.bClosed = true;
            break;
        }
        nSent += static_cast<std::size_t>(nWritten);
    }
    connection.strOutput.erase(0, nSent);
}

void CControlServer::ForgetClosed()
{
    // A connection whose request is being answered further up the stack stays until then.
    std::erase_if(m_connections, [](const auto& pConnection)
                  { return pConnection->bClosed && !pConnection->IsAnswering(); });
}
