#pragma once

#include "signal/ExchangeCode.h"

#include <string>
#include <vector>

class CLoadedDocument;
class CQuorbexDoc;
class CRemote;

// What the commands that bring signals into a remote's buttons share (--import, --learn): names
// as people type them, the checks made before anything changes, and the store and save.

// Writes "quorbit: strReason" to standard error; false, so that a caller can return it.
bool FailCommand(const std::string& strReason);

// The document's spelling (Windows-1252) of a name people and other tools write in UTF-8;
// false, with why in strReason, when no document can hold it.
bool ToDocumentName(const std::string& strUtf8, std::string& strName, std::string& strReason);

// The remote a command-line argument names; null, with the reason on standard error, when the
// name cannot be a remote's or the document has none of it.
CRemote* FindRemoteArgument(const CQuorbexDoc& doc, const std::string& strDocument,
                            const std::string& strArgument);

// Why the remote's button of that name (document spelling) cannot take a signal: the name is
// empty or too long, or the button is a megabutton; empty when it can. A missing button can:
// it is added.
std::string FindSignalRefusal(const CRemote& remote, const std::string& strName);

// The free cells of the remote's pad, and how many of the codes' names are no button of it yet.
std::size_t CountFreeCells(const CRemote& remote);
std::size_t CountNewButtons(const CRemote& remote, const std::vector<SExchangeCode>& codes);

// False, with the reason on standard error, when the remote's pad has fewer free cells than
// the codes bring new names; with bStyleHint the reason names a pad style (--style) that has
// room.
bool CheckRoom(const CRemote& remote, const std::vector<SExchangeCode>& codes, bool bStyleHint);

// Stores each code's durations, at dNanosPerSample a sample, in the remote's button of the
// code's name, as StoreSignals does, without saving; strReport gains a line for each code.
// False when the document refused a change (the front end said why).
bool ApplyCodes(CQuorbexDoc& doc, CRemote& remote, const std::vector<SExchangeCode>& codes,
                double dNanosPerSample, std::string& strReport);

// Stores each code's durations, at dNanosPerSample a sample, in the remote's button of the
// code's name: a known button keeps its description and cell, a new name becomes a button in
// the first free cell of the pad, read row by row. Then saves the document as strPath, keeping
// the previous file as its backup, and says on standard output what was done. The codes must
// have passed FindSignalRefusal and CheckRoom. False, with the reason on standard error and the
// file as it was, when the save failed.
bool StoreSignals(CLoadedDocument& loaded, CRemote& remote, const std::vector<SExchangeCode>& codes,
                  double dNanosPerSample, const std::string& strPath);
