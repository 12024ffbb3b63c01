#include "signal/SignalDurations.h"

std::vector<std::uint32_t> ToDurations(const CBitstream& bitstream, double dNanosPerSample)
{
    return SamplesToDurations(bitstream.GetBytes(), dNanosPerSample);
}

CBitstream ToBitstream(const std::vector<std::uint32_t>& durations, double dNanosPerSample)
{
    return CBitstream(DurationsToSamples(durations, dNanosPerSample));
}
