#include "base/CStringTable.h"
#include "device/CBiosClock.h"
#include "document/CQuorbexDoc.h"
#include "support/CRecordingFrontEnd.h"
#include "support/CScriptedClock.h"
#include "support/TimeZone.h"
#include "ui/CDialogDriver.h"
#include "ui/CEventProgrammerDlg.h"
#include "ui/CSpinField.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>

namespace
{
// A document with remotes TV (Power, described, and Mute) and VCR (no buttons) on Monday
// 2 March 1998 06:59, Berlin time.
class EventProgrammerTest : public ::testing::Test
{
protected:
    EventProgrammerTest()
    {
        m_doc.OnNewDocument();
        m_pTv = m_doc.AddRemote("TV", 0);
        m_pPower = m_doc.AddButton(*m_pTv, "Power", "Switch on", false);
        m_doc.AddButton(*m_pTv, "Mute", "", false);
        m_doc.AddRemote("VCR", 0);
    }

    CTimedEvent& MakeEvent(const std::string& strName, const CTime& time, int nFrequency)
    {
        CTimedEvent fields;
        fields.m_strName = strName;
        fields.m_time = time;
        fields.m_nFrequency = nFrequency;
        fields.m_pRemote = m_pTv;
        fields.m_pButton = m_pPower;
        return *m_doc.AddEvent(fields);
    }

    CDialogDriver Open(const CTimedEvent* pSelected = nullptr)
    {
        m_frontEnd.m_calls.clear();
        m_pDlg = std::make_unique<CEventProgrammerDlg>(m_doc, pSelected, m_nLeft, m_nTop);
        m_pDlg->show();
        return Ui();
    }
    CDialogDriver Ui() const { return CDialogDriver(*m_pDlg); }

    // "add update remove" with the buttons not offered as "-".
    std::string GetOffered() const
    {
        std::string strOffered;
        for (const char* pszButton : {"add", "update", "remove"})
            strOffered += std::string(strOffered.empty() ? "" : " ") +
                          (Ui().IsEnabled(pszButton) ? pszButton : "-");
        return strOffered;
    }

    CScopedTimeZone m_zone{"Europe/Berlin"};
    CScriptedClock m_clockBackend{CTime(1998, 3, 2, 6, 59, 0)};
    CBiosClock m_clock{m_clockBackend};
    CRecordingFrontEnd m_frontEnd;
    CQuorbexDoc m_doc{m_frontEnd, m_clock, SClockSettings{}};
    CRemote* m_pTv = nullptr;
    CRemoteButton* m_pPower = nullptr;
    int m_nLeft = CEventProgrammerDlg::kNoPosition;
    int m_nTop = CEventProgrammerDlg::kNoPosition;
    std::unique_ptr<CEventProgrammerDlg> m_pDlg;
};

TEST_F(EventProgrammerTest, WithoutEventsStartsFromNowAndTheFirstRemote)
{
    const CDialogDriver ui = Open();
    const QStringList shown = {ui.Text("hour"),   ui.Text("minute"), ui.Text("frequency"),
                               ui.Text("month"),  ui.Text("day"),    ui.Text("year"),
                               ui.Text("remote"), ui.Text("button")};
    EXPECT_EQ(shown, (QStringList{"6", "59", "Once", "March", "2", "1998", "TV", "Mute"}));
    EXPECT_EQ(GetOffered(), "- - -");

    ui.Type("event", "Wake");
    EXPECT_EQ(GetOffered(), "add - -");
    ui.Find<QComboBox>("button").setCurrentText("Power");
    EXPECT_EQ(ui.Text("description"), "Switch on");
    // A remote without buttons leaves nothing to fire.
    ui.Find<QComboBox>("remote").setCurrentText("VCR");
    EXPECT_EQ(ui.Text("button"), "");
    EXPECT_EQ(GetOffered(), "- - -");
}

struct SFieldCase
{
    const char* pszField;
    int nStart;
    const char* pszTyped; // typed and then left; null: the up (nStep 1) or down arrow instead
    int nStep;
    const char* pszShown;
};

class EventProgrammerFieldTest : public EventProgrammerTest,
                                 public ::testing::WithParamInterface<SFieldCase>
{
};

// In April 1998. Arrows wrap round; typing is never refused half-way, but a number out of
// range offers nothing until leaving the field pulls it into range.
TEST_P(EventProgrammerFieldTest, ArrowsWrapAndTypedNumbersArePulledIntoRange)
{
    const SFieldCase& test = GetParam();
    const CDialogDriver ui = Open();
    ui.Find<QComboBox>("month").setCurrentIndex(3);
    ui.Type("event", "Wake");
    auto& field = ui.Find<CSpinField>(test.pszField);
    field.SetNumber(test.nStart);
    if (test.pszTyped)
    {
        ui.Type(test.pszField, test.pszTyped);
        EXPECT_FALSE(ui.IsEnabled("add"));
        ui.Leave(test.pszField);
    }
    else
    {
        QTest::keyClick(&field, test.nStep > 0 ? Qt::Key_Up : Qt::Key_Down);
    }
    EXPECT_EQ(field.text(), test.pszShown);
    EXPECT_TRUE(ui.IsEnabled("add"));
}

INSTANTIATE_TEST_SUITE_P(
    EventProgrammer, EventProgrammerFieldTest,
    ::testing::Values(
        SFieldCase{"hour", 0, nullptr, -1, "23"}, SFieldCase{"hour", 23, nullptr, 1, "0"},
        SFieldCase{"minute", 0, nullptr, -1, "59"}, SFieldCase{"minute", 59, nullptr, 1, "00"},
        SFieldCase{"minute", 4, nullptr, 1, "05"}, SFieldCase{"day", 1, nullptr, -1, "30"},
        SFieldCase{"day", 30, nullptr, 1, "1"}, SFieldCase{"year", 2048, nullptr, 1, "2048"},
        SFieldCase{"hour", 5, "75", 0, "23"}, SFieldCase{"hour", 5, "", 0, "0"},
        SFieldCase{"day", 5, "31", 0, "30"}, SFieldCase{"year", 2000, "199", 0, "1997"}));

struct SDayRangeCase
{
    int nYear;
    int nMonth;
    int nDays;
    int nDaysIn2001; // once only the year is changed to 2001
};

class EventProgrammerDayRangeTest : public EventProgrammerTest,
                                    public ::testing::WithParamInterface<SDayRangeCase>
{
};

// A 31st chosen first is pulled back to the last day of the month and year chosen after.
TEST_P(EventProgrammerDayRangeTest, FollowsMonthAndLeapYear)
{
    const SDayRangeCase& test = GetParam();
    const CDialogDriver ui = Open();
    ui.Find<CSpinField>("day").SetNumber(31);
    ui.Find<CSpinField>("year").SetNumber(test.nYear);
    ui.Find<QComboBox>("month").setCurrentIndex(test.nMonth - 1);
    EXPECT_EQ(ui.Find<CSpinField>("day").maximum(), test.nDays);
    EXPECT_EQ(ui.Text("day"), QString::number(test.nDays));

    ui.Type("year", "2001");
    EXPECT_EQ(ui.Text("day"), QString::number(test.nDaysIn2001));
}

INSTANTIATE_TEST_SUITE_P(EventProgrammer, EventProgrammerDayRangeTest,
                         ::testing::Values(SDayRangeCase{2000, 2, 29, 28},
                                           SDayRangeCase{2004, 2, 29, 28},
                                           SDayRangeCase{1998, 2, 28, 28},
                                           SDayRangeCase{1998, 4, 30, 30},
                                           SDayRangeCase{1998, 12, 31, 31}));

TEST_F(EventProgrammerTest, OnlyAOneTimeEventNeedsItsDate)
{
    const CDialogDriver ui = Open();
    ui.Type("event", "Wake");
    ui.Type("day", "");
    EXPECT_FALSE(ui.IsEnabled("add"));

    ui.Find<QComboBox>("frequency").setCurrentText("Daily");
    EXPECT_FALSE(ui.IsEnabled("month") || ui.IsEnabled("day") || ui.IsEnabled("year"));
    EXPECT_TRUE(ui.IsEnabled("add"));

    // Back to "Once": the date starts again from today.
    ui.Find<CSpinField>("year").SetNumber(2010);
    ui.Find<QComboBox>("frequency").setCurrentText("Once");
    EXPECT_EQ(ui.Text("day") + " " + ui.Text("year"), "2 1998");
}

TEST_F(EventProgrammerTest, ShowsTheSelectedEventOrElseTheFirstByName)
{
    CTimedEvent& wake = MakeEvent("Wake Up", CTime(1998, 3, 5, 7, 30, 0), kFrequencyOnce);
    MakeEvent("alarm", CTime(1997, 1, 1, 22, 5, 0), kFrequencyWeekdays);

    CDialogDriver ui = Open(&wake);
    EXPECT_EQ(ui.Text("event") + " " + ui.Text("hour") + " " + ui.Text("day"), "Wake Up 7 5")
        << "a one-time event keeps its own date";
    EXPECT_EQ(ui.Text("button"), "Power");
    EXPECT_EQ(GetOffered(), "- - remove");

    ui = Open();
    EXPECT_EQ(ui.Text("event") + " " + ui.Text("hour") + ":" + ui.Text("minute"), "alarm 22:05");
    EXPECT_EQ(ui.Text("frequency"), "Monday to Friday");
    EXPECT_FALSE(ui.IsEnabled("month"));
}

// A document may hold years the field's arrows never reach: shown, such an event is unchanged,
// and an update of its hour keeps its year.
TEST_F(EventProgrammerTest, AYearBeyondTheFieldsRangeIsShownAndKept)
{
    CTimedEvent& launch = MakeEvent("Launch", CTime(2060, 7, 12, 20, 45, 0), kFrequencyOnce);
    const CDialogDriver ui = Open(&launch);
    EXPECT_EQ(ui.Text("year"), "2060");
    EXPECT_EQ(GetOffered(), "- - remove");
    ui.Type("hour", "21");
    ui.Click("update");
    EXPECT_EQ(launch.m_time, CTime(2060, 7, 12, 21, 45, 0));
}

struct SOfferCase
{
    const char* pszName;
    const char* pszTyped;
    const char* pszChange; // "hour", "button" or ""
    const char* pszOffered;
};

class EventProgrammerOfferTest : public EventProgrammerTest,
                                 public ::testing::WithParamInterface<SOfferCase>
{
};

// Add for a new valid name, Update only for a real change of an existing event, Remove for an
// existing one; other letter case names the same event.
TEST_P(EventProgrammerOfferTest, OffersWhatCanApply)
{
    const SOfferCase& test = GetParam();
    MakeEvent("Wake Up", CTime(1998, 3, 5, 7, 30, 0), kFrequencyOnce);
    const CDialogDriver ui = Open();
    ui.Type("event", test.pszTyped);
    if (std::string(test.pszChange) == "hour")
        ui.Type("hour", "8");
    else if (std::string(test.pszChange) == "button")
        ui.Find<QComboBox>("button").setCurrentText("Mute");
    EXPECT_EQ(GetOffered(), test.pszOffered);
}

INSTANTIATE_TEST_SUITE_P(
    EventProgrammer, EventProgrammerOfferTest,
    ::testing::Values(SOfferCase{"Unchanged", "Wake Up", "", "- - remove"},
                      SOfferCase{"NewHour", "Wake Up", "hour", "- update remove"},
                      SOfferCase{"OtherButton", "Wake Up", "button", "- update remove"},
                      SOfferCase{"OtherLetterCase", "wake up", "hour", "- update remove"},
                      SOfferCase{"NoName", "", "", "- - -"}),
    [](const ::testing::TestParamInfo<SOfferCase>& info) { return info.param.pszName; });

TEST_F(EventProgrammerTest, OtherLetterCaseChangesTheEventRatherThanMakingASecond)
{
    MakeEvent("Wake Up", CTime(1998, 3, 5, 7, 30, 0), kFrequencyOnce);
    const CDialogDriver ui = Open();
    ui.Type("event", "wake up");
    EXPECT_EQ(ui.Text("hour"), "7");
    // Enter picks nothing: the name stays as typed.
    QTest::keyClick(&ui.Find<QComboBox>("event"), Qt::Key_Return);
    EXPECT_EQ(ui.Text("event"), "wake up");

    ui.Type("hour", "8");
    ui.Click("update");
    EXPECT_EQ(m_doc.FindEvent("Wake Up")->m_time, CTime(1998, 3, 5, 8, 30, 0));
    EXPECT_EQ(m_doc.FindEvent("wake up"), nullptr);
    EXPECT_EQ(m_doc.m_pEvents->size(), 1u);
}

// With "Wake Up" and "wake up" both programmed, the typed name decides which one changes:
// a search that ignored letter case would find "Wake Up" first.
TEST_F(EventProgrammerTest, UpdateAndRemoveActOnTheEventOfExactlyTheTypedName)
{
    CTimedEvent& upper = MakeEvent("Wake Up", CTime(1998, 3, 5, 7, 30, 0), kFrequencyOnce);
    MakeEvent("wake up", CTime(1998, 3, 6, 9, 0, 0), kFrequencyOnce);
    const CDialogDriver ui = Open();
    ui.Type("event", "wake up");
    EXPECT_EQ(ui.Text("hour"), "9") << "its own settings";

    ui.Type("hour", "10");
    ui.Click("update");
    EXPECT_EQ(m_doc.FindEvent("wake up")->m_time, CTime(1998, 3, 6, 10, 0, 0));
    EXPECT_EQ(upper.m_time, CTime(1998, 3, 5, 7, 30, 0));

    m_frontEnd.QueueAnswer(EAnswer::Yes);
    ui.Click("remove");
    EXPECT_EQ(m_doc.FindEvent("wake up"), nullptr);
    EXPECT_EQ(m_doc.FindEvent("Wake Up"), &upper);
    ASSERT_EQ(m_frontEnd.m_messages.size(), 1u);
    EXPECT_EQ(m_frontEnd.m_messages[0].strArgument, "wake up");
    // The name stays typed, and now names the other event, letter case aside.
    EXPECT_EQ(ui.Text("event"), "wake up");
    EXPECT_EQ(GetOffered(), "- update remove");
}

// A one-time event whose minute has passed would show Expired at once and never fire.
TEST_F(EventProgrammerTest, AOneTimeEventInThePastIsKeptOnlyWhenThePersonSaysSo)
{
    const CDialogDriver ui = Open();
    ui.Type("event", "Wake");
    ui.Type("minute", "58");
    ui.Leave("minute");
    ui.Click("add"); // answered No
    EXPECT_EQ(m_doc.FindEvent("Wake"), nullptr);
    ASSERT_EQ(m_frontEnd.m_messages.size(), 1u);
    EXPECT_EQ(m_frontEnd.m_messages[0].nStringId, StringId::kConfirmPastEvent);
    EXPECT_EQ(m_frontEnd.m_messages[0].strArgument, "Wake");
    m_frontEnd.QueueAnswer(EAnswer::Yes);
    ui.Click("add");
    EXPECT_NE(m_doc.FindEvent("Wake"), nullptr);

    // This very minute, and a daily event at a time passed today, are asked about by nobody.
    ui.Type("event", "Now");
    ui.Type("minute", "59");
    ui.Leave("minute");
    ui.Click("add");
    ui.Type("event", "Daily");
    ui.Find<QComboBox>("frequency").setCurrentText("Daily");
    ui.Type("minute", "58");
    ui.Leave("minute");
    ui.Click("add");
    EXPECT_NE(m_doc.FindEvent("Now"), nullptr);
    EXPECT_NE(m_doc.FindEvent("Daily"), nullptr);
    EXPECT_EQ(m_frontEnd.m_messages.size(), 2u);
}

// The scheduler runs under the dialog: the event may have begun to fire after the buttons
// were last judged.
TEST_F(EventProgrammerTest, AnEventThatStartedFiringIsNeitherUpdatedNorRemoved)
{
    CTimedEvent& wake = MakeEvent("Wake Up", CTime(1998, 3, 5, 7, 30, 0), kFrequencyOnce);
    const CDialogDriver ui = Open(&wake);
    ui.Type("hour", "8");
    ++wake.m_nFiring;
    ui.Click("update");
    ui.Click("remove");
    --wake.m_nFiring;

    ASSERT_EQ(m_frontEnd.m_messages.size(), 2u);
    EXPECT_EQ(m_frontEnd.m_messages[0].nStringId, StringId::kEventFiringUpdate);
    EXPECT_EQ(m_frontEnd.m_messages[1].nStringId, StringId::kEventFiringRemove);
    EXPECT_EQ(wake.m_time, CTime(1998, 3, 5, 7, 30, 0));
    EXPECT_EQ(m_doc.FindEvent("Wake Up"), &wake);
}

// 02:30 on 29 March 1998 does not exist in Berlin: the clocks went from 02:00 to 03:00. A
// one-time event fires then at 03:30, and the dialog shows that time. A daily event keeps its
// 02:30 for every other day: it is built on the day before.
TEST_F(EventProgrammerTest, ATimeTheClocksSkipIsStoredAndShownAsNormalised)
{
    for (const auto& [pszFrequency, pszStored, pszShown] :
         {std::tuple{"Once", "1998-03-29 03:30", "3:30"},
          std::tuple{"Daily", "1998-03-28 02:30", "2:30"}})
    {
        SCOPED_TRACE(pszFrequency);
        const CDialogDriver ui = Open();
        const std::string strName = std::string("Spring ") + pszFrequency;
        ui.Type("event", QString::fromStdString(strName));
        ui.Find<QComboBox>("frequency").setCurrentText(pszFrequency);
        ui.Find<CSpinField>("day").SetNumber(29);
        ui.Type("hour", "2");
        ui.Type("minute", "30");
        ui.Click("add");

        ASSERT_NE(m_doc.FindEvent(strName), nullptr);
        EXPECT_EQ(m_doc.FindEvent(strName)->m_time.Format(), pszStored);
        EXPECT_EQ(ui.Text("hour") + ":" + ui.Text("minute"), pszShown);
        EXPECT_EQ(GetOffered(), "- - remove");
    }
}

TEST_F(EventProgrammerTest, ClosingStoresThePlaceItOpensAtNextTime)
{
    Open();
    m_pDlg->move(140, 90);
    QTest::keyClick(m_pDlg.get(), Qt::Key_Escape);
    EXPECT_FALSE(m_pDlg->isVisible());
    const QPoint inner = m_pDlg->geometry().topLeft();
    EXPECT_EQ(QPoint(m_nLeft, m_nTop), inner);

    // A place off the screen's edge is pulled back onto it.
    m_nLeft = -60;
    Open();
    const int nScreenLeft = QGuiApplication::primaryScreen()->availableGeometry().left();
    EXPECT_EQ(m_pDlg->frameGeometry().left(), nScreenLeft);
    EXPECT_EQ(QPoint(m_nLeft, m_nTop), QPoint(m_pDlg->geometry().left(), inner.y()));
}
} // namespace
