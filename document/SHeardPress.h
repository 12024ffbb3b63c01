#pragma once

#include "base/CTime.h"

#include <cstdint>
#include <vector>

class CRemote;
class CRemoteButton;

// A button pressed on a remote pointed at the receiver, as the listener heard it: once per
// press, however long the button was held. What code it carries is decoded from durations.
struct SHeardPress
{
    CTime time;
    // The whole signal as it came: marks and spaces in microseconds, a mark first.
    std::vector<std::uint32_t> durations;
    // The carrier remotes of its protocol modulate with, in hertz; 0 when it is not known
    // (a demodulating receiver does not tell it).
    std::uint32_t nCarrier = 0;
    // The document's button it matches; both null when none does.
    CRemote* pRemote = nullptr;
    CRemoteButton* pButton = nullptr;
};
