#include "app/cli/DocumentCommands.h"

#include "app/cli/CListingFrontEnd.h"
#include "app/cli/DocumentListing.h"
#include "device/CBiosClock.h"
#include "document/CQuorbexDoc.h"

#include <cstdio>

namespace
{
// A document with the console front end, which shows every reason a load or save fails, and a
// clock over the chosen backend.
class CLoadedDocument
{
public:
    explicit CLoadedDocument(CClockBackend& clockBackend)
        : m_clock(clockBackend), m_doc(m_frontEnd, m_clock, SClockSettings{})
    {
    }

    CListingFrontEnd m_frontEnd;
    CBiosClock m_clock;
    CQuorbexDoc m_doc;
};
} // namespace

int ListDocument(const std::string& strPath, bool bJson, CClockBackend& clockBackend)
{
    CLoadedDocument loaded(clockBackend);
    if (!loaded.m_doc.OnOpenDocument(strPath))
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
    CQuorbexDoc& doc = loaded.m_doc;
    return doc.OnOpenDocument(strInPath) && doc.OnSaveDocument(strOutPath) ? 0 : 1;
}
