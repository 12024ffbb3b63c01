#pragma once

#include "base/CTime.h"

#include <cstdint>

class CScriptedClock;
class CScriptedTickSource;

// Moves a scripted BIOS clock and a scripted millisecond count on together, the way real time
// moves both, carrying milliseconds into the clock's seconds.
class CScriptedTime
{
public:
    CScriptedTime(CScriptedClock& clock, CScriptedTickSource& ticks)
        : m_clock(clock), m_ticks(ticks)
    {
    }

    void Advance(std::uint32_t nMilliseconds);
    // Puts the clock at a time of its own (a jump); the millisecond count is left alone.
    void SetClock(const CTime& now);

private:
    CScriptedClock& m_clock;
    CScriptedTickSource& m_ticks;
    std::uint32_t m_nPendingMs = 0;
};
