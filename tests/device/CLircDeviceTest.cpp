#include "device/CLircDevice.h"

#include "base/DocumentConstants.h"
#include "base/SampleRuns.h"
#include "support/CFakeLircSystem.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <numeric>

namespace
{
using CDurations = std::vector<std::uint32_t>;
using CDevice = CFakeLircSystem::SDevice;

constexpr const char* kPath = "/dev/lirc0";
// A short frame: marks and spaces of a remote, in microseconds.
const CDurations kFrame{9000, 4500, 560, 560, 560, 1690, 560, 40000, 9000, 2250, 560};

class CLircDeviceTest : public testing::Test
{
protected:
    CDevice& Fake() { return m_system.GetDevice(kPath); }

    std::unique_ptr<CLircDevice> Open()
    {
        std::string strError;
        auto pDevice = CLircDevice::Open(m_system, kPath, strError);
        EXPECT_NE(pDevice, nullptr) << strError;
        return pDevice;
    }

    // Watches the detector as the recorder does, then captures; the field starts full of an
    // older recording.
    std::uint32_t Learn(CLircDevice& device)
    {
        device.EnableDetector();
        for (int nLook = 0; nLook < 10 && device.ReadDetectorLine() != 0; ++nLook)
        {
        }
        m_field.assign(kBitstreamBytes, 0xEE);
        std::uint32_t nLength = kBitstreamBytes;
        device.CaptureBitstream(m_field.data(), nLength);
        return nLength;
    }

    CDurations Heard(std::uint32_t nLength) const
    {
        return SamplesToDurations(std::span(m_field.data(), nLength), 1000);
    }

    CFakeLircSystem m_system;
    std::vector<std::uint8_t> m_field;
    CDevice& m_fake = m_system.AddDevice(kPath);
};

TEST_F(CLircDeviceTest, RefusesDevicesItCannotUseAndSaysWhy)
{
    struct SCase
    {
        int nOpenError;
        bool bAnswersFeatures;
        std::uint32_t nFeatures;
        const char* pszReason;
    } const cases[]{
        {EACCES, true, CFakeLircSystem::kFullFeatures,
         "you may not open /dev/lirc0: join the group plugdev (sudo adduser $USER plugdev)"},
        {ENODEV, true, CFakeLircSystem::kFullFeatures, "/dev/lirc0 has no device behind it"},
        {0, false, CFakeLircSystem::kFullFeatures, "/dev/lirc0 is not an infrared (lirc) device"},
        {0, true, LIRC_CAN_REC_SCANCODE, "/dev/lirc0 can neither send nor record raw"},
    };
    for (const SCase& test : cases)
    {
        m_fake.nOpenError = test.nOpenError;
        m_fake.bAnswersFeatures = test.bAnswersFeatures;
        m_fake.nFeatures = test.nFeatures;
        std::string strError;
        EXPECT_EQ(CLircDevice::Open(m_system, kPath, strError), nullptr);
        EXPECT_NE(strError.find(test.pszReason), std::string::npos) << strError;
    }
    std::string strError;
    EXPECT_EQ(CLircDevice::Open(m_system, "/dev/lirc7", strError), nullptr);
    EXPECT_EQ(strError,
              "/dev/lirc7 does not exist: is the device plugged in and its driver loaded?");
}

TEST_F(CLircDeviceTest, NamesWhatEachDeviceCanDo)
{
    m_system.AddDevice("/dev/lirc1").nFeatures = LIRC_CAN_SEND_PULSE;
    m_system.AddDevice("/dev/lirc2").nFeatures = LIRC_CAN_REC_MODE2;
    m_system.AddDevice("/dev/lirc3").nOpenError = EACCES;
    const std::vector<SLircAvailability> found = ProbeLircDevices(m_system);
    ASSERT_EQ(found.size(), 4u);
    const char* const names[]{"lirc /dev/lirc0, send and receive", "lirc /dev/lirc1, send only",
                              "lirc /dev/lirc2, receive only"};
    for (std::size_t nDevice = 0; nDevice < 3; ++nDevice)
    {
        std::string strError;
        const auto pDevice = CLircDevice::Open(m_system, found[nDevice].strPath, strError);
        ASSERT_NE(pDevice, nullptr);
        EXPECT_STREQ(pDevice->GetBackendName(), names[nDevice]);
        EXPECT_EQ(found[nDevice].bCanSend, pDevice->CanSend());
        EXPECT_EQ(found[nDevice].bCanReceive, pDevice->CanReceive());
    }
    EXPECT_FALSE(found[3].bUsable);
    EXPECT_NE(found[3].strReason.find("plugdev"), std::string::npos);
    // Every probe let go of its device.
    EXPECT_EQ(m_system.CountOpen(), 0u);
}

TEST_F(CLircDeviceTest, LearnsFromTheFirstMarkToTheTimeoutAtAMicrosecondASample)
{
    const auto pDevice = Open();
    EXPECT_EQ(m_fake.nRecMode, static_cast<std::uint32_t>(LIRC_MODE_MODE2));
    // The driver's longest timeout is below the 100 ms asked for.
    EXPECT_EQ(m_fake.nRecTimeout, 50000u);
    // What came before the detector was readied is not heard; it holds the line until quiet.
    m_fake.readable.push_back(LIRC_PULSE(700));
    pDevice->EnableDetector();
    EXPECT_EQ(pDevice->ReadDetectorLine(), 0);
    EXPECT_TRUE(pDevice->WaitForDetectorLine(true, 1000));
    m_fake.presses.push_back(CFakeLircSystem::ToValues(kFrame));
    EXPECT_EQ(pDevice->ReadDetectorLine(), 0);

    std::uint32_t nLength = kBitstreamBytes;
    m_field.assign(kBitstreamBytes, 0xEE);
    pDevice->CaptureBitstream(m_field.data(), nLength);
    EXPECT_EQ(pDevice->GetLastFault(), "");
    EXPECT_EQ(Heard(nLength), kFrame);
    EXPECT_EQ(nLength, (std::accumulate(kFrame.begin(), kFrame.end(), 0u) + 7) / 8);
    EXPECT_EQ(m_field[nLength], 0) << "the older recording's tail was left";
}

TEST_F(CLircDeviceTest, EndsASignalAtSilenceWhenTheDriverReportsNoTimeout)
{
    m_fake.bReportsTimeout = false;
    m_fake.nFeatures &= ~static_cast<std::uint32_t>(LIRC_CAN_SET_REC_TIMEOUT);
    const auto pDevice = Open();
    // Values split as a driver may split them join up again.
    CDurations values{LIRC_PULSE(4000), LIRC_PULSE(5000), LIRC_SPACE(4500), LIRC_PULSE(560)};
    m_fake.presses.push_back(values);
    EXPECT_EQ(Heard(Learn(*pDevice)), (CDurations{9000, 4500, 560}));
}

TEST_F(CLircDeviceTest, CutsASignalLongerThanABitstreamAndSaysSo)
{
    const auto pDevice = Open();
    CDurations longSignal;
    for (int nRun = 0; nRun < 81; ++nRun)
        longSignal.push_back(5000);
    m_fake.presses.push_back(CFakeLircSystem::ToValues(longSignal));
    EXPECT_EQ(Learn(*pDevice), kBitstreamBytes);
    EXPECT_EQ(pDevice->GetLastFault(), "");
    EXPECT_NE(pDevice->GetLastNotice().find("longer than the 0.4 seconds"), std::string::npos);
}

TEST_F(CLircDeviceTest, ReadFaultsDeliverNothingAndSayWhy)
{
    struct SCase
    {
        std::vector<int> readErrors;
        bool bOverflow;
        const char* pszFault; // empty: the fault is weathered
    } const cases[]{
        {{EINTR, EAGAIN}, false, ""},
        {{EIO}, false, ""},
        {{ENODEV}, false, "stopped answering while listening: it was unplugged, waiting for it"},
        {{EIO, EIO}, false, "failed while listening: Input/output error"},
        {{}, true, "its receive buffer overflowed"},
    };
    for (const SCase& test : cases)
    {
        const auto pDevice = Open();
        CDurations values = CFakeLircSystem::ToValues(kFrame);
        if (test.bOverflow)
            values.insert(values.begin() + 4, LIRC_OVERFLOW(0));
        m_fake.presses.push_back(values);
        pDevice->EnableDetector();
        ASSERT_EQ(pDevice->ReadDetectorLine(), 0x10);
        ASSERT_EQ(pDevice->ReadDetectorLine(), 0);
        m_fake.readErrors.assign(test.readErrors.begin(), test.readErrors.end());
        m_fake.presses.push_back({LIRC_SPACE(900), LIRC_PULSE(560)});
        m_field.assign(kBitstreamBytes, 0xEE);
        std::uint32_t nLength = kBitstreamBytes;
        pDevice->CaptureBitstream(m_field.data(), nLength);
        EXPECT_NE(pDevice->GetLastFault().find(test.pszFault), std::string::npos)
            << pDevice->GetLastFault();
        EXPECT_EQ(pDevice->GetLastFault().empty(), *test.pszFault == '\0');
        if (*test.pszFault != '\0')
        {
            EXPECT_EQ(nLength, 0u);
            EXPECT_EQ(m_field[0], 0xEE);
        }
        m_fake.readable.clear();
        m_fake.presses.clear();
        m_fake.readErrors.clear();
    }
}

// A wait for a press sleeps in poll until the press comes or the time is up, rather than
// asking the device again and again.
TEST_F(CLircDeviceTest, WaitsForAPressOnTheDevice)
{
    struct SCase
    {
        std::uint64_t nPressAfterMicros;
        int nWaitMs;
        bool bHeard;
    } const cases[]{
        {3000000, 5000, true},
        {3000000, 2000, false},
        {0, 3000, true},
    };
    for (const SCase& test : cases)
    {
        const auto pDevice = Open();
        pDevice->EnableDetector();
        ASSERT_TRUE(pDevice->WaitForDetectorLine(true, 0));
        const std::uint64_t nStart = m_system.m_nMicros;
        m_fake.nPolls = 0;
        m_fake.arrivals.push_back(
            {nStart + test.nPressAfterMicros, CFakeLircSystem::ToValues(kFrame)});
        EXPECT_EQ(pDevice->WaitForDetectorLine(false, test.nWaitMs), test.bHeard);
        EXPECT_LE(m_fake.nPolls, 3u);
        const std::uint64_t nWaited = test.bHeard ? test.nPressAfterMicros : test.nWaitMs * 1000u;
        EXPECT_NEAR(static_cast<double>(m_system.m_nMicros - nStart), static_cast<double>(nWaited),
                    1000);
        m_fake.arrivals.clear();
        m_fake.readable.clear();
        m_fake.bSignalPending = false;
    }
}

// A button held when learning starts keeps repeating; none of it is heard, and the press
// recorded is the next one, after the button was let go.
TEST_F(CLircDeviceTest, DropsTheRepeatsOfAButtonHeldBeforeThePress)
{
    const CDurations repeat{9000, 2250, 560};
    const auto pDevice = Open();
    const std::uint64_t nStart = m_system.m_nMicros;
    m_fake.readable.assign(1, LIRC_SPACE(40000));
    for (const std::uint32_t nValue : CFakeLircSystem::ToValues(repeat))
        m_fake.readable.push_back(nValue);
    for (std::uint64_t nRepeat = 1; nRepeat <= 5; ++nRepeat)
        m_fake.arrivals.push_back({nStart + nRepeat * 108000, CFakeLircSystem::ToValues(repeat)});
    m_fake.arrivals.push_back({nStart + 1500000, CFakeLircSystem::ToValues(kFrame)});

    pDevice->EnableDetector();
    ASSERT_TRUE(pDevice->WaitForDetectorLine(true, 5000));
    // Let go after the fifth repeat: the line rose once it had been quiet since, before the press.
    EXPECT_GE(m_system.m_nMicros, nStart + 5 * 108000 + CLircDevice::kReleasedMicros);
    EXPECT_LT(m_system.m_nMicros, nStart + 1500000);
    ASSERT_TRUE(pDevice->WaitForDetectorLine(false, 5000));
    m_field.assign(kBitstreamBytes, 0xEE);
    std::uint32_t nLength = kBitstreamBytes;
    pDevice->CaptureBitstream(m_field.data(), nLength);
    EXPECT_EQ(pDevice->GetLastFault(), "");
    EXPECT_EQ(Heard(nLength), kFrame);
}

// The light a device gave off, from its writes and the dark between them: marks and spaces.
CDurations Played(const CDevice& fake)
{
    CDurations played;
    const auto Add = [&](std::uint32_t nMicros, bool bMark)
    {
        if (nMicros == 0)
            return;
        if (!played.empty() && (played.size() % 2 == 1) == bMark)
            played.back() += nMicros;
        else
            played.push_back(nMicros);
    };
    std::size_t nAt = 0;
    std::uint64_t nDarkSince = fake.writeStarts.front();
    for (std::size_t nWrite = 0; nWrite < fake.writeCounts.size(); ++nWrite)
    {
        Add(static_cast<std::uint32_t>(fake.writeStarts[nWrite] - nDarkSince), false);
        nDarkSince = fake.writeStarts[nWrite];
        for (std::size_t nValue = 0; nValue < fake.writeCounts[nWrite]; ++nValue)
        {
            Add(fake.written[nAt + nValue], nValue % 2 == 0);
            nDarkSince += fake.written[nAt + nValue];
        }
        nAt += fake.writeCounts[nWrite];
    }
    return played;
}

struct SSplitCase
{
    std::size_t nTakesAtMost;             // values the driver takes of one write
    std::size_t nRefusesAbove;            // values above which it refuses a write
    std::uint32_t nWakeLate;              // how late the process wakes after each write
    std::vector<std::size_t> writeCounts; // empty: not checked
};

// 1,201 values cannot go in one write. However the driver takes them, the light it gives off is
// the signal: the spaces between writes keep their length when the process wakes late, and the
// kernel's writes are split before the longest spaces.
TEST_F(CLircDeviceTest, SplitsALongSignalAtItsLongestSpacesAndKeepsTheirLength)
{
    CDurations signal(1201, 100);
    signal[401] = 3000;
    signal[801] = 6000;
    const SSplitCase cases[]{
        {1024, 1024, 0, {801, 399}},
        {1024, 1024, 900, {801, 399}},
        {1024, 500, 90, {}},
        {7, 1024, 60, {}},
        {8, 1024, 0, {}},
    };
    const std::vector<std::uint8_t> bits = DurationsToSamples(signal, 1000);
    for (const SSplitCase& test : cases)
    {
        m_fake = CDevice{};
        m_fake.nMaxWriteValues = test.nTakesAtMost;
        m_fake.nRefuseAboveValues = test.nRefusesAbove;
        m_fake.nWakeLateMicros = test.nWakeLate;
        m_fake.writeErrors = {EINTR, EAGAIN};
        const auto pDevice = Open();
        pDevice->TransmitBitstream(bits.data(), static_cast<std::uint32_t>(bits.size()));
        EXPECT_EQ(pDevice->GetLastFault(), "");
        EXPECT_EQ(Played(m_fake), signal) << test.nTakesAtMost << " " << test.nRefusesAbove;
        if (!test.writeCounts.empty())
        {
            EXPECT_EQ(m_fake.writeCounts, test.writeCounts);
        }
        for (const std::size_t nCount : m_fake.writeCounts)
            EXPECT_LE(nCount, std::min(test.nRefusesAbove, CLircDevice::kMaxValuesPerWrite));
    }
}

// A device that only receives refuses to fire, in words, and writes nothing.
// Pulled out, the device says so and waits; plugged back in, the kernel gives it a new number,
// and it is known again by its driver and place, not taken for another device beside it.
TEST_F(CLircDeviceTest, FiresAgainOnceUnpluggedHardwareIsBackUnderANewNumber)
{
    const std::string strUsb = "mceusb at /sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0";
    m_fake.strIdentity = strUsb;
    CDevice& other = m_system.AddDevice("/dev/lirc1");
    other.strIdentity = "gpio-ir-tx at /sys/devices/platform/gpio-ir-transmitter@12";
    const std::vector<std::uint8_t> bits = DurationsToSamples(kFrame, 1000);
    const auto pDevice = Open();
    const auto Fire = [&] { pDevice->TransmitBitstream(bits.data(), std::size(bits)); };

    m_fake.bUnplugged = true;
    Fire();
    EXPECT_EQ(pDevice->GetLastFault(), "lirc /dev/lirc0, send and receive stopped answering while "
                                       "sending: it was unplugged, waiting for it to come back");
    EXPECT_STREQ(pDevice->GetBackendName(), "lirc /dev/lirc0, unplugged, waiting for it");
    Fire();
    EXPECT_EQ(pDevice->GetLastFault(),
              "lirc /dev/lirc0, unplugged, waiting for it: plug it back in");
    EXPECT_TRUE(other.written.empty());

    CDevice& back = m_system.AddDevice("/dev/lirc2");
    back.strIdentity = strUsb;
    Fire();
    EXPECT_EQ(pDevice->GetLastFault(), "");
    EXPECT_STREQ(pDevice->GetBackendName(), "lirc /dev/lirc2, send and receive");
    EXPECT_EQ(back.written, CDurations(kFrame.begin(), kFrame.end()));
    EXPECT_TRUE(other.written.empty());
    // The dead descriptor was let go.
    EXPECT_EQ(m_system.CountOpen(), 1u);
}

// One EIO is a hiccup, retried; a second one fails the firing without calling it an unplug.
TEST_F(CLircDeviceTest, AnInputOutputErrorIsRetriedOnce)
{
    const std::vector<std::uint8_t> bits = DurationsToSamples(kFrame, 1000);
    const struct
    {
        std::deque<int> writeErrors;
        const char* pszFault;
    } cases[]{
        {{EIO}, ""},
        {{EIO, EIO}, "lirc /dev/lirc0, send and receive failed while sending: Input/output error"},
    };
    for (const auto& test : cases)
    {
        const auto pDevice = Open();
        m_fake.writeErrors = test.writeErrors;
        pDevice->TransmitBitstream(bits.data(), std::size(bits));
        EXPECT_EQ(pDevice->GetLastFault(), test.pszFault);
        EXPECT_STREQ(pDevice->GetBackendName(), "lirc /dev/lirc0, send and receive");
    }
}

TEST_F(CLircDeviceTest, AReceiverRefusesToFire)
{
    m_fake.nFeatures = LIRC_CAN_REC_MODE2;
    const auto pDevice = Open();
    const std::vector<std::uint8_t> bits = DurationsToSamples(kFrame, 1000);
    pDevice->TransmitBitstream(bits.data(), static_cast<std::uint32_t>(bits.size()));
    EXPECT_NE(pDevice->GetLastFault().find("cannot fire buttons: it only receives"),
              std::string::npos);
    EXPECT_TRUE(m_fake.written.empty());
}
} // namespace
