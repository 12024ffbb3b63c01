#pragma once

#include "signal/DecodedSignal.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A button's signal as other infrared tools exchange it, and what goes wrong reading one.

// The carrier written when none is asked for: the frequency most remotes and receivers use.
constexpr unsigned kDefaultCarrierHz = 38000;
// The silence written after a code's last mark where a format needs one. A learned signal ends
// on its last mark; this is long enough for any receiver to take the code as finished.
constexpr std::uint32_t kTrailingGapMicros = 40000;

struct SExchangeCode
{
    std::string strName; // empty when the input named none
    // Microseconds, a mark first, alternately space and mark, ending on a mark.
    std::vector<std::uint32_t> durations;
    unsigned nCarrierHz = 0; // as the input gave it; 0 when it said nothing
    int nLine = 0;           // where the code began in the input, from 1
    // The remote of the input the code belongs to, for inputs that hold several; empty when
    // the input names none.
    std::string strSource = {};
    // The code the durations were made from, for inputs that name one rather than timings.
    std::optional<SDecodedSignal> code = {};
    // The share of the carrier's period the emitter is on, 1 to 100 %, as the input gave it;
    // 0 when it said nothing.
    unsigned nDutyPercent = 0;
};

// The carrier a code is written with: its own, else nDefaultHz (the one asked for).
inline unsigned GetCarrierOr(const SExchangeCode& code, unsigned nDefaultHz)
{
    return code.nCarrierHz != 0 ? code.nCarrierHz : nDefaultHz;
}

// Why an input was refused: the line (from 1; 0 for the input as a whole) and the reason.
struct SExchangeError
{
    int nLine = 0;
    std::string strReason;
};

// A part of an input that a reader passed over while it took the rest (a remote of a file that
// holds several): its name, empty when it gave none, and where and why.
struct SSkippedRemote
{
    std::string strName;
    SExchangeError error;
};
