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
