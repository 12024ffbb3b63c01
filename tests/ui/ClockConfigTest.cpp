#include "app/CAppFixture.h"
#include "app/CMainFrame.h"
#include "device/CBiosClock.h"
#include "document/CQuorbexDoc.h"
#include "support/CScriptedClock.h"
#include "ui/CClockConfigDlg.h"
#include "ui/CDialogDriver.h"
#include "ui/CSpinField.h"

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
    CDialogDriver Open(const SClockSettings& settings)
    {
        m_pDlg = std::make_unique<CClockConfigDlg>(settings, m_clock);
        m_pDlg->show();
        return CDialogDriver(*m_pDlg);
    }

    CTickingClock m_backend;
    CBiosClock m_clock{m_backend};
    std::unique_ptr<CClockConfigDlg> m_pDlg;
};

TEST_F(ClockConfigTest, WithoutARefreshMethodTheScheduleIsGreyed)
{
    const CDialogDriver ui =
        Open(SClockSettings{EClockRefreshMethod::None, EClockRefreshDay::Sunday, 0, 59});
    EXPECT_EQ(ui.Text("method") + " " + ui.Text("day"), "None Sunday");
    const char* schedule[] = {"refreshNow", "hour", "minute", "day"};
    for (const char* pszName : schedule)
        EXPECT_FALSE(ui.IsEnabled(pszName)) << pszName;

    ui.Find<QComboBox>("method").setCurrentText("From BIOS");
    for (const char* pszName : schedule)
        EXPECT_TRUE(ui.IsEnabled(pszName)) << pszName;
    // The arrows wrap round.
    QTest::keyClick(&ui.Find<CSpinField>("hour"), Qt::Key_Down);
    QTest::keyClick(&ui.Find<CSpinField>("minute"), Qt::Key_Up);
    EXPECT_EQ(ui.Text("hour") + ":" + ui.Text("minute"), "23:00");
}

// Enter ends the dialog while the field typed into still holds its number: it must not be
// stored out of range.
TEST_F(ClockConfigTest, OkPullsTypedNumbersIntoRange)
{
    for (const bool bEnter : {false, true})
    {
        const CDialogDriver ui = Open(SClockSettings{});
        ui.Type("hour", "99");
        ui.Type("minute", "75");
        ui.Find<QComboBox>("day").setCurrentText("Daily");
        if (bEnter)
            QTest::keyClick(m_pDlg.get(), Qt::Key_Return);
        else
            ui.Click("ok");

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
    bool SetSystemClock(const CTime& time, std::string& strError) override
    {
        strError = m_test.pszSetError;
        return strError.empty() && CTickingClock::SetSystemClock(time, strError);
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
    const CDialogDriver ui(dlg);
    EXPECT_TRUE(ui.Text("clockKind").startsWith(test.pszKind))
        << ui.Text("clockKind").toStdString();
    EXPECT_FALSE(ui.Find<QLabel>("refreshResult").isVisible());

    ui.Click("refreshNow");
    EXPECT_TRUE(ui.Find<QLabel>("refreshResult").isVisible());
    EXPECT_EQ(ui.Text("refreshResult").toStdString(), test.pszResult);
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
                     "Nothing to refresh: the system clock is the clock Quorbit reads."}),
    [](const ::testing::TestParamInfo<SRefreshCase>& info) { return info.param.pszName; });

using ClockCommandTest = CAppFixture;

TEST_F(ClockCommandTest, OkStoresTheScheduleAndRebuildsIt)
{
    ASSERT_TRUE(Start());
    for (const char* pszButton : {"cancel", "ok"})
    {
        WhenDialogOpens(
            [pszButton](QDialog& dlg)
            {
                const CDialogDriver ui(dlg);
                ui.Find<QComboBox>("day").setCurrentText("Daily");
                ui.Type("hour", "3");
                ui.Type("minute", "15");
                ui.Click(pszButton);
            });
        Frame().OnCommand(CMainFrame::kCmdSystemClock);
        EXPECT_EQ(App().GetSettings().m_clock.nHour, pszButton[0] == 'o' ? 3 : 0) << pszButton;
    }
    EXPECT_EQ(App().GetSettings().m_clock.nDay, EClockRefreshDay::Daily);
    // The clock stands at Monday 1 June 1998 06:59: tomorrow's refresh is next.
    EXPECT_EQ(Doc().m_clockRefresh.m_nFrequency, kFrequencyDaily);
    EXPECT_EQ(Doc().m_clockRefresh.m_time, CTime(1998, 6, 2, 3, 15, 0));
}
} // namespace
