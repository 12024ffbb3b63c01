#pragma once

#include "signal/ExchangeCode.h"

#include <string>
#include <string_view>
#include <vector>

// The configuration file of the Linux infrared daemon, in its raw form: each remote a block
//     begin remote
//       name TV
//       flags RAW_CODES
//       frequency 38000
//       begin raw_codes
//         name Power
//           9000 4500 560 560 ...
//       end raw_codes
//     end remote
// whose codes are pulse and space durations in microseconds, a pulse first.

// One remote holding the codes, each under its name made one word (MakeExchangeName).
std::string FormatLircRemote(const std::string& strRemote, const std::vector<SExchangeCode>& codes,
                             unsigned nCarrierHz);

// Reads the raw codes of every remote in a configuration file, or, from text that holds nothing
// but numbers, one code without a name (pulse and space durations as capture tools print
// them). Header lines other than frequency are passed over; a remote that describes its codes
// by protocol (begin codes) is refused, as only raw durations can be played as they are. A space
// after a code's last pulse is silence and is dropped. False, with the line and the reason, at
// the first fault; codes is then left as it was.
bool ParseLircCodes(std::string_view text, std::vector<SExchangeCode>& codes,
                    SExchangeError& error);
