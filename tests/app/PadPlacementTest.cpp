#include "app/CAppFixture.h"
#include "app/CFileDialog.h"
#include "app/CMainFrame.h"
#include "document/CQuorbexDoc.h"
#include "ui/CRemotePadDlg.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include <vector>

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

class FirstPlacementTest : public CAppFixture, public ::testing::WithParamInterface<bool>
{
};

// Pads never moved before go beside the main window, wholly on the screen and apart, on its right
// or, with the main window at the screen's right edge, on its left.
TEST_P(FirstPlacementTest, NewPadsCascadeBesideTheMainWindow)
{
    const bool bMainAtRightEdge = GetParam();
    ASSERT_TRUE(Start());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize size(screen.width() / 2, screen.height() / 2);
    Frame().setGeometry(QRect(bMainAtRightEdge ? screen.topRight() - QPoint(size.width() + 10, -30)
                                               : screen.topLeft() + QPoint(10, 30),
                              size));
    QCoreApplication::processEvents();
    const QRect main = Frame().frameGeometry();

    std::vector<QRect> pads;
    for (const char* pszName : {"TV", "HiFi", "VCR"})
    {
        CRemote& remote = *Doc().AddRemote(pszName, 7);
        const QRect pad = OpenPad(Frame(), remote).frameGeometry();
        SCOPED_TRACE(pszName);
        EXPECT_TRUE(screen.contains(pad));
        EXPECT_FALSE(pad.intersects(main));
        EXPECT_EQ(bMainAtRightEdge, pad.right() < main.left());
        for (const QRect& other : pads)
            EXPECT_NE(pad.topLeft(), other.topLeft());
        pads.push_back(pad);
        EXPECT_EQ(remote.m_nPadX, kNoPadPosition) << "placed, not moved by the person";
    }
}

INSTANTIATE_TEST_SUITE_P(MainWindow, FirstPlacementTest, ::testing::Values(false, true),
                         [](const auto& info)
                         { return std::string(info.param ? "AtRightEdge" : "AtLeftEdge"); });
} // namespace
