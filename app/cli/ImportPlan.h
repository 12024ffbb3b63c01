#pragma once

#include "signal/ExchangeCode.h"

#include <string>
#include <vector>

class CRemote;

// What --import decides about the codes of an input before anything changes: which of the
// input's remotes to take, names that are too long for a button, and a pad style with room.

// Keeps the codes of the input's remote strSource (every code when empty). An input that holds
// several remotes needs one named. False, with the reason, when the choice is missing or names
// no remote of the input.
bool ChooseSource(std::vector<SExchangeCode>& codes, const std::string& strSource,
                  std::string& strReason);

// Names (document spelling) longer than a button's become unique shorter ones; each change is
// said on standard error.
void ShortenNames(std::vector<SExchangeCode>& codes);

// The style index "HIGHxWIDE" names ("12x4"), or -1 when none of the pad styles is that.
int ParseStyle(const std::string& strStyle);

// "12x4".
std::string FormatStyle(int nStyle);

// The smallest style that holds the remote's placed buttons with nFree free cells, or -1.
int FindRoomyStyle(const CRemote& remote, std::size_t nFree);

// Why the remote cannot take the style: a placed button lies outside it; empty when it can.
std::string FindStyleRefusal(const CRemote& remote, int nStyle);
