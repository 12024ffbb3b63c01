#pragma once

#include <cstdint>
#include <vector>

// One frame of a button held down, as it goes to the emitter: its marks and spaces in
// microseconds (a mark first, ending on a mark), and when it begins, counted from the start of
// the first frame. A remote repeats a held button at its own period, so what matters is when
// each frame starts, not the silences between them.
struct STimedFrame
{
    std::vector<std::uint32_t> durations;
    std::uint64_t nStartMicros = 0;
};

using CTimedFrames = std::vector<STimedFrame>;

// From the frame's first mark's start to its last mark's end.
std::uint64_t GetFrameLength(const STimedFrame& frame);

// From the first frame's start to the last one's end.
std::uint64_t GetTimedLength(const CTimedFrames& frames);

// The frames laid end to end as one signal, each silence lasting until the next frame starts: a
// mark first, ending on the last frame's last mark.
std::vector<std::uint32_t> JoinTimedFrames(const CTimedFrames& frames);
