#include "cli/CLoadedDocument.h"

#include <cstdio>

bool CLoadedDocument::LockForChange(const std::string& strPath)
{
    std::string strError;
    if (m_lock.Lock(strPath, true, CDocumentLock::kWaitMs, strError) ==
        CDocumentLock::EResult::Locked)
        return true;
    std::fprintf(stderr, "quorbit: %s\n", strError.c_str());
    return false;
}

bool CLoadedDocument::OpenToChange(const std::string& strPath)
{
    return LockForChange(strPath) && GetDocument().OnOpenDocument(strPath);
}
