#include "app/cli/ImportPlan.h"

#include "base/TextEncoding.h"
#include "document/CRemote.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace
{
int CountCells(int nStyle)
{
    return kRemoteStyles[static_cast<std::size_t>(nStyle)].nRows *
           kRemoteStyles[static_cast<std::size_t>(nStyle)].nColumns;
}

int CountPlaced(const CRemote& remote)
{
    return static_cast<int>(std::count_if(remote.m_buttons.begin(), remote.m_buttons.end(),
                                          [](const auto& entry)
                                          { return entry.second->IsPlaced(); }));
}
} // namespace

bool ChooseSource(std::vector<SExchangeCode>& codes, const std::string& strSource,
                  std::string& strReason)
{
    std::vector<std::string> sources;
    for (const SExchangeCode& code : codes)
        if (std::find(sources.begin(), sources.end(), code.strSource) == sources.end())
            sources.push_back(code.strSource);
    std::string strNames;
    for (const std::string& strName : sources)
        strNames += (strNames.empty() ? "" : ", ") + strName;
    if (strSource.empty() && sources.size() > 1)
        strReason = "it holds the remotes " + strNames + ": choose one with --source NAME";
    else if (!strSource.empty() &&
             std::find(sources.begin(), sources.end(), strSource) == sources.end())
        strReason = "it holds no remote \"" + strSource + "\", only " + strNames;
    if (!strReason.empty())
        return false;
    if (!strSource.empty())
        std::erase_if(codes, [&](const SExchangeCode& code) { return code.strSource != strSource; });
    return true;
}

void ShortenNames(std::vector<SExchangeCode>& codes)
{
    std::set<std::string> taken;
    for (const SExchangeCode& code : codes)
        taken.insert(code.strName);
    for (SExchangeCode& code : codes)
    {
        if (code.strName.size() <= kMaxRemoteName)
            continue;
        // The start of a name says most; a number at its end keeps it apart from the others.
        std::string strShort = code.strName.substr(0, kMaxRemoteName);
        for (int nNumber = 2; taken.contains(strShort); ++nNumber)
        {
            const std::string strTail = "~" + std::to_string(nNumber);
            strShort = code.strName.substr(0, kMaxRemoteName - strTail.size()) + strTail;
        }
        taken.insert(strShort);
        std::fprintf(stderr, "quorbit: %s is stored as %s, a button name holding at most %zu "
                             "characters\n",
                     ToDisplayText(code.strName).c_str(), ToDisplayText(strShort).c_str(),
                     kMaxRemoteName);
        code.strName = std::move(strShort);
    }
}

int ParseStyle(const std::string& strStyle)
{
    for (int nStyle = 0; nStyle < kStyleCount; ++nStyle)
        if (FormatStyle(nStyle) == strStyle)
            return nStyle;
    return -1;
}

std::string FormatStyle(int nStyle)
{
    const SRemoteStyle& style = kRemoteStyles[static_cast<std::size_t>(nStyle)];
    return std::to_string(style.nRows) + "x" + std::to_string(style.nColumns);
}

int FindRoomyStyle(const CRemote& remote, std::size_t nFree)
{
    int nBest = -1;
    for (int nStyle = 0; nStyle < kStyleCount; ++nStyle)
    {
        const bool bRoom = static_cast<std::size_t>(CountCells(nStyle) - CountPlaced(remote)) >= nFree;
        if (bRoom && FindStyleRefusal(remote, nStyle).empty() &&
            (nBest < 0 || CountCells(nStyle) < CountCells(nBest)))
            nBest = nStyle;
    }
    return nBest;
}

std::string FindStyleRefusal(const CRemote& remote, int nStyle)
{
    for (const auto& [strName, pButton] : remote.m_buttons)
    {
        if (!pButton->IsPlaced())
            continue;
        const int nColumn = pButton->GetCell() / kGridRows;
        const int nRow = pButton->GetCell() % kGridRows;
        if (!IsCellOnStyle(nStyle, nColumn, nRow))
            return "its button " + ToDisplayText(strName) + " sits in cell " +
                   std::to_string(nColumn) + "/" + std::to_string(nRow) + ", outside " +
                   FormatStyle(nStyle);
    }
    return {};
}
