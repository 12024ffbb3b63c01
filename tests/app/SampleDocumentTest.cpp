#include "app/CAppFixture.h"
#include "app/CMainFrame.h"
#include "engine/CScheduler.h"
#include "ui/CEventListModel.h"
#include "ui/CQuorbexView.h"

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
} // namespace
