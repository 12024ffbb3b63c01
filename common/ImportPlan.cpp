#include "common/ImportPlan.h"

#include "base/TextEncoding.h"
#include "common/SignalStore.h"
#include "device/SamplePeriod.h"
#include "document/CRemote.h"
#include "signal/CodeListFormat.h"
#include "signal/ExchangeText.h"
#include "signal/FlipperFormat.h"
#include "signal/LircFormat.h"
#include "signal/ProntoFormat.h"
#include "signal/SignalDurations.h"

#include <algorithm>
#include <map>
#include <set>

namespace
{
int CountCells(int nStyle)
{
    return kRemoteStyles[static_cast<std::size_t>(nStyle)].nRows *
           kRemoteStyles[static_cast<std::size_t>(nStyle)].nColumns;
}

// The name cut to leave room for strTail, then strTail.
std::string NameWithTail(const std::string& strName, const std::string& strTail)
{
    return strName.substr(0, kMaxRemoteName - strTail.size()) + strTail;
}

// Why the code is stored as strNew: its name is too long, or (pFirstLine) an earlier code has it.
std::string DescribeRename(const SExchangeCode& code, const std::string& strNew,
                           const int* pFirstLine)
{
    const std::string strShown = ToDisplayText(code.strName);
    if (!pFirstLine)
        return strShown + " is stored as " + ToDisplayText(strNew) +
               ", a button name holding at most " + std::to_string(kMaxRemoteName) + " characters";
    return strShown + " on line " + std::to_string(code.nLine) + " is stored as " +
           ToDisplayText(strNew) + ": line " + std::to_string(*pFirstLine) +
           " has a code of that name";
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
        std::erase_if(codes,
                      [&](const SExchangeCode& code) { return code.strSource != strSource; });
    return true;
}

std::vector<std::string> NameCodes(std::vector<SExchangeCode>& codes, const CRemote& remote)
{
    // A code keeps its name when the name fits and no code before it has it; every other name is
    // made up clear of those and of the remote's buttons.
    std::set<std::string> taken;
    for (const auto& entry : remote.m_buttons)
        taken.insert(entry.first);
    std::vector<bool> keeps;
    std::set<std::string> kept;
    for (const SExchangeCode& code : codes)
        keeps.push_back(code.strName.size() <= kMaxRemoteName && kept.insert(code.strName).second);
    taken.insert(kept.begin(), kept.end());
    std::map<std::string, int> firstLines;
    std::vector<std::string> renamed;
    for (std::size_t nCode = 0; nCode < codes.size(); ++nCode)
    {
        SExchangeCode& code = codes[nCode];
        const auto [it, bFirst] = firstLines.emplace(code.strName, code.nLine);
        if (keeps[nCode])
            continue;
        // The start of a name says most; a number at its end keeps it apart from the others.
        std::string strNew = bFirst ? NameWithTail(code.strName, "") : "";
        for (int nNumber = 2; strNew.empty() || taken.contains(strNew); ++nNumber)
            strNew = NameWithTail(code.strName, (bFirst ? "~" : " ") + std::to_string(nNumber));
        taken.insert(strNew);
        renamed.push_back(DescribeRename(code, strNew, bFirst ? nullptr : &it->second));
        code.strName = std::move(strNew);
    }
    return renamed;
}

bool ParseAnyCodes(std::string_view text, std::vector<SExchangeCode>& codes, SExchangeError& error)
{
    // The first line tells; the rest is for the format's reader.
    std::string_view rest = text;
    int nLine = 0;
    SWordLine line;
    const bool bAny = TakeWordLine(rest, nLine, line);
    const std::string_view first = bAny ? line.words[0] : std::string_view();
    if (first == "Filetype:")
        return ParseFlipperCodes(text, codes, error);
    // A learned Pronto code starts with the word 0000, bare or after its name.
    if (first == "0000" ||
        (bAny && line.words.size() > 1 && first.ends_with(':') && line.words[1] == "0000"))
        return ParseProntoCodes(text, codes, error);
    if (first == "begin" || ParseDecimal(first, 10'000'000) != 0)
        return ParseLircCodes(text, codes, error);
    return ParseCodeList(text, codes, error);
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
        const bool bRoom =
            static_cast<std::size_t>(CountCells(nStyle) - CountPlaced(remote)) >= nFree;
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

// Every check a code must pass before anything changes.
bool CheckImportedCode(const CRemote& remote, const SExchangeCode& code, double dNanos,
                       SExchangeError& error)
{
    error = {code.nLine, FindSignalRefusal(remote, code.strName)};
    if (error.strReason.empty() && FindHoldingPeriod(code.durations, dNanos) <= 0)
        error.strReason = ToDisplayText(code.strName) + " lasts longer than the " +
                          std::to_string(kBitstreamSamples) + " samples a button holds, even at " +
                          FormatMicros(std::max(dNanos, 100000.0)) + " a sample";
    return error.strReason.empty();
}
