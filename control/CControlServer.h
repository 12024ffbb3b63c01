#pragma once

#include "control/CWatchedSource.h"
#include "control/ControlSocket.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <sys/types.h>

class CControlHandler;

// The control socket of the program that runs first: it takes the lock, listens, and answers
// each connection's request lines through the handler, one request at a time. It never blocks
// on a client: the event loop watches the descriptors it names and calls OnReadable, and
// OnWritable for those with replies waiting to go out. A request whose answer takes a while (a
// firing) leaves that connection unwatched until it is answered, while other connections are
// served from the firing's waits.
class CControlServer : public CWatchedSource
{
public:
    enum class EClaim
    {
        Claimed,
        AnotherRuns,
        Failed,
    };

    CControlServer();
    ~CControlServer();
    CControlServer(const CControlServer&) = delete;
    CControlServer& operator=(const CControlServer&) = delete;

    // Takes the lock that makes this the running program; AnotherRuns when one has it.
    EClaim Claim(std::string& strError);
    // Once claimed: listens, answering through handler, which must outlive the listening.
    bool Listen(CControlHandler& handler, std::string& strError);
    bool IsClaimed() const { return m_lock.IsOpen(); }

    // The listening socket and every connection not in the middle of a request.
    std::vector<int> GetWatchedDescriptors() const override;
    void OnReadable(int nDescriptor) override;
    // Connections holding replies their client has not taken yet.
    std::vector<int> GetWritingDescriptors() const override;
    void OnWritable(int nDescriptor) override;
    // ServeSources for this server alone.
    void ServeFor(int nMilliseconds);

    // How a connection's user is found; tests stand in for the kernel's answer.
    using CPeerUserReader = std::function<bool(int nDescriptor, uid_t& nUser)>;
    void SetPeerUserReader(CPeerUserReader readPeerUser)
    {
        m_readPeerUser = std::move(readPeerUser);
    }

private:
    struct SConnection
    {
        CFileDescriptor socket;
        std::string strInput;
        std::string strOutput;       // replies the socket would not take yet
        int nAnswering = 0;          // its request is being answered
        bool bAwaitingReply = false; // its request waits for its turn to be answered
        bool bDiscarding = false;    // skipping the rest of a line that was too long
        bool bClosed = false;
        std::chrono::steady_clock::time_point lastRequest; // or when it connected
        // Held by what streams to it (a LISTEN): gone with the connection.
        std::shared_ptr<int> pPresence = std::make_shared<int>(0);

        // Neither read from nor dropped while a request of its is being answered.
        bool IsAnswering() const { return nAnswering != 0 || bAwaitingReply; }
    };

    void Accept();
    // Closes the connection that has been idle longest; false when every one is answering.
    bool DropLongestIdle();
    void Serve(SConnection& connection);
    bool ReadInput(SConnection& connection);
    // Answers the complete lines waiting in the connection's input.
    void AnswerLines(SConnection& connection);
    // Answers one request line, now or when its turn comes.
    void AnswerLater(SConnection& connection, const std::string& strLine);
    void Deliver(SConnection& connection, const std::string& strReply);
    void Reply(SConnection& connection, const std::string& strReply);
    // Where a LISTEN of the connection streams its lines.
    std::function<bool(const std::string&)> MakeStream(SConnection& connection);
    // Hands the socket as much of the waiting replies as it takes without waiting.
    static void Flush(SConnection& connection);
    SConnection* FindConnection(int nDescriptor) const;
    void ForgetClosed();

    CControlHandler* m_pHandler = nullptr;
    SControlPaths m_paths;
    CFileDescriptor m_lock;
    CFileDescriptor m_listener;
    CPeerUserReader m_readPeerUser;
    std::vector<std::unique_ptr<SConnection>> m_connections;
    // Held by the replies that wait in the handler's queue, which may outlive the server.
    std::shared_ptr<CControlServer*> m_pAlive = std::make_shared<CControlServer*>(this);
};
