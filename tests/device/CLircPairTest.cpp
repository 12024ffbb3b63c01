#include "device/CLircPair.h"

#include "base/DocumentConstants.h"
#include "base/SampleRuns.h"
#include "support/CFakeLircSystem.h"

#include <gtest/gtest.h>

namespace
{
using CDurations = std::vector<std::uint32_t>;

const CDurations kFrame{9000, 4500, 560, 560, 560, 1690, 560};
constexpr std::uint32_t kReceiveOnly = LIRC_CAN_REC_MODE2 | LIRC_CAN_SET_REC_TIMEOUT;
constexpr std::uint32_t kSendOnly = LIRC_CAN_SEND_PULSE | LIRC_CAN_SET_SEND_CARRIER;

// Two devices, as on a small board: what each can do is up to the test.
class CLircPairTest : public testing::Test
{
protected:
    void Equip(std::uint32_t nLirc0, std::uint32_t nLirc1)
    {
        m_lirc0.nFeatures = nLirc0;
        m_lirc1.nFeatures = nLirc1;
    }

    std::unique_ptr<CInfraredDevice> Open(const std::string& strPaths)
    {
        m_strError.clear();
        return OpenLircDevices(m_system, strPaths, m_strError);
    }

    static void Fire(CInfraredDevice& device)
    {
        const std::vector<std::uint8_t> bits = DurationsToSamples(kFrame, 1000);
        device.TransmitBitstream(bits.data(), static_cast<std::uint32_t>(bits.size()));
    }

    CDurations Learn(CInfraredDevice& device)
    {
        device.EnableDetector();
        EXPECT_TRUE(device.WaitForDetectorLine(false, 1000)) << device.GetLastFault();
        std::vector<std::uint8_t> field(kBitstreamBytes);
        std::uint32_t nLength = kBitstreamBytes;
        device.CaptureBitstream(field.data(), nLength);
        return SamplesToDurations(std::span(field.data(), nLength), 1000);
    }

    CFakeLircSystem m_system;
    CFakeLircSystem::SDevice& m_lirc0 = m_system.AddDevice("/dev/lirc0");
    CFakeLircSystem::SDevice& m_lirc1 = m_system.AddDevice("/dev/lirc1");
    std::string m_strError;
};

// Which device does what, as the person asked or as the devices allow; the name says it.
TEST_F(CLircPairTest, ChoosesTheEmitterAndTheReceiver)
{
    const struct
    {
        std::uint32_t nLirc0;
        std::uint32_t nLirc1;
        const char* pszPaths;
        const char* pszName; // empty: refused with pszError
        const char* pszError;
        std::size_t nOpen;
    } cases[]{
        {kReceiveOnly, kSendOnly, "", "lirc /dev/lirc1 (send), /dev/lirc0 (receive)", "", 2},
        {kSendOnly, kReceiveOnly, "", "lirc /dev/lirc0 (send), /dev/lirc1 (receive)", "", 2},
        {CFakeLircSystem::kFullFeatures, kSendOnly, "", "lirc /dev/lirc0, send and receive", "", 1},
        {kSendOnly, kSendOnly, "", "lirc /dev/lirc0, send only", "", 1},
        {kReceiveOnly, kSendOnly, "/dev/lirc1,/dev/lirc0",
         "lirc /dev/lirc1 (send), /dev/lirc0 (receive)", "", 2},
        {kReceiveOnly, kSendOnly, "/dev/lirc0", "lirc /dev/lirc0, receive only", "", 1},
        {CFakeLircSystem::kFullFeatures, kSendOnly, "/dev/lirc0,/dev/lirc0",
         "lirc /dev/lirc0, send and receive", "", 1},
        {kReceiveOnly, kSendOnly, "/dev/lirc0,/dev/lirc1", "",
         "/dev/lirc0 cannot be the emitter: it only receives infrared", 0},
        {kSendOnly, kSendOnly, "/dev/lirc0,/dev/lirc1", "",
         "/dev/lirc1 cannot be the receiver: it only sends infrared", 0},
        {kReceiveOnly, kSendOnly, "/dev/lirc1,/dev/lirc7", "",
         "/dev/lirc7 does not exist: is the device plugged in and its driver loaded?", 0},
        {kReceiveOnly, kSendOnly, "/dev/lirc1,", "",
         "\"/dev/lirc1,\" lacks the emitter or the receiver (write the emitter first: "
         "/dev/lirc1,/dev/lirc0)",
         0},
    };
    for (const auto& test : cases)
    {
        SCOPED_TRACE(test.pszPaths);
        Equip(test.nLirc0, test.nLirc1);
        const auto pDevice = Open(test.pszPaths);
        EXPECT_EQ(m_strError, test.pszError);
        ASSERT_EQ(pDevice != nullptr, *test.pszName != '\0');
        EXPECT_STREQ(pDevice ? pDevice->GetBackendName() : "", test.pszName);
        // Nothing is left open beside what is used.
        EXPECT_EQ(m_system.CountOpen(), test.nOpen);
    }
}

// Once an emitter and a receiver are found, the devices after them are not even opened: a
// receiver another program listens on keeps the settings it was given.
TEST_F(CLircPairTest, LeavesTheDevicesAfterTheChosenOnesAlone)
{
    Equip(CFakeLircSystem::kFullFeatures, kReceiveOnly);
    const auto pDevice = Open("");
    ASSERT_NE(pDevice, nullptr) << m_strError;
    EXPECT_EQ(m_lirc1.nRecMode, 0u);
    EXPECT_EQ(m_lirc1.nRecTimeout, 0u);
}

// A receiver on lirc0 and an emitter on lirc1: buttons go out of the emitter, presses are
// learned from the receiver, and the self-test's frame played on the one is heard on the other.
TEST_F(CLircPairTest, FiresOnTheEmitterAndLearnsFromTheReceiver)
{
    Equip(kReceiveOnly, kSendOnly);
    const auto pDevice = Open("");
    ASSERT_NE(pDevice, nullptr) << m_strError;
    EXPECT_TRUE(pDevice->CanSend());
    EXPECT_TRUE(pDevice->CanReceive());
    EXPECT_TRUE(pDevice->TakesCarrier());

    pDevice->SetSendCarrier(36000);
    Fire(*pDevice);
    EXPECT_EQ(pDevice->GetLastFault(), "");
    EXPECT_EQ(m_lirc1.written, kFrame);
    EXPECT_EQ(m_lirc1.nCarrier, 36000u);
    EXPECT_TRUE(m_lirc0.written.empty());

    m_lirc0.presses.push_back(CFakeLircSystem::ToValues(kFrame));
    EXPECT_EQ(Learn(*pDevice), kFrame);
    EXPECT_EQ(pDevice->GetLastFault(), "");

    m_lirc1.strFacing = "/dev/lirc0";
    std::vector<std::uint8_t> bits(100, 0);
    const std::vector<std::uint8_t> frame = DurationsToSamples(kFrame, 1000);
    bits.insert(bits.end(), frame.begin(), frame.end());
    const std::vector<std::uint8_t> played = bits;
    EXPECT_EQ(pDevice->LoopBackBitstream(bits.data(), static_cast<std::uint32_t>(bits.size())),
              1000);
    EXPECT_EQ(pDevice->GetLastFault(), "");
    EXPECT_EQ(bits, played);
}

// The emitter unplugged: the firing says so, the name tells which of the two is gone, and the
// receiver still learns.
TEST_F(CLircPairTest, SaysWhichOfTheTwoWasUnplugged)
{
    Equip(kReceiveOnly, kSendOnly);
    const auto pDevice = Open("");
    ASSERT_NE(pDevice, nullptr) << m_strError;
    m_lirc1.bUnplugged = true;
    Fire(*pDevice);
    EXPECT_EQ(pDevice->GetLastFault(),
              "lirc /dev/lirc1, send only stopped answering while sending: it was unplugged, "
              "waiting for it to come back");
    EXPECT_STREQ(pDevice->GetBackendName(),
                 "lirc /dev/lirc1 (send, unplugged, waiting for it), /dev/lirc0 (receive)");
    m_lirc0.presses.push_back(CFakeLircSystem::ToValues(kFrame));
    EXPECT_EQ(Learn(*pDevice), kFrame);

    m_lirc1.bUnplugged = false;
    pDevice->Revive();
    EXPECT_STREQ(pDevice->GetBackendName(), "lirc /dev/lirc1 (send), /dev/lirc0 (receive)");
}

// A one-way device named alone refuses in words that point to the device that can.
TEST_F(CLircPairTest, AOneWayDeviceNamedAloneNamesTheOther)
{
    Equip(kReceiveOnly, kSendOnly);
    const auto pReceiver = Open("/dev/lirc0");
    ASSERT_NE(pReceiver, nullptr) << m_strError;
    Fire(*pReceiver);
    EXPECT_EQ(pReceiver->GetLastFault(), "lirc /dev/lirc0, receive only cannot fire buttons: it "
                                         "only receives infrared; /dev/lirc1 can send");
    const auto pSender = Open("/dev/lirc1");
    ASSERT_NE(pSender, nullptr) << m_strError;
    pSender->EnableDetector();
    EXPECT_EQ(pSender->GetLastFault(), "lirc /dev/lirc1, send only cannot learn: it only sends "
                                       "infrared; /dev/lirc0 can receive");
}
} // namespace
