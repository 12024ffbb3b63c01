#pragma once

#include "base/CTime.h"

// Where the program's current time comes from. The document arms its events by it without
// knowing which clock stands behind it; the device layer's battery-backed clock is the real one.
class CTimeSource
{
public:
    virtual ~CTimeSource() = default;

    // The current local date and time.
    virtual CTime GetBiosTime() = 0;
};
