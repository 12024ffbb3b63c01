#include "device/CBiosClock.h"

#include "support/CScriptedClock.h"
#include "support/TimeZone.h"

#include <gtest/gtest.h>

#include <ctime>

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
        bool SetSystemClock(int, int, int, int, int, int, std::string& strError) override
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
