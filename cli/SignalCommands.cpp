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

bool StoreSignals(CLoadedDocument& loaded, CRemote& remote, const std::vector<SExchangeCode>& codes,
                  double dNanosPerSample, const std::string& strPath)
{
    std::string strReport;
    if (!ApplyCodes(loaded.GetDocument(), remote, codes, dNanosPerSample, strReport) ||
        !loaded.GetDocument().OnSaveDocument(strPath))
        return false;
    std::printf("%sSaved %s; the previous version is kept as %s.\n", strReport.c_str(),
                strPath.c_str(), CSafeFile::GetBackupPath(strPath).c_str());
    return std::fflush(stdout) == 0;
}
