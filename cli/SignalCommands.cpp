#include "cli/SignalCommands.h"

#include "base/TextEncoding.h"
#include "cli/CLoadedDocument.h"
#include "common/ImportPlan.h"
#include "common/SignalStore.h"
#include "document/CSafeFile.h"

#include <cstdio>

bool FailCommand(const std::string& strReason)
{
    std::fprintf(stderr, "quorbit: %s\n", strReason.c_str());
    return false;
}

CRemote* FindRemoteArgument(const CQuorbexDoc& doc, const std::string& strDocument,
                            const std::string& strArgument)
{
    std::string strName;
    std::string strReason;
    if (!ToDocumentName(strArgument, strName, strReason))
        FailCommand("the remote name \"" + strArgument + "\" " + strReason);
    else if (CRemote* pRemote = doc.FindRemote(strName))
        return pRemote;
    else
        FailCommand(strDocument + " has no remote \"" + strArgument + "\"");
    return nullptr;
}

bool CheckRoom(const CRemote& remote, const std::vector<SExchangeCode>& codes, bool bStyleHint)
{
    const std::size_t nFree = CountFreeCells(remote);
    const std::size_t nNew = CountNewButtons(remote, codes);
    if (nNew <= nFree)
        return true;
    const int nStyle = bStyleHint ? FindRoomyStyle(remote, nNew) : -1;
    return FailCommand(
        ToDisplayText(remote.m_strName) + " is full: its pad has " + std::to_string(nFree) +
        " free places for " + std::to_string(nNew) + (nNew == 1 ? " new button" : " new buttons") +
        (nStyle < 0 ? std::string() : "; --style " + FormatStyle(nStyle) + " gives it room"));
}

bool StorePlanned(CQuorbexDoc& doc, CRemote& target, const SImportPlan& plan,
                  const std::vector<SExchangeCode>& codes, double dNanosPerSample,
                  std::string& strReport)
{
    if (!ApplyPlan(doc, target, plan, codes, dNanosPerSample))
        return false;
    const std::string strTarget = ToDisplayText(target.m_strName);
    for (const SFurtherRemote& further : plan.further)
        if (further.bMake)
            strReport += "Made the remote " + ToDisplayText(further.strName) + ", " +
                         kRemoteStyles[0].pszText + ", for the codes " + strTarget +
                         " has no room for.\n";
    for (std::size_t nCode = 0; nCode < codes.size(); ++nCode)
    {
        const SCodePlace& place = plan.places[nCode];
        const std::string strShown = ToDisplayText(codes[nCode].strName);
        const std::string strPad =
            place.nRemote == 0
                ? "the pad"
                : "the pad of " + ToDisplayText(plan.further[place.nRemote - 1].strName);
        if (place.bReplaces)
            strReport += "Replaced the signal of " + strShown + ".\n";
        else
            strReport += "Added " + strShown + " in cell " + std::to_string(place.nColumn) + "/" +
                         std::to_string(place.nRow) + " of " + strPad + ".\n";
    }
    return true;
}

bool SaveReported(CLoadedDocument& loaded, const std::string& strPath, const std::string& strReport)
{
    if (!loaded.GetDocument().OnSaveDocument(strPath))
        return false;
    std::printf("%sSaved %s; the previous version is kept as %s.\n", strReport.c_str(),
                strPath.c_str(), CSafeFile::GetBackupPath(strPath).c_str());
    return std::fflush(stdout) == 0;
}

bool StoreSignals(CLoadedDocument& loaded, CRemote& remote, const std::vector<SExchangeCode>& codes,
                  double dNanosPerSample, const std::string& strPath)
{
    CQuorbexDoc& doc = loaded.GetDocument();
    const SImportPlan plan = PlanPlaces(*doc.m_pRemotes, remote, remote.m_nStyle, codes);
    std::string strReport;
    return StorePlanned(doc, remote, plan, codes, dNanosPerSample, strReport) &&
           SaveReported(loaded, strPath, strReport);
}
