#include "engine/CLircEngineFixture.h"

#include "base/CStringTable.h"
#include "device/CLircDevice.h"
#include "signal/SignalDurations.h"
#include "signal/SignalFrames.h"
#include "support/CFakeLircSystem.h"

#include <cerrno>

namespace
{
using CRuns = SignalFrames::CRuns;

using CLircFiringTest = CLircEngineFixture;

// The carrier comes from what the button's signal carries; one that is not understood gets
// the device's usual carrier.
TEST_F(CLircFiringTest, FiresWithTheCarrierOfTheButtonsProtocol)
{
    CRemote& tv = MakeRemote("TV");
    const std::pair<CRuns, std::uint32_t> cases[]{
        {SignalFrames::Sony(0x95, 12), 40000},
        {SignalFrames::Rc5(false, 5, 12), 36000},
        {SignalFrames::Nec(0xFB04, 0x12), 38000},
        {CRuns{3000, 3000, 3000}, CLircDevice::kDefaultCarrier},
    };
    int nButton = 0;
    for (const auto& [runs, nCarrier] : cases)
    {
        m_fake.nCarrier = 0;
        m_fake.written.clear();
        EXPECT_TRUE(m_engine.Fire(MakeRecorded(tv, "B" + std::to_string(++nButton), runs)));
        EXPECT_EQ(m_fake.nCarrier, nCarrier) << nButton;
        EXPECT_EQ(m_fake.nDutyCycle, CLircDevice::kDutyCyclePercent);
        EXPECT_EQ(m_fake.written, runs);
    }
}

// A device unplugged in the middle of a megabutton: the person is told once, and nothing
// after the failed step is played.
TEST_F(CLircFiringTest, AFailedStepEndsTheMegabuttonWithOneMessage)
{
    CRemote& tv = MakeRemote("TV");
    CRemoteButton& first = MakeRecorded(tv, "Power", SignalFrames::Nec(0xFB04, 0x12));
    CRemoteButton& second = MakeRecorded(tv, "Mute", SignalFrames::Nec(0xFB04, 0x13));
    CRemoteButton& mega = MakeMega(tv, "Both", {{&first, 0}, {&second, 0}, {&first, 0}});
    m_fake.writeErrors = {ENODEV};
    EXPECT_FALSE(m_engine.Fire(mega));
    ASSERT_EQ(m_frontEnd.m_messages.size(), 1u);
    EXPECT_EQ(m_frontEnd.m_messages[0].nStringId, StringId::kFireFailed);
    EXPECT_EQ(m_frontEnd.m_messages[0].strArgument.rfind("Power:  lirc /dev/lirc0", 0), 0u);
    EXPECT_TRUE(m_fake.written.empty());
    EXPECT_EQ(m_engine.GetFiringDepth(), 0);
    EXPECT_FALSE(first.IsFiring());
}

// A device that only sends says so before anyone presses; one that overflows leaves the
// button's old signal in place.
TEST_F(CLircFiringTest, LearningThatCannotBeDoneKeepsTheButton)
{
    CRemote& tv = MakeRemote("TV");
    CRemoteButton& power = MakeRecorded(tv, "Power", SignalFrames::Nec(0xFB04, 0x12));
    const CBitstream before = power.m_bits;

    m_fake.readable = {LIRC_PULSE(9000), LIRC_OVERFLOW(0)};
    EXPECT_TRUE(m_engine.EnableDetector(power));
    EXPECT_TRUE(m_pLirc->WaitForDetectorLine(true, 1000));
    m_fake.presses.push_back({LIRC_PULSE(9000), LIRC_OVERFLOW(0)});
    EXPECT_EQ(m_pLirc->ReadDetectorLine(), 0);
    EXPECT_FALSE(m_engine.Learn(power, kBitstreamBytes));
    EXPECT_EQ(power.m_bits, before);

    m_fake.nFeatures = LIRC_CAN_SEND_PULSE;
    std::string strError;
    const auto pSender = CLircDevice::Open(m_system, "/dev/lirc0", strError);
    m_engine.SetDevice(*pSender);
    EXPECT_FALSE(m_engine.EnableDetector(power));
    ASSERT_EQ(m_frontEnd.m_messages.size(), 2u);
    EXPECT_EQ(m_frontEnd.m_messages[1].nStringId, StringId::kLearnFailed);
    EXPECT_NE(m_frontEnd.m_messages[1].strArgument.find("cannot learn: it only sends infrared"),
              std::string::npos);
}
} // namespace
