// Reading a whole learned recording (400,000 samples) as durations and decoding it with every
// protocol of the table, which the Remote Builder does whenever it shows a button, and agreeing
// three such presses into one. The worst case is a recording no protocol explains: every row
// is tried on every frame.

#include "device/CSimulatedRemote.h"
#include "signal/PressConsensus.h"
#include "signal/SignalDecoder.h"
#include "signal/SignalDurations.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace
{
using CRuns = std::vector<std::uint32_t>;

constexpr double kNanosPerSample = 1000;

// A button held through the recording: the simulated remote's frame, then a repeat frame
// every 108 ms while the recording lasts, each run nudged by up to 5 % from nSeed.
CRuns HeldButton(unsigned nSeed)
{
    const CRuns frame = CSimulatedRemote::MakeFrame(CSimulatedRemote::kAddress, 0x12);
    CRuns runs(frame.begin() + 1, frame.end()); // without the silence before it
    constexpr std::uint32_t kRepeat[] = {9000, 2250, 560};
    std::uint64_t nAt = 0;
    for (const std::uint32_t nRun : runs)
        nAt += nRun;
    for (std::uint64_t nStart = 108000; nStart + 108000 / 2 < kBitstreamSamples; nStart += 108000)
    {
        runs.push_back(static_cast<std::uint32_t>(nStart - nAt));
        runs.insert(runs.end(), std::begin(kRepeat), std::end(kRepeat));
        nAt = nStart + 9000 + 2250 + 560;
    }
    std::uint32_t nState = nSeed;
    for (std::uint32_t& nRun : runs)
    {
        nState = nState * 1664525u + 1013904223u;
        nRun = static_cast<std::uint32_t>(nRun * (0.95 + 0.1 * (nState >> 8) / double(1u << 24)));
    }
    return runs;
}

// The recording as the device delivers it, at its full length.
CBitstream Recording(unsigned nSeed)
{
    CBitstream bitstream = ToBitstream(HeldButton(nSeed), kNanosPerSample);
    bitstream.SetLength(kBitstreamBytes);
    return bitstream;
}

// Reads and decodes the recording for as long as the benchmark runs.
void DecodeRepeatedly(benchmark::State& state, const CBitstream& bitstream)
{
    SDecodedSignal decoded;
    for (auto _ : state)
    {
        decoded = DecodeSignal(ToDurations(bitstream, kNanosPerSample));
        benchmark::DoNotOptimize(decoded);
    }
    state.SetLabel(DescribeSignal(decoded));
}

void BM_DecodeLearnedRecording(benchmark::State& state)
{
    DecodeRepeatedly(state, Recording(1));
}
BENCHMARK(BM_DecodeLearnedRecording)->Unit(benchmark::kMicrosecond);

// A remote of no known protocol held through the recording: frames of 40 runs in a pattern
// none of the rows has, 20 ms apart.
void BM_DecodeUnknownRecording(benchmark::State& state)
{
    CRuns runs;
    for (std::uint32_t nAt = 0; nAt + 60000 < kBitstreamSamples; nAt += 60000)
    {
        if (!runs.empty())
            runs.push_back(20000);
        for (int nRun = 0; nRun < 79; ++nRun)
            runs.push_back(nRun % 3 == 0 ? 700 : 300);
    }
    CBitstream bitstream = ToBitstream(runs, kNanosPerSample);
    bitstream.SetLength(kBitstreamBytes);
    DecodeRepeatedly(state, bitstream);
}
BENCHMARK(BM_DecodeUnknownRecording)->Unit(benchmark::kMicrosecond);

void BM_AgreeThreePresses(benchmark::State& state)
{
    const std::vector<CRuns> presses{ToDurations(Recording(1), kNanosPerSample),
                                     ToDurations(Recording(2), kNanosPerSample),
                                     ToDurations(Recording(3), kNanosPerSample)};
    SPressConsensus consensus;
    for (auto _ : state)
    {
        consensus = FindConsensus(presses);
        benchmark::DoNotOptimize(consensus);
    }
    state.SetLabel(DescribeSignal(consensus.decoded));
}
BENCHMARK(BM_AgreeThreePresses)->Unit(benchmark::kMicrosecond);
} // namespace
