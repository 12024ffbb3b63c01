#include "common/SignalStore.h"

#include "base/TextEncoding.h"
#include "document/CFrontEnd.h"
#include "document/CQbFile.h"
#include "document/CQuorbexDoc.h"
#include "signal/SignalDurations.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

namespace
{
std::string FormatHexByte(unsigned nByte)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return std::string("0x") + kDigits[nByte >> 4 & 0xF] + kDigits[nByte & 0xF];
}

// The code point of one UTF-8 character of well-formed continuation bytes, or -1.
long DecodeCharacter(const std::string& strCharacter)
{
    static constexpr unsigned kLeadMasks[] = {0x7F, 0x1F, 0x0F, 0x07};
    long nPoint = static_cast<unsigned char>(strCharacter[0]) & kLeadMasks[strCharacter.size() - 1];
    for (std::size_t nAt = 1; nAt < strCharacter.size(); ++nAt)
    {
        const auto nByte = static_cast<unsigned char>(strCharacter[nAt]);
        if (nByte >> 6 != 0x2)
            return -1;
        nPoint = nPoint << 6 | (nByte & 0x3F);
    }
    return nPoint;
}

bool IsUtf8Character(const std::string& strCharacter)
{
    return DecodeCharacter(strCharacter) >= 0;
}

// "\"Ω\" (U+03A9)", or for a control character only its number.
std::string DescribeCharacter(const std::string& strCharacter)
{
    const long nPoint = DecodeCharacter(strCharacter);
    char szNumber[24]; // room for any long, so the compiler sees nothing cut
    std::snprintf(szNumber, sizeof szNumber, "U+%04lX", nPoint);
    const bool bControl = nPoint < 0x20 || (nPoint >= 0x7F && nPoint < 0xA0);
    return bControl ? "the control character " + std::string(szNumber)
                    : "\"" + strCharacter + "\" (" + szNumber + ")";
}

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
    strReason = DescribeNameFault(strUtf8);
    return false;
}

std::string DescribeNameFault(const std::string& strUtf8)
{
    for (std::size_t nAt = 0; nAt < strUtf8.size();)
    {
        const auto nLead = static_cast<unsigned char>(strUtf8[nAt]);
        const std::size_t nLength = nLead < 0x80         ? 1
                                    : nLead >> 5 == 0x6  ? 2
                                    : nLead >> 4 == 0xE  ? 3
                                    : nLead >> 3 == 0x1E ? 4
                                                         : 0;
        const std::string strCharacter = strUtf8.substr(nAt, nLength == 0 ? 1 : nLength);
        std::string strConverted;
        if (nLength == 0 || strCharacter.size() < nLength || !IsUtf8Character(strCharacter))
            return "is not UTF-8 text: byte " + FormatHexByte(nLead) + " at " +
                   std::to_string(nAt + 1) + " starts no character";
        if (!FromUtf8Text(strCharacter, strConverted))
            return "holds " + DescribeCharacter(strCharacter) +
                   ", which documents cannot store (they keep names in Windows-1252)";
        nAt += nLength;
    }
    return "is not UTF-8 text";
}

std::string FindSignalRefusal(const CRemote& remote, const std::string& strName)
{
    const std::string strShown = ToDisplayText(strName);
    // A name of only spaces shows as nothing on the pad and in every list.
    if (strName.find_first_not_of(' ') == std::string::npos)
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
