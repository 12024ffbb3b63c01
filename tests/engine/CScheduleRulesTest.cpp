#include "CEngineFixture.h"

#include "engine/EventStatus.h"

namespace
{
// A minute of March 1998: Monday 2, Tuesday 3, ... Sunday 8, Monday 9.
CTime March(int nDay, int nHour, int nMinute)
{
    return CTime(1998, 3, nDay, nHour, nMinute, 0);
}

class CScheduleRulesTest : public CEngineFixture
{
protected:
    CTimedEvent MakeRecord(int nFrequency, const CTime& time) const
    {
        CTimedEvent event;
        event.m_nFrequency = nFrequency;
        event.m_time = time;
        return event;
    }

    CRemote& m_remote = MakeRemote("TV");
    CRemoteButton& m_power = MakePlain(m_remote, "Power");
};

struct SOccurrenceCase
{
    int nFrequency;
    int nHour, nMinute; // of the event
    int nNowDay, nNowHour, nNowMinute;
    int nLastFiredDay; // 0: never fired; else that day at the event's time
    int nExpectedDay;
};

constexpr int kMonday = 4, kWednesday = 6, kSaturday = 9, kSunday = 3;

TEST_F(CScheduleRulesTest, NextOccurrenceByFrequency)
{
    const SOccurrenceCase cases[] = {
        {kFrequencyDaily, 7, 0, 3, 6, 59, 0, 3},
        {kFrequencyDaily, 7, 0, 3, 7, 0, 0, 3},
        {kFrequencyDaily, 7, 0, 3, 7, 0, 3, 4},
        {kFrequencyDaily, 7, 0, 3, 7, 1, 0, 4},
        {kFrequencyWeekdays, 7, 0, 6, 8, 0, 0, 9},
        {kFrequencyWeekdays, 7, 0, 6, 6, 0, 0, 6},
        {kFrequencyWeekdays, 7, 0, 6, 7, 0, 6, 9},
        {kFrequencyWeekdays, 7, 0, 7, 6, 0, 0, 9},
        {kFrequencyWeekdays, 7, 0, 7, 23, 59, 0, 9},
        {kFrequencyWeekdays, 7, 0, 8, 0, 0, 0, 9},
        {kFrequencyWeekdays, 7, 0, 8, 8, 0, 0, 9},
        {kFrequencyWeekdays, 7, 0, 5, 8, 0, 0, 6},
        {kWednesday, 8, 0, 4, 9, 0, 0, 11},
        {kWednesday, 8, 0, 4, 7, 0, 0, 4},
        {kWednesday, 8, 0, 4, 8, 0, 4, 11},
        {kWednesday, 8, 0, 5, 10, 0, 0, 11},
        {kWednesday, 8, 0, 2, 23, 0, 0, 4},
        {kMonday, 6, 30, 2, 6, 59, 0, 9},
        {kSunday, 12, 0, 7, 13, 0, 0, 8},
        {kSaturday, 12, 0, 8, 13, 0, 0, 14},
    };
    for (const SOccurrenceCase& test : cases)
    {
        CTimedEvent event =
            MakeRecord(test.nFrequency, CTime(1997, 5, 17, test.nHour, test.nMinute, 0));
        if (test.nLastFiredDay != 0)
            event.m_lastFired = March(test.nLastFiredDay, test.nHour, test.nMinute);
        const CTime now = March(test.nNowDay, test.nNowHour, test.nNowMinute);
        EXPECT_EQ(m_doc.NextOccurrence(event, now),
                  March(test.nExpectedDay, test.nHour, test.nMinute))
            << "frequency " << test.nFrequency << " at " << test.nHour << ":" << test.nMinute
            << ", now day " << test.nNowDay << " " << test.nNowHour << ":" << test.nNowMinute;
    }
}

TEST_F(CScheduleRulesTest, OnceIsItsOwnDateEvenWhenPast)
{
    const CTimedEvent event = MakeRecord(kFrequencyOnce, March(1, 10, 0));
    EXPECT_EQ(m_doc.NextOccurrence(event, March(3, 12, 0)), March(1, 10, 0));
}

TEST_F(CScheduleRulesTest, DaysAreCalendarDaysAcrossDaylightSaving)
{
    // Summer time began on 29 March 1998 at 02:00 and ended on 25 October at 03:00.
    const CTimedEvent wake = MakeRecord(kFrequencyDaily, CTime(1998, 1, 1, 7, 0, 0));
    const CTime spring = m_doc.NextOccurrence(wake, March(28, 8, 0));
    EXPECT_EQ(spring, March(29, 7, 0));
    EXPECT_EQ(spring.GetTime() - March(28, 7, 0).GetTime(), 23 * 3600);
    EXPECT_EQ(m_doc.NextOccurrence(wake, CTime(1998, 10, 24, 8, 0, 0)),
              CTime(1998, 10, 25, 7, 0, 0));
    const CTimedEvent sunday = MakeRecord(kSunday, CTime(1998, 1, 1, 7, 0, 0));
    EXPECT_EQ(m_doc.NextOccurrence(sunday, March(23, 8, 0)), March(29, 7, 0));

    // 02:30 did not exist on the day of the change; the day after it does again.
    const CTimedEvent night = MakeRecord(kFrequencyDaily, CTime(1998, 1, 1, 2, 30, 0));
    const CTime after = m_doc.NextOccurrence(night, March(29, 4, 0));
    EXPECT_EQ(after.GetDay(), 30);
    EXPECT_EQ(after.GetHour(), 2);
    EXPECT_EQ(after.GetMinute(), 30);
}

TEST_F(CScheduleRulesTest, ArmsTheEarliestEnabledFutureOccurrence)
{
    SetClock(March(2, 8, 0));
    MakeEvent("Late", March(2, 22, 0), kFrequencyDaily, m_power);
    MakeEvent("Early", March(2, 9, 0), kFrequencyDaily, m_power);
    MakeEvent("Off", March(2, 8, 30), kFrequencyDaily, m_power).m_bDisabled = true;
    MakeEvent("Past", March(1, 10, 0), kFrequencyOnce, m_power);
    CTimedEvent& fired = MakeEvent("Fired", March(2, 8, 10), kFrequencyOnce, m_power);
    fired.m_lastFired = March(2, 8, 10);
    m_frontEnd.m_calls.clear();
    m_doc.ArmNextEvent();
    EXPECT_FALSE(m_doc.m_armed.m_bDisabled);
    EXPECT_EQ(m_doc.m_pArmedEvent, m_doc.FindEvent("Early"));
    EXPECT_EQ(m_doc.m_armed.m_strName, "Early");
    EXPECT_EQ(m_doc.m_armed.m_time, March(2, 9, 0));
    EXPECT_EQ(m_doc.m_armed.m_nFrequency, kFrequencyDaily);
    EXPECT_EQ(m_doc.m_armed.m_pButton, &m_power);
    EXPECT_EQ(m_frontEnd.m_calls, std::vector<std::string>{"RefreshEventRows"});
}

TEST_F(CScheduleRulesTest, EventDueNowIsArmedAndHeldSlotIsLeftAlone)
{
    SetClock(CTime(1998, 3, 2, 8, 0, 40));
    CTimedEvent& now = MakeEvent("Now", March(2, 8, 0), kFrequencyOnce, m_power);
    EXPECT_EQ(m_doc.m_pArmedEvent, &now);

    m_scheduler.HoldForMenu();
    CTimedEvent& earlier = MakeEvent("Earlier", March(2, 8, 0), kFrequencyDaily, m_power);
    now.m_bDisabled = true;
    m_doc.ArmNextEvent();
    EXPECT_EQ(m_doc.m_pArmedEvent, &now);
    m_scheduler.ReleaseMenuHold();
    m_doc.ArmNextEvent();
    EXPECT_EQ(m_doc.m_pArmedEvent, &earlier);
}

TEST_F(CScheduleRulesTest, StatusFollowsTheFirstRuleThatApplies)
{
    SetClock(March(2, 8, 0));
    CTimedEvent& once = MakeEvent("Once", March(2, 10, 0), kFrequencyOnce, m_power);
    CTimedEvent& daily = MakeEvent("Daily", March(2, 9, 0), kFrequencyDaily, m_power);
    CTimedEvent& off = MakeEvent("Off", March(2, 7, 0), kFrequencyDaily, m_power);
    off.m_bDisabled = true;
    ASSERT_EQ(m_doc.m_pArmedEvent, &daily);
    const auto status = [this](const CTimedEvent& event, int nHour, int nMinute, int nSecond)
    {
        return GetEventStatusText(
            GetEventStatus(m_doc, event, CTime(1998, 3, 2, nHour, nMinute, nSecond)));
    };

    EXPECT_STREQ(status(daily, 8, 0, 0), "ARMED");
    EXPECT_STREQ(status(off, 8, 0, 0), "Disabled");
    EXPECT_STREQ(status(once, 9, 59, 59), "Active");
    EXPECT_STREQ(status(once, 10, 0, 59), "Active");
    EXPECT_STREQ(status(once, 10, 1, 0), "Expired");
    ++daily.m_nFiring;
    EXPECT_STREQ(status(daily, 9, 0, 0), "FIRING");
    --daily.m_nFiring;

    // Kept after firing at 10:00 with its date moved on by the Event Programmer.
    once.m_time = CTime(1998, 3, 3, 10, 0, 0);
    once.m_lastFired = March(2, 10, 0);
    EXPECT_STREQ(status(once, 10, 0, 30), "Expired");
    EXPECT_STREQ(status(once, 10, 1, 0), "Active");
    m_doc.m_pArmedEvent = nullptr;
    EXPECT_STREQ(status(daily, 8, 0, 0), "Active");
}

TEST_F(CScheduleRulesTest, ClockRefreshScheduleFollowsTheSettings)
{
    SetClock(March(2, 8, 0));
    m_doc.m_clockSettings = {EClockRefreshMethod::None, EClockRefreshDay(3), 6, 15};
    m_doc.SetupClockRefresh();
    EXPECT_TRUE(m_doc.m_clockRefresh.m_bDisabled);
    EXPECT_EQ(m_doc.m_clockRefresh.m_nFrequency, 5); // Tuesday
    EXPECT_EQ(m_doc.m_clockRefresh.m_time, March(3, 6, 15));

    m_doc.m_clockSettings = {EClockRefreshMethod::FromBios, EClockRefreshDay::Daily, 0, 5};
    m_doc.SetupClockRefresh();
    EXPECT_FALSE(m_doc.m_clockRefresh.m_bDisabled);
    EXPECT_EQ(m_doc.m_clockRefresh.m_nFrequency, kFrequencyDaily);
    EXPECT_EQ(m_doc.m_clockRefresh.m_time, March(3, 0, 5));
}

TEST_F(CScheduleRulesTest, ClockIsRefreshedOnceInItsMinuteAndNeverWhenOff)
{
    SetClock(March(3, 0, 4));
    m_doc.m_clockSettings = {EClockRefreshMethod::FromBios, EClockRefreshDay::Daily, 0, 5};
    m_doc.SetupClockRefresh();
    m_scheduler.CheckClockRefresh();
    EXPECT_TRUE(m_clockBackend.m_setRequests.empty());

    // The refresh waits for the clock's next second: two readings for the minute, the second
    // it starts in, the new second, and one more.
    SetClock(March(3, 0, 5));
    const SBcdReading first = MakeBcdReading(1998, 3, 3, 0, 5, 0);
    for (const SBcdReading& reading : {first, first, first, MakeBcdReading(1998, 3, 3, 0, 5, 1)})
        m_clockBackend.QueueReading(reading);
    m_scheduler.CheckClockRefresh();
    m_scheduler.CheckClockRefresh();
    EXPECT_EQ(m_clockBackend.m_setRequests, std::vector<std::string>{"1998-03-03 00:05:01"});
    EXPECT_EQ(m_doc.m_clockRefresh.m_lastFired, March(3, 0, 5));
    EXPECT_EQ(m_doc.m_clockRefresh.m_time, March(4, 0, 5));

    m_doc.m_clockSettings.nMethod = EClockRefreshMethod::None;
    m_doc.SetupClockRefresh();
    SetClock(March(4, 0, 5));
    m_scheduler.CheckClockRefresh();
    EXPECT_EQ(m_clockBackend.m_setRequests.size(), 1u);
}
} // namespace
