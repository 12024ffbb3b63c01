#include "app/CAppFixture.h"
#include "app/CMainFrame.h"
#include "engine/CScheduler.h"
#include "ui/CEventListModel.h"
#include "ui/CListCtrlEx.h"
#include "ui/CQuorbexView.h"

#include <QCoreApplication>
#include <QPixmap>

#include <map>

namespace
{
using SampleDocumentTest = CAppFixture;

// The sample document on the Monday morning after the final: its one-time recording is past, the
// morning news is next and the Sunday film is switched off. QUORBIT_SCREENSHOT names a file to
// keep a picture of the window in.
TEST_F(SampleDocumentTest, MainWindowListsItsEventsWithTheirLiveStatus)
{
    m_pClock->m_now = CTime(1998, 7, 13, 6, 0, 0);
    StoreSettings(
        [](CSettings& settings)
        {
            settings.m_eventList.m_widths = {130, 90, 130, 170, 70, 160, 80};
            settings.m_eventList.m_nSortColumn = CEventListModel::kColumnTime;
        });
    ASSERT_TRUE(Start(QUORBIT_EXAMPLES "/living-room.qb"));
    Frame().resize(900, 320);
    App().GetScheduler().SchedulerTick();

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
    EXPECT_EQ(Frame().GetClockText(), "6:00:00 AM");

    CListCtrlEx& list = Frame().GetView().GetList();
    Frame().activateWindow();
    list.setFocus();
    list.setCurrentIndex(model.index(1, 0));
    QCoreApplication::processEvents();
    const QPixmap picture = Frame().grab();
    EXPECT_EQ(picture.size(), Frame().size() * picture.devicePixelRatio());
    const QString strPath = qEnvironmentVariable("QUORBIT_SCREENSHOT");
    if (!strPath.isEmpty())
    {
        EXPECT_TRUE(picture.save(strPath));
    }
}
} // namespace
