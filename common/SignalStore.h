#pragma once

#include "signal/ExchangeCode.h"

#include <string>
#include <vector>

class CQuorbexDoc;
class CRemote;

// Bringing signals into a remote's buttons, as the import commands of both programs and
// --learn do: names as people type them, the checks made before anything changes, and the
// store.

// The document's spelling (Windows-1252) of a name people and other tools write in UTF-8;
// false, with why in strReason, when no document can hold it.
bool ToDocumentName(const std::string& strUtf8, std::string& strName, std::string& strReason);

// Why ToDocumentName refuses the name, naming the first byte or character at fault: "holds
// \"Ω\" (U+03A9), which documents cannot store (...)".
std::string DescribeNameFault(const std::string& strUtf8);

// Why the remote's button of that name (document spelling) cannot take a signal: the name is
// empty, only spaces or too long, or the button is a megabutton; empty when it can. A missing
// button can: it is added.
std::string FindSignalRefusal(const CRemote& remote, const std::string& strName);

// The free cells of the remote's pad, and how many of the codes' names are no button of it yet.
std::size_t CountFreeCells(const CRemote& remote);
std::size_t CountNewButtons(const CRemote& remote, const std::vector<SExchangeCode>& codes);
