#include "signal/SignalDurations.h"

#include <array>

std::vector<std::uint32_t> ToDurations(const CBitstream& bitstream, double dNanosPerSample)
{
    return SamplesToDurations(bitstream.GetBytes(), dNanosPerSample);
}

CBitstream ToBitstream(const std::vector<std::uint32_t>& durations, double dNanosPerSample)
{
    return CBitstream(DurationsToSamples(durations, dNanosPerSample));
}

double FindHoldingPeriod(const std::vector<std::uint32_t>& durations, double dLeastNanos)
{
    if (CountSamples(durations, dLeastNanos) <= kBitstreamSamples)
        return dLeastNanos;
    constexpr std::array kCoarser{2000.0, 5000.0, 10000.0, 20000.0, 50000.0, 100000.0};
    for (const double dNanos : kCoarser)
        if (dNanos > dLeastNanos && CountSamples(durations, dNanos) <= kBitstreamSamples)
            return dNanos;
    return 0;
}
