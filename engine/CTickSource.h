#pragma once

#include <cstdint>

// The millisecond count that megabutton waits and the clock-jump check measure time with. It is
// unsigned 32-bit and wraps after about 49.7 days, so every interval test must survive the wrap.
class CTickSource
{
public:
    virtual ~CTickSource() = default;
    virtual std::uint32_t GetTickCount() = 0;
};

// Milliseconds of the monotonic clock, cut to 32 bits.
class CSteadyTickSource : public CTickSource
{
public:
    std::uint32_t GetTickCount() override;
};

// True once nNow has left the interval [nStart, nDeadline) of the wrapping millisecond count.
// bWrapped says the deadline lies past the wrap (nDeadline < nStart); a count that has itself
// wrapped below nStart without a wrapped deadline has left the interval too.
constexpr bool HasIntervalEnded(std::uint32_t nNow, std::uint32_t nStart, std::uint32_t nDeadline,
                                bool bWrapped)
{
    if (!bWrapped)
        return nNow >= nDeadline || nNow < nStart;
    return nNow >= nDeadline && nNow < nStart;
}
