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
        std::erase_if(codes,
                      [&](const SExchangeCode& code) { return code.strSource != strSource; });
    return true;
}

std::vector<std::string> ShortenNames(std::vector<SExchangeCode>& codes, const CRemote& remote)
{
    std::vector<std::string> renamed;
    std::set<std::string> taken;
    for (const auto& entry : remote.m_buttons)
        taken.insert(entry.first);
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
        renamed.push_back(ToDisplayText(code.strName) + " is stored as " + ToDisplayText(strShort) +
                          ", a button name holding at most " + std::to_string(kMaxRemoteName) +
                          " characters");
        code.strName = std::move(strShort);
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
                       std::map<std::string, int>& seen, SExchangeError& error)
{
    error = {code.nLine, FindSignalRefusal(remote, code.strName)};
    const auto [it, bFirst] = seen.emplace(code.strName, code.nLine);
    const std::string strShown = ToDisplayText(code.strName);
    if (!error.strReason.empty())
        return false;
    if (!bFirst)
        error.strReason =
            strShown + " comes a second time (first on line " + std::to_string(it->second) + ")";
    else if (CountSamples(code.durations, dNanos) > kBitstreamSamples)
        error.strReason = strShown + " lasts longer than the " + std::to_string(kBitstreamSamples) +
                          " samples a button holds, at " + FormatMicros(dNanos) + " a sample";
    return error.strReason.empty();
}
