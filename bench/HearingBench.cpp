// What listening costs: from the end of a frame on the (fake) lirc receiver to the hub's
// receiver message on the broker, 1,000 presses; and the processor time of one second of the
// headless loop while nothing is heard.
#include "cli/CHeadlessRunner.h"
#include "control/CMqttService.h"
#include "device/CDeviceFactory.h"
#include "device/CLircDevice.h"
#include "engine/CTickSource.h"
#include "signal/SignalFrames.h"
#include "support/CFakeLircSystem.h"
#include "support/CMosquittoBroker.h"
#include "support/CMqttTestClient.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <sys/resource.h>

namespace
{
using CClock = std::chrono::steady_clock;

constexpr int kPresses = 1000;
const std::string kReceived = "quorbit/living-room/infrared/received";

double Percentile(std::vector<double> values, double fShare)
{
    std::ranges::sort(values);
    return values[static_cast<std::size_t>(fShare * static_cast<double>(values.size() - 1))];
}

// NEC address 0x04 (0xFB04 with its inverse) and the command, as the remote sends it.
std::vector<std::uint32_t> NecFrame(std::uint8_t nCommand)
{
    return SignalFrames::Nec(0xFB04, nCommand);
}

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The sample document run headless on a lirc receiver, joined to a broker of its own.
struct SHearingRun
{
    CMosquittoBroker broker;
    std::unique_ptr<CClockBackend> pClock;
    CFakeLircSystem system;
    CFakeLircSystem::SDevice& fake = system.AddDevice("/dev/lirc0");
    std::unique_ptr<CLircDevice> pDevice;
    CSteadyTickSource ticks;
    std::FILE* pOut = std::fopen("/dev/null", "w");
    std::unique_ptr<CHeadlessRunner> pRunner;
    std::unique_ptr<CMqttService> pService;
    std::unique_ptr<CMqttTestClient> pHub;

    ~SHearingRun()
    {
        pService.reset();
        pRunner.reset();
        std::fclose(pOut);
    }

    bool Start()
    {
        std::string strError;
        pClock = CreateClockBackend("", strError);
        pDevice = CLircDevice::Open(system, "/dev/lirc0", strError);
        if (!CMosquittoBroker::IsInstalled() || !broker.Start() || !pClock || !pDevice)
            return false;
        pRunner = std::make_unique<CHeadlessRunner>(QUORBIT_EXAMPLES "/living-room.qb", *pDevice,
                                                    *pClock, ticks, pOut, stderr);
        pRunner->Start();
        pService = std::make_unique<CMqttService>(
            *pRunner,
            SMqttSettings{"127.0.0.1", broker.GetPort(), false, CMosquittoBroker::kQuorbitUser,
                          CMosquittoBroker::kQuorbitPassword, CMosquittoBroker::kQuorbitUser});
        pService->Start();
        pHub = std::make_unique<CMqttTestClient>(broker.GetPort());
        pHub->Subscribe("quorbit/living-room/#");
        for (int nRound = 0; nRound < 1000 && !pHub->FindLast("quorbit/living-room/status");
             ++nRound)
        {
            Serve(10);
            pHub->Pump(0);
        }
        return pHub->FindLast("quorbit/living-room/status") != nullptr;
    }

    // One pass of the headless loop: the broker, then a look at the receiver.
    void Serve(int nWaitMs)
    {
        CWatchedSource* const sources[] = {pService.get()};
        ServeSources(sources, nWaitMs);
        pService->Beat();
        pRunner->Listen(0);
    }
};

void FrameEndToReceiverMessage(benchmark::State& state)
{
    SHearingRun run;
    if (!run.Start())
        return state.SkipWithError("no mosquitto broker to run against");
    std::vector<double> latencies;
    for (auto _ : state)
    {
        for (int nPress = 0; nPress < kPresses; ++nPress)
        {
            const std::size_t nBefore = run.pHub->m_messages.size();
            // Two buttons in turn, so that each press is a new one, not a held button.
            run.fake.presses.push_back(
                CFakeLircSystem::ToValues(NecFrame(nPress % 2 == 0 ? 0x12 : 0x13)));
            const CClock::time_point frameEnd = CClock::now();
            bool bHeard = false;
            while (!bHeard)
            {
                run.Serve(0);
                run.pHub->Pump(0);
                for (std::size_t nAt = nBefore; nAt < run.pHub->m_messages.size(); ++nAt)
                    bHeard = bHeard || run.pHub->m_messages[nAt].strTopic == kReceived;
            }
            latencies.push_back(
                std::chrono::duration<double, std::milli>(CClock::now() - frameEnd).count());
        }
    }
    state.counters["median_ms"] = Percentile(latencies, 0.5);
    state.counters["p99_ms"] = Percentile(latencies, 0.99);
}
BENCHMARK(FrameEndToReceiverMessage)->Iterations(1)->Unit(benchmark::kMillisecond);

// The loop sleeps until the broker, the receiver or the next beat wakes it.
void IdleListeningSecond(benchmark::State& state)
{
    SHearingRun run;
    if (!run.Start())
        return state.SkipWithError("no mosquitto broker to run against");
    double dCpu = 0;
    for (auto _ : state)
    {
        const double dBefore = CpuSeconds();
        const CClock::time_point end = CClock::now() + std::chrono::seconds(1);
        for (CClock::time_point now = CClock::now(); now < end; now = CClock::now())
            run.Serve(static_cast<int>(
                std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count() + 1));
        dCpu = CpuSeconds() - dBefore;
    }
    state.counters["cpu_ms_per_s"] = dCpu * 1000;
}
BENCHMARK(IdleListeningSecond)->Iterations(1)->Unit(benchmark::kMillisecond);
} // namespace
