#pragma once

#include "signal/ExchangeCode.h"

#include <string>
#include <string_view>
#include <vector>

// Pronto hex, the form in which codes are passed around on the web: four-digit hexadecimal
// words. A learned code is 0000, the carrier word (the carrier's period in units of 0.241246 µs),
// the number of burst pairs sent once, the number sent again for as long as the button is held,
// then the pairs themselves: an on time and an off time, each in periods of the carrier.

// The code of each signal at the carrier: the whole signal as the once sequence, no repeat
// sequence, and kTrailingGapMicros of silence after the last mark. A code without a name is
// written as its words alone, a named one as "NAME: words", a line each. False, with the reason
// naming the code, when a duration does not fit a word at this carrier.
bool FormatProntoCodes(const std::vector<SExchangeCode>& codes, unsigned nCarrierHz,
                       std::string& strText, std::string& strError);

// Reads codes written as FormatProntoCodes writes them; a code may run on over as many lines as
// it needs, and '#' begins a comment. Only learned codes (0000) are read. A code's signal is its
// once sequence followed by one pass of its repeat sequence, which is what a short press sends;
// the off time after the last burst is silence and is dropped. False, with the line and the
// reason, at the first fault; codes is then left as it was.
bool ParseProntoCodes(std::string_view text, std::vector<SExchangeCode>& codes,
                      SExchangeError& error);
