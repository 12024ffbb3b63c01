#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Samples, eight a byte with the earliest in the most significant bit and a 1 where infrared
// was seen, against the mark and space durations they hold, in microseconds: the one
// conversion for recordings, for signals written by people or other tools, and for devices
// that hear and play durations themselves. The time base is the sample period in nanoseconds.

// The durations of the samples: a mark first, then alternately space and mark, ending on a
// mark, each rounded to whole microseconds. The silence before the first mark and after the
// last is dropped. Samples without infrared, or a period that is not a positive number, give no
// durations.
std::vector<std::uint32_t> SamplesToDurations(std::span<const std::uint8_t> bytes,
                                              double dNanosPerSample);

// The samples that play the durations (a mark first, alternately) at the given period: each run
// rounded to the nearest whole sample, and to at least one; no silence before the first mark,
// none stored after the last. Cut at kBitstreamSamples. A period that is not a positive number
// gives no samples.
std::vector<std::uint8_t> DurationsToSamples(const std::vector<std::uint32_t>& durations,
                                             double dNanosPerSample);

// The samples DurationsToSamples needs for the durations, up to the end of the last mark, before
// any cut; 0 for a period that is not a positive number.
std::uint64_t CountSamples(const std::vector<std::uint32_t>& durations, double dNanosPerSample);
