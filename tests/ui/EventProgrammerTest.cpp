#include "base/CStringTable.h"
#include "device/CBiosClock.h"
#include "document/CQuorbexDoc.h"
#include "support/CRecordingFrontEnd.h"
#include "support/CScriptedClock.h"
#include "support/TimeZone.h"
#include "ui/CEventProgrammerDlg.h"
#include "ui/CSpinField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

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

    CEventProgrammerDlg& Open(const CTimedEvent* pSelected = nullptr)
    {
        m_frontEnd.m_calls.clear();
        m_pDlg = std::make_unique<CEventProgrammerDlg>(m_doc, pSelected, m_nLeft, m_nTop);
        m_pDlg->show();
        return *m_pDlg;
    }

    template <typename TWidget> TWidget* Find(const char* pszName) const
    {
        auto* pWidget = m_pDlg->findChild<TWidget*>(pszName);
        EXPECT_NE(pWidget, nullptr) << pszName;
        return pWidget;
    }

    void TypeName(const QString& strName) const
    {
        auto* pBox = Find<QComboBox>("event");
        pBox->clearEditText();
        QTest::keyClicks(pBox, strName);
    }

    void Type(const char* pszField, const QString& strText) const
    {
        auto* pField = Find<CSpinField>(pszField);
        pField->selectAll();
        QTest::keyClick(pField, Qt::Key_Backspace);
        QTest::keyClicks(pField, strText);
    }

    void Leave(const char* pszField) const
    {
        QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(Find<CSpinField>(pszField), &focusOut);
    }

    void Click(const char* pszButton) const
    {
        QTest::mouseClick(Find<QPushButton>(pszButton), Qt::LeftButton);
    }

    QString Text(const char* pszField) const { return Find<CSpinField>(pszField)->text(); }
    bool IsEnabled(const char* pszButton) const
    {
        return Find<QPushButton>(pszButton)->isEnabled();
    }
    // "Add Update Remove" with the enabled ones named, the others as "-".
    std::string GetOffered() const
    {
        std::string strOffered;
        for (const char* pszButton : {"add", "update", "remove"})
            strOffered += std::string(strOffered.empty() ? "" : " ") +
                          (IsEnabled(pszButton) ? pszButton : "-");
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
    Open();
    EXPECT_EQ(Find<QComboBox>("event")->currentText(), "");
    EXPECT_EQ(Text("hour"), "6");
    EXPECT_EQ(Text("minute"), "59");
    EXPECT_EQ(Find<QComboBox>("frequency")->currentText(), "Once");
    EXPECT_EQ(Find<QComboBox>("month")->currentText(), "March");
    EXPECT_EQ(Text("day"), "2");
    EXPECT_EQ(Text("year"), "1998");
    EXPECT_EQ(Find<QComboBox>("remote")->currentText(), "TV");
    EXPECT_EQ(Find<QComboBox>("button")->currentText(), "Mute");
    EXPECT_EQ(GetOffered(), "- - -");

    TypeName("Wake");
    EXPECT_EQ(GetOffered(), "add - -");
    Find<QComboBox>("button")->setCurrentText("Power");
    EXPECT_EQ(Find<QLabel>("description")->text(), "Switch on");
    // A remote without buttons leaves nothing to fire.
    Find<QComboBox>("remote")->setCurrentText("VCR");
    EXPECT_EQ(Find<QComboBox>("button")->count(), 0);
    EXPECT_EQ(Find<QLabel>("description")->text(), "");
    EXPECT_EQ(GetOffered(), "- - -");
}

struct SSpinCase
{
    const char* pszField;
    int nStart;
    Qt::Key nKey;
    const char* pszShown;
};

void PrintTo(const SSpinCase& test, std::ostream* pStream)
{
    *pStream << test.pszField << " " << test.nStart << (test.nKey == Qt::Key_Up ? " up" : " down");
}

class EventProgrammerSpinTest : public EventProgrammerTest,
                                public ::testing::WithParamInterface<SSpinCase>
{
};

// The arrows step round from one end of the range to the other; the day's range is that of
// the month shown (February 1998).
TEST_P(EventProgrammerSpinTest, ArrowsWrapRound)
{
    const SSpinCase& test = GetParam();
    Open();
    Find<QComboBox>("month")->setCurrentIndex(1);
    auto* pField = Find<CSpinField>(test.pszField);
    pField->SetNumber(test.nStart);
    QTest::keyClick(pField, test.nKey);
    EXPECT_EQ(pField->text(), test.pszShown);
}

INSTANTIATE_TEST_SUITE_P(EventProgrammer, EventProgrammerSpinTest,
                         ::testing::Values(SSpinCase{"hour", 0, Qt::Key_Down, "23"},
                                           SSpinCase{"hour", 23, Qt::Key_Up, "0"},
                                           SSpinCase{"hour", 9, Qt::Key_Up, "10"},
                                           SSpinCase{"minute", 0, Qt::Key_Down, "59"},
                                           SSpinCase{"minute", 59, Qt::Key_Up, "00"},
                                           SSpinCase{"minute", 4, Qt::Key_Up, "05"},
                                           SSpinCase{"day", 1, Qt::Key_Down, "28"},
                                           SSpinCase{"day", 28, Qt::Key_Up, "1"},
                                           SSpinCase{"year", 2048, Qt::Key_Up, "2048"}));

struct STypedCase
{
    const char* pszField;
    const char* pszTyped;
    const char* pszLeft; // the field's text once the field is left
};

void PrintTo(const STypedCase& test, std::ostream* pStream)
{
    *pStream << test.pszField << " " << test.pszTyped;
}

class EventProgrammerTypingTest : public EventProgrammerTest,
                                  public ::testing::WithParamInterface<STypedCase>
{
};

// Typing is never refused half-way, but a number out of range offers nothing until leaving
// the field pulls it into range.
TEST_P(EventProgrammerTypingTest, OutOfRangeNumbersAreHeldBackThenPulledIn)
{
    const STypedCase& test = GetParam();
    Open();
    Find<QComboBox>("month")->setCurrentIndex(3); // April
    TypeName("Wake");
    Type(test.pszField, test.pszTyped);
    EXPECT_EQ(Text(test.pszField), test.pszTyped);
    EXPECT_FALSE(IsEnabled("add"));

    Leave(test.pszField);
    EXPECT_EQ(Text(test.pszField), test.pszLeft);
    EXPECT_TRUE(IsEnabled("add"));
}

INSTANTIATE_TEST_SUITE_P(
    EventProgrammer, EventProgrammerTypingTest,
    ::testing::Values(STypedCase{"hour", "75", "23"}, STypedCase{"hour", "", "0"},
                      STypedCase{"minute", "60", "59"}, STypedCase{"day", "31", "30"},
                      STypedCase{"day", "0", "1"}, STypedCase{"year", "3000", "2048"},
                      STypedCase{"year", "199", "1997"}));

struct SDayRangeCase
{
    int nYear;
    int nMonth; // index in the list
    int nDay;
    int nDays; // the day spin's range is 1..nDays
    int nShownDay;
};

void PrintTo(const SDayRangeCase& test, std::ostream* pStream)
{
    *pStream << test.nYear << "-" << test.nMonth + 1 << "-" << test.nDay;
}

class EventProgrammerDayRangeTest : public EventProgrammerTest,
                                    public ::testing::WithParamInterface<SDayRangeCase>
{
};

TEST_P(EventProgrammerDayRangeTest, FollowsMonthAndLeapYear)
{
    const SDayRangeCase& test = GetParam();
    Open();
    auto* pDay = Find<CSpinField>("day");
    pDay->SetNumber(test.nDay);
    Find<CSpinField>("year")->SetNumber(test.nYear);
    Find<QComboBox>("month")->setCurrentIndex(test.nMonth);
    EXPECT_EQ(pDay->maximum(), test.nDays);
    EXPECT_EQ(pDay->text(), QString::number(test.nShownDay));
}

INSTANTIATE_TEST_SUITE_P(EventProgrammer, EventProgrammerDayRangeTest,
                         ::testing::Values(SDayRangeCase{2000, 1, 29, 29, 29}, // divisible by 400
                                           SDayRangeCase{2001, 1, 29, 28, 28},
                                           SDayRangeCase{2004, 1, 31, 29, 29},
                                           SDayRangeCase{1998, 3, 31, 30, 30},
                                           SDayRangeCase{1998, 11, 31, 31, 31}));

TEST_F(EventProgrammerTest, ChangingOnlyTheYearRecomputesTheDays)
{
    Open();
    Find<QComboBox>("month")->setCurrentIndex(1);
    Find<CSpinField>("year")->SetNumber(2000);
    Find<CSpinField>("day")->SetNumber(29);
    Type("year", "2001");
    EXPECT_EQ(Text("day"), "28");
}

TEST_F(EventProgrammerTest, OnlyAOneTimeEventNeedsItsDate)
{
    Open();
    TypeName("Wake");
    Type("day", "");
    EXPECT_FALSE(IsEnabled("add"));

    Find<QComboBox>("frequency")->setCurrentText("Daily");
    for (const char* pszField : {"day", "year"})
        EXPECT_FALSE(Find<CSpinField>(pszField)->isEnabled()) << pszField;
    EXPECT_FALSE(Find<QComboBox>("month")->isEnabled());
    EXPECT_TRUE(IsEnabled("add"));

    // Back to "Once": the date starts again from today.
    Find<CSpinField>("year")->SetNumber(2010);
    Find<QComboBox>("frequency")->setCurrentText("Once");
    EXPECT_EQ(Text("day"), "2");
    EXPECT_EQ(Text("year"), "1998");
    EXPECT_TRUE(Find<QComboBox>("month")->isEnabled());
}

TEST_F(EventProgrammerTest, ShowsTheSelectedEventOrElseTheFirstByName)
{
    CTimedEvent& wake = MakeEvent("Wake Up", CTime(1998, 3, 5, 7, 30, 0), kFrequencyOnce);
    MakeEvent("alarm", CTime(1997, 1, 1, 22, 5, 0), kFrequencyWeekdays);

    Open(&wake);
    EXPECT_EQ(Find<QComboBox>("event")->currentText(), "Wake Up");
    EXPECT_EQ(Text("hour"), "7");
    EXPECT_EQ(Text("day"), "5") << "a one-time event keeps its own date";
    EXPECT_EQ(Find<QComboBox>("button")->currentText(), "Power");
    EXPECT_EQ(GetOffered(), "- - remove");

    Open();
    EXPECT_EQ(Find<QComboBox>("event")->currentText(), "alarm");
    EXPECT_EQ(Text("hour"), "22");
    EXPECT_EQ(Text("minute"), "05");
    EXPECT_EQ(Find<QComboBox>("frequency")->currentText(), "Monday to Friday");
    EXPECT_FALSE(Find<QComboBox>("month")->isEnabled());
    EXPECT_EQ(Text("year"), "1997");
}

struct SOfferCase
{
    const char* pszName;
    const char* pszTyped;
    const char* pszChange; // a field whose value is replaced, or ""
    const char* pszOffered;
};

void PrintTo(const SOfferCase& test, std::ostream* pStream)
{
    *pStream << test.pszName;
}

class EventProgrammerOfferTest : public EventProgrammerTest,
                                 public ::testing::WithParamInterface<SOfferCase>
{
};

// Add for a new valid name, Update only for a real change of an existing event, Remove for an
// existing one; names are exact, so other letter case is a new name.
TEST_P(EventProgrammerOfferTest, OffersWhatCanApply)
{
    const SOfferCase& test = GetParam();
    MakeEvent("Wake Up", CTime(1998, 3, 5, 7, 30, 0), kFrequencyOnce);
    Open();
    TypeName(test.pszTyped);
    if (std::string(test.pszChange) == "hour")
        Type("hour", "8");
    else if (std::string(test.pszChange) == "disable")
        Find<QCheckBox>("disable")->setChecked(true);
    else if (std::string(test.pszChange) == "button")
        Find<QComboBox>("button")->setCurrentText("Mute");
    EXPECT_EQ(GetOffered(), test.pszOffered);
}

INSTANTIATE_TEST_SUITE_P(
    EventProgrammer, EventProgrammerOfferTest,
    ::testing::Values(SOfferCase{"Unchanged", "Wake Up", "", "- - remove"},
                      SOfferCase{"NewHour", "Wake Up", "hour", "- update remove"},
                      SOfferCase{"Disabled", "Wake Up", "disable", "- update remove"},
                      SOfferCase{"OtherButton", "Wake Up", "button", "- update remove"},
                      SOfferCase{"OtherLetterCase", "wake up", "", "add - -"},
                      SOfferCase{"OtherLetterCaseChanged", "wake up", "hour", "add - -"},
                      SOfferCase{"NewName", "Sleep", "", "add - -"},
                      SOfferCase{"NoName", "", "", "- - -"}),
    [](const ::testing::TestParamInfo<SOfferCase>& info) { return info.param.pszName; });

TEST_F(EventProgrammerTest, OtherLetterCaseLoadsTheSettingsForANewEvent)
{
    MakeEvent("Wake Up", CTime(1998, 3, 5, 7, 30, 0), kFrequencyOnce);
    Open();
    TypeName("wake up");
    EXPECT_EQ(Text("hour"), "7");
    // Enter picks nothing: the typed name stays as typed.
    QTest::keyClick(Find<QComboBox>("event"), Qt::Key_Return);
    EXPECT_EQ(Find<QComboBox>("event")->currentText(), "wake up");
    EXPECT_TRUE(m_pDlg->isVisible());

    Click("add");
    const CTimedEvent* pNew = m_doc.FindEvent("wake up");
    ASSERT_NE(pNew, nullptr);
    EXPECT_EQ(pNew->m_time, CTime(1998, 3, 5, 7, 30, 0));
    EXPECT_NE(m_doc.FindEvent("Wake Up"), pNew);
    EXPECT_EQ(Find<QComboBox>("event")->count(), 2);
    EXPECT_EQ(GetOffered(), "- - remove");
}

// With "Wake Up" and "wake up" both programmed, the typed name decides which one changes:
// a search that ignored letter case would find "Wake Up" first.
TEST_F(EventProgrammerTest, UpdateAndRemoveActOnTheEventOfExactlyTheTypedName)
{
    CTimedEvent& upper = MakeEvent("Wake Up", CTime(1998, 3, 5, 7, 30, 0), kFrequencyOnce);
    MakeEvent("wake up", CTime(1998, 3, 6, 9, 0, 0), kFrequencyOnce);
    Open();
    TypeName("wake up");
    EXPECT_EQ(Text("hour"), "9") << "its own settings";

    Type("hour", "10");
    Click("update");
    EXPECT_EQ(m_doc.FindEvent("wake up")->m_time, CTime(1998, 3, 6, 10, 0, 0));
    EXPECT_EQ(upper.m_time, CTime(1998, 3, 5, 7, 30, 0));
    EXPECT_EQ(m_frontEnd.m_calls.front(), "SortEvents");

    m_frontEnd.QueueAnswer(EAnswer::Yes);
    Click("remove");
    EXPECT_EQ(m_doc.FindEvent("wake up"), nullptr);
    EXPECT_EQ(m_doc.FindEvent("Wake Up"), &upper);
    ASSERT_EQ(m_frontEnd.m_messages.size(), 1u);
    EXPECT_EQ(m_frontEnd.m_messages[0].nStringId, StringId::kConfirmRemoveEvent);
    EXPECT_EQ(m_frontEnd.m_messages[0].strArgument, "wake up");
    // The name stays typed, ready to be added again.
    EXPECT_EQ(Find<QComboBox>("event")->currentText(), "wake up");
    EXPECT_EQ(Find<QComboBox>("event")->count(), 1);
    EXPECT_EQ(GetOffered(), "add - -");
}

// The scheduler runs under the dialog: the event may have begun to fire after the buttons
// were last judged.
TEST_F(EventProgrammerTest, AnEventThatStartedFiringIsNeitherUpdatedNorRemoved)
{
    CTimedEvent& wake = MakeEvent("Wake Up", CTime(1998, 3, 5, 7, 30, 0), kFrequencyOnce);
    Open(&wake);
    Type("hour", "8");
    ASSERT_EQ(GetOffered(), "- update remove");

    ++wake.m_nFiring;
    Click("update");
    Click("remove");
    --wake.m_nFiring;

    ASSERT_EQ(m_frontEnd.m_messages.size(), 2u);
    EXPECT_EQ(m_frontEnd.m_messages[0].nStringId, StringId::kEventFiringUpdate);
    EXPECT_EQ(m_frontEnd.m_messages[1].nStringId, StringId::kEventFiringRemove);
    EXPECT_EQ(wake.m_time, CTime(1998, 3, 5, 7, 30, 0));
    EXPECT_EQ(m_doc.FindEvent("Wake Up"), &wake);
    EXPECT_EQ(GetOffered(), "- update remove");
}

TEST_F(EventProgrammerTest, AddStoresTheEventAndArmsIt)
{
    Open();
    TypeName("Wake");
    Type("hour", "7");
    Type("minute", "15");
    Find<QComboBox>("button")->setCurrentText("Power");
    Click("add");

    const CTimedEvent* pWake = m_doc.FindEvent("Wake");
    ASSERT_NE(pWake, nullptr);
    EXPECT_EQ(pWake->m_time, CTime(1998, 3, 2, 7, 15, 0));
    EXPECT_EQ(pWake->m_nFrequency, kFrequencyOnce);
    EXPECT_EQ(pWake->m_pButton, m_pPower);
    EXPECT_EQ(pWake->m_lastFired, CTime::NeverFired());
    EXPECT_EQ(m_doc.m_pArmedEvent, pWake);
    EXPECT_EQ(m_frontEnd.m_calls.front(), "AddEventRow Wake");
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(GetOffered(), "- - remove");
}

// 02:30 on 29 March 1998 does not exist in Berlin: the clocks went from 02:00 to 03:00. The
// event keeps the time the C library makes of it, and the dialog shows that time.
TEST_F(EventProgrammerTest, ATimeTheClocksSkipIsStoredAndShownAsNormalised)
{
    Open();
    TypeName("Spring");
    Find<CSpinField>("day")->SetNumber(29);
    Type("hour", "2");
    Type("minute", "30");
    Click("add");

    const CTimedEvent* pEvent = m_doc.FindEvent("Spring");
    ASSERT_NE(pEvent, nullptr);
    EXPECT_EQ(pEvent->m_time.Format(), "1998-03-29 03:30");
    EXPECT_EQ(Text("hour"), "3");
    EXPECT_EQ(Text("minute"), "30");
    EXPECT_EQ(GetOffered(), "- - remove");
}

TEST_F(EventProgrammerTest, ClosingStoresThePlaceItOpensAtNextTime)
{
    Open();
    m_pDlg->move(140, 90);
    QTest::keyClick(m_pDlg.get(), Qt::Key_Escape);
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_EQ(m_nLeft, 140);
    EXPECT_EQ(m_nTop, 90);

    // A place off the screen's edge is pulled back onto it.
    m_nLeft = -60;
    Open();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(m_pDlg->pos(), QPoint(screen.left(), 90));
    EXPECT_EQ(m_nLeft, screen.left());
}
} // namespace
