// A hub's burst while a megabutton plays: 10 clients on the control socket each send 100 FIRE
// requests on one connection, without waiting for replies, while a megabutton of about a
// second plays. Reports how many fired and were refused, whether each client's requests went
// out in the order it sent them, and how long the queue took to empty once it could.
#include "cli/CHeadlessRunner.h"
#include "control/CControlServer.h"
#include "device/CDeviceFactory.h"
#include "device/CInfraredDevice.h"
#include "document/CQbFile.h"
#include "document/CRemote.h"
#include "document/CSafeFile.h"
#include "engine/CTickSource.h"
#include "support/CPrivateRuntime.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <sstream>
#include <thread>
#include <vector>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{
using CClock = std::chrono::steady_clock;

constexpr int kClients = 10;
constexpr int kRequestsEach = 100;
constexpr int kButtonsEach = 10;

// A unit that plays nothing and notes the first byte of each transmission: which client's
// which button.
class CNotingDevice : public CInfraredDevice
{
public:
    void EnableDetector() override {}
    int ReadDetectorLine() override { return 0; }
    void CaptureBitstream(std::uint8_t*, std::uint32_t& nLength) override { nLength = 0; }
    void TransmitBitstream(const std::uint8_t* pSrc, std::uint32_t) override
    {
        m_sent.push_back(pSrc[0]);
        m_times.push_back(CClock::now());
        m_nSent = m_sent.size();
    }
    double LoopBackBitstream(std::uint8_t*, std::uint32_t) override { return 0; }
    const char* GetBackendName() const override { return "noting"; }

    std::vector<std::uint8_t> m_sent;
    std::vector<CClock::time_point> m_times;
    std::atomic<std::size_t> m_nSent = 0;
};

// Remote Rc holds buttons B0 to B9, whose signal's first byte is c * 10 + k + 1; remote Show
// holds Long, which plays R0's B0 twice half a second apart.
std::string WriteDocument(const std::string& strPath)
{
    CRemoteMap remotes;
    for (int nClient = 0; nClient < kClients; ++nClient)
    {
        auto pRemote = std::make_unique<CRemote>("R" + std::to_string(nClient), 0, nClient);
        for (int nButton = 0; nButton < kButtonsEach; ++nButton)
        {
            auto pButton = std::make_unique<CRemoteButton>("B" + std::to_string(nButton), false);
            pButton->m_bits = CBitstream(std::vector<std::uint8_t>{
                static_cast<std::uint8_t>(nClient * kButtonsEach + nButton + 1), 0});
            pRemote->AddButton(std::move(pButton));
        }
        remotes.emplace(pRemote->m_strName, std::move(pRemote));
    }
    CRemote& first = *remotes.at("R0");
    auto pShow = std::make_unique<CRemote>("Show", 0, kClients);
    auto pLong = std::make_unique<CRemoteButton>("Long", true);
    pLong->m_steps = {{&first, first.FindButton("B0"), 0}, {&first, first.FindButton("B0"), 0}};
    pShow->AddButton(std::move(pLong));
    remotes.emplace("Show", std::move(pShow));
    std::vector<std::uint8_t> bytes;
    SQbStoreError storeError;
    std::string strError;
    if (!StoreQbFile(&remotes, nullptr, bytes, storeError) ||
        !CSafeFile().SaveWithBackup(strPath, bytes, strError))
        return "cannot write the document: " + strError;
    return {};
}

int Connect(const std::string& strSocket)
{
    const int nSocket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, strSocket.c_str());
    if (connect(nSocket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0)
    {
        ::close(nSocket);
        return -1;
    }
    return nSocket;
}

// Sends the client's requests in one go and reads its replies; counts the OKs and the refusals.
void RunClient(const std::string& strSocket, int nClient, std::atomic<int>& nOk,
               std::atomic<int>& nRefused)
{
    const int nSocket = Connect(strSocket);
    if (nSocket < 0)
        return;
    std::string strRequests;
    for (int nRequest = 0; nRequest < kRequestsEach; ++nRequest)
        strRequests += "FIRE R" + std::to_string(nClient) + " B" +
                       std::to_string(nRequest % kButtonsEach) + "\n";
    send(nSocket, strRequests.data(), strRequests.size(), MSG_NOSIGNAL);
    std::string strReplies;
    char buffer[4096];
    while (std::count(strReplies.begin(), strReplies.end(), '\n') < kRequestsEach)
    {
        const ssize_t nRead = recv(nSocket, buffer, sizeof buffer, 0);
        if (nRead <= 0)
            break;
        strReplies.append(buffer, static_cast<std::size_t>(nRead));
    }
    std::istringstream replies(strReplies);
    for (std::string strLine; std::getline(replies, strLine);)
        ++(strLine.starts_with("OK ") ? nOk : nRefused);
    ::close(nSocket);
}

// Whether each client's buttons went out in the order the client sent them.
bool EachClientInOrder(const std::vector<std::uint8_t>& sent)
{
    std::vector<int> next(kClients, 0);
    for (const std::uint8_t nByte : sent)
    {
        const int nClient = (nByte - 1) / kButtonsEach;
        const int nButton = (nByte - 1) % kButtonsEach;
        if (nButton != next[static_cast<std::size_t>(nClient)] % kButtonsEach)
            return false;
        ++next[static_cast<std::size_t>(nClient)];
    }
    return true;
}

void FireBurstDuringMegabutton(benchmark::State& state)
{
    const CPrivateRuntime runtime;
    const CTempFolder folder;
    const std::string strPath = folder.File("burst.qb");
    if (const std::string strProblem = WriteDocument(strPath); !strProblem.empty())
        return state.SkipWithError(strProblem.c_str());
    std::string strError;
    const auto pClock = CreateClockBackend("", strError);
    CNotingDevice device;
    CSteadyTickSource ticks;
    std::FILE* pOut = std::fopen("/dev/null", "w");
    CHeadlessRunner runner(strPath, device, *pClock, ticks, pOut, stderr);
    CControlServer server;
    if (!runner.Start() || server.Claim(strError) != CControlServer::EClaim::Claimed ||
        !server.Listen(runner, strError))
        return state.SkipWithError(("cannot serve: " + strError).c_str());
    runner.SetIdleWait([&server](std::uint32_t nMaxWaitMs)
                       { server.ServeFor(static_cast<int>(nMaxWaitMs)); });

    std::atomic<int> nOk = 0, nRefused = 0;
    double fDrainMs = 0;
    for (auto _ : state)
    {
        // Long starts; once its first step went out, the clients send their bursts.
        const int nStarter = Connect(runtime.GetSocket());
        send(nStarter, "FIRE Show Long\n", 15, MSG_NOSIGNAL);
        std::vector<std::thread> clients;
        std::thread starter(
            [&]
            {
                while (device.m_nSent == 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                for (int nClient = 0; nClient < kClients; ++nClient)
                    clients.emplace_back(RunClient, runtime.GetSocket(), nClient, std::ref(nOk),
                                         std::ref(nRefused));
            });
        const std::size_t nExpected = 2 + kClients * kRequestsEach;
        while (device.m_nSent < nExpected && nOk + nRefused < kClients * kRequestsEach)
        {
            server.ServeFor(10);
            runner.ServeQueuedFires();
        }
        starter.join();
        for (std::thread& client : clients)
            client.join();
        ::close(nStarter);
        // From the first waiting request's firing, once Long was over, to the last one's.
        if (device.m_times.size() > 2)
            fDrainMs =
                std::chrono::duration<double, std::milli>(device.m_times.back() - device.m_times[2])
                    .count();
    }
    std::vector<std::uint8_t> requests(device.m_sent.begin() + 2, device.m_sent.end());
    state.counters["fired"] = static_cast<double>(requests.size());
    state.counters["refused"] = nRefused.load();
    state.counters["in_order"] = EachClientInOrder(requests) ? 1 : 0;
    state.counters["drain_ms"] = fDrainMs;
    std::fclose(pOut);
}
BENCHMARK(FireBurstDuringMegabutton)->Iterations(1)->Unit(benchmark::kMillisecond);
} // namespace
