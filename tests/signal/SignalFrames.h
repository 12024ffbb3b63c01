#pragma once

#include <cstdint>
#include <vector>

// Frames of the common infrared protocols as mark and space durations in microseconds, built
// from the protocols' published timings, and the distortions a real remote and receiver add.
namespace SignalFrames
{
using CRuns = std::vector<std::uint32_t>;

// A header mark and space, nBits of nValue least significant first as a short mark and a
// short (0) or long (1) space, and a closing mark.
CRuns PulseDistance(std::uint32_t nHeaderMark, std::uint32_t nHeaderSpace, std::uint32_t nMark,
                    std::uint32_t nZeroSpace, std::uint32_t nOneSpace, std::uint32_t nValue,
                    int nBits);
CRuns Nec(std::uint32_t nAddress16, std::uint8_t nCommand);
CRuns Sony(std::uint32_t nValue, int nBits);
CRuns Rc5(bool bExtendedCommand, std::uint8_t nAddress, std::uint8_t nCommand);
CRuns Rc6(bool bToggle, std::uint8_t nAddress, std::uint8_t nCommand);

// The runs from nFirst on: a frame whose start was missed, or one sent without its header.
CRuns From(const CRuns& runs, std::size_t nFirst);
// The frames one after another, with nGap microseconds of silence between them.
CRuns Join(const std::vector<CRuns>& frames, std::uint32_t nGap);
// Every duration scaled by a pseudo-random factor in [0.9, 1.1] drawn from nSeed, marks made
// nStretch longer and spaces nStretch shorter, as a receiver does.
CRuns Distort(CRuns runs, unsigned nSeed, std::uint32_t nStretch);
} // namespace SignalFrames
