#pragma once

#include "document/CRemote.h"
#include "signal/ExchangeCode.h"

#include <string>
#include <string_view>
#include <vector>

class CQuorbexDoc;

// What --import decides about the codes of an input before anything changes: which of the
// input's remotes to take, names that are too long for a button, and a pad style with room.

// Keeps the codes of the input's remote strSource (every code when empty). An input that holds
// several remotes needs one named. False, with the reason, when the choice is missing or names
// no remote of the input.
bool ChooseSource(std::vector<SExchangeCode>& codes, const std::string& strSource,
                  std::string& strReason);

// A code NameCodes stores under another name than the input gave it.
struct SRenamedCode
{
    std::size_t nCode;    // its place among the codes, which hold its new name
    std::string strInput; // the name the input gave it, in document spelling
    int nFirstLine;       // the line of the earlier code of that name; 0: cut for its length
};

// Gives every code (names in document spelling) a name of its own on the remote. A name the
// input repeats comes again as "Power 2", "Power 3"; a name longer than a button's is cut, with
// "~2", "~3" where the cut name is taken. A name made up so is no other code's and no button's
// already on the remote: only a code under its own name replaces the button of that name.
std::vector<SRenamedCode> NameCodes(std::vector<SExchangeCode>& codes, const CRemote& remote);

// Reads a file of codes in whichever format it is: an .ir signals file, a remote file of the
// Linux infrared daemon (its remotes that cannot be read listed in skipped), Pronto hex, or a
// list of typed codes.
bool ParseAnyCodes(std::string_view text, std::vector<SExchangeCode>& codes,
                   std::vector<SSkippedRemote>& skipped, SExchangeError& error);

// As ParseAnyCodes, for a file named strFileName: one that holds bytes no text has, or is named
// ".ir" without being one, is refused as such rather than by the reader its first line suggests.
bool ParseCodeFile(const std::string& strFileName, std::string_view text,
                   std::vector<SExchangeCode>& codes, std::vector<SSkippedRemote>& skipped,
                   SExchangeError& error);

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

// Where one code of an import goes.
struct SCodePlace
{
    std::size_t nRemote = 0; // 0: the target remote; n: the n-th remote the import makes
    bool bReplaces = false;  // the target has a button of the code's name, which takes the signal
    int nColumn = 0;         // the new button's cell
    int nRow = 0;
};

// A remote named after the target that takes the codes its pad has no room for.
struct SFurtherRemote
{
    std::string strName; // document spelling
    bool bMake;          // made by the import, with the largest pad style; else the document's
};

// What an import does, decided before anything changes.
struct SImportPlan
{
    std::vector<SFurtherRemote> further; // the remotes after the target, "LG 2" first
    std::vector<SCodePlace> places;      // one a code, in the codes' order
};

// Places the codes (named by NameCodes and checked) on the target at pad style nStyle: a name
// the target has replaces that button's signal, a new one takes the next free cell, read row by
// row. Once the pad is full, the codes go on into the remotes named after the target ("LG 2",
// "LG 3", ...): the free cells of those the document has, where they take the code's name, and
// new remotes made for them.
SImportPlan PlanPlaces(const CRemoteMap& remotes, const CRemote& target, int nStyle,
                       const std::vector<SExchangeCode>& codes);

// Carries out the plan (PlanPlaces) without saving: makes the further remotes it makes, and
// stores each code's durations in the button its place names, at dNanosPerSample a sample or,
// for a code longer than that holds, the finest coarser period that holds it, with its carrier
// and the code it was made from; a known button keeps its description and cell. False when the
// document refused a change (the front end said why).
bool ApplyPlan(CQuorbexDoc& doc, CRemote& target, const SImportPlan& plan,
               const std::vector<SExchangeCode>& codes, double dNanosPerSample);
