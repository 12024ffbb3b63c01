#include "base/TimedFrames.h"

#include <algorithm>
#include <numeric>

std::uint64_t GetFrameLength(const STimedFrame& frame)
{
    return std::accumulate(frame.durations.begin(), frame.durations.end(), std::uint64_t{0});
}

std::uint64_t GetTimedLength(const CTimedFrames& frames)
{
    return frames.empty() ? 0 : frames.back().nStartMicros + GetFrameLength(frames.back());
}

std::vector<std::uint32_t> JoinTimedFrames(const CTimedFrames& frames)
{
    std::vector<std::uint32_t> joined;
    std::uint64_t nAt = 0;
    for (const STimedFrame& frame : frames)
    {
        if (frame.durations.empty())
            continue;
        // A frame due before the last one has ended follows it after the shortest silence.
        const std::uint64_t nStart =
            joined.empty() ? frame.nStartMicros : std::max(frame.nStartMicros, nAt + 1);
        if (!joined.empty())
            joined.push_back(static_cast<std::uint32_t>(nStart - nAt));
        joined.insert(joined.end(), frame.durations.begin(), frame.durations.end());
        nAt = nStart + GetFrameLength(frame);
    }
    return joined;
}
