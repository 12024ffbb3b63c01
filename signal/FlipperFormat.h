#pragma once

#include "signal/ExchangeCode.h"

#include <string>
#include <string_view>
#include <vector>

// The ".ir" files of a popular handheld infrared tool: a header
//     Filetype: IR signals file        (or "IR library file")
//     Version: 1
// then a record per button, each a few "key: value" lines beginning with its name:
//     name: Power                      name: Vol_up
//     type: parsed                     type: raw
//     protocol: NEC                    frequency: 38000
//     address: 04 00 00 00             duty_cycle: 0.330000
//     command: 08 00 00 00             data: 9000 4500 560 560 ...
// A parsed record's address and command are four bytes, the lowest first; its protocol is one
// of the tool's names (NEC, NECext, NEC42, NEC42ext, Samsung32, RC5, RC5X, RC6, SIRC, SIRC15,
// SIRC20, Kaseikyo, RCA, Pioneer). A raw record's data is durations in microseconds, a pulse
// first.

// Reads every record; a parsed one becomes the signal the tool itself sends for the code (the
// code kept, in the kIrFile form). A space after a raw record's last pulse is silence and is
// dropped. False, with the line and the reason, at the first fault; codes is then left as it was.
bool ParseFlipperCodes(std::string_view text, std::vector<SExchangeCode>& codes,
                       SExchangeError& error);

// A signals file of the codes: a code read from a parsed record (its code in the tool's form)
// as that record; else parsed where the decoder knows the signal and the tool has a name for its
// protocol, raw at the carrier otherwise. Names are made one word
// (MakeExchangeName).
std::string FormatFlipperCodes(const std::vector<SExchangeCode>& codes, unsigned nCarrierHz);

// The carriers the tool takes in a raw record; it refuses a whole file with one record outside.
constexpr unsigned kMinIrFileCarrierHz = 10000;
constexpr unsigned kMaxIrFileCarrierHz = 56000;
// Why the tool would refuse the code's record, written at nCarrierHz where the code has no
// carrier of its own (a raw record's carrier lies outside the range above); empty when it takes
// it.
std::string FindFlipperRefusal(const SExchangeCode& code, unsigned nCarrierHz);
