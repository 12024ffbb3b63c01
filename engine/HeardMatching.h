#pragma once

#include "signal/DecodedSignal.h"

#include <cstdint>
#include <span>
#include <vector>

class CQuorbexDoc;
class CRemote;
class CRemoteButton;

// Marks and spaces from a demodulating receiver stray from the remote's own: each by a good
// tenth, and by the receiver's lag, which lengthens marks and shortens spaces by up to 250 µs.
constexpr std::uint32_t kHeardSlackMicros = 250;
constexpr std::uint32_t kHeardSlackPercent = 15;
// A space this long ends a frame: the gap between a remote's frames is longer still.
constexpr std::uint32_t kFrameGapMicros = 8000;

// The first frame of a signal: its marks and spaces up to the first long space.
std::span<const std::uint32_t> FirstFrame(std::span<const std::uint32_t> durations);

// Both frames have as many marks and spaces, and each lies within what a receiver makes of the
// other's.
bool IsSameFrame(std::span<const std::uint32_t> heard, std::span<const std::uint32_t> recorded);

// The button a heard signal is: one whose recording decodes to the same code (a toggle bit
// aside) when the signal decodes, else one whose recording's first frame is the same frame.
// The first such in remote and button order; false when none is.
struct SHeardMatch
{
    CRemote* pRemote = nullptr;
    CRemoteButton* pButton = nullptr;
};
SHeardMatch MatchHeard(const CQuorbexDoc& doc, std::span<const std::uint32_t> durations,
                       const SDecodedSignal& decoded, double dNanosPerSample);
