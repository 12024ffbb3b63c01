#include "device/CBiosClock.h"
#include "device/CDeviceFactory.h"
#include "device/CRtcClock.h"
#include "device/CSimulatedClock.h"

#include "support/CFakeLircSystem.h"
#include "support/CTempFolder.h"
#include "support/TimeZone.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

namespace
{
TEST(CClockBackendTest, StartsASimulatedClockOnlyFromAWholeLocalTime)
{
    const CScopedTimeZone zone("Europe/Berlin");
    std::string strError;
    const auto pClock = CreateClockBackend("1998-03-02 06:59:58", strError);
    ASSERT_NE(pClock, nullptr);
    EXPECT_STREQ(pClock->GetName(), "simulated");
    EXPECT_EQ(CBiosClock(*pClock).GetBiosTime(), CTime(1998, 3, 2, 6, 59, 58));

    for (const char* pszBad :
         {"1998-3-2 06:59:58", "1998-02-29 12:00:00", "1998-13-01 00:00:00", "1998-03-02 24:00:00",
          "1998-03-02 06:60:00", "1998-03-02T06:59:58", " 1998-03-02 06:59:5",
          "1998-03-02 06:59:58x", "1969-12-31 23:59:59", "tomorrow"})
    {
        strError.clear();
        EXPECT_EQ(CreateClockBackend(pszBad, strError), nullptr) << pszBad;
        EXPECT_NE(strError.find(pszBad), std::string::npos) << strError;
    }
    EXPECT_EQ(CSimulatedClock::ParseStart("2000-02-29 00:00:00"), CTime(2000, 2, 29, 0, 0, 0));
}

TEST(CClockBackendTest, ASimulatedClockRunsOnAndOnlyRecordsRequestsToSetTheMachine)
{
    const CScopedTimeZone zone("Europe/Berlin");
    CSimulatedClock backend(CTime(1998, 12, 31, 23, 59, 59));
    CBiosClock clock(backend);
    std::string strError;
    // Waits for the simulated clock's next second, which is the next year.
    EXPECT_TRUE(clock.SetClockFromBios(strError));
    EXPECT_EQ(backend.GetSetRequests(), std::vector<std::string>{"1999-01-01 00:00:00"});
    EXPECT_GE(clock.GetBiosTime(), CTime(1999, 1, 1, 0, 0, 0));
}

TEST(CClockBackendTest, HandsOnTheRealTimeClockAsLocalTime)
{
    const CScopedTimeZone zone("Europe/Berlin");
    std::tm chip{};
    chip.tm_year = 98;
    chip.tm_mon = 4;
    chip.tm_mday = 17;
    chip.tm_hour = 23;
    chip.tm_min = 45;
    chip.tm_sec = 7;
    // Summer time: two hours ahead of UTC, so past midnight.
    EXPECT_EQ(CRtcClock::ToLocalReading(chip, false),
              (SBcdReading{0x19, 0x98, 0x05, 0x18, 0x01, 0x45, 0x07}));
    EXPECT_EQ(CRtcClock::ToLocalReading(chip, true),
              (SBcdReading{0x19, 0x98, 0x05, 0x17, 0x23, 0x45, 0x07}));
}

TEST(CClockBackendTest, ReadsWhetherTheClockChipKeepsLocalTime)
{
    const CTempFolder folder;
    const std::filesystem::path path = folder.GetPath() / "adjtime";
    struct SCase
    {
        const char* pszContent;
        bool bLocal;
    };
    for (const SCase& adjtime :
         {SCase{"0.0 0 0.0\n0\nLOCAL\n", true}, SCase{"0.0 0 0.0\n0\nUTC\n", false},
          SCase{"0.0 0 0.0\n0\n", false}, SCase{"LOCAL\n", false}})
    {
        std::ofstream(path) << adjtime.pszContent;
        EXPECT_EQ(CRtcClock::KeepsLocalTime(path.c_str()), adjtime.bLocal) << adjtime.pszContent;
    }
    std::filesystem::remove(path);
    EXPECT_FALSE(CRtcClock::KeepsLocalTime(path.c_str()));
}

TEST(CClockBackendTest, ReadsTheRealTimeClockWhenThereIsOne)
{
    std::string strError;
    const std::unique_ptr<CRtcClock> pRtc = CRtcClock::Open(strError);
    if (!pRtc)
        GTEST_SKIP() << "no readable real-time clock: " << strError;
    // Only reading: a test never sets the machine's clock.
    SBcdReading reading;
    EXPECT_TRUE(pRtc->ReadClock(reading));
    EXPECT_GE(reading.nCentury, 0x19);
}

TEST(CDeviceFactoryTest, RefusesBackendsItCannotHonour)
{
    std::string strError;
    EXPECT_EQ(CreateInfraredDevice("lpt", 1, strError), nullptr);
    EXPECT_NE(strError.find("\"lpt\""), std::string::npos) << strError;

    const auto pSimulated = CreateInfraredDevice("sim", 2, strError);
    ASSERT_NE(pSimulated, nullptr);
    EXPECT_STREQ(pSimulated->GetBackendName(), "simulated");
    EXPECT_EQ(pSimulated->GetPort(), 2);

    // A lirc device that is not there is named in the refusal; "lirc:" alone names none.
    EXPECT_EQ(CreateInfraredDevice("lirc:/dev/nonexistent", 1, strError), nullptr);
    EXPECT_NE(strError.find("/dev/nonexistent does not exist"), std::string::npos) << strError;
    EXPECT_EQ(CreateInfraredDevice("lirc:", 1, strError), nullptr);
    EXPECT_NE(strError.find("\"lirc:\""), std::string::npos) << strError;

    for (const char* pszBackend : {"ppdev", "direct", "lirc"})
    {
        strError.clear();
        const auto pDevice = CreateInfraredDevice(pszBackend, 1, strError);
        // Opening does no port I/O, so a test may try it anywhere.
        if (pDevice)
            EXPECT_STRNE(pDevice->GetBackendName(), "simulated");
        else
            EXPECT_FALSE(strError.empty()) << pszBackend;
    }
}
// Without a device named, the simulated unit is chosen only where no infrared device is there
// at all: one the person may not open is named with the group to join instead.
TEST(CDeviceFactoryTest, NeverPutsTheSimulatedUnitInPlaceOfADeviceThatIsThere)
{
    const struct
    {
        int nLirc0Error; // -1: no lirc0
        std::uint32_t nLirc0Features;
        bool bLirc1;
        const char* pszName; // empty: refused with pszError
        const char* pszError;
    } cases[]{
        {-1, 0, false, "simulated", ""},
        {EACCES, CFakeLircSystem::kFullFeatures, false, "",
         "no lirc device can be used: you may not open /dev/lirc0: join the group video (sudo "
         "adduser $USER video) and log in again"},
        {EACCES, CFakeLircSystem::kFullFeatures, true, "lirc /dev/lirc1, send only", ""},
        {0, LIRC_CAN_REC_MODE2, true, "lirc /dev/lirc1 (send), /dev/lirc0 (receive)", ""},
    };
    for (const auto& test : cases)
    {
        SCOPED_TRACE(test.pszName);
        CFakeLircSystem lirc;
        if (test.nLirc0Error >= 0)
        {
            CFakeLircSystem::SDevice& lirc0 = lirc.AddDevice("/dev/lirc0");
            lirc0.nOpenError = test.nLirc0Error;
            lirc0.nFeatures = test.nLirc0Features;
            lirc0.strGroup = "video";
        }
        if (test.bLirc1)
            lirc.AddDevice("/dev/lirc1").nFeatures = LIRC_CAN_SEND_PULSE;
        std::string strError;
        const auto pDevice = CreateInfraredDevice("", 1, lirc, strError);
        const std::string strName = pDevice ? pDevice->GetBackendName() : "";
        if (strName.starts_with("ppdev") || strName == "direct")
            GTEST_SKIP() << "a parallel-port unit is there, and comes first";
        EXPECT_EQ(strName, test.pszName);
        EXPECT_EQ(strError, test.pszError);
    }
}
} // namespace
