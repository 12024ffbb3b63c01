#pragma once

#include "base/TimedFrames.h"
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

// Whether the protocol's frame carries a toggle bit, which a remote flips on each new press and
// keeps while the button is held.
bool HasToggleBit(EProtocol eProtocol);

// What a remote of the protocol sends while its button is held for nHoldMicros: the lead and the
// frame, then the protocol's repeat frame (or the frame again, toggle unchanged, for a protocol
// without one), each starting its period after the one before (or its gap after the one before
// has ended), for as long as a frame starts within the hold, and at least as many frames as a
// press sends. Each frame starts at its first mark. False, and frames left as they were, where
// EncodeSignal refuses the code.
bool EncodeHeldFrames(const SDecodedSignal& code, std::uint64_t nHoldMicros, CTimedFrames& frames);

// A recording whose protocol is not known, held for nHoldMicros: its frames as recorded, then
// its last frame again at the period the recording shows between its last two frames, for as
// long as a frame starts within the hold.
CTimedFrames HoldRecording(const std::vector<std::uint32_t>& durations, std::uint64_t nHoldMicros);
