#include "common/SignalStore.h"

#include "base/TextEncoding.h"
#include "document/CFrontEnd.h"
#include "document/CQbFile.h"
#include "document/CQuorbexDoc.h"
#include "signal/ButtonSignal.h"
#include "signal/SignalDurations.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace
{
// A button whose name differs from strName only in the case of its letters.
const CRemoteButton* FindLookalike(const CRemote& remote, const std::string& strName)
{
    const auto equalIgnoringCase = [](char cFirst, char cSecond)
    {
        return std::tolower(static_cast<unsigned char>(cFirst)) ==
               std::tolower(static_cast<unsigned char>(cSecond));
    };
    for (const auto& [strOther, pButton] : remote.m_buttons)
    {
        if (std::equal(strOther.begin(), strOther.end(), strName.begin(), strName.end(),
                       equalIgnoringCase))
            return pButton.get();
    }
    return nullptr;
}
} // namespace

bool ToDocumentName(const std::string& strUtf8, std::string& strName, std::string& strReason)
{
    if (FromUtf8Text(strUtf8, strName))
        return true;
    strReason = "is not UTF-8 text, or holds a character documents cannot store (they keep "
                "names in Windows-1252)";
    return false;
}

std::string FindSignalRefusal(const CRemote& remote, const std::string& strName)
{
    const std::string strShown = ToDisplayText(strName);
    if (strName.empty())
        return "a button needs a name";
    if (!IsStorableName(strName, kMaxRemoteName))
        return "the name " + strShown + " is longer than " + std::to_string(kMaxRemoteName) +
               " characters or holds a control character";
    const CRemoteButton* pButton = remote.FindButton(strName);
    if (pButton && pButton->m_bMega)
        return strShown + " is a megabutton of " + ToDisplayText(remote.m_strName) +
               ", which plays other buttons and takes no signal";
    // The Remote Builder takes such a name for the button it already has; here a slip of the
    // shift key would add a second button that looks like the first.
    if (const CRemoteButton* pLookalike = FindLookalike(remote, strName); !pButton && pLookalike)
        return ToDisplayText(remote.m_strName) + " has a button " +
               ToDisplayText(pLookalike->m_strName) + "; give its name as it is written, or one " +
               "that differs in more than capitals";
    return {};
}

std::size_t CountFreeCells(const CRemote& remote)
{
    return remote.FindFreeCells().size();
}

std::size_t CountNewButtons(const CRemote& remote, const std::vector<SExchangeCode>& codes)
{
    return static_cast<std::size_t>(std::count_if(codes.begin(), codes.end(),
                                                  [&remote](const auto& code)
                                                  { return !remote.FindButton(code.strName); }));
}

bool ApplyCodes(CQuorbexDoc& doc, CRemote& remote, const std::vector<SExchangeCode>& codes,
                double dNanos, std::string& strReport)
{
    const std::vector<std::pair<int, int>> freeCells = remote.FindFreeCells();
    // Adding a button closes the remote's pad, as a window showing it would be out of date; it
    // opens again afterwards (without windows only the pad's place in the file).
    const bool bPadOpen = remote.m_bPadOpen;
    auto nextCell = freeCells.begin();
    for (const SExchangeCode& code : codes)
    {
        const std::string strShown = ToDisplayText(code.strName);
        CRemoteButton* pButton = remote.FindButton(code.strName);
        if (pButton && !doc.CanChangeButton(*pButton))
            return false;
        if (pButton)
            strReport += "Replaced the signal of " + strShown + ".\n";
        else
        {
            pButton = doc.AddButton(remote, code.strName, std::string(), false);
            if (!pButton)
                return false;
            const auto [nColumn, nRow] = *nextCell++;
            remote.PlaceButton(*pButton, nColumn, nRow);
            strReport += "Added " + strShown + " in cell " + std::to_string(nColumn) + "/" +
                         std::to_string(nRow) + " of the pad.\n";
        }
        // A code too long for the unit's period takes a coarser one; CheckImportedCode has
        // refused any that no period holds.
        const double dPeriod = FindHoldingPeriod(code.durations, dNanos);
        pButton->m_bits = ToBitstream(code.durations, dPeriod);
        pButton->m_facts = MakeSignalFacts(code.durations, dPeriod, code.nCarrierHz, code.code);
    }
    if (bPadOpen)
        doc.GetFrontEnd().OpenPad(remote);
    doc.SetModifiedFlag();
    return true;
}
