// How well a held button keeps its protocol's period: each frame's start against the first
// frame's start plus whole periods, as the median and the worst error over every frame of the
// holds. Units: the simulated unit (a hold is one recording of microsecond samples, so 0.35 s
// at most), the test's lirc fake on its own clock (a process woken on time, and one woken 2 ms
// late after every write), and the lirc fake played on this machine's clock, each write lasting
// as long as its signal and each wait a real sleep, as the kernel and the scheduler make them.

#include "base/SampleRuns.h"
#include "device/CDeviceFactory.h"
#include "device/CLircDevice.h"
#include "device/CSimulatedPort.h"
#include "device/PortTable.h"
#include "document/CFrontEnd.h"
#include "document/CRemoteButton.h"
#include "engine/CFiringEngine.h"
#include "engine/CTickSource.h"
#include "signal/SignalDurations.h"
#include "signal/SignalEncoder.h"
#include "support/CFakeLircSystem.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <numeric>
#include <thread>

namespace
{
// A space at least this long parts two frames.
constexpr std::size_t kFrameGap = 5500;

struct SProtocol
{
    EProtocol eProtocol;
    std::uint32_t nAddress;
    std::uint32_t nCommand;
    double dPeriodMicros;
};

constexpr SProtocol kProtocols[] = {
    {EProtocol::kNec, 0x04, 0x10, 108000},
    {EProtocol::kSony, 0x01, 0x12, 45000},
    {EProtocol::kRc5, 0x05, 0x10, 113778},
};

class CSilentFrontEnd : public CFrontEnd
{
public:
    EAnswer ShowMessage(int, const std::string&, EMessageBox) override { return EAnswer::No; }
    void PumpWaitMessages(std::uint32_t /*nMaxWaitMs*/) override {}
};

// A button learned from a remote of the protocol: its samples, a microsecond each.
CRemoteButton MakeButton(const SProtocol& protocol)
{
    SDecodedSignal code;
    code.eProtocol = protocol.eProtocol;
    code.nAddress = protocol.nAddress;
    code.nCommand = protocol.nCommand;
    SEncodedSignal encoded;
    EncodeSignal(code, encoded);
    CRemoteButton button("Held", false);
    button.m_bits = ToBitstream(encoded.durations, 1000);
    return button;
}

// Each frame's distance from where whole periods after the first frame's start put it.
void AddErrors(const std::vector<std::uint64_t>& starts, double dPeriod,
               std::vector<double>& errors)
{
    for (std::size_t nFrame = 1; nFrame < starts.size(); ++nFrame)
        errors.push_back(std::abs(static_cast<double>(starts[nFrame] - starts[0]) -
                                  dPeriod * static_cast<double>(nFrame)));
}

void Report(benchmark::State& state, std::vector<double> errors)
{
    if (errors.empty())
        return;
    std::sort(errors.begin(), errors.end());
    state.counters["frames"] = static_cast<double>(errors.size());
    state.counters["median_err_us"] = errors[errors.size() / 2];
    state.counters["worst_err_us"] = errors.back();
}

// Frame starts in the simulated emitter's writes, one a microsecond.
std::vector<std::uint64_t> FindEmitterFrames(const std::vector<std::uint8_t>& record)
{
    std::vector<std::uint64_t> starts;
    std::size_t nDark = kFrameGap;
    for (std::size_t nSample = 0; nSample < record.size(); ++nSample)
    {
        const bool bOn = (record[nSample] & kDataEmitterOn) != 0;
        if (bOn && nDark >= kFrameGap)
            starts.push_back(nSample);
        nDark = bOn ? 0 : nDark + 1;
    }
    return starts;
}

// Holds the protocol's button (the benchmark's argument) on the device at every iteration,
// after clear has readied the device; readStarts says where the frames began.
void MeasureHolds(benchmark::State& state, CInfraredDevice& device, std::uint32_t nHoldMillis,
                  const std::function<void()>& clear,
                  const std::function<std::vector<std::uint64_t>()>& readStarts)
{
    const SProtocol& protocol = kProtocols[state.range(0)];
    CSilentFrontEnd frontEnd;
    CSteadyTickSource ticks;
    CFiringEngine engine(device, frontEnd, ticks);
    CRemoteButton button = MakeButton(protocol);
    std::vector<double> errors;
    for (auto _ : state)
    {
        clear();
        engine.Hold(button, nHoldMillis);
        AddErrors(readStarts(), protocol.dPeriodMicros, errors);
    }
    state.SetLabel(GetProtocolName(protocol.eProtocol));
    Report(state, errors);
}

void BM_HoldOnSimulatedUnit(benchmark::State& state)
{
    std::string strError;
    const auto pDevice = CreateInfraredDevice("sim", 1, strError);
    CSimulatedPort& port = *FindSimulatedPort(*pDevice);
    MeasureHolds(
        state, *pDevice, 350, [&port] { port.ClearEmitterRecord(); },
        [&port] { return FindEmitterFrames(port.GetEmitterRecord()); });
}

// The fake on this machine's clock: a write returns once its signal has played, waits sleep.
class CRealTimeLirc : public CFakeLircSystem
{
public:
    std::uint64_t GetMicros() override
    {
        return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                              std::chrono::steady_clock::now().time_since_epoch())
                                              .count());
    }
    void SleepMicros(std::uint32_t nMicros) override
    {
        std::this_thread::sleep_for(std::chrono::microseconds(nMicros));
    }
    long Write(int nFd, const void* pBuffer, std::size_t nBytes) override
    {
        const std::uint64_t nStart = GetMicros();
        const long nWritten = CFakeLircSystem::Write(nFd, pBuffer, nBytes);
        SDevice& device = GetDevice("/dev/lirc0");
        if (nWritten <= 0)
            return nWritten;
        device.writeStarts.back() = nStart;
        const auto* pValues = static_cast<const std::uint32_t*>(pBuffer);
        const std::uint64_t nPlayed =
            std::accumulate(pValues, pValues + device.writeCounts.back(), std::uint64_t{0});
        const std::uint64_t nNow = GetMicros();
        if (nStart + nPlayed > nNow)
            SleepMicros(static_cast<std::uint32_t>(nStart + nPlayed - nNow));
        return nWritten;
    }
};

template <typename TSystem>
void HoldOnLirc(benchmark::State& state, std::uint32_t nWakeLateMicros, std::uint32_t nHoldMillis)
{
    TSystem system;
    CFakeLircSystem::SDevice& fake = system.AddDevice("/dev/lirc0");
    fake.nWakeLateMicros = nWakeLateMicros;
    std::string strError;
    const auto pDevice = CLircDevice::Open(system, "/dev/lirc0", strError);
    MeasureHolds(
        state, *pDevice, nHoldMillis,
        [&fake]
        {
            fake.written.clear();
            fake.writeCounts.clear();
            fake.writeStarts.clear();
        },
        [&fake]
        {
            std::vector<std::uint64_t> starts;
            for (const auto& frame : CFakeLircSystem::ReadPlayedFrames(fake))
                starts.push_back(frame.nStart);
            return starts;
        });
}

void BM_HoldOnLircFake(benchmark::State& state)
{
    HoldOnLirc<CFakeLircSystem>(state, 0, 2000);
}

void BM_HoldOnLircFakeWokenLate(benchmark::State& state)
{
    HoldOnLirc<CFakeLircSystem>(state, 2000, 2000);
}

void BM_HoldOnLircFakeRealClock(benchmark::State& state)
{
    HoldOnLirc<CRealTimeLirc>(state, 0, 2000);
}
} // namespace

BENCHMARK(BM_HoldOnSimulatedUnit)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HoldOnLircFake)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HoldOnLircFakeWokenLate)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HoldOnLircFakeRealClock)
    ->DenseRange(0, 2)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
