#include "base/CTime.h"

#include "support/TimeZone.h"

#include <gtest/gtest.h>

TEST(CTimeTest, BreaksIntoLocalFieldsWithSundayFirst)
{
    const CScopedTimeZone zone("Europe/Berlin");
    const CTime time(1998, 3, 2, 7, 0, 0); // a Monday
    EXPECT_EQ(time.GetYear(), 1998);
    EXPECT_EQ(time.GetMonth(), 3);
    EXPECT_EQ(time.GetDay(), 2);
    EXPECT_EQ(time.GetHour(), 7);
    EXPECT_EQ(time.GetMinute(), 0);
    EXPECT_EQ(time.GetDayOfWeek(), 2);
    EXPECT_EQ(CTime(1998, 3, 1, 12, 0, 0).GetDayOfWeek(), 1);
    EXPECT_EQ(CTime(1998, 3, 7, 12, 0, 0).GetDayOfWeek(), 7);
}

TEST(CTimeTest, HoldsDatesPast2038)
{
    const CScopedTimeZone zone("UTC");
    const CTime time(2048, 12, 31, 23, 59, 0);
    EXPECT_GT(time.GetTime(), std::int64_t{1} << 31);
    EXPECT_EQ(time.GetYear(), 2048);
    EXPECT_EQ(time.GetDay(), 31);
    EXPECT_EQ(time.AddDays(1).GetYear(), 2049);
}

TEST(CTimeTest, AddingDaysKeepsTheTimeOfDayAcrossDaylightSaving)
{
    const CScopedTimeZone zone("Europe/Berlin");
    // Summer time began on 29 March 1998 at 02:00.
    const CTime dayBefore(1998, 3, 28, 7, 0, 0);
    const CTime changeDay = dayBefore.AddDays(1);
    EXPECT_EQ(changeDay.GetDay(), 29);
    EXPECT_EQ(changeDay.GetHour(), 7);
    EXPECT_EQ(changeDay.GetTime() - dayBefore.GetTime(), 23 * 3600);
    EXPECT_EQ(changeDay.AddDays(-1), dayBefore);
}

TEST(CTimeTest, NormalisesOutOfRangeFieldsAndTruncatesToTheMinute)
{
    const CScopedTimeZone zone("UTC");
    EXPECT_EQ(CTime(1998, 1, 32, 0, 0, 0), CTime(1998, 2, 1, 0, 0, 0));
    EXPECT_EQ(CTime(1998, 5, 17, 13, 45, 7).ToMinute(), CTime(1998, 5, 17, 13, 45, 0));
    EXPECT_EQ(CTime::NeverFired(), CTime(1997, 1, 1, 0, 0, 0));
}

// The hours a change of the clocks repeats or skips name the same instants whatever the C
// library was asked before, and a date converted once for many times of day agrees.
TEST(CTimeTest, ClockChangeHoursNameFixedInstantsWhateverCameBefore)
{
    struct SCase
    {
        const char* pszZone;
        int nMonth, nDay, nHour; // at minute 30 of 2024
        std::int64_t nFirst, nLast;
        bool bSkipped;
    };
    const SCase cases[] = {
        // Back from 02:00 summer time to 01:00; forward from 01:00 to 02:00 summer time.
        {"Europe/London", 10, 27, 1, UtcSeconds(2024, 10, 27, 0, 30),
         UtcSeconds(2024, 10, 27, 1, 30), false},
        {"Europe/London", 3, 31, 1, UtcSeconds(2024, 3, 31, 1, 30), UtcSeconds(2024, 3, 31, 1, 30),
         true},
        // Back from 02:00 summer time to 01:00; forward from 02:00 to 03:00 summer time.
        {"America/New_York", 11, 3, 1, UtcSeconds(2024, 11, 3, 5, 30),
         UtcSeconds(2024, 11, 3, 6, 30), false},
        {"America/New_York", 3, 10, 2, UtcSeconds(2024, 3, 10, 7, 30),
         UtcSeconds(2024, 3, 10, 7, 30), true},
        {"America/New_York", 3, 10, 1, UtcSeconds(2024, 3, 10, 6, 30),
         UtcSeconds(2024, 3, 10, 6, 30), false},
    };
    for (const SCase& test : cases)
    {
        const CScopedTimeZone zone(test.pszZone);
        for (const int nAskedMonth : {0, 1, 7})
        {
            SCOPED_TRACE(testing::Message()
                         << test.pszZone << " 2024-" << test.nMonth << "-" << test.nDay
                         << " after mktime on month " << nAskedMonth);
            AskMktimeAbout(nAskedMonth);
            const CTime::SLocalInstants found =
                CTime::FindLocal(2024, test.nMonth, test.nDay, test.nHour, 30, 0);
            EXPECT_EQ(found.first.GetTime(), test.nFirst);
            EXPECT_EQ(found.last.GetTime(), test.nLast);
            EXPECT_EQ(found.bSkipped, test.bSkipped);
            AskMktimeAbout(nAskedMonth);
            EXPECT_EQ(CTime(2024, test.nMonth, test.nDay, test.nHour, 30, 0), found.first);
            EXPECT_EQ(CTime::CLocalDay(2024, test.nMonth, test.nDay).At(test.nHour, 30, 0),
                      found.first);
        }
    }
}
