#include "app/CAppFixture.h"
#include "app/CFileDialog.h"
#include "app/CMainFrame.h"
#include "app/CSettings.h"
#include "document/CQuorbexDoc.h"
#include "ui/CRemotePadDlg.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>

#include <map>

namespace
{
using PadPlacementTest = CAppFixture;

CRemotePadDlg& OpenPad(CMainFrame& frame, CRemote& remote)
{
    frame.OnCommand(remote.m_nMenuId);
    QCoreApplication::processEvents();
    return *CRemotePadDlg::FindPad(remote);
}

// The window system puts a frame around the pad: the corner stored in the document must be the
// one that opening puts back in place, or the pad creeps by the title bar on every round trip.
TEST_F(PadPlacementTest, APadComesBackWhereItWasAfterSaveAndOpen)
{
    ASSERT_TRUE(Start());
    CRemote& tv = AddRemoteWithButton("TV");
    CRemotePadDlg& pad = OpenPad(Frame(), tv);
    pad.move(QPoint(150, 90));
    QCoreApplication::processEvents();
    const QRect inner = pad.geometry();
    EXPECT_EQ(QPoint(tv.m_nPadX, tv.m_nPadY), inner.topLeft());

    CFileDialog::QueuePath(GetTempPath("den.qb"));
    Frame().OnCommand(CMainFrame::kCmdFileSaveAs);
    Frame().OnCommand(CMainFrame::kCmdFileNew);
    ASSERT_TRUE(App().GetDocuments().OpenDocumentFile(GetTempPath("den.qb")));
    QCoreApplication::processEvents();
    EXPECT_EQ(CRemotePadDlg::FindPad(*Doc().FindRemote("TV"))->geometry(), inner);
    EXPECT_FALSE(Doc().IsModified());
}

// The size the person gives a pad is kept for that remote of that document, in the settings: the
// file stays as files made before, and another document's remote of that name is not sized.
TEST_F(PadPlacementTest, APadComesBackInTheSizeThePersonGaveIt)
{
    const QString strFile = GetTempPath("den.qb");
    ASSERT_TRUE(Start());
    AddRemoteWithButton("TV");
    AddRemoteWithButton("Amp");
    CFileDialog::QueuePath(strFile);
    Frame().OnCommand(CMainFrame::kCmdFileSaveAs);
    const QByteArray saved = [&strFile]
    {
        QFile file(strFile);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    CRemotePadDlg& pad = OpenPad(Frame(), *Doc().FindRemote("TV"));
    const QSize natural = pad.size();
    const QSize sized(natural.width() + 40, natural.height() - 30);
    pad.resize(sized);
    QCoreApplication::processEvents();
    Frame().OnCommand(CMainFrame::kCmdViewToolbar); // any command writes what changed
    Frame().OnCommand(CMainFrame::kCmdViewToolbar);

    ASSERT_TRUE(StartAgain(strFile));
    EXPECT_EQ(OpenPad(Frame(), *Doc().FindRemote("TV")).size(), sized);
    EXPECT_EQ(OpenPad(Frame(), *Doc().FindRemote("Amp")).size(), natural);
    EXPECT_FALSE(Doc().IsModified());
    QFile file(strFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), saved);

    Frame().OnCommand(CMainFrame::kCmdFileNew);
    EXPECT_EQ(OpenPad(Frame(), *Doc().AddRemote("TV", 0)).size(), natural);
}

// Saves the document as strPath with a remote TV whose pad is open and was never moved.
void SaveWithTvPadOpen(CMainFrame& frame, CRemote& tv, const QString& strPath)
{
    OpenPad(frame, tv);
    CFileDialog::QueuePath(strPath);
    frame.OnCommand(CMainFrame::kCmdFileSaveAs);
}

// A pad that opens with a document opened from the File menu is sized, and keeps the size the
// person gives it, under that document's name, not the one open before.
TEST_F(PadPlacementTest, APadOfADocumentOpenedLaterKeepsItsSizeUnderThatDocument)
{
    const QString strHall = GetTempPath("hall.qb");
    ASSERT_TRUE(Start());
    SaveWithTvPadOpen(Frame(), AddRemoteWithButton("TV"), strHall);
    Frame().OnCommand(CMainFrame::kCmdFileNew);
    AddRemoteWithButton("TV");
    CFileDialog::QueuePath(GetTempPath("den.qb"));
    Frame().OnCommand(CMainFrame::kCmdFileSaveAs);

    ASSERT_TRUE(App().GetDocuments().OpenDocumentFile(strHall));
    CRemotePadDlg& pad = *CRemotePadDlg::FindPad(*Doc().FindRemote("TV"));
    pad.resize(pad.size() + QSize(40, 20));
    QCoreApplication::processEvents();
    const auto& sizes = App().GetSettings().m_padSizes;
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes.begin()->first, CSettings::CPadKey(strHall, "TV"));
}

// A pad open when the file was saved but never moved has no place of its own: at start it goes
// beside the main window where the window was left, not where the window stood before that.
TEST_F(PadPlacementTest, APadNeverMovedOpensAtStartBesideTheWindowWhereItWasLeft)
{
    const QString strFile = GetTempPath("den.qb");
    ASSERT_TRUE(Start());
    SaveWithTvPadOpen(Frame(), AddRemoteWithButton("TV"), strFile);
    StoreSettings(
        [](CSettings& settings)
        {
            settings.m_nFrameShowCmd = EFrameShowState::Normal;
            settings.m_nFrameLeft = 40;
            settings.m_nFrameTop = 70;
            settings.m_nFrameRight = 340;
            settings.m_nFrameBottom = 270;
        });

    ASSERT_TRUE(StartAgain(strFile));
    QCoreApplication::processEvents();
    const QRect main = Frame().frameGeometry();
    ASSERT_EQ(Frame().geometry().topLeft(), QPoint(40, 70));
    const QRect pad = CRemotePadDlg::FindPad(*Doc().FindRemote("TV"))->frameGeometry();
    EXPECT_GT(pad.left(), main.right());
    EXPECT_EQ(pad.top(), main.top());
}

// Pads never moved before go beside the main window, apart and wholly on the screen: right of
// it, or left of it when the main window is at the screen's right edge.
TEST_F(PadPlacementTest, NewPadsCascadeBesideTheMainWindow)
{
    ASSERT_TRUE(Start());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize size = screen.size() / 2;
    for (const bool bAtRightEdge : {false, true})
    {
        Doc().SetModifiedFlag(false);
        Frame().OnCommand(CMainFrame::kCmdFileNew);
        Frame().setGeometry(
            QRect(screen.topLeft() + QPoint(bAtRightEdge ? size.width() - 10 : 10, 30), size));
        QCoreApplication::processEvents();
        const QRect main = Frame().frameGeometry();
        std::map<std::string, QRect> open;
        // A pad closed in between frees its place; the next must still cover none.
        for (const char* pszName : {"TV", "HiFi", "VCR", "-HiFi", "Amp", "Lights"})
        {
            if (pszName[0] == '-')
            {
                CRemotePadDlg::FindPad(*Doc().FindRemote(pszName + 1))->Close();
                open.erase(pszName + 1);
                continue;
            }
            const QRect pad = OpenPad(Frame(), *Doc().AddRemote(pszName, 7)).frameGeometry();
            EXPECT_TRUE(screen.contains(pad)) << pszName;
            EXPECT_FALSE(pad.intersects(main)) << pszName;
            EXPECT_EQ(pad.right() < main.left(), bAtRightEdge) << pszName;
            for (const auto& [strOther, other] : open)
                EXPECT_FALSE(pad.intersects(other)) << pszName << " on " << strOther;
            open[pszName] = pad;
        }
    }
}
} // namespace
