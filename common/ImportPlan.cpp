#include "common/ImportPlan.h"

#include "base/TextEncoding.h"
#include "common/SignalStore.h"
#include "device/SamplePeriod.h"
#include "document/CFrontEnd.h"
#include "document/CQuorbexDoc.h"
#include "document/CRemote.h"
#include "signal/ButtonSignal.h"
#include "signal/CodeListFormat.h"
#include "signal/ExchangeText.h"
#include "signal/FlipperFormat.h"
#include "signal/LircFormat.h"
#include "signal/ProntoFormat.h"
#include "signal/SignalDurations.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <set>
#include <tuple>

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

// The free cells of the remote's pad at style nStyle, row by row.
std::vector<std::pair<int, int>> FindFreeCellsAt(const CRemote& remote, int nStyle)
{
    std::vector<std::pair<int, int>> cells;
    const SRemoteStyle& style = kRemoteStyles[static_cast<std::size_t>(nStyle)];
    for (int nRow = 0; nRow < style.nRows; ++nRow)
        for (int nColumn = 0; nColumn < style.nColumns; ++nColumn)
            if (!remote.GetButtonAt(nColumn, nRow))
                cells.emplace_back(nColumn, nRow);
    return cells;
}

// The text from its first word on.
std::string_view SkipBlanks(std::string_view text)
{
    const std::size_t nFirst = text.find_first_not_of(" \t\r\n");
    return nFirst == std::string_view::npos ? std::string_view() : text.substr(nFirst);
}

// A pad new buttons of an import go on: the target's, or a further remote's.
struct SPad
{
    const CRemote* pRemote; // null: a remote the import makes
    std::vector<std::pair<int, int>> cells;
    std::size_t nUsed = 0;
};

// Whether the code can have the pad's next free cell: a remote of the document takes no code of
// a name it has, or that it refuses.
bool HasRoomFor(const SPad& pad, const std::string& strName)
{
    return pad.nUsed < pad.cells.size() &&
           (!pad.pRemote || (!pad.pRemote->FindButton(strName) &&
                             FindSignalRefusal(*pad.pRemote, strName).empty()));
}

// The next pad after the target's: the document's remote named after the target with the next
// number ("LG 2"), its free cells, or a new remote of that name with the largest style.
SPad AddFurtherPad(const CRemoteMap& remotes, const std::string& strTarget, SImportPlan& plan)
{
    const std::string strName =
        NameWithTail(strTarget, " " + std::to_string(plan.further.size() + 2));
    const auto it = remotes.find(strName);
    plan.further.push_back({strName, it == remotes.end() && strName != strTarget});
    if (!plan.further.back().bMake)
    {
        const CRemote* pRemote = it == remotes.end() ? nullptr : it->second.get();
        return {pRemote, pRemote ? FindFreeCellsAt(*pRemote, pRemote->m_nStyle)
                                 : std::vector<std::pair<int, int>>()};
    }
    return {nullptr, FindFreeCellsAt(CRemote(strName, 0, 0), 0)};
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

std::vector<SRenamedCode> NameCodes(std::vector<SExchangeCode>& codes, const CRemote& remote)
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
    std::vector<SRenamedCode> renamed;
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
        renamed.push_back({nCode, code.strName, bFirst ? 0 : it->second});
        code.strName = std::move(strNew);
    }
    return renamed;
}

bool ParseAnyCodes(std::string_view text, std::vector<SExchangeCode>& codes,
                   std::vector<SSkippedRemote>& skipped, SExchangeError& error)
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
    if (first == "begin" || ParseDecimal(first, 10'000'000) != 0 || HoldsLircRemote(text))
        return ParseLircCodes(text, codes, skipped, error);
    return ParseCodeList(text, codes, error);
}

bool ParseCodeFile(const std::string& strFileName, std::string_view text,
                   std::vector<SExchangeCode>& codes, std::vector<SSkippedRemote>& skipped,
                   SExchangeError& error)
{
    // Editors on other systems start UTF-8 text with a byte-order mark.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    if (text.find('\0') != std::string_view::npos)
        error = {0, "is not a file of codes: it holds bytes no text file has"};
    else if (strFileName.ends_with(".ir") && !SkipBlanks(text).starts_with("Filetype:"))
        error = {0, "is not an \".ir\" file: such a file starts with a \"Filetype:\" line"};
    else
        return ParseAnyCodes(text, codes, skipped, error);
    return false;
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

SImportPlan PlanPlaces(const CRemoteMap& remotes, const CRemote& target, int nStyle,
                       const std::vector<SExchangeCode>& codes)
{
    SImportPlan plan;
    std::vector<SPad> pads{{&target, FindFreeCellsAt(target, nStyle)}};
    for (const SExchangeCode& code : codes)
    {
        SCodePlace place;
        place.bReplaces = target.FindButton(code.strName) != nullptr;
        if (!place.bReplaces)
        {
            std::size_t nPad = 0;
            for (;; ++nPad)
            {
                if (nPad == pads.size())
                    pads.push_back(AddFurtherPad(remotes, target.m_strName, plan));
                if (HasRoomFor(pads[nPad], code.strName))
                    break;
            }
            place.nRemote = nPad;
            std::tie(place.nColumn, place.nRow) = pads[nPad].cells[pads[nPad].nUsed++];
        }
        plan.places.push_back(place);
    }
    return plan;
}

bool ApplyPlan(CQuorbexDoc& doc, CRemote& target, const SImportPlan& plan,
               const std::vector<SExchangeCode>& codes, double dNanos)
{
    std::vector<CRemote*> remotes{&target};
    for (const SFurtherRemote& further : plan.further)
    {
        remotes.push_back(further.bMake ? doc.AddRemote(further.strName, 0)
                                        : doc.FindRemote(further.strName));
        if (!remotes.back())
            return false;
    }
    // Adding a button closes the remote's pad, as a window showing it would be out of date; it
    // opens again afterwards (without windows only the pad's place in the file).
    std::vector<CRemote*> open;
    std::copy_if(remotes.begin(), remotes.end(), std::back_inserter(open),
                 [](const CRemote* pRemote) { return pRemote->m_bPadOpen; });
    for (std::size_t nCode = 0; nCode < codes.size(); ++nCode)
    {
        const SCodePlace& place = plan.places[nCode];
        CRemote& remote = *remotes[place.nRemote];
        CRemoteButton* pButton = remote.FindButton(codes[nCode].strName);
        if (pButton && !doc.CanChangeButton(*pButton))
            return false;
        if (!pButton)
        {
            pButton = doc.AddButton(remote, codes[nCode].strName, std::string(), false);
            if (!pButton)
                return false;
            remote.PlaceButton(*pButton, place.nColumn, place.nRow);
        }
        // A code too long for the unit's period takes a coarser one; CheckImportedCode has
        // refused any that no period holds.
        const SExchangeCode& code = codes[nCode];
        const double dPeriod = FindHoldingPeriod(code.durations, dNanos);
        pButton->m_bits = ToBitstream(code.durations, dPeriod);
        pButton->m_facts = MakeSignalFacts(code.durations, dPeriod, code.nCarrierHz, code.code);
        pButton->m_facts.nDutyPercent = code.nDutyPercent;
    }
    for (CRemote* pOpen : open)
        doc.GetFrontEnd().OpenPad(*pOpen);
    doc.SetModifiedFlag();
    return true;
}
