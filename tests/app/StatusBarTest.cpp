#include "app/BackendNames.h"
#include "app/CAppFixture.h"
#include "app/CMainFrame.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "engine/CScheduler.h"
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

// A megabutton of two one-minute steps, fired by a one-time event at 07:00. Each pass of the
// event loop is a second of the program's time, and the scheduler's timer is due on every pass.
TEST_F(StatusBarTest, WhileAScheduledMegabuttonPlaysTheClockGoesOnAndSaysWhatIsSent)
{
    ASSERT_TRUE(Start());
    CRemote& tv = AddRemoteWithButton("TV");
    CRemoteButton& party = *Doc().AddButton(tv, "Party", "", true);
    for (int nStep = 0; nStep < 2; ++nStep)
        party.m_steps.push_back(CMegaStep{&tv, tv.FindButton("Power"), 4});
    CTimedEvent fields;
    fields.m_strName = "Party";
    fields.m_time = CTime(1998, 6, 1, 7, 0, 0);
    fields.m_pRemote = &tv;
    fields.m_pButton = &party;
    ASSERT_NE(Doc().AddEvent(fields), nullptr);

    CScriptedTime time(*m_pClock, *m_pTicks);
    time.SetClock(fields.m_time);
    std::set<QString> shownWhileFiring; // the clock pane and the message
    QTimer passage;
    QObject::connect(&passage, &QTimer::timeout,
                     [&]
                     {
                         time.Advance(1000);
                         if (App().GetSession().GetEngine().GetFiringDepth() != 0)
                             shownWhileFiring.insert(Frame().GetClockText() + " " +
                                                     Frame().statusBar()->currentMessage());
                     });
    passage.start(0);
    // On every pass of the loop, not on whole seconds of real time.
    Frame().GetSchedulerTimer().setTimerType(Qt::CoarseTimer);
    Frame().GetSchedulerTimer().start(0);
    for (int nPass = 0; nPass < 300 && Doc().FindEvent("Party"); ++nPass)
        QCoreApplication::processEvents();

    EXPECT_EQ(Doc().FindEvent("Party"), nullptr) << "the event has fired";
    for (const char* pszShown :
         {"7:00 AM Sending TV: Party\u2026", "7:01 AM Sending TV: Party\u2026"})
        EXPECT_TRUE(shownWhileFiring.count(pszShown)) << pszShown;
    EXPECT_EQ(Frame().statusBar()->currentMessage(), "Sent TV: Party");
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

// An idle window draws nothing each second: the clock pane shows the minute, and is drawn
// again when it changes.
TEST_F(StatusBarTest, TheClockPaneIsDrawnOnlyWhenItsMinuteChanges)
{
    ASSERT_TRUE(Start());
    CScriptedTime time(*m_pClock, *m_pTicks);
    time.SetClock(CTime(1998, 6, 1, 6, 59, 0));
    QLabel& pane = *Frame().findChild<QLabel*>("clockPane");
    CScheduler& scheduler = App().GetSession().GetScheduler();
    scheduler.SchedulerTick();
    QCoreApplication::processEvents();
    CPaintCounter painted(pane);
    for (int nSecond = 1; nSecond < 60; ++nSecond)
    {
        time.Advance(1000);
        scheduler.SchedulerTick();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(painted.m_nPaints, 0);
    EXPECT_EQ(pane.text(), "6:59 AM");
    time.Advance(1000);
    scheduler.SchedulerTick();
    QCoreApplication::processEvents();
    EXPECT_EQ(pane.text(), "7:00 AM");
    EXPECT_EQ(painted.m_nPaints, 1);
}

// The C locale's short time has seconds; the pane shows the minute alone, or they would stand
// at ":00".
TEST_F(StatusBarTest, TheClockPaneShowsNoSecondsWhereTheLocalesShortTimeHasThem)
{
    const QLocale before;
    QLocale::setDefault(QLocale::c());
    ASSERT_TRUE(Start());
    CScriptedTime time(*m_pClock, *m_pTicks);
    time.SetClock(CTime(1998, 6, 1, 6, 59, 41));
    App().GetSession().GetScheduler().SchedulerTick();
    EXPECT_EQ(Frame().findChild<QLabel*>("clockPane")->text(), "06:59");
    QLocale::setDefault(before);
}

// Sending a plain button keeps the windows still until it is done, so the message must be
// painted before: when the pad announces the button, the frame has heard of it first.
TEST_F(StatusBarTest, APadsButtonIsShownBeforeItGoesOut)
{
    ASSERT_TRUE(Start());
    CRemote& tv = AddRemoteWithButton("TV");
    CRemoteButton& power = *tv.FindButton("Power");
    power.m_strDescription = "Power on";
    tv.m_grid[0] = &power; // the top-left cell
    power.m_nColumn = power.m_nRow = 0;
    Frame().OnCommand(tv.m_nMenuId);
    QCoreApplication::processEvents();
    CPaintCounter painted(*Frame().statusBar());
    QString strShown;
    auto* pCell =
        CRemotePadDlg::FindPad(tv)->findChild<CPadButton*>(CPadButton::GetObjectName(1049));
    QObject::connect(CRemotePadDlg::FindPad(tv), &CRemotePadDlg::FiringStarted,
                     [&]
                     {
                         strShown = Frame().statusBar()->currentMessage() +
                                    (painted.m_nPaints > 0 ? " (painted)" : "") +
                                    (pCell->IsSending() ? " (lit)" : "");
                     });
    QTest::mouseClick(pCell, Qt::LeftButton);
    EXPECT_EQ(strShown, "Sending TV: Power on\u2026 (painted) (lit)");
    // Sent in a moment: the bar still says what went out, and the cell is itself again.
    EXPECT_EQ(Frame().statusBar()->currentMessage(), "Sent TV: Power on");
    EXPECT_FALSE(pCell->IsSending());
}

// A long name, or a broker's long refusal, may not fit beside the other panes: the bar and the
// pane show it whole on hover.
TEST_F(StatusBarTest, AMessageTooLongForTheBarIsShownWholeOnHover)
{
    ASSERT_TRUE(Start());
    const QString strButton = "Living room amplifier: Volume down by three steps";
    Frame().ShowSending(strButton);
    EXPECT_EQ(Frame().statusBar()->toolTip(), "Sending " + strButton + "\u2026");
    Frame().OnFiringEnded();
    EXPECT_EQ(Frame().statusBar()->toolTip(), "Sent " + strButton);

    const QString strRefused = "MQTT: not connected to broker.example.org:1883: Connection Refused";
    Frame().SetMqttText(strRefused);
    const QLabel& pane = *Frame().findChild<QLabel*>("mqttPane");
    EXPECT_TRUE(pane.toolTip().endsWith("\n" + strRefused));
    // Cut, so that the bar keeps room for what is sent.
    EXPECT_LT(pane.sizeHint().width(), pane.fontMetrics().horizontalAdvance(strRefused) * 2 / 3);
}

TEST(BackendNamesTest, BackendsAreNamedInWordsAPersonKnows)
{
    using SNames = std::pair<const char*, const char*>;
    for (const auto& [pszName, pszWords] :
         {SNames{"simulated", "simulated infrared unit"},
          SNames{"ppdev /dev/parport1", "infrared unit on /dev/parport1"},
          SNames{"direct", "infrared unit on the parallel port"},
          SNames{"lirc /dev/lirc0, send only", "infrared device /dev/lirc0, send only"},
          SNames{"lirc /dev/lirc1 (send), /dev/lirc0 (receive)",
                 "infrared devices /dev/lirc1 (send), /dev/lirc0 (receive)"}})
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
    EXPECT_EQ(Frame().GetClockText(), "06:59");
    EXPECT_EQ(Frame().findChild<QLabel*>("backendPane")->text(),
              "Simulated infrared unit \u00b7 scripted clock");
}
} // namespace
