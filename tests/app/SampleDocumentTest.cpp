#include "app/CAppFixture.h"
#include "app/CMainFrame.h"
#include "app/CMessageBox.h"
#include "document/CQuorbexDoc.h"
#include "engine/CScheduler.h"
#include "ui/CEventListModel.h"
#include "ui/CQuorbexView.h"
#include "ui/CRemotePadDlg.h"

#include <QCoreApplication>
#include <QFile>

#include <map>

namespace
{
using SampleDocumentTest = CAppFixture;

// The sample document on the Monday morning after the final, as the main-window picture in
// docs/ shows it: its one-time recording is past, the morning news is next and the Sunday film
// is switched off.
TEST_F(SampleDocumentTest, MainWindowListsItsEventsWithTheirLiveStatus)
{
    m_pClock->m_now = CTime(1998, 7, 13, 6, 0, 0);
    ASSERT_TRUE(Start(QUORBIT_EXAMPLES "/living-room.qb"));
    App().GetSession().GetScheduler().SchedulerTick();

    const CEventListModel& model = Frame().GetView().GetModel();
    ASSERT_EQ(model.rowCount(), 6);
    std::map<QString, QString> statuses;
    for (int nRow = 0; nRow < model.rowCount(); ++nRow)
        statuses[model.data(model.index(nRow, 0)).toString()] =
            model.data(model.index(nRow, CEventListModel::kColumnStatus)).toString();
    EXPECT_EQ(statuses["Morning news"], "ARMED");
    EXPECT_EQ(statuses["Record the final"], "Expired");
    EXPECT_EQ(statuses["Sunday film"], "Disabled");
    EXPECT_EQ(statuses["Lights out"], "Active");
    EXPECT_EQ(Frame().GetClockText(), "6:00 AM");
}
// Every Qt image plugin, the SVG libraries among them, loads in some milliseconds: a picture
// read at start with its format left for Qt to find, or an SVG, would load them all before the
// window appears.
TEST_F(SampleDocumentTest, StartingLoadsNoImagePlugin)
{
    const auto loaded = []
    {
        QFile maps(QStringLiteral("/proc/self/maps"));
        EXPECT_TRUE(maps.open(QIODevice::ReadOnly));
        const QByteArray text = maps.readAll();
        return text.contains("/imageformats/") || text.contains("libQt6Svg");
    };
    if (loaded())
        GTEST_SKIP() << "an earlier test in this process loaded them";
    ASSERT_TRUE(Start(QUORBIT_EXAMPLES "/living-room.qb"));
    ASSERT_NE(CRemotePadDlg::FindPad(*Doc().FindRemote("TV")), nullptr);
    EXPECT_FALSE(loaded());
}

// Opening shows the pads that were open, the person opens the others, and the window manager
// frames each; saved and opened again, the document is as it was: no "*", no question.
TEST_F(SampleDocumentTest, OpeningAndShowingPadsNeverMarksTheDocumentModified)
{
    const QString strCopy = GetTempPath("living-room.qb");
    ASSERT_TRUE(QFile::copy(QUORBIT_EXAMPLES "/living-room.qb", strCopy));
    for (int nRound = 0; nRound < 2; ++nRound)
    {
        ASSERT_TRUE(nRound == 0 ? Start(strCopy) : StartAgain(strCopy));
        for (const auto& [strName, pRemote] : *Doc().m_pRemotes)
        {
            Frame().OnCommand(pRemote->m_nMenuId);
            QCoreApplication::processEvents();
            CRemotePadDlg& pad = *CRemotePadDlg::FindPad(*pRemote);
            pad.move(pad.geometry().topLeft());
            QCoreApplication::processEvents();
        }
        EXPECT_FALSE(Doc().IsModified()) << "round " << nRound;
        EXPECT_FALSE(Frame().isWindowModified()) << "round " << nRound;
        Frame().OnCommand(CMainFrame::kCmdFileSave);
    }
    EXPECT_TRUE(CMessageBox::TakeShownTexts().isEmpty());
}
} // namespace
