#pragma once

#include "engine/CTickSource.h"

#include <cstdint>

// A millisecond count under a test's control. Each reading can move it on by m_nStepPerRead, so
// that a loop that only reads the count (a busy wait) still sees time pass.
class CScriptedTickSource : public CTickSource
{
public:
    explicit CScriptedTickSource(std::uint32_t nStart = 0) : m_nNow(nStart) {}

    std::uint32_t GetTickCount() override;
    void Advance(std::uint32_t nMilliseconds) { m_nNow += nMilliseconds; }

    std::uint32_t m_nNow;
    std::uint32_t m_nStepPerRead = 0;
};
