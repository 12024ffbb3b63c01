#pragma once

#include "signal/SignalDecoder.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Runs shorter than this are no part of any remote's signal: a flicker of stray light, or a
// receiver dropping out for a moment. They are merged into the runs around them.
constexpr std::uint32_t kGlitchMicros = 100;

// Something said about one press: it was left out, or it was mended.
struct SPressNote
{
    std::size_t nPress = 0; // counted from 0
    bool bLeftOut = false;
    std::string strReason;
};

// One clean signal from several presses of the same button.
struct SPressConsensus
{
    // More than half of the presses agree; only then does durations hold a signal.
    bool bAgreed = false;
    // The median of each run over the presses that agree. When they decode, each is taken from
    // its first understood frame on, and as many runs as the shortest has: a press held longer
    // adds only repeats.
    std::vector<std::uint32_t> durations;
    SDecodedSignal decoded;
    // In press order; a press may have a note for its glitches and one for being left out.
    std::vector<SPressNote> notes;
};

// Presses agree when they decode to the same protocol, address and command, or, when they do
// not decode, have the same number of runs, each within a quarter (and 100 microseconds) of
// the median. Each press is a list of mark and space durations in microseconds, a mark first.
SPressConsensus FindConsensus(std::span<const std::vector<std::uint32_t>> presses);
