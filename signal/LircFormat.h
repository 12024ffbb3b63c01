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

// Reads the codes of every remote in a configuration file, or, from text that holds nothing
// but numbers, one code without a name (pulse and space durations as capture tools print them).
// As the daemon does, text outside the remotes is passed over, and so are header lines that
// say how to receive. A remote that cannot be read (a fault in it, no timings for its codes) is
// passed over to its "end remote" and listed in skipped with its line and the reason; the
// other remotes are read. A space after a code's last pulse is silence and is dropped. Names
// come as UTF-8; a file that is not UTF-8 is read as Windows-1252 (Latin-1), as older files
// were written. False, with the line and the reason of the first fault, when no code could be
// read; codes and skipped are then left as they were.
bool ParseLircCodes(std::string_view text, std::vector<SExchangeCode>& codes,
                    std::vector<SSkippedRemote>& skipped, SExchangeError& error);

// True when a line of text begins a remote ("begin remote"), wherever it comes.
bool HoldsLircRemote(std::string_view text);

// "skipped the remote TV: REASON", for the list of what an import left out.
std::string DescribeSkippedRemote(const SSkippedRemote& skipped);
