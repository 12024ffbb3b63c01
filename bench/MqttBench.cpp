// From a PRESS published on the broker to the start of the button's transmission: the sample
// document run headless, on a broker of its own on the loopback, 200 presses of TV Power.
#include "cli/CHeadlessRunner.h"
#include "control/CMqttService.h"
#include "device/CDeviceFactory.h"
#include "device/CInfraredDevice.h"
#include "engine/CTickSource.h"
#include "support/CMosquittoBroker.h"
#include "support/CMqttTestClient.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace
{
using CClock = std::chrono::steady_clock;

constexpr int kPresses = 200;

// A unit that plays nothing and notes when each transmission starts.
class CStampingDevice : public CInfraredDevice
{
public:
    void EnableDetector() override {}
    int ReadDetectorLine() override { return 0; }
    void CaptureBitstream(std::uint8_t*, std::uint32_t& nLength) override { nLength = 0; }
    void TransmitBitstream(const std::uint8_t*, std::uint32_t) override
    {
        m_starts.push_back(CClock::now());
    }
    double LoopBackBitstream(std::uint8_t*, std::uint32_t) override { return 0; }
    const char* GetBackendName() const override { return "stamping"; }

    std::vector<CClock::time_point> m_starts;
};

double Percentile(std::vector<double> values, double fShare)
{
    std::ranges::sort(values);
    return values[static_cast<std::size_t>(fShare * static_cast<double>(values.size() - 1))];
}

void PressToTransmission(benchmark::State& state)
{
    CMosquittoBroker broker;
    std::string strError;
    const auto pClock = CreateClockBackend("", strError);
    if (!CMosquittoBroker::IsInstalled() || !broker.Start() || !pClock)
        return state.SkipWithError("no mosquitto broker to run against");
    CStampingDevice device;
    CSteadyTickSource ticks;
    std::FILE* pOut = std::fopen("/dev/null", "w");
    CHeadlessRunner runner(QUORBIT_EXAMPLES "/living-room.qb", device, *pClock, ticks, pOut,
                           stderr);
    runner.Start();
    CMqttService service(runner,
                         {"127.0.0.1", broker.GetPort(), false, CMosquittoBroker::kQuorbitUser,
                          CMosquittoBroker::kQuorbitPassword, CMosquittoBroker::kQuorbitUser});
    service.Start();
    CMqttTestClient hub(broker.GetPort());
    // The status goes out after the subscriptions: once the hub has it, presses arrive.
    hub.Subscribe("quorbit/living-room/status");
    CWatchedSource* const sources[] = {&service};
    for (int nRound = 0; nRound < 1000 && !hub.FindLast("quorbit/living-room/status"); ++nRound)
    {
        ServeSources(sources, 10);
        service.Beat();
        hub.Pump(0);
    }
    if (!hub.FindLast("quorbit/living-room/status"))
        return state.SkipWithError(("cannot join the broker: " + service.GetStateText()).c_str());
    std::vector<double> latencies;
    for (auto _ : state)
    {
        for (int nPress = 0; nPress < kPresses; ++nPress)
        {
            const std::size_t nBefore = device.m_starts.size();
            const CClock::time_point sent = CClock::now();
            hub.Publish("quorbit/living-room/TV/Power/press", "PRESS", false);
            while (device.m_starts.size() == nBefore)
            {
                hub.Pump(0);
                ServeSources(sources, 1);
            }
            latencies.push_back(
                std::chrono::duration<double, std::milli>(device.m_starts.back() - sent).count());
        }
    }
    state.counters["median_ms"] = Percentile(latencies, 0.5);
    state.counters["p90_ms"] = Percentile(latencies, 0.9);
    std::fclose(pOut);
}
BENCHMARK(PressToTransmission)->Iterations(1)->Unit(benchmark::kMillisecond);
} // namespace
