#pragma once

#include "base/SampleRuns.h"
#include "document/CBitstream.h"

#include <cstdint>
#include <vector>

// A signal as a person or another tool thinks of it: how long the infrared stays on, then off,
// then on again, in microseconds. A bitstream holds one bit a sample, the earliest in the most
// significant bit, a 1 where infrared was seen; its time base is the sample period, in
// nanoseconds, of the machine that took or plays it.

// The mark and space durations of a bitstream, rounded to whole microseconds: a mark first, then
// alternately space and mark, ending on a mark. The silence before the first mark and after the
// last is no part of the signal and is dropped. A bitstream without infrared, or a period that is
// not a positive number, gives no durations.
std::vector<std::uint32_t> ToDurations(const CBitstream& bitstream, double dNanosPerSample);

// The bitstream that plays the durations (a mark first, alternately) at the given period. Each
// run is rounded to the nearest whole sample, and to at least one, so every duration comes back
// from ToDurations within one sample (within a microsecond when samples are shorter). The first
// mark starts at the first sample: there is no silence before it, and a trailing space is not
// stored (silence follows the last mark anyway). A signal longer than a bitstream holds is cut at
// kBitstreamSamples; a caller that must not lose the tail compares CountSamples (beside the
// conversion itself) with kBitstreamSamples first. A period that is not a positive number gives
// an empty bitstream.
CBitstream ToBitstream(const std::vector<std::uint32_t>& durations, double dNanosPerSample);

// The finest time base, in nanoseconds a sample, at which a bitstream holds the whole signal:
// dLeastNanos when it does, else the first of 2, 5, 10, 20, 50 and 100 µs above it that does
// (at 1 µs a bitstream holds 0.4 s, at 100 µs 40 s). 0 when not even 100 µs holds it.
double FindHoldingPeriod(const std::vector<std::uint32_t>& durations, double dLeastNanos);
