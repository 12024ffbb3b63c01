#include "app/CAppFixture.h"
#include "app/CMainFrame.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "support/CScriptedTime.h"

#include <QCoreApplication>
#include <QTimer>

#include <set>

namespace
{
using StatusBarTest = CAppFixture;

// A megabutton of three one-second steps, fired by a one-time event at 07:00. Each pass of the
// event loop is 100 ms of the program's time, and the scheduler's timer is due on every pass.
TEST_F(StatusBarTest, TheClockGoesOnWhileAScheduledMegabuttonPlays)
{
    ASSERT_TRUE(Start());
    CRemote& tv = AddRemoteWithButton("TV");
    CRemoteButton& party = *Doc().AddButton(tv, "Party", "", true);
    for (int nStep = 0; nStep < 3; ++nStep)
        party.m_steps.push_back(CMegaStep{&tv, tv.FindButton("Power"), 1});
    CTimedEvent fields;
    fields.m_strName = "Party";
    fields.m_time = CTime(1998, 6, 1, 7, 0, 0);
    fields.m_nFrequency = kFrequencyOnce;
    fields.m_pRemote = &tv;
    fields.m_pButton = &party;
    ASSERT_NE(Doc().AddEvent(fields), nullptr);

    m_pTicks->m_nStepPerRead = 0;
    CScriptedTime time(*m_pClock, *m_pTicks);
    time.SetClock(fields.m_time);
    std::set<QString> shownWhileFiring;
    QTimer passage;
    QObject::connect(&passage, &QTimer::timeout,
                     [&]
                     {
                         time.Advance(100);
                         if (App().GetEngine().GetFiringDepth() != 0)
                             shownWhileFiring.insert(Frame().GetClockText());
                     });
    passage.start(0);
    Frame().GetSchedulerTimer().start(0);
    for (int nPass = 0; nPass < 100 && Doc().FindEvent("Party"); ++nPass)
        QCoreApplication::processEvents();

    EXPECT_EQ(Doc().FindEvent("Party"), nullptr) << "the event has fired";
    EXPECT_TRUE(shownWhileFiring.count("7:00:01 AM") && shownWhileFiring.count("7:00:02 AM"))
        << shownWhileFiring.size() << " times shown";
}
} // namespace
