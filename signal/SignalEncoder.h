#pragma once

#include "signal/SignalDecoder.h"

#include <cstdint>
#include <vector>

// A signal made from a code rather than learned.
struct SEncodedSignal
{
    // Microseconds, a mark first, alternately space and mark, ending on a mark.
    std::vector<std::uint32_t> durations;
    // The silence the protocol keeps after the last frame before another may follow.
    std::uint32_t nTrailingGapMicros = 0;
    unsigned nCarrierHz = 0;
};

// What a remote of the protocol sends for the code (eProtocol, nAddress with bExtended,
// nCommand, nMaker, bToggle): its lead, the frame, then nRepeats repeat frames (at least as
// many as the protocol always sends), each frame starting its period after the one before. The
// timings are the table's for a kTable code and the ".ir" tool's own for a kIrFile one (eForm).
// False, and encoded left as it was, for kUnknown or a code wider than the protocol's fields.
bool EncodeSignal(const SDecodedSignal& code, SEncodedSignal& encoded);
