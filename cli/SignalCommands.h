#pragma once

#include "common/ImportPlan.h"
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

// Stores the codes where the plan puts them, as ApplyPlan does, without saving; strReport gains
// a line for each remote made and each code. The codes must have passed FindSignalRefusal.
bool StorePlanned(CQuorbexDoc& doc, CRemote& target, const SImportPlan& plan,
                  const std::vector<SExchangeCode>& codes, double dNanosPerSample,
                  std::string& strReport);

// Saves the document as strPath, keeping the previous file as its backup, and prints strReport
// and what was saved on standard output. False, with the reason on standard error and the file
// as it was, when the save failed.
bool SaveReported(CLoadedDocument& loaded, const std::string& strPath,
                  const std::string& strReport);

// Stores each code's durations in the remote's button of the code's name, a new name on the
// first free cell of the pad, then saves and reports as SaveReported does. The codes must have
// passed FindSignalRefusal and CheckRoom.
bool StoreSignals(CLoadedDocument& loaded, CRemote& remote, const std::vector<SExchangeCode>& codes,
                  double dNanosPerSample, const std::string& strPath);
