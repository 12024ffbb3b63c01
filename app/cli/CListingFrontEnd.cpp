#include "app/cli/CListingFrontEnd.h"

#include "document/CRemote.h"
#include "ui/resources/CStringTable.h"

EAnswer CListingFrontEnd::ShowMessage(int nStringId, const std::string& strArgument,
                                      EMessageBox nKind)
{
    ++m_nMessages;
    std::fprintf(m_pMessages, "quorbit: %s\n", FormatString(nStringId, strArgument).c_str());
    return nKind == EMessageBox::Question ? EAnswer::No : EAnswer::Ok;
}

void CListingFrontEnd::OpenPad(CRemote& remote)
{
    m_openPads.insert(remote.m_strName);
}
