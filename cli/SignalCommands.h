#pragma once

#include "signal/ExchangeCode.h"

#include <string>
#include <vector>

class CLoadedDocument;
class CQuorbexDoc;
class CRemote;

// The command line's side of storing signals (--import, --learn): reasons on standard error,
// the report on standard output, and the save.

// Writes "quorbit: strReason" to standard error; false, so that a caller can return it.
bool FailCommand(const std::string& strReason);

// The remote a command-line argument names; null, with the reason on standard error, when the
// name cannot be a remote's or the document has none of it.
CRemote* FindRemoteArgument(const CQuorbexDoc& doc, const std::string& strDocument,
                            const std::string& strArgument);

// False, with the reason on standard error, when the remote's pad has fewer free cells than
// the codes bring new names; with bStyleHint the reason names a pad style (--style) that has
// room.
bool CheckRoom(const CRemote& remote, const std::vector<SExchangeCode>& codes, bool bStyleHint);

// Stores each code's durations, at dNanosPerSample a sample, in the remote's button of the
// code's name, as ApplyCodes does. Then saves the document as strPath, keeping
// the previous file as its backup, and says on standard output what was done. The codes must
// have passed FindSignalRefusal and CheckRoom. False, with the reason on standard error and the
// file as it was, when the save failed.
bool StoreSignals(CLoadedDocument& loaded, CRemote& remote, const std::vector<SExchangeCode>& codes,
                  double dNanosPerSample, const std::string& strPath);
