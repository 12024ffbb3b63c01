#include "cli/CLoadedDocument.h"
#include "cli/CliTestSupport.h"
#include "cli/KitchenDocument.h"
#include "cli/LearnCommand.h"
#include "cli/SelfTest.h"
#include "device/CLircDevice.h"
#include "device/CLircPair.h"
#include "device/COsClock.h"
#include "device/CSimulatedRemote.h"
#include "signal/SignalDurations.h"
#include "support/CFakeLircSystem.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace
{
constexpr const char* kPath = "/dev/lirc0";

std::string ReadAll(std::FILE* pFile)
{
    std::string strText(8192, '\0');
    std::rewind(pFile);
    strText.resize(std::fread(strText.data(), 1, strText.size(), pFile));
    std::fclose(pFile);
    return strText;
}

struct SSelfTestCase
{
    std::uint32_t nFeatures;
    int nWriteError;          // 0: writes go through
    std::size_t nTakesAtMost; // values the driver takes of one write
    std::uint32_t nWakeLate;  // how late the process wakes after each write
    bool bWorks;
    const char* pszSaid;
};

// Both ways the frame is played and heard back; one way the test says what it can check and
// checks that; a device unplugged in the middle fails with the reason. A driver that takes a few
// values at a time, with a process that wakes late after each, still plays the frame as it is.
TEST(LircSelfTest, ChecksWhatTheDeviceCanDo)
{
    const SSelfTestCase cases[]{
        {CFakeLircSystem::kFullFeatures, 0, 1024, 0, true, "Heard all 67 back, each within 0 µs"},
        {CFakeLircSystem::kFullFeatures, 0, 7, 300, true, "Heard all 67 back, each within 0 µs"},
        {LIRC_CAN_SEND_PULSE, 0, 1024, 0, true,
         "It only sends, so nothing here can hear the test frame"},
        {LIRC_CAN_REC_MODE2, 0, 1024, 0, true, "It only receives, so the test cannot play a frame"},
        {CFakeLircSystem::kFullFeatures, ENODEV, 1024, 0, false, "it was unplugged"},
    };
    for (const SSelfTestCase& test : cases)
    {
        CFakeLircSystem system;
        CFakeLircSystem::SDevice& fake = system.AddDevice(kPath);
        fake.nFeatures = test.nFeatures;
        fake.bLoopBack = true;
        fake.nMaxWriteValues = test.nTakesAtMost;
        fake.nWakeLateMicros = test.nWakeLate;
        if (test.nWriteError != 0)
            fake.writeErrors.push_back(test.nWriteError);
        std::string strError;
        const auto pDevice = CLircDevice::Open(system, kPath, strError);
        ASSERT_NE(pDevice, nullptr) << strError;
        std::FILE* pOut = std::tmpfile();
        ASSERT_NE(pOut, nullptr);
        EXPECT_EQ(RunSelfTest(*pDevice, pOut), test.bWorks);
        const std::string strText = ReadAll(pOut);
        EXPECT_NE(strText.find(test.pszSaid), std::string::npos) << strText;
        EXPECT_NE(strText.find("Sample period: 1.000 µs; the device measures"), std::string::npos)
            << strText;
    }
}

class LircLearnTest : public testing::Test
{
protected:
    LircLearnTest() { WriteKitchenDocument(m_strDoc); }

    int Learn(std::string& strErr)
    {
        std::string strError;
        const auto pDevice = CLircDevice::Open(m_system, kPath, strError);
        EXPECT_NE(pDevice, nullptr) << strError;
        testing::internal::CaptureStderr();
        const int nStatus = LearnButton({m_strDoc, kKitchen, "Taste1", 1}, *pDevice);
        strErr = testing::internal::GetCapturedStderr();
        return nStatus;
    }

    const CTempFolder m_folder;
    const std::string m_strDoc = m_folder.File("kitchen.qb");
    CFakeLircSystem m_system;
    CFakeLircSystem::SDevice& m_fake = m_system.AddDevice(kPath);
    // The simulated remote's frame without the silence before it.
    std::vector<std::uint32_t> Frame() const { return {m_frame.begin() + 1, m_frame.end()}; }

    std::vector<std::uint32_t> StoredDurations() const
    {
        COsClock osClock;
        CLoadedDocument loaded(osClock);
        EXPECT_TRUE(loaded.GetDocument().OnOpenDocument(m_strDoc));
        const CRemoteButton* pButton = loaded.GetDocument()
                                           .FindRemote("K\xFC"
                                                       "che")
                                           ->FindButton("Taste1");
        return pButton ? ToDurations(pButton->m_bits, 1000) : std::vector<std::uint32_t>();
    }

    const CSimulatedRemote::CRuns m_frame =
        CSimulatedRemote::MakeFrame(CSimulatedRemote::kAddress, 0x12);
};

// What the device heard is stored as it was, at a microsecond a sample.
TEST_F(LircLearnTest, StoresWhatTheDeviceHeard)
{
    m_fake.presses.push_back(CFakeLircSystem::ToValues(Frame()));
    std::string strErr;
    ASSERT_EQ(Learn(strErr), 0) << strErr;
    EXPECT_EQ(StoredDurations(), Frame());
}

// A press three seconds off is slept for in poll, not asked after millions of times.
TEST_F(LircLearnTest, WaitsForThePressOnTheDevice)
{
    m_fake.arrivals.push_back({m_system.m_nMicros + 3000000, CFakeLircSystem::ToValues(Frame())});
    std::string strErr;
    ASSERT_EQ(Learn(strErr), 0) << strErr;
    EXPECT_EQ(StoredDurations(), Frame());
    EXPECT_LE(m_fake.nPolls, 20u);
}

// A button still held from before keeps sending repeat codes: the press learned is the next
// one, not a repeat.
TEST_F(LircLearnTest, LearnsThePressAfterAHeldButtonIsLetGo)
{
    const std::vector<std::uint32_t> repeat{9000, 2250, 560};
    const std::vector<std::uint32_t> queued = CFakeLircSystem::ToValues(repeat);
    m_fake.readable.assign(queued.begin(), queued.end());
    const std::uint64_t nStart = m_system.m_nMicros;
    for (std::uint64_t nRepeat = 1; nRepeat <= 4; ++nRepeat)
        m_fake.arrivals.push_back({nStart + nRepeat * 108000, CFakeLircSystem::ToValues(repeat)});
    m_fake.arrivals.push_back({nStart + 2000000, CFakeLircSystem::ToValues(Frame())});
    std::string strErr;
    ASSERT_EQ(Learn(strErr), 0) << strErr;
    EXPECT_EQ(StoredDurations(), Frame());
}

TEST_F(LircLearnTest, AFaultWritesNothingAndSaysWhy)
{
    const std::string strBefore = ReadFileBytes(m_strDoc);
    std::vector<std::uint32_t> values = CFakeLircSystem::ToValues(Frame());
    values.insert(values.begin() + 9, LIRC_OVERFLOW(0));
    m_fake.presses.push_back(values);
    std::string strErr;
    EXPECT_EQ(Learn(strErr), 1);
    EXPECT_NE(strErr.find("its receive buffer overflowed and part of the signal was lost; press "
                          "the button again; nothing was written"),
              std::string::npos)
        << strErr;
    EXPECT_EQ(ReadFileBytes(m_strDoc), strBefore);
}

TEST(LircDeviceOptionTest, ADeviceThatIsNotThereIsRefusedByItsPath)
{
    const SProcessResult result = RunQuorbit({"--selftest", "--device", "lirc:/dev/nonexistent"});
    EXPECT_EQ(result.nExitStatus, 1);
    EXPECT_NE(result.strErr.find("/dev/nonexistent does not exist"), std::string::npos)
        << result.strErr;
}
} // namespace

// A receiver and an emitter on two devices, as --device lirc finds them in either order: the
// self-test plays on the emitter and hears on the receiver facing it, and --learn listens to
// the receiver.
TEST_F(LircLearnTest, SelfTestAndLearningWorkOnAnEmitterBesideAReceiver)
{
    constexpr std::uint32_t kReceiveOnly = LIRC_CAN_REC_MODE2 | LIRC_CAN_SET_REC_TIMEOUT;
    CFakeLircSystem::SDevice& lirc1 = m_system.AddDevice("/dev/lirc1");
    const struct
    {
        CFakeLircSystem::SDevice& sender;
        CFakeLircSystem::SDevice& receiver;
        const char* pszFacing;
        const char* pszName;
    } cases[]{
        {lirc1, m_fake, kPath, "lirc /dev/lirc1 (send), /dev/lirc0 (receive)"},
        {m_fake, lirc1, "/dev/lirc1", "lirc /dev/lirc0 (send), /dev/lirc1 (receive)"},
    };
    for (const auto& test : cases)
    {
        SCOPED_TRACE(test.pszName);
        test.sender.nFeatures = LIRC_CAN_SEND_PULSE;
        test.sender.strFacing = test.pszFacing;
        test.receiver.nFeatures = kReceiveOnly;
        test.receiver.strFacing.clear();
        std::string strError;
        const auto pDevice = OpenLircDevices(m_system, "", strError);
        ASSERT_NE(pDevice, nullptr) << strError;
        EXPECT_STREQ(pDevice->GetBackendName(), test.pszName);

        std::FILE* pOut = std::tmpfile();
        ASSERT_NE(pOut, nullptr);
        EXPECT_TRUE(RunSelfTest(*pDevice, pOut));
        const std::string strText = ReadAll(pOut);
        EXPECT_NE(strText.find("Heard all 67 back, each within 0 µs"), std::string::npos)
            << strText;

        // The press comes a second after the self-test's frame has gone quiet.
        test.receiver.arrivals.push_back(
            {m_system.m_nMicros + 1000000, CFakeLircSystem::ToValues(Frame())});
        testing::internal::CaptureStderr();
        EXPECT_EQ(LearnButton({m_strDoc, kKitchen, "Taste1", 1}, *pDevice), 0);
        const std::string strErr = testing::internal::GetCapturedStderr();
        EXPECT_EQ(StoredDurations(), Frame()) << strErr;
    }
}
