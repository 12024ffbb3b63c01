#include "cli/CListingFrontEnd.h"

#include "base/CStringTable.h"
#include "document/CRemote.h"

EAnswer CListingFrontEnd::ShowMessage(int nStringId, const std::string& strArgument,
                                      EMessageBox nKind)
{
    std::fprintf(m_pMessages, "quorbit: %s\n", FormatString(nStringId, strArgument).c_str());
    return nKind == EMessageBox::Question ? EAnswer::No : EAnswer::Ok;
}

// Without windows a pad is only the state the file keeps.
void CListingFrontEnd::OpenPad(CRemote& remote)
{
    remote.m_bPadOpen = true;
}

void CListingFrontEnd::ClosePad(CRemote& remote)
{
    remote.m_bPadOpen = false;
}
