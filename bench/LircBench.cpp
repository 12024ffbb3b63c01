// What a lirc device adds around the kernel: turning what it heard (mark and space durations,
// in microseconds) into a bitstream at a microsecond a sample, and a bitstream back into the
// durations it writes, for a signal that fills the whole 400,000 samples.

#include "base/DocumentConstants.h"
#include "base/SampleRuns.h"
#include "device/CLircDevice.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace
{
// Marks and spaces like an NEC frame's bits, repeated until they fill a bitstream.
std::vector<std::uint32_t> MakeFullSignal()
{
    std::vector<std::uint32_t> durations;
    std::uint64_t nMicros = 0;
    for (std::uint32_t nRun = 0; nMicros < kBitstreamSamples; ++nRun)
    {
        const std::uint32_t nDuration = nRun % 2 == 0 ? 560 : (nRun % 6 == 1 ? 1690 : 560);
        durations.push_back(nDuration);
        nMicros += nDuration;
    }
    return durations;
}

void BM_LircCaptureConversion(benchmark::State& state)
{
    const std::vector<std::uint32_t> durations = MakeFullSignal();
    for (auto _ : state)
    {
        std::vector<std::uint8_t> bytes =
            DurationsToSamples(durations, CLircDevice::kNanosPerSample);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["runs"] = static_cast<double>(durations.size());
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kBitstreamSamples));
}

void BM_LircTransmitConversion(benchmark::State& state)
{
    const std::vector<std::uint8_t> bytes =
        DurationsToSamples(MakeFullSignal(), CLircDevice::kNanosPerSample);
    for (auto _ : state)
    {
        std::vector<std::uint32_t> durations =
            SamplesToDurations(bytes, CLircDevice::kNanosPerSample);
        benchmark::DoNotOptimize(durations.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kBitstreamSamples));
}
} // namespace

BENCHMARK(BM_LircCaptureConversion)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LircTransmitConversion)->Unit(benchmark::kMicrosecond);
