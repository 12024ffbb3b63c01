#include "engine/CEngineFixture.h"

#include "device/CLircPair.h"
#include "engine/CListener.h"
#include "engine/HeardMatching.h"
#include "signal/SignalDecoder.h"
#include "signal/SignalDurations.h"
#include "signal/SignalFrames.h"
#include "support/CFakeLircSystem.h"

namespace
{
using CRuns = SignalFrames::CRuns;

const CRuns kNecRepeat{9000, 2250, 560};

// A receiver on lirc0 and an emitter on lirc1 that faces it, as on a board whose emitter is
// seen by its own receiver; TV's buttons were learned from a remote.
class CListenerTest : public CEngineFixture
{
protected:
    CListenerTest()
    {
        m_receiver.nFeatures = LIRC_CAN_REC_MODE2 | LIRC_CAN_SET_REC_TIMEOUT;
        m_emitter.nFeatures = LIRC_CAN_SEND_PULSE | LIRC_CAN_SET_SEND_CARRIER;
        m_emitter.strFacing = "/dev/lirc0";
        std::string strError;
        m_pDevice = OpenLircDevices(m_system, "/dev/lirc1,/dev/lirc0", strError);
        m_engine.SetDevice(*m_pDevice);
        m_listener.AddObserver([this](const SHeardPress& press) { m_heard.push_back(press); });
        CRemote& tv = MakeRemote("TV");
        Learn(tv, "Power", SignalFrames::Nec(0xFB04, 0x12));
        Learn(tv, "Mute", SignalFrames::Rc6(false, 0, 0x0D));
        Learn(tv, "Odd", m_oddFrame);
    }

    CRemoteButton& Learn(CRemote& remote, const std::string& strName, const CRuns& runs)
    {
        CRemoteButton& button = MakePlain(remote, strName);
        button.m_bits = ToBitstream(runs, 1000);
        return button;
    }

    // A remote's signal reaches the receiver, and the driver's timeout report follows it.
    void Press(const CRuns& runs)
    {
        m_receiver.presses.push_back(CFakeLircSystem::ToValues(runs));
        m_listener.Listen(0);
        m_listener.Listen(0);
    }

    std::string HeardButton(std::size_t nPress) const
    {
        const SHeardPress& press = m_heard.at(nPress);
        return press.pButton ? press.pRemote->m_strName + "/" + press.pButton->m_strName : "";
    }

    const CRuns m_oddFrame{3000, 1000, 1200, 2400, 600, 600, 1800};
    CFakeLircSystem m_system;
    CFakeLircSystem::SDevice& m_receiver = m_system.AddDevice("/dev/lirc0");
    CFakeLircSystem::SDevice& m_emitter = m_system.AddDevice("/dev/lirc1");
    std::unique_ptr<CInfraredDevice> m_pDevice;
    CListener m_listener{m_engine, m_doc, m_clock, m_frontEnd, m_ticks};
    std::vector<SHeardPress> m_heard;
};

// What a receiver makes of a remote's signal matches the button learned from it: by its code
// when it decodes (a new press's toggle bit aside), frame by frame when it does not.
TEST_F(CListenerTest, HeardSignalsMatchTheirButtons)
{
    const struct
    {
        const char* pszCase;
        CRuns runs;
        const char* pszButton;
    } cases[]{
        {"NEC as a receiver stretches it",
         SignalFrames::Distort(SignalFrames::Nec(0xFB04, 0x12), 1, 150), "TV/Power"},
        {"RC-6 with the toggle bit of a new press", SignalFrames::Rc6(true, 0, 0x0D), "TV/Mute"},
        {"unknown frame within a receiver's slack", SignalFrames::Distort(m_oddFrame, 2, 200),
         "TV/Odd"},
        {"unknown frame, a run too long", CRuns{3000, 1000, 1200, 2400, 600, 1400, 1800}, ""},
        {"unknown frame, a run missing", CRuns{3000, 1000, 1200, 2400, 600}, ""},
        {"NEC, a command no button has", SignalFrames::Nec(0xFB04, 0x13), ""},
        {"NEC, another address", SignalFrames::Nec(0xFB05, 0x12), ""},
    };
    for (const auto& testCase : cases)
    {
        m_heard.clear();
        AdvanceMs(1000);
        Press(testCase.runs);
        ASSERT_EQ(m_heard.size(), 1u) << testCase.pszCase;
        EXPECT_EQ(HeardButton(0), testCase.pszButton) << testCase.pszCase;
    }
}

TEST_F(CListenerTest, APressCarriesItsCodeTimeAndCarrier)
{
    Press(SignalFrames::Nec(0xFB04, 0x12));
    ASSERT_EQ(m_heard.size(), 1u);
    EXPECT_EQ(DescribeSignal(DecodeSignal(m_heard[0].durations)), "NEC address 0x04 command 0x12");
    EXPECT_EQ(m_heard[0].nCarrier, 38000u);
    EXPECT_EQ(m_heard[0].time, m_clock.GetBiosTime());
    EXPECT_EQ(m_heard[0].durations, SignalFrames::Nec(0xFB04, 0x12));
}

// A driver that does not report its timeout: the signal ends once it has been quiet long enough.
TEST_F(CListenerTest, ASignalEndsInSilenceWithoutTheDriversReport)
{
    m_receiver.bReportsTimeout = false;
    Press(SignalFrames::Nec(0xFB04, 0x12));
    EXPECT_TRUE(m_heard.empty());
    m_system.m_nMicros += CLircDevice::kEndSilenceMicros;
    m_listener.Listen(0);
    ASSERT_EQ(m_heard.size(), 1u);
    EXPECT_EQ(HeardButton(0), "TV/Power");
}

// A button held down sends its frame and then repeats (NEC's short repeat frames, RC-6's
// whole frame with the same toggle bit): one press, until it has been let go.
TEST_F(CListenerTest, AHeldButtonIsOnePress)
{
    const struct
    {
        const char* pszCase;
        CRuns first, repeat;
    } cases[]{
        {"NEC repeat frames", SignalFrames::Nec(0xFB04, 0x12), kNecRepeat},
        {"RC-6 frames, toggle kept", SignalFrames::Rc6(false, 0, 0x0D),
         SignalFrames::Rc6(false, 0, 0x0D)},
        {"unknown frames", m_oddFrame, m_oddFrame},
    };
    for (const auto& testCase : cases)
    {
        m_heard.clear();
        AdvanceMs(1000);
        Press(testCase.first);
        for (int nRepeat = 0; nRepeat < 10; ++nRepeat)
        {
            AdvanceMs(108);
            Press(testCase.repeat);
        }
        EXPECT_EQ(m_heard.size(), 1u) << testCase.pszCase;
        EXPECT_EQ(m_listener.GetRepeats(), 10) << testCase.pszCase;
        // Let go, and pressed again.
        AdvanceMs(CListener::kReleasedMs);
        Press(testCase.first);
        EXPECT_EQ(m_heard.size(), 2u) << testCase.pszCase;
    }
}

// RC-6 flips its toggle bit on each new press: pressed again at once, it is a new press.
TEST_F(CListenerTest, ANewToggleIsANewPressEvenAtOnce)
{
    Press(SignalFrames::Rc6(false, 0, 0x0D));
    AdvanceMs(50);
    Press(SignalFrames::Rc6(true, 0, 0x0D));
    ASSERT_EQ(m_heard.size(), 2u);
    EXPECT_EQ(HeardButton(1), "TV/Mute");
}

// The emitter faces the receiver: what Quorbit fires is heard back, and is not a press. A
// remote pressed once the emitter has been dark a moment is.
TEST_F(CListenerTest, OwnTransmissionsAreNotHeard)
{
    CRemoteButton& power = *m_doc.m_pRemotes->at("TV")->FindButton("Power");
    ASSERT_TRUE(m_engine.Fire(power));
    ASSERT_FALSE(m_receiver.readable.empty());
    m_listener.Listen(0);
    m_listener.Listen(0);
    EXPECT_TRUE(m_heard.empty());

    AdvanceMs(CListener::kMuteMs);
    Press(SignalFrames::Nec(0xFB04, 0x12));
    ASSERT_EQ(m_heard.size(), 1u);
    EXPECT_EQ(HeardButton(0), "TV/Power");
}

// A signal still coming in does not hold up the loop: Listen looks without waiting, and a
// firing started meanwhile goes out at once.
TEST_F(CListenerTest, ListeningDoesNotDelayAFiring)
{
    m_receiver.presses.push_back(CFakeLircSystem::ToValues(SignalFrames::Nec(0xFB04, 0x12)));
    const std::uint64_t nBefore = m_system.m_nMicros;
    EXPECT_FALSE(m_listener.Listen(0));
    EXPECT_LE(m_system.m_nMicros - nBefore, 2 * CFakeLircSystem::kMicrosPerPoll);
    CRemoteButton& mute = *m_doc.m_pRemotes->at("TV")->FindButton("Mute");
    ASSERT_TRUE(m_engine.Fire(mute));
    ASSERT_EQ(m_emitter.writeStarts.size(), 1u);
    EXPECT_LE(m_emitter.writeStarts[0] - nBefore, 2 * CFakeLircSystem::kMicrosPerPoll);
}

// A unit on a port records only while it learns, and nothing is read from a receiver while a
// button is being learned: the recording takes it.
TEST_F(CListenerTest, NothingIsHeardWhereOrWhileItCannotBe)
{
    CRemoteButton& power = *m_doc.m_pRemotes->at("TV")->FindButton("Power");
    ASSERT_TRUE(m_engine.EnableDetector(power));
    m_receiver.presses.push_back(CFakeLircSystem::ToValues(SignalFrames::Nec(0xFB04, 0x12)));
    EXPECT_FALSE(m_listener.Listen(0));
    EXPECT_EQ(m_receiver.presses.size(), 1u);

    m_engine.SetDevice(m_device);
    EXPECT_FALSE(m_listener.CanListen());
}

TEST(HeardMatchingTest, FramesAreToldApartByTheirLongSpaces)
{
    const CRuns runs{9000, 4500, 560, 40000, 9000, 2250, 560};
    EXPECT_EQ(std::vector<std::uint32_t>(FirstFrame(runs).begin(), FirstFrame(runs).end()),
              (CRuns{9000, 4500, 560}));
}
} // namespace
