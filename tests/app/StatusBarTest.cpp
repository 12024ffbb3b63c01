#include "app/BackendNames.h"
#include "app/CAppFixture.h"
#include "app/CMainFrame.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "support/CScriptedTime.h"
#include "ui/CPadButton.h"
#include "ui/CRemotePadDlg.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <set>
#include <utility>

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
// Counts the paintings of a widget.
class CPaintCounter : public QObject
{
public:
    explicit CPaintCounter(QWidget& widget) { widget.installEventFilter(this); }
    int m_nPaints = 0;

protected:
    bool eventFilter(QObject* /*pWatched*/, QEvent* pEvent) override
    {
        m_nPaints += pEvent->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// What the status bar shows, and whether it was painted since the firing began, at the moment
// the button goes out; sending a plain button lets no painting happen until it is done.
TEST_F(StatusBarTest, SaysWhatIsBeingSentBeforeItGoesOut)
{
    ASSERT_TRUE(Start());
    CRemote& tv = AddRemoteWithButton("TV");
    CRemoteButton& power = *tv.FindButton("Power");
    power.m_strDescription = "Power on";
    // In the pad's top-left cell.
    power.m_nColumn = 0;
    power.m_nRow = 0;
    tv.m_grid[0] = &power;
    QStatusBar& statusBar = *Frame().statusBar();
    CPaintCounter painted(statusBar);
    QStringList sent;
    const auto recordSending = [&]
    {
        sent << statusBar.currentMessage() + (painted.m_nPaints > 0 ? " (painted)" : "");
        painted.m_nPaints = 0;
    };

    // From a pad: the frame hears of the click first, then the test, then the button goes out.
    Frame().OnCommand(tv.m_nMenuId);
    QCoreApplication::processEvents();
    painted.m_nPaints = 0;
    QObject::connect(tv.m_pPad, &CRemotePadDlg::FiringStarted, recordSending);
    QTest::mouseClick(tv.m_pPad->findChild<QPushButton*>(CPadButton::GetObjectName(1049)),
                      Qt::LeftButton);
    EXPECT_EQ(statusBar.currentMessage(), "") << "gone once sent";

    // A scheduled megabutton: its first step goes out just after the step observer's call. Its
    // wait ends as the millisecond count moves on with each reading.
    m_pTicks->m_nStepPerRead = 10;
    CRemoteButton& party = *Doc().AddButton(tv, "Party", "", true);
    party.m_steps.push_back(CMegaStep{&tv, &power, 0});
    CTimedEvent fields;
    fields.m_strName = "Party";
    fields.m_time = CTime(1998, 6, 1, 7, 0, 0);
    fields.m_pRemote = &tv;
    fields.m_pButton = &party;
    ASSERT_NE(Doc().AddEvent(fields), nullptr);
    m_pClock->m_now = fields.m_time;
    App().GetEngine().SetStepObserver([&](const CMegaStep&) { recordSending(); });
    Frame().GetSchedulerTimer().start(0);
    for (int nPass = 0; nPass < 100 && Doc().FindEvent("Party"); ++nPass)
        QCoreApplication::processEvents();

    EXPECT_EQ(sent.join(" | ").toStdString(),
              "Sending TV: Power on\u2026 (painted) | Sending TV: Party\u2026 (painted)");
    EXPECT_EQ(statusBar.currentMessage(), "");
}
TEST(BackendNamesTest, BackendsAreNamedInWordsAPersonKnows)
{
    using SNames = std::pair<const char*, const char*>;
    for (const auto& [pszName, pszWords] :
         {SNames{"simulated", "simulated infrared unit"},
          SNames{"ppdev /dev/parport1", "infrared unit on /dev/parport1"},
          SNames{"direct", "infrared unit on the parallel port"}})
        EXPECT_EQ(DescribeInfraredBackend(pszName), pszWords);
    for (const auto& [pszName, pszWords] :
         {SNames{"rtc", "hardware clock"}, SNames{"os", "system clock"},
          SNames{"simulated", "simulated clock"}})
        EXPECT_EQ(DescribeClockBackend(pszName), pszWords);
}

// Started in a 24-hour locale, the pane shows the clock's time in it from the first moment.
TEST_F(StatusBarTest, PanesShowTheBackendsInWordsAndTheTimeAtOnce)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const bool bStarted = Start();
    QLocale::setDefault(previous);
    ASSERT_TRUE(bStarted);
    EXPECT_EQ(Frame().GetClockText(), "06:59:00");
    EXPECT_EQ(Frame().findChild<QLabel*>("backendPane")->text(),
              "Simulated infrared unit \u00b7 scripted clock");
}
} // namespace
