#include "CEngineFixture.h"

#include "engine/EventStatus.h"

namespace
{
CTime Today(int nHour, int nMinute, int nSecond = 0)
{
    return CTime(1998, 3, 2, nHour, nMinute, nSecond);
}

class CSchedulerTest : public CEngineFixture
{
protected:
    CSchedulerTest()
    {
        m_scheduler.SetFireObserver(
            [this](const CTimedEvent& armed)
            {
                const CTime now = m_clock.GetBiosTime();
                m_fired.push_back(armed.m_strName + " " + std::to_string(now.GetHour()) + ":" +
                                  std::to_string(now.GetMinute()) + ":" +
                                  std::to_string(now.GetSecond()));
            });
        m_scheduler.SetMissedObserver(
            [this](const CTimedEvent& event)
            {
                m_missed.push_back(event.m_strName + " " +
                                   std::to_string(event.m_lastMissed.GetHour()) + ":" +
                                   std::to_string(event.m_lastMissed.GetMinute()));
            });
    }

    CRemote& m_remote = MakeRemote("TV");
    CRemoteButton& m_power = MakePlain(m_remote, "Power");
    // Each firing's event name and BIOS time, as "Wake 7:0:0".
    std::vector<std::string> m_fired;
    // Each occurrence reported as missed, as "Wake 7:0".
    std::vector<std::string> m_missed;
};

TEST_F(CSchedulerTest, ArmedEventFiresOnceAtTheStartOfItsMinute)
{
    SetClock(Today(6, 59, 57));
    CTimedEvent& wake = MakeEvent("Wake", Today(7, 0), kFrequencyDaily, m_power);
    m_doc.SetModifiedFlag(false); // as saved
    m_scheduler.SchedulerTick();
    RunSeconds(120);
    EXPECT_EQ(m_fired, std::vector<std::string>{"Wake 7:0:0"});
    EXPECT_EQ(m_device.m_sent.size(), 1u);
    EXPECT_EQ(wake.m_lastFired, Today(7, 0));
    EXPECT_EQ(m_doc.m_pArmedEvent, &wake);
    EXPECT_EQ(m_doc.m_armed.m_time, CTime(1998, 3, 3, 7, 0, 0));
    // Nothing the person made changed; quitting must not ask to save for a firing.
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_EQ(m_doc.m_armed.m_nFiring, 0);
    EXPECT_EQ(m_engine.GetFiringDepth(), 0);
}

TEST_F(CSchedulerTest, EveryEventDueInOneMinuteFiresInNameOrderWithinThatMinute)
{
    // More events than a minute has seconds: one firing a tick would drop the last fifteen.
    SetClock(Today(6, 59, 59));
    std::vector<std::string> expected;
    for (int nEvent = 0; nEvent < 75; ++nEvent)
    {
        const std::string strName = "E" + std::to_string(100 + nEvent);
        MakeEvent(strName, Today(7, 0), kFrequencyOnce, m_power);
        expected.push_back(strName + " 7:0:0");
    }
    m_scheduler.SchedulerTick();
    RunSeconds(1);
    EXPECT_EQ(m_fired, expected);
    EXPECT_TRUE(m_doc.m_pEvents->empty());
    EXPECT_TRUE(m_doc.m_armed.m_bDisabled);
}

TEST_F(CSchedulerTest, OneTimeEventIsKeptOnlyWhileTheEventProgrammerIsOpen)
{
    for (const bool bDialogOpen : {false, true})
    {
        SetClock(Today(6, 59, 59));
        m_doc.m_bEventsDialogOpen = bDialogOpen;
        CTimedEvent& once = MakeEvent("Once", Today(7, 0), kFrequencyOnce, m_power);
        m_frontEnd.m_calls.clear();
        RunSeconds(1);
        EXPECT_EQ(CountCalls("RemoveEventRow Once"), bDialogOpen ? 0 : 1);
        ASSERT_EQ(m_doc.FindEvent("Once") != nullptr, bDialogOpen);
        if (bDialogOpen)
        {
            EXPECT_STREQ(GetEventStatusText(GetEventStatus(m_doc, once, Today(7, 0, 30))),
                         "Expired");
        }
        EXPECT_EQ(m_doc.m_pArmedEvent, nullptr);
    }
}

TEST_F(CSchedulerTest, EventDoesNotFireWhileAMenuHoldsTheScheduler)
{
    SetClock(Today(6, 59, 49));
    CTimedEvent& wake = MakeEvent("Wake", Today(7, 0), kFrequencyDaily, m_power);
    CTimedEvent& once = MakeEvent("Once", Today(7, 0), kFrequencyOnce, m_power);
    m_scheduler.SchedulerTick();
    RunSeconds(1);
    m_scheduler.HoldForMenu(); // 06:59:50
    m_frontEnd.m_calls.clear();
    RunSeconds(80);
    // The clock keeps running while the menu is open.
    EXPECT_EQ(CountCalls("ShowClockTime 07:00:30"), 1);
    m_scheduler.ReleaseMenuHold(); // 07:01:10
    RunSeconds(1);
    EXPECT_TRUE(m_device.m_sent.empty());
    EXPECT_EQ(m_doc.m_pArmedEvent, &wake);
    EXPECT_EQ(m_doc.m_armed.m_time, CTime(1998, 3, 3, 7, 0, 0));
    EXPECT_EQ(once.m_lastFired, CTime::NeverFired());
    EXPECT_EQ(m_missed, (std::vector<std::string>{"Once 7:0", "Wake 7:0"}));
}

// How late a held-up occurrence may still fire: a menu held open from 06:59:50 to 07:02:10.
struct SLateCase
{
    const char* pszName;
    int nLateMinutes;
    std::vector<std::string> fired, missed;
};

class CLateFiringTest : public CSchedulerTest, public testing::WithParamInterface<SLateCase>
{
};

TEST_P(CLateFiringTest, HeldUpOccurrenceFiresLateOnlyWithinTheMinutesAllowed)
{
    const SLateCase& test = GetParam();
    m_doc.SetLateMinutes(test.nLateMinutes);
    SetClock(Today(6, 59, 49));
    MakeEvent("Wake", Today(7, 0), kFrequencyDaily, m_power);
    m_scheduler.SchedulerTick();
    RunSeconds(1);
    m_scheduler.HoldForMenu();
    RunSeconds(140);
    m_scheduler.ReleaseMenuHold();
    RunSeconds(5);
    EXPECT_EQ(m_fired, test.fired);
    EXPECT_EQ(m_missed, test.missed);
    EXPECT_EQ(m_doc.m_armed.m_time, CTime(1998, 3, 3, 7, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(Minutes, CLateFiringTest,
                         testing::Values(SLateCase{"Never", 0, {}, {"Wake 7:0"}},
                                         SLateCase{"OneMinute", 1, {}, {"Wake 7:0"}},
                                         SLateCase{"TwoMinutes", 2, {"Wake 7:2:11"}, {}}),
                         [](const testing::TestParamInfo<SLateCase>& info)
                         { return info.param.pszName; });

// At the first tick: what passed while Quorbit was not running is reported for an event that
// fired before, but not for one that may have been made after its time.
TEST_F(CSchedulerTest, FirstTickReportsOccurrencesMissedWhileNotRunning)
{
    SetClock(Today(9, 30));
    CTimedEvent& wake = MakeEvent("Wake", Today(7, 0), kFrequencyDaily, m_power);
    wake.m_lastFired = Today(7, 0).AddDays(-2);
    MakeEvent("Fresh", Today(8, 0), kFrequencyDaily, m_power);
    m_scheduler.SchedulerTick();
    RunSeconds(120);
    EXPECT_EQ(m_missed, std::vector<std::string>{"Wake 7:0"});
    EXPECT_TRUE(m_fired.empty());
}

TEST_F(CSchedulerTest, ClockJumpReArmsWithinTenSeconds)
{
    SetClock(Today(7, 30));
    MakeEvent("Early", Today(6, 45), kFrequencyDaily, m_power);
    m_scheduler.SchedulerTick();
    ASSERT_EQ(m_doc.m_armed.m_time, CTime(1998, 3, 3, 6, 45, 0));
    RunSeconds(3);
    // The BIOS clock is put back an hour; nothing is due, yet Early now falls today.
    SetClock(Today(6, 30, 3));
    m_frontEnd.m_calls.clear();
    RunSeconds(7);
    EXPECT_EQ(CountCalls("RefreshEventRows"), 1);
    EXPECT_EQ(m_doc.m_armed.m_time, Today(6, 45));
    // A steady clock is not taken for a jump.
    RunSeconds(60);
    EXPECT_EQ(CountCalls("RefreshEventRows"), 1);
}

TEST_F(CSchedulerTest, ClockJumpCheckCarriesOnAcrossTheWrapOfTheTickCount)
{
    SetClock(Today(5, 0));
    MakeEvent("Wake", Today(7, 0), kFrequencyDaily, m_power);
    m_ticks.m_nNow = 0xFFFFFFFFu - 25000;
    m_scheduler.SchedulerTick();
    m_frontEnd.m_calls.clear();
    RunSeconds(60);
    EXPECT_EQ(CountCalls("RefreshEventRows"), 0);
    SetClock(Today(6, 0, 1)); // forward an hour, past the wrap
    RunSeconds(10);
    EXPECT_EQ(CountCalls("RefreshEventRows"), 1);
}

// A loop that sleeps until the next clock check wakes in time for it, also across the wrap of
// the tick count, and ticks that come late find it due at once.
TEST_F(CSchedulerTest, TimeToTheClockCheckFollowsItsInterval)
{
    struct SCase
    {
        std::uint32_t nStart;
        std::uint32_t nAfterMs; // ticks after the first
        std::uint32_t nExpectedMs;
    };
    for (const SCase& test : {SCase{1000, 0, 10000}, SCase{1000, 3500, 6500}, SCase{1000, 10000, 0},
                              SCase{1000, 25000, 0}, SCase{0xFFFFFFFFu - 4000, 3000, 7000},
                              SCase{0xFFFFFFFFu - 4000, 6000, 4000}})
    {
        CScriptedTickSource ticks(test.nStart);
        CScheduler scheduler(m_doc, m_engine, ticks, m_clock);
        EXPECT_EQ(scheduler.GetMsToClockCheck(), 0u) << "before the first tick";
        scheduler.SchedulerTick();
        ticks.Advance(test.nAfterMs);
        EXPECT_EQ(scheduler.GetMsToClockCheck(), test.nExpectedMs)
            << test.nStart << " + " << test.nAfterMs;
    }
}

TEST_F(CSchedulerTest, DailyEventArmedTheDayBeforeSummerTimeFiresAtSevenOnTheDay)
{
    SetClock(CTime(1998, 3, 28, 8, 0, 0));
    CTimedEvent& wake = MakeEvent("Wake", Today(7, 0), kFrequencyDaily, m_power);
    ASSERT_EQ(m_doc.m_armed.m_time, CTime(1998, 3, 29, 7, 0, 0));
    // The computer slept through the change; the first tick after waking is at 06:59:58.
    SetClock(CTime(1998, 3, 29, 6, 59, 58));
    m_scheduler.SchedulerTick();
    RunSeconds(3);
    EXPECT_EQ(m_fired, std::vector<std::string>{"Wake 7:0:0"});
    EXPECT_EQ(wake.m_lastFired.GetHour(), 7);
}

// A daily event at nHour:nMinute on a day the clocks change in 2024, run tick by tick from
// nStart for nSeconds: the one instant it fires at (0: none) and the occurrence armed
// afterwards, all in seconds since the epoch.
struct SClockChangeCase
{
    const char* pszName;
    const char* pszZone;
    int nHour, nMinute;
    std::int64_t nStart;
    int nSeconds;
    std::int64_t nFired, nNext;
};

const SClockChangeCase kClockChangeCases[] = {
    // Back from 02:00 summer time (01:00 UTC) to 01:00 on 27 October: 01:30 happens twice.
    {"LondonBackFromBefore", "Europe/London", 1, 30, UtcSeconds(2024, 10, 26, 23, 58), 7620,
     UtcSeconds(2024, 10, 27, 0, 30), UtcSeconds(2024, 10, 28, 1, 30)},
    {"LondonBackFromInside", "Europe/London", 1, 30, UtcSeconds(2024, 10, 27, 0, 20), 7200,
     UtcSeconds(2024, 10, 27, 0, 30), UtcSeconds(2024, 10, 28, 1, 30)},
    // Started after the first 01:30: that occurrence is gone, the second is no new one.
    {"LondonBackMissed", "Europe/London", 1, 30, UtcSeconds(2024, 10, 27, 0, 45), 4800, 0,
     UtcSeconds(2024, 10, 28, 1, 30)},
    // Forward from 01:00 to 02:00 summer time on 31 March: 01:30 moves to 02:30 that day.
    {"LondonForward", "Europe/London", 1, 30, UtcSeconds(2024, 3, 31, 0, 58), 4020,
     UtcSeconds(2024, 3, 31, 1, 30), UtcSeconds(2024, 4, 1, 0, 30)},
    // Back from 02:00 summer time (06:00 UTC) to 01:00 on 3 November.
    {"NewYorkBackFromBefore", "America/New_York", 1, 30, UtcSeconds(2024, 11, 3, 4, 58), 7620,
     UtcSeconds(2024, 11, 3, 5, 30), UtcSeconds(2024, 11, 4, 6, 30)},
    // Forward from 02:00 to 03:00 summer time on 10 March: 02:30 moves to 03:30 that day.
    {"NewYorkForward", "America/New_York", 2, 30, UtcSeconds(2024, 3, 10, 6, 58), 4020,
     UtcSeconds(2024, 3, 10, 7, 30), UtcSeconds(2024, 3, 11, 6, 30)},
};

// The same cases after mktime was last asked about no month, winter and summer.
class CClockChangeTest : public CSchedulerTest,
                         public testing::WithParamInterface<std::tuple<SClockChangeCase, int>>
{
protected:
    CClockChangeTest()
    {
        m_scheduler.SetFireObserver([this](const CTimedEvent&)
                                    { m_firedAt.push_back(m_clockBackend.m_now.GetTime()); });
    }

    std::vector<std::int64_t> m_firedAt;
};

TEST_P(CClockChangeTest, DailyEventFiresOnceAtTheFirstInstantOfItsTime)
{
    const auto& [change, nAskedMonth] = GetParam();
    const CScopedTimeZone zone(change.pszZone);
    AskMktimeAbout(nAskedMonth);
    SetClock(CTime(change.nStart));
    MakeEvent("Night", CTime(2024, 1, 15, change.nHour, change.nMinute, 0), kFrequencyDaily,
              m_power);
    m_scheduler.SchedulerTick();
    RunSeconds(change.nSeconds);
    const std::vector<std::int64_t> expected =
        change.nFired == 0 ? std::vector<std::int64_t>{} : std::vector{change.nFired};
    EXPECT_EQ(m_firedAt, expected);
    EXPECT_EQ(m_doc.m_armed.m_time.GetTime(), change.nNext);
}

INSTANTIATE_TEST_SUITE_P(DaysOfChange, CClockChangeTest,
                         testing::Combine(testing::ValuesIn(kClockChangeCases),
                                          testing::Values(0, 1, 7)),
                         [](const testing::TestParamInfo<CClockChangeTest::ParamType>& info)
                         {
                             return std::string(std::get<0>(info.param).pszName) + "AfterMonth" +
                                    std::to_string(std::get<1>(info.param));
                         });

TEST_F(CSchedulerTest, UnlearnedEventButtonCountsAsFired)
{
    SetClock(Today(6, 59, 59));
    CRemoteButton& dead = MakePlain(m_remote, "Dead", 0);
    MakeEvent("Once", Today(7, 0), kFrequencyOnce, dead);
    RunSeconds(1);
    EXPECT_TRUE(m_device.m_sent.empty());
    EXPECT_EQ(m_doc.FindEvent("Once"), nullptr);
}

class CMegabuttonEventTest : public CSchedulerTest
{
protected:
    CMegabuttonEventTest()
    {
        SetClock(Today(6, 59, 59));
        PumpWithTimer(100);
    }

    // Steps of 60 s, 60 s and 0.5 s: the firing lasts just over two minutes.
    CRemoteButton& m_a = MakePlain(m_remote, "A");
    CRemoteButton& m_b = MakePlain(m_remote, "B");
    CRemoteButton& m_long = MakeMega(m_remote, "Long", {{&m_a, 4}, {&m_b, 4}, {&m_a, 0}});
};

TEST_F(CMegabuttonEventTest, NestedTicksKeepTheClockButFireNothingElse)
{
    MakeEvent("Show", Today(7, 0), kFrequencyOnce, m_long);
    CTimedEvent& mid = MakeEvent("Mid", Today(7, 1), kFrequencyDaily, m_power);
    m_frontEnd.m_calls.clear();
    RunSeconds(1);
    EXPECT_EQ(m_fired, std::vector<std::string>{"Show 7:0:0"});
    EXPECT_EQ(GetSent().size(), 3u);
    // The clock pane ran through the pauses, minute 07:01 included.
    EXPECT_EQ(CountCalls("ShowClockTime 07:01:00"), 1);
    EXPECT_EQ(CountCalls("ShowClockTime 07:02:00"), 1);
    // Mid's minute passed during the firing: skipped and reported, re-armed for tomorrow.
    EXPECT_EQ(mid.m_lastFired, CTime::NeverFired());
    EXPECT_EQ(m_missed, std::vector<std::string>{"Mid 7:1"});
    EXPECT_STREQ(GetEventStatusText(GetEventStatus(m_doc, mid, m_clock.GetBiosTime())), "Missed");
    EXPECT_EQ(m_doc.m_pArmedEvent, &mid);
    EXPECT_EQ(m_doc.m_armed.m_time, CTime(1998, 3, 3, 7, 1, 0));
    EXPECT_EQ(m_doc.FindEvent("Show"), nullptr);
    EXPECT_EQ(m_doc.m_armed.m_nFiring, 0);
    EXPECT_EQ(m_engine.GetFiringDepth(), 0);
}

TEST_F(CMegabuttonEventTest, EventOfTheSameMinuteFiresAfterAFiringThatRanPastIt)
{
    MakeEvent("A long one", Today(7, 0), kFrequencyOnce, m_long);
    MakeEvent("B after", Today(7, 0), kFrequencyOnce, m_power);
    RunSeconds(1);
    ASSERT_EQ(m_fired.size(), 2u);
    EXPECT_EQ(m_fired[0], "A long one 7:0:0");
    EXPECT_EQ(m_fired[1].substr(0, 11), "B after 7:2");
    EXPECT_TRUE(m_missed.empty());
}

TEST_F(CMegabuttonEventTest, FiringEventAndItsButtonsShowAsFiring)
{
    CTimedEvent& show = MakeEvent("Show", Today(7, 0), kFrequencyOnce, m_long);
    std::string strSeen;
    m_frontEnd.m_onPump = [&, pump = m_frontEnd.m_onPump]
    {
        if (strSeen.empty())
            strSeen = GetEventStatusText(GetEventStatus(m_doc, show, m_clock.GetBiosTime()));
        EXPECT_TRUE(m_long.IsFiring());
        EXPECT_TRUE(m_a.IsFiring());
        // The scheduled firing and the megabutton's own.
        EXPECT_EQ(m_engine.GetFiringDepth(), 2);
        pump();
    };
    m_frontEnd.m_calls.clear();
    RunSeconds(1);
    EXPECT_EQ(strSeen, "FIRING");
    EXPECT_EQ(CountCalls("SortEvents"), 1);
    EXPECT_FALSE(m_a.IsFiring());
}

// Every edit of something that is firing is refused, and nothing changes.
TEST_F(CMegabuttonEventTest, EditingRefusesWhatIsFiring)
{
    CTimedEvent& show = MakeEvent("Show", Today(7, 0), kFrequencyDaily, m_long);
    CTimedEvent changed = show;
    changed.m_time = Today(9, 0);
    bool bTried = false;
    m_frontEnd.m_onPump = [&, pump = m_frontEnd.m_onPump]
    {
        if (!bTried)
        {
            bTried = true;
            m_frontEnd.QueueAnswer(EAnswer::Yes);
            EXPECT_FALSE(m_doc.RemoveButton(m_remote, m_a));
            EXPECT_FALSE(m_doc.CanChangeButton(m_long));
            EXPECT_FALSE(m_doc.UpdateEvent(show, changed));
            EXPECT_FALSE(m_doc.RemoveEvent(show));
        }
        pump();
    };
    m_frontEnd.m_messages.clear();
    RunSeconds(1);
    std::vector<int> ids;
    for (const CRecordingFrontEnd::SMessage& message : m_frontEnd.m_messages)
        ids.push_back(message.nStringId);
    EXPECT_EQ(ids, (std::vector<int>{61223, 61222, 61220, 61221}));
    EXPECT_EQ(show.m_time, Today(7, 0));
    EXPECT_EQ(m_remote.FindButton("A"), &m_a);
}
} // namespace
