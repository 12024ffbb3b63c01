#pragma once

#include "signal/ExchangeCode.h"

#include <string>
#include <string_view>
#include <vector>

class CRemote;

// What --import decides about the codes of an input before anything changes: which of the
// input's remotes to take, names that are too long for a button, and a pad style with room.

// Keeps the codes of the input's remote strSource (every code when empty). An input that holds
// several remotes needs one named. False, with the reason, when the choice is missing or names
// no remote of the input.
bool ChooseSource(std::vector<SExchangeCode>& codes, const std::string& strSource,
                  std::string& strReason);

// Gives every code (names in document spelling) a name of its own on the remote. A name the
// input repeats comes again as "Power 2", "Power 3"; a name longer than a button's is cut, with
// "~2", "~3" where the cut name is taken. A name made up so is no other code's and no button's
// already on the remote: only a code under its own name replaces the button of that name.
// Returns a line for each renamed code ("KEY_BRIGHTNESS_CYCLE is stored as KEY_BRIGHTNESS_, ...").
std::vector<std::string> NameCodes(std::vector<SExchangeCode>& codes, const CRemote& remote);

// Reads a file of codes in whichever format it is: an .ir signals file, a remote file of the
// Linux infrared daemon, Pronto hex, or a list of typed codes.
bool ParseAnyCodes(std::string_view text, std::vector<SExchangeCode>& codes, SExchangeError& error);

// Every check a code (document spelling) must pass before anything changes: a name a button
// can have, no megabutton's, a signal that fits a button at dNanos a sample or a coarser period
// (FindHoldingPeriod). False, with the line and the reason.
bool CheckImportedCode(const CRemote& remote, const SExchangeCode& code, double dNanos,
                       SExchangeError& error);

// The style index "HIGHxWIDE" names ("12x4"), or -1 when none of the pad styles is that.
int ParseStyle(const std::string& strStyle);

// "12x4".
std::string FormatStyle(int nStyle);

// The smallest style that holds the remote's placed buttons with nFree free cells, or -1.
int FindRoomyStyle(const CRemote& remote, std::size_t nFree);

// Why the remote cannot take the style: a placed button lies outside it; empty when it can.
std::string FindStyleRefusal(const CRemote& remote, int nStyle);
