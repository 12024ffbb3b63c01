#include "app/CAppFixture.h"
#include "app/CMainFrame.h"
#include "device/CBiosClock.h"
#include "document/CQuorbexDoc.h"
#include "support/CScriptedClock.h"
#include "ui/CClockConfigDlg.h"
#include "ui/CSpinField.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <ostream>

namespace
{
// A clock whose readings move on by a second, so that a refresh need not wait for one.
class CTickingClock : public CScriptedClock
{
public:
    CTickingClock()
    {
        QueueReading(MakeBcdReading(CTime(1998, 3, 2, 6, 59, 0)));
        QueueReading(MakeBcdReading(CTime(1998, 3, 2, 6, 59, 1)));
    }
};

class ClockConfigTest : public ::testing::Test
{
protected:
    CClockConfigDlg& Open(const SClockSettings& settings)
    {
        m_pDlg = std::make_unique<CClockConfigDlg>(settings, m_clock);
        m_pDlg->show();
        return *m_pDlg;
    }

    template <typename TWidget> TWidget* Find(const char* pszName) const
    {
        auto* pWidget = m_pDlg->findChild<TWidget*>(pszName);
        EXPECT_NE(pWidget, nullptr) << pszName;
        return pWidget;
    }

    void Type(const char* pszField, const char* pszText) const
    {
        auto* pField = Find<CSpinField>(pszField);
        pField->selectAll();
        QTest::keyClick(pField, Qt::Key_Backspace);
        QTest::keyClicks(pField, pszText);
    }

    CTickingClock m_backend;
    CBiosClock m_clock{m_backend};
    std::unique_ptr<CClockConfigDlg> m_pDlg;
};

TEST_F(ClockConfigTest, WithoutARefreshMethodTheScheduleIsGreyed)
{
    Open(SClockSettings{EClockRefreshMethod::None, EClockRefreshDay::Sunday, 0, 5});
    EXPECT_EQ(Find<QComboBox>("method")->currentText(), "None");
    EXPECT_EQ(Find<CSpinField>("minute")->text(), "05");
    EXPECT_EQ(Find<QComboBox>("day")->currentText(), "Sunday");
    const QList<QWidget*> schedule = {Find<QPushButton>("refreshNow"), Find<CSpinField>("hour"),
                                      Find<CSpinField>("minute"), Find<QComboBox>("day")};
    for (const QWidget* pWidget : schedule)
        EXPECT_FALSE(pWidget->isEnabled()) << pWidget->objectName().toStdString();

    Find<QComboBox>("method")->setCurrentText("From BIOS");
    for (const QWidget* pWidget : schedule)
        EXPECT_TRUE(pWidget->isEnabled()) << pWidget->objectName().toStdString();
}

TEST_F(ClockConfigTest, TimeArrowsWrapRound)
{
    Open(SClockSettings{EClockRefreshMethod::FromBios, EClockRefreshDay::Daily, 0, 59});
    QTest::keyClick(Find<CSpinField>("hour"), Qt::Key_Down);
    QTest::keyClick(Find<CSpinField>("minute"), Qt::Key_Up);
    EXPECT_EQ(Find<CSpinField>("hour")->text(), "23");
    EXPECT_EQ(Find<CSpinField>("minute")->text(), "00");
}

// Enter ends the dialog while the field typed into still holds its number: it must not be
// stored out of range.
TEST_F(ClockConfigTest, OkPullsTypedNumbersIntoRange)
{
    for (const bool bEnter : {false, true})
    {
        Open(SClockSettings{});
        Type("hour", "99");
        Type("minute", "75");
        Find<QComboBox>("day")->setCurrentText("Daily");
        if (bEnter)
            QTest::keyClick(m_pDlg.get(), Qt::Key_Return);
        else
            QTest::mouseClick(Find<QPushButton>("ok"), Qt::LeftButton);

        EXPECT_EQ(m_pDlg->result(), QDialog::Accepted) << bEnter;
        const SClockSettings& settings = m_pDlg->GetSettings();
        EXPECT_EQ(settings.nHour, 23) << bEnter;
        EXPECT_EQ(settings.nMinute, 59) << bEnter;
        EXPECT_EQ(settings.nDay, EClockRefreshDay::Daily) << bEnter;
        EXPECT_EQ(settings.nMethod, EClockRefreshMethod::FromBios) << bEnter;
    }
}

struct SRefreshCase
{
    const char* pszName;
    bool bHardware;
    bool bSystem;
    const char* pszSetError; // the backend refuses to set the clock with this reason
    bool bReadable;
    const char* pszKind;   // the start of what the dialog says of the clock
    const char* pszResult; // what it says after Refresh Now
};

void PrintTo(const SRefreshCase& test, std::ostream* pStream)
{
    *pStream << test.pszName;
}

class ClockRefreshTest : public ::testing::TestWithParam<SRefreshCase>
{
};

class CConfigurableClock : public CTickingClock
{
public:
    explicit CConfigurableClock(const SRefreshCase& test) : m_test(test) {}

    bool ReadClock(SBcdReading& reading) override
    {
        return m_test.bReadable && CTickingClock::ReadClock(reading);
    }
    bool SetSystemClock(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond,
                        std::string& strError) override
    {
        strError = m_test.pszSetError;
        return strError.empty() && CTickingClock::SetSystemClock(nYear, nMonth, nDay, nHour,
                                                                 nMinute, nSecond, strError);
    }
    bool IsHardwareClock() const override { return m_test.bHardware; }
    bool IsSystemClock() const override { return m_test.bSystem; }

private:
    const SRefreshCase& m_test;
};

// The person learns which clock stands behind the program and, after Refresh Now, what came
// of it; a refresh that failed says why.
TEST_P(ClockRefreshTest, SaysWhichClockIsReadAndWhatARefreshDid)
{
    const SRefreshCase& test = GetParam();
    CConfigurableClock backend(test);
    CBiosClock clock(backend);
    CClockConfigDlg dlg(SClockSettings{}, clock);
    dlg.show();
    EXPECT_TRUE(dlg.findChild<QLabel*>("clockKind")->text().startsWith(test.pszKind))
        << dlg.findChild<QLabel*>("clockKind")->text().toStdString();
    const auto* pResult = dlg.findChild<QLabel*>("refreshResult");
    EXPECT_FALSE(pResult->isVisible());

    QTest::mouseClick(dlg.findChild<QPushButton*>("refreshNow"), Qt::LeftButton);
    EXPECT_TRUE(pResult->isVisible());
    EXPECT_EQ(pResult->text().toStdString(), test.pszResult);
    EXPECT_TRUE(dlg.isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    ClockConfig, ClockRefreshTest,
    ::testing::Values(
        SRefreshCase{"Hardware", true, false, "", true, "Quorbit reads the hardware clock",
                     "The system clock was set from the hardware clock."},
        SRefreshCase{"NotPermitted", true, false, "cannot set the system clock: not permitted",
                     true, "Quorbit reads the hardware clock",
                     "Not refreshed: cannot set the system clock: not permitted"},
        SRefreshCase{"Unreadable", true, false, "", false, "Quorbit reads the hardware clock",
                     "Not refreshed: the scripted clock cannot be read"},
        SRefreshCase{"System", false, true, "", true,
                     "No hardware clock can be read here, so Quorbit reads the system clock",
                     "Nothing to refresh: the system clock is the clock Quorbit reads."},
        SRefreshCase{"Simulated", false, false, "", true, "Quorbit runs on a simulated clock",
                     "The simulated clock was read; this computer's clock was left as it was."}),
    [](const ::testing::TestParamInfo<SRefreshCase>& info) { return info.param.pszName; });

using ClockCommandTest = CAppFixture;

TEST_F(ClockCommandTest, OkStoresTheScheduleAndRebuildsIt)
{
    ASSERT_TRUE(Start());
    for (const bool bOk : {false, true})
    {
        WhenDialogOpens(
            [bOk](QDialog& dlg)
            {
                dlg.findChild<QComboBox*>("day")->setCurrentText("Daily");
                dlg.findChild<CSpinField*>("hour")->SetNumber(3);
                dlg.findChild<CSpinField*>("minute")->SetNumber(15);
                QTest::mouseClick(dlg.findChild<QPushButton*>(bOk ? "ok" : "cancel"),
                                  Qt::LeftButton);
            });
        Frame().OnCommand(CMainFrame::kCmdSystemClock);

        const SClockSettings& settings = App().GetSettings().m_clock;
        EXPECT_EQ(settings.nHour, bOk ? 3 : 0);
        EXPECT_EQ(settings.nMinute, bOk ? 15 : 5);
        EXPECT_EQ(settings.nDay, bOk ? EClockRefreshDay::Daily : EClockRefreshDay::Sunday);
        // The clock stands at Monday 1 June 1998 06:59.
        const CTimedEvent& refresh = Doc().m_clockRefresh;
        EXPECT_EQ(refresh.m_nFrequency, bOk ? kFrequencyDaily : kFrequencySunday);
        EXPECT_EQ(refresh.m_time, bOk ? CTime(1998, 6, 2, 3, 15, 0) : CTime(1998, 6, 7, 0, 5, 0));
    }
}
} // namespace
