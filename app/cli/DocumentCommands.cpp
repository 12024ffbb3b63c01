#include "app/cli/DocumentCommands.h"

#include "app/cli/CListingFrontEnd.h"
#include "app/cli/DocumentListing.h"
#include "device/CBiosClock.h"
#include "document/CQuorbexDoc.h"
#include "ui/resources/CStringTable.h"

#include <cstdio>

namespace
{
// A document with the console front end and a clock over the chosen backend.
class CLoadedDocument
{
public:
    explicit CLoadedDocument(CClockBackend& clockBackend)
        : m_clock(clockBackend), m_doc(m_frontEnd, m_clock, SClockSettings{})
    {
    }

    bool Open(const std::string& strPath)
    {
        return Check(m_doc.OnOpenDocument(strPath), StringId::kOpenFailed, strPath);
    }

    bool Save(const std::string& strPath)
    {
        return Check(m_doc.OnSaveDocument(strPath), StringId::kSaveFailed, strPath);
    }

    CListingFrontEnd m_frontEnd;
    CBiosClock m_clock;
    CQuorbexDoc m_doc;

private:
    // A failure must never end silently: when the document gave no reason, give the general one.
    bool Check(bool bDone, int nStringId, const std::string& strPath)
    {
        if (!bDone && m_frontEnd.GetMessageCount() == m_nMessagesBefore)
            m_frontEnd.ShowMessage(nStringId, strPath, EMessageBox::Stop);
        m_nMessagesBefore = m_frontEnd.GetMessageCount();
        return bDone;
    }

    int m_nMessagesBefore = 0;
};
} // namespace

int ListDocument(const std::string& strPath, bool bJson, CClockBackend& clockBackend)
{
    CLoadedDocument loaded(clockBackend);
    if (!loaded.Open(strPath))
        return 1;
    const std::string strText =
        bJson ? FormatDocumentJson(loaded.m_doc) : FormatDocumentText(loaded.m_doc);
    std::fwrite(strText.data(), 1, strText.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int ConvertDocument(const std::string& strInPath, const std::string& strOutPath,
                    CClockBackend& clockBackend)
{
    CLoadedDocument loaded(clockBackend);
    return loaded.Open(strInPath) && loaded.Save(strOutPath) ? 0 : 1;
}
