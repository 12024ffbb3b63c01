#include "app/CAppFixture.h"
#include "app/CFileDialog.h"
#include "app/CMainFrame.h"
#include "document/CQuorbexDoc.h"
#include "ui/CRemotePadDlg.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

namespace
{
using PadPlacementTest = CAppFixture;

CRemotePadDlg& OpenPad(CMainFrame& frame, CRemote& remote)
{
    frame.OnCommand(remote.m_nMenuId);
    QCoreApplication::processEvents();
    return *remote.m_pPad;
}

// The window system puts a frame around the pad; the position kept in the document must bring
// the pad back to the same place, not one title bar lower each time.
TEST_F(PadPlacementTest, APadComesBackWhereItWasAfterSaveAndOpen)
{
    ASSERT_TRUE(Start());
    CRemote& tv = AddRemoteWithButton("TV");
    CRemotePadDlg& pad = OpenPad(Frame(), tv);
    const QPoint target =
        QGuiApplication::primaryScreen()->availableGeometry().topLeft() + QPoint(150, 90);
    pad.move(target);
    QCoreApplication::processEvents();
    const QRect inner = pad.geometry();
    const QRect frame = pad.frameGeometry();
    // The stored corner is the one restoring uses; with a frame the two corners differ.
    EXPECT_EQ(QPoint(tv.m_nPadX, tv.m_nPadY), inner.topLeft());

    const QString strPath = GetTempPath("den.qb");
    CFileDialog::QueuePath(strPath);
    Frame().OnCommand(CMainFrame::kCmdFileSaveAs);
    for (int nCycle = 0; nCycle < 2; ++nCycle)
    {
        Frame().OnCommand(CMainFrame::kCmdFileNew);
        ASSERT_TRUE(App().OpenDocumentFile(strPath));
        QCoreApplication::processEvents();
        const CRemote* pReopened = Doc().FindRemote("TV");
        ASSERT_NE(pReopened->m_pPad, nullptr) << "it was open when saved";
        EXPECT_EQ(pReopened->m_pPad->geometry(), inner);
        EXPECT_EQ(pReopened->m_pPad->frameGeometry(), frame);
        EXPECT_FALSE(Doc().IsModified());
        Frame().OnCommand(CMainFrame::kCmdFileSave);
    }
}
} // namespace
