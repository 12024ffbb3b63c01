// The capture and transmit loops over ports that cost next to nothing, to show what the loops
// themselves add to every sample, and over a port that stamps each access with the time, to
// show the worst gap between two samples (the stamping itself adds a clock read to each).

#include "device/CMemoryPort.h"
#include "device/CPortDevice.h"
#include "device/CSimulatedPort.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <vector>

namespace
{
using CField = std::array<std::uint8_t, kBitstreamBytes>;

// A memory port that notes when each access happened.
class CTimestampPort
{
public:
    CTimestampPort() : m_stamps(kBitstreamSamples + 1) {}

    std::uint8_t In(std::uint16_t nAddress)
    {
        Stamp();
        return m_memory.In(nAddress);
    }
    void Out(std::uint16_t nAddress, std::uint8_t nValue)
    {
        Stamp();
        m_memory.Out(nAddress, nValue);
    }
    const char* GetName() const { return "timestamp"; }

    void Restart() { m_nStamps = 0; }
    // The longest time between two of the first nAccesses accesses, in nanoseconds.
    std::int64_t GetWorstGap(std::size_t nAccesses) const
    {
        std::int64_t nWorst = 0;
        for (std::size_t nIndex = 1; nIndex < std::min(nAccesses, m_nStamps); ++nIndex)
            nWorst = std::max(nWorst, m_stamps[nIndex] - m_stamps[nIndex - 1]);
        return nWorst;
    }

private:
    void Stamp()
    {
        if (m_nStamps < m_stamps.size())
            m_stamps[m_nStamps++] = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch())
                                        .count();
    }

    CMemoryPort m_memory;
    std::vector<std::int64_t> m_stamps;
    std::size_t m_nStamps = 0;
};

// A field like a learned button: bursts of marks and spaces over its whole length.
CField MakeSignal()
{
    CField field{};
    for (std::size_t nIndex = 0; nIndex < field.size(); ++nIndex)
        field[nIndex] = (nIndex / 70) % 3 == 0 ? 0xFF : 0x00;
    return field;
}

template <typename TPort> void BM_Capture(benchmark::State& state)
{
    CPortDevice<TPort> device{TPort()};
    device.SelectPort(1, false);
    CField field{};
    double dNanosPerSample = 0;
    for (auto _ : state)
    {
        device.EnableDetector();
        std::uint32_t nLength = kBitstreamBytes;
        device.CaptureBitstream(field.data(), nLength);
        benchmark::DoNotOptimize(nLength);
        dNanosPerSample += device.GetLastCaptureNanosPerSample();
    }
    state.counters["ns_per_sample"] =
        dNanosPerSample / static_cast<double>(std::max<std::int64_t>(state.iterations(), 1));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kBitstreamSamples));
}

template <typename TPort> void BM_Transmit(benchmark::State& state)
{
    CPortDevice<TPort> device{TPort()};
    device.SelectPort(1, false);
    const CField signal = MakeSignal();
    double dNanosPerSample = 0;
    for (auto _ : state)
    {
        device.TransmitBitstream(signal.data(), kBitstreamBytes);
        dNanosPerSample += device.GetLastTransmitNanosPerSample();
    }
    state.counters["ns_per_sample"] =
        dNanosPerSample / static_cast<double>(std::max<std::int64_t>(state.iterations(), 1));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kBitstreamSamples));
}

// Capture (state.range(0) == 0) or transmit, reporting the worst gap seen in any run.
void BM_WorstGap(benchmark::State& state)
{
    const bool bCapture = state.range(0) == 0;
    CPortDevice<CTimestampPort> device{CTimestampPort()};
    device.SelectPort(1, false);
    CTimestampPort& port = device.GetPortBackend();
    const CField signal = MakeSignal();
    CField field{};
    std::int64_t nWorst = 0;
    for (auto _ : state)
    {
        port.Restart();
        std::uint32_t nLength = kBitstreamBytes;
        if (bCapture)
            device.CaptureBitstream(field.data(), nLength);
        else
            device.TransmitBitstream(signal.data(), nLength);
        // The samples only: the closing write comes after the loop.
        nWorst = std::max(nWorst, port.GetWorstGap(kBitstreamSamples));
    }
    state.SetLabel(bCapture ? "capture" : "transmit");
    state.counters["worst_gap_ns"] = static_cast<double>(nWorst);
}
} // namespace

BENCHMARK_TEMPLATE(BM_Capture, CMemoryPort)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Transmit, CMemoryPort)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Capture, CSimulatedPort)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Transmit, CSimulatedPort)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WorstGap)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
