#pragma once

#include "document/SSendingFacts.h"
#include "signal/ExchangeCode.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CBitstream;
class CRemoteButton;

// A button's samples read with what the document keeps of them: the time base they were taken
// at, the carrier they go out on and the code they were made from. Where a button knows none of
// these (one of a document made before they were kept), its samples are read at dUnitNanos, the
// period of the unit at hand, as they always were.

// The document's record of a code, and back; the code is nullopt for a protocol this program
// does not know.
SButtonCode ToButtonCode(const SDecodedSignal& code);
std::optional<SDecodedSignal> FromButtonCode(const SButtonCode& code);

// What a signal laid out at dNanos a sample keeps: that time base, nCarrierHz (0 when the input
// gave none: then the carrier of the protocol of the code, or of the one the durations show)
// and the code it was made from, if any.
SSendingFacts MakeSignalFacts(const std::vector<std::uint32_t>& durations, double dNanos,
                              unsigned nCarrierHz, const std::optional<SDecodedSignal>& code);

// The period the button's samples stand for.
double GetButtonNanosPerSample(const CRemoteButton& button, double dUnitNanos);
std::vector<std::uint32_t> GetButtonDurations(const CRemoteButton& button, double dUnitNanos);
// The code the button was made from, else what its samples decode to.
SDecodedSignal GetButtonCode(const CRemoteButton& button, double dUnitNanos);
// The carrier the button goes out at: its own, else its code's protocol's; 0 when neither is
// known.
std::uint32_t GetButtonCarrier(const CRemoteButton& button, double dUnitNanos);

// What the button keeps beside its samples, for people: "2.000 µs a sample, carrier 56 kHz, made
// from Pioneer address 0xAA command 0x1C"; empty when it keeps nothing (a button of a document
// made before these were kept).
std::string DescribeButtonFacts(const CRemoteButton& button);

// The button as other tools exchange it, under strName: its durations, carrier and code.
SExchangeCode MakeExchangeCode(const CRemoteButton& button, std::string strName, double dUnitNanos);
