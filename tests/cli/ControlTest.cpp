#include "cli/CHeadlessRunner.h"
#include "cli/CRunningQuorbit.h"
#include "cli/CliTestSupport.h"
#include "cli/ControlCommands.h"
#include "cli/ListingTestDocument.h"
#include "control/CControlServer.h"
#include "control/ControlProtocol.h"
#include "control/ControlSocket.h"
#include "device/CDeviceFactory.h"
#include "device/CInfraredDevice.h"
#include "device/CSimulatedClock.h"
#include "document/CQbFile.h"
#include "document/CSafeFile.h"
#include "engine/CFiringEngine.h"
#include "engine/CTickSource.h"
#include "support/CPrivateRuntime.h"
#include "support/CRecordingDevice.h"
#include "support/CScriptedTickSource.h"
#include "support/CTempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
const std::string kExample = QUORBIT_FIXTURES "/example.qb";
const std::string kLivingRoom = QUORBIT_EXAMPLES "/living-room.qb";

struct SRequestCase
{
    std::string strLine;
    std::string strReplyStart; // "" when the line is a request
    std::vector<std::string> arguments;
};

TEST(ControlProtocolTest, LinesAreRequestsOrGetTheirError)
{
    const std::vector<SRequestCase> cases = {
        {"FIRE TV Power", "", {"TV", "Power"}},
        {"  fire\t\"Living room\"  \"Vol \\\"+\\\"\"", "", {"Living room", "Vol \"+\""}},
        {"OPEN \"/home/a b/c\\\\d.qb\"", "", {"/home/a b/c\\d.qb"}},
        {"FIRE \"\" x", "", {"", "x"}},
        {"status", "", {}},
        {"", "ERROR malformed the line is empty", {}},
        {"HELLO", "ERROR unknown-command", {}},
        {"FIRE TV", "ERROR malformed FIRE takes 2 words", {}},
        {"hold TV \"Vol +\" 800", "", {"TV", "Vol +", "800"}},
        {"HOLD TV Vol+", "ERROR malformed HOLD takes 3 words", {}},
        {"LIST now", "ERROR malformed LIST takes 0 words", {}},
        {"FIRE \"TV Power", "ERROR malformed a quote is not closed", {}},
        {"FIRE \"TV\"x y", "ERROR malformed a closing quote must end its word", {}},
        {"FIRE T\"V y", "ERROR malformed a word with quotes", {}},
        {"FIRE \"a\\n\" y", "ERROR malformed only", {}},
        {std::string("FIRE T\0V y", 10), "ERROR malformed the line holds control characters", {}},
        {"FIRE \x7f y", "ERROR malformed the line holds control characters", {}},
    };
    for (const SRequestCase& test : cases)
    {
        SControlRequest request;
        std::string strReply;
        const bool bParsed = ParseControlRequest(test.strLine, request, strReply);
        EXPECT_EQ(bParsed, test.strReplyStart.empty()) << test.strLine;
        if (bParsed)
            EXPECT_EQ(request.arguments, test.arguments) << test.strLine;
        else
            EXPECT_TRUE(strReply.starts_with(test.strReplyStart) && strReply.ends_with("\n"))
                << test.strLine << " -> " << strReply;
    }
}

TEST(ControlProtocolTest, QuotedWordsReadBackAsWritten)
{
    for (const std::string strWord :
         {"Power", "", "Living room", "a\"b", "back\\slash", "tab\there", "\xc3\xa9t\xc3\xa9"})
    {
        std::vector<std::string> words;
        std::string strError;
        ASSERT_TRUE(SplitControlWords("X " + QuoteControlWord(strWord), words, strError))
            << strWord << ": " << strError;
        EXPECT_EQ(words, (std::vector<std::string>{"X", strWord}));
    }
    // A file name with a newline must not break a reply line.
    EXPECT_EQ(QuoteControlWord("a\nb"), "\"a?b\"");
}

// The runner as the fire tests need it: its engine within reach.
class CControlledRunner : public CHeadlessRunner
{
public:
    using CHeadlessRunner::CHeadlessRunner;
    using CHeadlessRunner::GetControlEngine;
};

class ControlTest : public ::testing::Test
{
protected:
    CFileDescriptor ConnectRaw() const
    {
        CFileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM, 0));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, m_runtime.GetSocket().c_str());
        EXPECT_EQ(connect(socket.Get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        return socket;
    }

    // Writes raw bytes to the socket and reads until the peer has answered nLines lines.
    std::string Converse(const std::string& strBytes, int nLines) const
    {
        const CFileDescriptor socket = ConnectRaw();
        send(socket.Get(), strBytes.data(), strBytes.size(), MSG_NOSIGNAL);
        std::string strReply;
        char buffer[4096];
        while (std::count(strReply.begin(), strReply.end(), '\n') < nLines)
        {
            const ssize_t nRead = recv(socket.Get(), buffer, sizeof(buffer), 0);
            if (nRead <= 0)
                break;
            strReply.append(buffer, static_cast<std::size_t>(nRead));
        }
        return strReply;
    }

    CPrivateRuntime m_runtime;
};

TEST_F(ControlTest, ProgramsStartedBesideTheRunningOneGoThroughIt)
{
    const CRunningQuorbit running(kExample, true);
    const CTempFolder folder;
    const std::string strOther = folder.File("other.qb");
    WriteFileBytes(strOther, ReadFileBytes(kExample));

    // A second start hands its file over and ends.
    EXPECT_EQ(RunQuorbit({strOther}).nExitStatus, 0);
    EXPECT_EQ(running.GetOpened(), std::filesystem::canonical(strOther).string());

    const SProcessResult run = RunQuorbit({"--run", strOther});
    EXPECT_EQ(run.nExitStatus, 1);
    EXPECT_NE(run.strErr.find("already running with " + kExample), std::string::npos) << run.strErr;

    EXPECT_EQ(RunQuorbit({"--send", "TV", "Power"}).nExitStatus, 0);
    EXPECT_GT(running.GetDevice().GetLastTransmitNanosPerSample(), 0);
    const SProcessResult unknown = RunQuorbit({"--send", "TV", "Mute"});
    EXPECT_EQ(unknown.nExitStatus, 1);
    EXPECT_EQ(unknown.strErr, "quorbit: cannot fire TV Mute: TV has no button named Mute\n");

    // --fire goes through the running program for its file, and leaves the unit to it otherwise.
    EXPECT_EQ(RunQuorbit({"--fire", kExample, "TV", "Power"}).nExitStatus, 0);
    EXPECT_EQ(RunQuorbit({"--fire", strOther, "TV", "Power"}).nExitStatus, 1);

    const SProcessResult status = RunQuorbit({"--status"});
    EXPECT_EQ(status.nExitStatus, 0);
    EXPECT_NE(status.strOut.find("DOCUMENT " + kExample + "\n"), std::string::npos)
        << status.strOut;
}

TEST_F(ControlTest, WithoutARunningQuorbitScriptsAreToldOrFireStraightFromTheFile)
{
    const SProcessResult status = RunQuorbit({"--status"});
    EXPECT_EQ(status.nExitStatus, 1);
    EXPECT_EQ(status.strOut, "");
    EXPECT_EQ(status.strErr, "quorbit: no Quorbit is running\n");
    const SProcessResult send = RunQuorbit({"--send", "TV", "Power"});
    EXPECT_EQ(send.nExitStatus, 1);
    EXPECT_NE(send.strErr.find("no Quorbit is running"), std::string::npos) << send.strErr;
    EXPECT_EQ(RunQuorbit({"--fire", kExample, "TV", "Power", "--device", "sim"}).nExitStatus, 0);
}

// --hold goes as HOLD to the running Quorbit, or straight from the file; the simulated unit
// plays at most one recording of 0.4 s, so a longer hold is refused there with the reason.
TEST_F(ControlTest, AHoldGoesThroughTheRunningQuorbitOrStraightFromTheFile)
{
    const std::string strTooLong =
        "quorbit: cannot fire TV Power: simulated plays at most 400 ms at a time";
    {
        const CRunningQuorbit running(kExample, false);
        EXPECT_EQ(RunQuorbit({"--send", "TV", "Power", "--hold", "300"}).nExitStatus, 0);
        const SProcessResult tooLong = RunQuorbit({"--send", "TV", "Power", "--hold", "800"});
        EXPECT_EQ(tooLong.nExitStatus, 1);
        EXPECT_TRUE(tooLong.strErr.starts_with(strTooLong)) << tooLong.strErr;
        EXPECT_EQ(Converse("HOLD TV Power 300\nHOLD TV Power 1e3\nHOLD TV Power 10001\n", 3),
                  "OK held TV Power for 300 ms\n"
                  "ERROR malformed HOLD takes a number of milliseconds, not 1e3\n"
                  "ERROR cannot-hold a hold lasts at most 10000 ms, not 10001 ms\n");
    }
    EXPECT_EQ(RunQuorbit({"--fire", kExample, "TV", "Power", "--device", "sim", "--hold", "300"})
                  .nExitStatus,
              0);
    const SProcessResult tooLong =
        RunQuorbit({"--fire", kExample, "TV", "Power", "--device", "sim", "--hold", "800"});
    EXPECT_EQ(tooLong.nExitStatus, 1);
    EXPECT_TRUE(tooLong.strErr.starts_with(strTooLong)) << tooLong.strErr;
}

TEST_F(ControlTest, AStaleSocketIsReplaced)
{
    // What a program that crashed leaves: a socket file that nobody listens on.
    SControlPaths paths;
    std::string strError;
    ASSERT_TRUE(PrepareControlFolder(paths, strError)) << strError;
    const int nStale = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, paths.strSocket.c_str());
    ASSERT_EQ(bind(nStale, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    close(nStale);

    const CRunningQuorbit running(kExample, false);
    EXPECT_TRUE(Converse("STATUS\n", 9).ends_with("\nOK\n"));
}

// Another user could empty or replace such a folder, and the lock in it with it.
TEST_F(ControlTest, WithoutAFolderOfItsOwnNoQuorbitStarts)
{
    SControlPaths paths;
    std::string strError;
    ASSERT_TRUE(PrepareControlFolder(paths, strError)) << strError;
    std::string strExpected = paths.strFolder + " is not a folder";
    ASSERT_EQ(rmdir(paths.strFolder.c_str()), 0);
    CFileDescriptor(open(paths.strFolder.c_str(), O_CREAT | O_WRONLY, 0600));
    for (const bool bOtherUser : {false, true})
    {
        if (bOtherUser)
        {
            if (geteuid() != 0)
                continue; // only root can give a folder to another user
            ASSERT_EQ(unlink(paths.strFolder.c_str()), 0);
            ASSERT_EQ(mkdir(paths.strFolder.c_str(), 0700), 0);
            ASSERT_EQ(chown(paths.strFolder.c_str(), 65534, 65534), 0);
            strExpected = paths.strFolder + " belongs to ";
        }
        CControlServer run;
        EXPECT_FALSE(ClaimOrRefuseRun(run));
        CControlServer window;
        int nExitCode = 0;
        std::string strRefusal;
        EXPECT_FALSE(ClaimOrHandOver(window, "", nExitCode, strRefusal));
        EXPECT_EQ(nExitCode, 1);
        EXPECT_NE(strRefusal.find(strExpected), std::string::npos) << strRefusal;
    }
}

// Needs root, to act as a user without a session folder and as another user who made that
// user's folder in /tmp first.
TEST(ControlFolderTest, WithoutASessionFolderTheLockIsInTheUsersOwnFolder)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can act as two other users";
    constexpr uid_t kUser = 65534;
    constexpr uid_t kIntruder = 65533;
    if (access(("/run/user/" + std::to_string(kUser)).c_str(), F_OK) == 0)
        GTEST_SKIP() << "the user has a session folder";
    const std::string strPlanted = "/tmp/quorbit-" + std::to_string(kUser);
    struct stat status
    {
    };
    if (lstat(strPlanted.c_str(), &status) == 0 && status.st_uid == kUser)
        GTEST_SKIP() << strPlanted << " is the user's own";
    const bool bPlant = lstat(strPlanted.c_str(), &status) != 0;
    if (bPlant)
    {
        ASSERT_EQ(mkdir(strPlanted.c_str(), 0755), 0);
        ASSERT_EQ(chown(strPlanted.c_str(), kIntruder, kIntruder), 0);
    }
    const CTempFolder home;
    ASSERT_EQ(chown(home.GetPath().c_str(), kUser, kUser), 0);
    const std::string strExpected = home.File(".local/state/quorbit/run");

    // What the user's --run and a second program of the user find, as exit codes.
    enum EOutcome
    {
        kRuns,
        kRefused,
        kSecondMissesIt,
        kOtherFolder,
        kNotPrivate,
        kNotTheUser,
    };
    const pid_t nChild = fork();
    ASSERT_GE(nChild, 0);
    if (nChild == 0)
    {
        unsetenv("XDG_RUNTIME_DIR");
        unsetenv("XDG_STATE_HOME");
        setenv("HOME", home.GetPath().c_str(), 1);
        if (setgid(kUser) != 0 || setuid(kUser) != 0)
            _exit(kNotTheUser);
        CControlServer run;
        if (!ClaimOrRefuseRun(run))
            _exit(kRefused);
        CControlServer second;
        std::string strError;
        SControlPaths paths;
        if (second.Claim(strError) != CControlServer::EClaim::AnotherRuns)
            _exit(kSecondMissesIt);
        if (!PrepareControlFolder(paths, strError) || paths.strFolder != strExpected)
            _exit(kOtherFolder);
        struct stat folder
        {
        };
        if (lstat(paths.strFolder.c_str(), &folder) != 0 || folder.st_uid != kUser ||
            (folder.st_mode & 07777) != 0700)
            _exit(kNotPrivate);
        _exit(kRuns);
    }
    int nStatus = 0;
    waitpid(nChild, &nStatus, 0);
    if (bPlant)
        rmdir(strPlanted.c_str());
    ASSERT_TRUE(WIFEXITED(nStatus));
    EXPECT_EQ(WEXITSTATUS(nStatus), kRuns);
}

TEST_F(ControlTest, AnotherUsersConnectionIsRefused)
{
    const CRunningQuorbit running(kExample, false,
                                  [](int, uid_t& nUser)
                                  {
                                      nUser = getuid() + 1;
                                      return true;
                                  });
    EXPECT_EQ(Converse("FIRE TV Power\n", 1),
              "ERROR not-permitted only the user running Quorbit may control it\n");
    EXPECT_EQ(running.GetDevice().GetLastTransmitNanosPerSample(), 0);
}

// Clients that connect and never close must not lock the others out.
TEST_F(ControlTest, IdleConnectionsMakeRoomForNewOnes)
{
    const CRunningQuorbit running(kExample, false);
    std::vector<CFileDescriptor> idle;
    for (int nClient = 0; nClient < 40; ++nClient)
        idle.push_back(ConnectRaw());
    EXPECT_TRUE(Converse("LIST\n", 3).ends_with("\nOK\n"));
}

// A client that is slow to read must hold up neither the program nor the others: its replies
// wait in the program until it takes them, and one that lets them pile up is dropped. Served
// on this thread, a reply that waited for the client would stall the test itself.
TEST_F(ControlTest, RepliesWaitForASlowReaderWithoutHoldingTheProgramUp)
{
    // A listing far larger than the socket holds.
    constexpr int kButtons = 12000;
    CRemoteMap remotes;
    auto pRemote = std::make_unique<CRemote>("Big", 0, 0);
    for (int nButton = 0; nButton < kButtons; ++nButton)
        pRemote->AddButton(std::make_unique<CRemoteButton>("B" + std::to_string(nButton), false))
            .m_strDescription = std::string(kMaxEventName, 'd');
    remotes.emplace("Big", std::move(pRemote));
    std::vector<std::uint8_t> bytes;
    SQbStoreError storeError;
    ASSERT_TRUE(StoreQbFile(&remotes, nullptr, bytes, storeError));
    const CTempFolder folder;
    const std::string strPath = folder.File("big.qb");
    std::string strError;
    ASSERT_TRUE(CSafeFile().SaveWithBackup(strPath, bytes, strError)) << strError;

    CSimulatedClock clock(CTime(2026, 12, 7, 12, 0, 0));
    CSteadyTickSource ticks;
    const std::unique_ptr<CInfraredDevice> pDevice =
        CreateInfraredDevice("sim", kHeadlessPort, strError);
    std::FILE* pOut = std::fopen("/dev/null", "w");
    CHeadlessRunner runner(strPath, *pDevice, clock, ticks, pOut, pOut);
    ASSERT_TRUE(runner.Start());
    CControlServer server;
    ASSERT_EQ(server.Claim(strError), CControlServer::EClaim::Claimed) << strError;
    ASSERT_TRUE(server.Listen(runner, strError)) << strError;

    // Reads what the server sends while it serves, until the connection ends or nLines came.
    const auto readWhileServing = [&server](const CFileDescriptor& socket, int nLines)
    {
        std::string strReply;
        char buffer[65536];
        while (std::count(strReply.begin(), strReply.end(), '\n') < nLines)
        {
            server.ServeFor(10);
            const ssize_t nRead = recv(socket.Get(), buffer, sizeof(buffer), MSG_DONTWAIT);
            if (nRead == 0 || (nRead < 0 && errno != EAGAIN))
                break;
            if (nRead > 0)
                strReply.append(buffer, static_cast<std::size_t>(nRead));
        }
        return strReply;
    };
    for (const int nRequests : {1, 2})
    {
        const CFileDescriptor socket = ConnectRaw();
        std::string strRequests;
        for (int nRequest = 0; nRequest < nRequests; ++nRequest)
            strRequests += "LIST\n";
        send(socket.Get(), strRequests.data(), strRequests.size(), MSG_NOSIGNAL);
        // Accepted, then answered, before the client reads a byte.
        server.ServeFor(100);
        server.ServeFor(100);
        const std::string strReply = readWhileServing(socket, (kButtons + 2) * nRequests);
        if (nRequests == 1)
            EXPECT_TRUE(strReply.ends_with(std::string(kMaxEventName, 'd') + "\nOK\n"));
        else
            EXPECT_LT(std::count(strReply.begin(), strReply.end(), '\n'), (kButtons + 2) * 2);
        EXPECT_TRUE(server.GetWritingDescriptors().empty());
    }
    std::fclose(pOut);
}

// A sequence of presses from a hub must not lose a step to a firing in progress: requests
// that come while a megabutton plays wait their turn and fire in the order they came, each
// client answered once its button went out; a connection's second request waits for its first.
TEST_F(ControlTest, FiresThatComeDuringAMegabuttonWaitTheirTurnInOrder)
{
    const CTempFolder folder;
    const std::string strPath = folder.File("queue.qb");
    {
        CListingTestDocument document;
        CRemote& tv = document.AddRemote("TV", 0);
        for (int nButton = 0; nButton < 5; ++nButton)
            document.AddButton(tv, "B" + std::to_string(nButton),
                               std::string(1, static_cast<char>(nButton + 1)));
        CRemoteButton& b0 = *tv.FindButton("B0");
        document.AddMegabutton(tv, "Long", kNotPlacedColumn, kNotPlacedRow).m_steps = {
            {&tv, &b0, 0}, {&tv, &b0, 0}};
        ASSERT_TRUE(document.m_doc.OnSaveDocument(strPath));
    }
    CSimulatedClock clock(CTime(2026, 12, 7, 12, 0, 0));
    CSteadyTickSource ticks;
    CScriptedTickSource stamps; // the device's own, for what it records
    CRecordingDevice device(stamps);
    std::FILE* pOut = std::fopen("/dev/null", "w");
    CHeadlessRunner runner(strPath, device, clock, ticks, pOut, pOut);
    ASSERT_TRUE(runner.Start());
    CControlServer server;
    std::string strError;
    ASSERT_EQ(server.Claim(strError), CControlServer::EClaim::Claimed) << strError;
    ASSERT_TRUE(server.Listen(runner, strError)) << strError;

    // What a client has been sent within a while, the server served meanwhile on this thread.
    const auto readReplies = [&server](const CFileDescriptor& client, std::ptrdiff_t nLines)
    {
        std::string strReply;
        char buffer[4096];
        for (int nTry = 0;
             nTry < 300 && std::count(strReply.begin(), strReply.end(), '\n') < nLines; ++nTry)
        {
            server.ServeFor(10);
            const ssize_t nRead = recv(client.Get(), buffer, sizeof buffer, MSG_DONTWAIT);
            if (nRead > 0)
                strReply.append(buffer, static_cast<std::size_t>(nRead));
        }
        return strReply;
    };
    // While Long plays: B4 and B3 from one client, then B1, then B2, each read before the next
    // is sent, and a STATUS, answered at once.
    std::vector<CFileDescriptor> clients;
    std::string strStatus;
    const auto sendAndWaitQueued = [&](const std::string& strLines, std::size_t nQueued)
    {
        clients.push_back(ConnectRaw());
        send(clients.back().Get(), strLines.data(), strLines.size(), MSG_NOSIGNAL);
        for (int nTry = 0; nTry < 300 && runner.GetStatus().nQueuedFires < nQueued; ++nTry)
            server.ServeFor(10);
    };
    bool bSent = false;
    runner.SetIdleWait(
        [&](std::uint32_t nMaxWaitMs)
        {
            if (!std::exchange(bSent, true))
            {
                sendAndWaitQueued("FIRE TV B4\nFIRE TV B3\n", 1);
                sendAndWaitQueued("FIRE TV B1\n", 2);
                sendAndWaitQueued("FIRE TV B2\n", 3);
                const CFileDescriptor asking = ConnectRaw();
                send(asking.Get(), "STATUS\n", 7, MSG_NOSIGNAL);
                strStatus = readReplies(asking, 11);
            }
            server.ServeFor(static_cast<int>(nMaxWaitMs));
        });
    const CFileDescriptor starter = ConnectRaw();
    send(starter.Get(), "FIRE TV Long\n", 13, MSG_NOSIGNAL);
    for (int nTry = 0; nTry < 500 && device.m_sent.size() < 6; ++nTry)
        server.ServeFor(10);

    std::vector<std::uint8_t> order;
    for (const CRecordingDevice::STransmission& sent : device.m_sent)
        order.push_back(sent.bytes.at(0));
    EXPECT_EQ(order, (std::vector<std::uint8_t>{1, 1, 5, 2, 3, 4}));
    EXPECT_NE(strStatus.find("FIRING yes\n"), std::string::npos) << strStatus;
    EXPECT_NE(strStatus.find("QUEUED 3\n"), std::string::npos) << strStatus;
    const std::vector<std::string> replies = {"OK fired TV B4\nOK fired TV B3\n",
                                              "OK fired TV B1\n", "OK fired TV B2\n"};
    for (std::size_t nClient = 0; nClient < clients.size(); ++nClient)
        EXPECT_EQ(readReplies(clients[nClient], nClient == 0 ? 2 : 1), replies[nClient]);
    std::fclose(pOut);
}

TEST_F(ControlTest, MalformedRequestsAreAnsweredAndServingGoesOn)
{
    const CRunningQuorbit running(kExample, false);
    const std::string strReply = Converse(
        "\x01\x02\xff\n" + std::string(kMaxControlLine + 100, 'x') + "\nFIRE \"TV\nLIST\n", 6);
    EXPECT_EQ(strReply, "ERROR malformed the line holds control characters or binary data\n"
                        "ERROR too-long a request line holds at most 4096 bytes\n"
                        "ERROR malformed a quote is not closed\n"
                        "REMOTE TV\nBUTTON TV Power learned\nOK\n");
}

TEST(ControlFireTest, AFireSaysWhetherItWasSentAndWhyNot)
{
    CSimulatedClock clock(CTime(2026, 12, 7, 12, 0, 0));
    CSteadyTickSource ticks;
    std::string strError;
    const std::unique_ptr<CInfraredDevice> pDevice =
        CreateInfraredDevice("sim", kHeadlessPort, strError);
    std::FILE* pOut = std::fopen("/dev/null", "w");
    CControlledRunner runner(kLivingRoom, *pDevice, clock, ticks, pOut, pOut);
    ASSERT_TRUE(runner.Start());
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"Radio", "Power", "ERROR unknown-remote no remote is named Radio\n"},
        {"TV", "Nope", "ERROR unknown-button TV has no button named Nope\n"},
        {"TV", "Teletext", "ERROR not-learned the button has not been learned\n"},
        {"TV", "\xff", "ERROR malformed names are UTF-8 text of characters a document can hold\n"},
        {"TV", "Power", "OK fired TV Power\n"},
    };
    for (const auto& [strRemote, strButton, strReply] : cases)
        EXPECT_EQ(FormatControlResult(runner.Fire(strRemote, strButton)), strReply) << strButton;
    {
        const CScopedCount firing = runner.GetControlEngine().EnterFiringScope();
        EXPECT_EQ(FormatControlResult(runner.Fire("TV", "Power")),
                  "ERROR busy another firing is in progress\n");
    }
    std::fclose(pOut);
}
} // namespace
