#include "app/CAppFixture.h"
#include "app/CMainFrame.h"
#include "document/CQuorbexDoc.h"
#include "ui/CPadButton.h"
#include "ui/CRemotePadDlg.h"

#include <QCoreApplication>

namespace
{
using ContentChangeTest = CAppFixture;

const CPadButton* FindCellShowing(const CRemotePadDlg& pad, const QString& strName)
{
    for (const CPadButton* pCell : pad.findChildren<CPadButton*>())
    {
        if (pCell->text() == strName)
            return pCell;
    }
    return nullptr;
}

// A signal stored while the pad is open (an import, a learn from another window) used to leave
// the cell's tooltip describing the old one until the pad was opened again.
TEST_F(ContentChangeTest, AnOpenPadShowsASignalStoredMeanwhile)
{
    ASSERT_TRUE(Start(QUORBIT_EXAMPLES "/living-room.qb"));
    CQuorbexDoc& doc = App().GetSession().GetDocument();
    CRemote& tv = *doc.FindRemote("TV");
    Frame().OnCommand(tv.m_nMenuId);
    QCoreApplication::processEvents();
    const CRemotePadDlg& pad = *CRemotePadDlg::FindPad(tv);
    const CPadButton* pPower = FindCellShowing(pad, "Power");
    const CPadButton* pChannel = FindCellShowing(pad, "Ch+");
    ASSERT_TRUE(pPower && pChannel);
    ASSERT_NE(pPower->toolTip(), pChannel->toolTip());

    tv.FindButton("Power")->m_bits = tv.FindButton("Ch+")->m_bits;
    doc.SetModifiedFlag();
    QCoreApplication::processEvents();
    EXPECT_EQ(pPower->toolTip().section('\n', -1), pChannel->toolTip().section('\n', -1));
}
} // namespace
