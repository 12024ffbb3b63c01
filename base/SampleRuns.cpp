#include "base/SampleRuns.h"

#include "base/DocumentConstants.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace
{
bool IsUsablePeriod(double dNanosPerSample)
{
    return std::isfinite(dNanosPerSample) && dNanosPerSample > 0;
}

// Run lengths in samples, alternately silence and infrared, starting with the silence before
// the first mark (0 when the first sample is infrared). A whole byte of one state costs one
// count, so a long silence is crossed a byte at a time.
std::vector<std::uint32_t> CountRuns(std::span<const std::uint8_t> bytes)
{
    std::vector<std::uint32_t> runs;
    bool bInfrared = false;
    std::uint32_t nRun = 0;
    for (const std::uint8_t nByte : bytes)
    {
        std::uint8_t nBits = nByte;
        int nLeft = 8;
        while (true)
        {
            const int nSame =
                std::min(bInfrared ? std::countl_one(nBits) : std::countl_zero(nBits), nLeft);
            nRun += static_cast<std::uint32_t>(nSame);
            nLeft -= nSame;
            if (nLeft == 0)
                break;
            runs.push_back(nRun);
            nRun = 0;
            bInfrared = !bInfrared;
            nBits = static_cast<std::uint8_t>(nBits << nSame);
        }
    }
    runs.push_back(nRun);
    return runs;
}

std::uint32_t SamplesToMicros(std::uint32_t nSamples, double dNanosPerSample)
{
    return static_cast<std::uint32_t>(std::lround(nSamples * dNanosPerSample / 1000.0));
}

std::uint64_t MicrosToSamples(std::uint32_t nMicros, double dNanosPerSample)
{
    return std::max<std::uint64_t>(1, std::llround(nMicros * 1000.0 / dNanosPerSample));
}

// Sets the samples [nFirst, nEnd) to infrared; the bytes are long enough to hold them.
void SetMark(std::vector<std::uint8_t>& bytes, std::uint64_t nFirst, std::uint64_t nEnd)
{
    for (std::uint64_t nSample = nFirst; nSample < nEnd; ++nSample)
        bytes[nSample / 8] |= static_cast<std::uint8_t>(0x80u >> (nSample % 8));
}

// Durations past the last mark play nothing.
std::size_t CountThroughLastMark(const std::vector<std::uint32_t>& durations)
{
    return durations.empty() || durations.size() % 2 != 0 ? durations.size() : durations.size() - 1;
}
} // namespace

std::vector<std::uint32_t> SamplesToDurations(std::span<const std::uint8_t> bytes,
                                              double dNanosPerSample)
{
    if (!IsUsablePeriod(dNanosPerSample))
        return {};
    std::vector<std::uint32_t> runs = CountRuns(bytes);
    // A run count that is even ends on a mark; an odd one ends on the silence after it.
    if (runs.size() % 2 != 0)
        runs.pop_back();
    std::vector<std::uint32_t> durations;
    durations.reserve(runs.empty() ? 0 : runs.size() - 1);
    for (std::size_t nRun = 1; nRun < runs.size(); ++nRun)
        durations.push_back(SamplesToMicros(runs[nRun], dNanosPerSample));
    return durations;
}

std::uint64_t CountSamples(const std::vector<std::uint32_t>& durations, double dNanosPerSample)
{
    if (!IsUsablePeriod(dNanosPerSample))
        return 0;
    std::uint64_t nSamples = 0;
    const std::size_t nCount = CountThroughLastMark(durations);
    for (std::size_t nRun = 0; nRun < nCount; ++nRun)
        nSamples += MicrosToSamples(durations[nRun], dNanosPerSample);
    return nSamples;
}

std::vector<std::uint8_t> DurationsToSamples(const std::vector<std::uint32_t>& durations,
                                             double dNanosPerSample)
{
    if (!IsUsablePeriod(dNanosPerSample))
        return {};
    const std::uint64_t nTotal =
        std::min<std::uint64_t>(CountSamples(durations, dNanosPerSample), kBitstreamSamples);
    std::vector<std::uint8_t> bytes((nTotal + 7) / 8);
    std::uint64_t nAt = 0;
    const std::size_t nCount = CountThroughLastMark(durations);
    for (std::size_t nRun = 0; nRun < nCount && nAt < nTotal; ++nRun)
    {
        const std::uint64_t nEnd =
            std::min(nTotal, nAt + MicrosToSamples(durations[nRun], dNanosPerSample));
        if (nRun % 2 == 0)
            SetMark(bytes, nAt, nEnd);
        nAt = nEnd;
    }
    return bytes;
}
