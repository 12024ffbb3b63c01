#include "device/CBiosClock.h"
#include "device/COsClock.h"

#include "support/CScriptedClock.h"
#include "support/TimeZone.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <utility>
#include <vector>

namespace
{
SBcdReading Reading(std::uint8_t nDay, std::uint8_t nHour, std::uint8_t nMinute,
                    std::uint8_t nSecond)
{
    return {0x19, 0x98, 0x05, nDay, nHour, nMinute, nSecond};
}

class CBiosClockTest : public testing::Test
{
protected:
    CScopedTimeZone m_zone{"Europe/Berlin"};
    CScriptedClock m_backend;
    CBiosClock m_clock{m_backend};
};

// The BCD digits read as decimal; of two readings the second only when the day changed.
TEST_F(CBiosClockTest, ConvertsThePairOfReadingsThatBelongTogether)
{
    struct SCase
    {
        SBcdReading first, second;
        CTime expected;
    };
    const SCase cases[] = {
        {Reading(0x17, 0x13, 0x45, 0x07), Reading(0x17, 0x13, 0x45, 0x07),
         CTime(1998, 5, 17, 13, 45, 7)},
        {{0x19, 0x98, 0x01, 0x31, 0x23, 0x59, 0x59},
         {0x19, 0x98, 0x02, 0x01, 0x00, 0x00, 0x00},
         CTime(1998, 2, 1, 0, 0, 0)},
        {Reading(0x17, 0x12, 0x00, 0x00), Reading(0x17, 0x12, 0x00, 0x01),
         CTime(1998, 5, 17, 12, 0, 0)},
    };
    for (const SCase& pair : cases)
    {
        m_backend.QueueReading(pair.first);
        m_backend.QueueReading(pair.second);
        EXPECT_EQ(m_clock.GetBiosTime(), pair.expected);
    }
}

TEST_F(CBiosClockTest, ReadsAgainAfterAGarbledReading)
{
    const SBcdReading garbled[] = {
        Reading(0x17, 0x13, 0x4A, 0x07),            // a letter digit
        Reading(0x17, 0x24, 0x00, 0x00),            // hour 24
        Reading(0x00, 0x13, 0x45, 0x07),            // day 0
        {0x19, 0x98, 0x13, 0x17, 0x13, 0x45, 0x07}, // month 13
    };
    for (const SBcdReading& bad : garbled)
    {
        m_backend.QueueReading(bad);
        m_backend.QueueReading(Reading(0x17, 0x13, 0x45, 0x07));
        m_backend.QueueReading(Reading(0x17, 0x13, 0x45, 0x07));
        EXPECT_EQ(m_clock.GetBiosTime(), CTime(1998, 5, 17, 13, 45, 7));
    }
}

TEST_F(CBiosClockTest, FallsBackOnTheSystemClockWhenReadingsStayGarbled)
{
    for (int nReading = 0; nReading < 6; ++nReading)
        m_backend.QueueReading(Reading(0x17, 0x13, 0x45, 0xFF));
    const std::int64_t nBefore = std::time(nullptr);
    const std::int64_t nRead = m_clock.GetBiosTime().GetTime();
    EXPECT_GE(nRead, nBefore);
    EXPECT_LE(nRead, std::time(nullptr));
}

TEST_F(CBiosClockTest, SetsTheSystemClockFromTheFirstReadingOfANewSecond)
{
    for (const std::uint8_t nSecond : {0x07, 0x07, 0x07, 0x08, 0x08})
        m_backend.QueueReading(Reading(0x17, 0x13, 0x45, nSecond));
    std::string strError;
    EXPECT_TRUE(m_clock.SetClockFromBios(strError));
    EXPECT_EQ(m_backend.m_setRequests, std::vector<std::string>{"1998-05-17 13:45:08"});
    EXPECT_EQ(m_backend.m_nReads, 5);
}

TEST_F(CBiosClockTest, SetsTheNewDayWhenMidnightPassesDuringTheLastReading)
{
    m_backend.QueueReading({0x19, 0x98, 0x05, 0x31, 0x23, 0x59, 0x58});
    m_backend.QueueReading({0x19, 0x98, 0x05, 0x31, 0x23, 0x59, 0x59});
    m_backend.QueueReading({0x19, 0x98, 0x06, 0x01, 0x00, 0x00, 0x00});
    std::string strError;
    m_clock.SetClockFromBios(strError);
    EXPECT_EQ(m_backend.m_setRequests, std::vector<std::string>{"1998-06-01 00:00:00"});
}

TEST_F(CBiosClockTest, StopsWaitingForANewSecondWhenTheClockStandsStill)
{
    // m_now never moves: after a little over a second the last reading is used.
    std::string strError;
    EXPECT_TRUE(m_clock.SetClockFromBios(strError));
    EXPECT_EQ(m_backend.m_setRequests, std::vector<std::string>{"1998-03-02 06:59:00"});
}

TEST_F(CBiosClockTest, ReportsWhyTheSystemClockWasNotSet)
{
    class CRefusingClock : public CScriptedClock
    {
    public:
        bool SetSystemClock(const CTime&, std::string& strError) override
        {
            strError = "not permitted";
            return false;
        }
    } refusing;
    refusing.QueueReading(Reading(0x17, 0x13, 0x45, 0x07));
    refusing.QueueReading(Reading(0x17, 0x13, 0x45, 0x08));
    CBiosClock clock(refusing);
    std::string strError;
    EXPECT_FALSE(clock.SetClockFromBios(strError));
    EXPECT_EQ(strError, "not permitted");
}
} // namespace

TEST(CBiosClockRefreshTest, RefreshFromTheSystemClockItselfReadsNothing)
{
    // A system clock whose second never changes: a refresh that waited for a new second
    // would read it over and over.
    class CFrozenSystemClock : public CScriptedClock
    {
    public:
        bool IsSystemClock() const override { return true; }
    } backend;
    CBiosClock clock(backend);
    std::string strError;
    EXPECT_TRUE(clock.SetClockFromBios(strError));
    EXPECT_EQ(backend.m_nReads, 0);
    EXPECT_TRUE(backend.m_setRequests.empty());
}

TEST(CBiosClockRefreshTest, AClockThatCannotBeReadSetsNothing)
{
    class CDeadClock : public CScriptedClock
    {
    public:
        bool ReadClock(SBcdReading&) override { return false; }
    } backend;
    CBiosClock clock(backend);
    std::string strError;
    EXPECT_FALSE(clock.SetClockFromBios(strError));
    EXPECT_EQ(strError, "the scripted clock cannot be read");
    EXPECT_TRUE(backend.m_setRequests.empty());
}

namespace
{
// Records the instants the system clock is set to.
class CSettingClock : public CScriptedClock
{
public:
    using CScriptedClock::CScriptedClock;

    bool SetSystemClock(const CTime& time, std::string&) override
    {
        m_setTimes.push_back(time);
        return true;
    }

    std::vector<CTime> m_setTimes;
};
} // namespace

// Read once a second through the hour the clocks go back, the clock runs on from 01:59:59
// summer time to 01:00:00 winter time, and a refresh in that hour sets the instant it read.
TEST(CBiosClockChangeTest, ReadingsRunForwardThroughTheRepeatedHour)
{
    const std::pair<const char*, std::int64_t> changes[] = {
        {"Europe/London", UtcSeconds(2024, 10, 27, 1, 0)},
        {"America/New_York", UtcSeconds(2024, 11, 3, 6, 0)},
    };
    for (const auto& [pszZone, nChange] : changes)
    {
        SCOPED_TRACE(pszZone);
        const CScopedTimeZone zone(pszZone);
        CSettingClock backend(CTime(nChange - 3600 - 60));
        CBiosClock clock(backend);
        for (std::int64_t nTime = nChange - 3600 - 60; nTime <= nChange + 3600 + 60; ++nTime)
        {
            backend.m_now = CTime(nTime);
            ASSERT_EQ(clock.GetBiosTime(), backend.m_now) << backend.m_now.Format(' ', true);
            if (nTime != nChange + 1800)
                continue;
            // A refresh half an hour into the second pass of the repeated hour.
            const CTime next = backend.m_now.AddSeconds(1);
            for (const CTime& reading : {backend.m_now, next, next})
                backend.QueueReading(MakeBcdReading(reading));
            std::string strError;
            ASSERT_TRUE(clock.SetClockFromBios(strError));
            EXPECT_EQ(backend.m_setTimes, std::vector<CTime>{next});
        }
    }
}

// Read from the system clock in the second pass of a repeated hour, as on starting up then,
// the reading is the system clock's own instant, not the one an hour before.
TEST(CBiosClockChangeTest, TakesTheSystemClocksInstantInTheRepeatedHour)
{
    const std::time_t nNow = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&nNow, &utc);
    // A zone an hour ahead in summer time, which ended half an hour ago. The end is given as
    // summer time on today's date (hours past 24 run into tomorrow); summer time began half a
    // year before.
    const int nEnd = utc.tm_hour * 3600 + utc.tm_min * 60 + utc.tm_sec - 1800 + 3600;
    char szZone[64];
    std::snprintf(szZone, sizeof szZone, "XST0XDT-1,%d/0,%d/%d:%02d:%02d",
                  (utc.tm_yday + 180) % 365, utc.tm_yday, nEnd / 3600, nEnd / 60 % 60, nEnd % 60);
    const CScopedTimeZone zone(szZone);
    ASSERT_EQ(CTime(nNow - 3600).Format(), CTime(nNow).Format()) << szZone;

    COsClock backend;
    CBiosClock clock(backend);
    EXPECT_NEAR(static_cast<double>(clock.GetBiosTime().GetTime()), static_cast<double>(nNow), 2);
}
