#include "app/cli/CListingFrontEnd.h"

#include "base/CStringTable.h"
#include "document/CRemote.h"

EAnswer CListingFrontEnd::ShowMessage(int nStringId, const std::string& strArgument,
                                      EMessageBox nKind)
{
    std::fprintf(m_pMessages, "quorbit: %s\n", FormatString(nStringId, strArgument).c_str());
    return nKind == EMessageBox::Question ? EAnswer::No : EAnswer::Ok;
}

namespace
{
// The core never looks inside a pad (it only knows the type by name) and asks only whether
// one is open, so a pointer that is never followed stands for a pad without a window.
CRemotePadDlg* PadWithoutWindow()
{
    static char cMarker;
    return reinterpret_cast<CRemotePadDlg*>(&cMarker);
}
} // namespace

void CListingFrontEnd::OpenPad(CRemote& remote)
{
    remote.m_pPad = PadWithoutWindow();
}

void CListingFrontEnd::ClosePad(CRemote& remote)
{
    remote.m_pPad = nullptr;
}
