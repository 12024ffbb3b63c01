#include "engine/CLircEngineFixture.h"

#include "base/CStringTable.h"
#include "device/CDeviceFactory.h"
#include "device/CLircDevice.h"
#include "device/CSimulatedPort.h"
#include "signal/SignalDecoder.h"
#include "signal/SignalDurations.h"
#include "signal/SignalFrames.h"
#include "support/CFakeLircSystem.h"

#include <cmath>

namespace
{
using CRuns = SignalFrames::CRuns;

using SPlayedFrame = CFakeLircSystem::SPlayedFrame;

// A space at least this long parts two frames.
constexpr std::uint64_t kFrameGap = 5500;

std::vector<SPlayedFrame> ReadPlayedFrames(const CFakeLircSystem::SDevice& fake)
{
    return CFakeLircSystem::ReadPlayedFrames(fake);
}

// Each duration within 2 % of the expected one: a held button's frames are made from its code,
// on the protocol's own timings, which remotes (and descriptions) round differently.
void ExpectNear(const CRuns& actual, const CRuns& expected, const std::string& strWhat)
{
    ASSERT_EQ(actual.size(), expected.size()) << strWhat;
    for (std::size_t nRun = 0; nRun < actual.size(); ++nRun)
        EXPECT_NEAR(actual[nRun], expected[nRun], expected[nRun] * 0.02 + 1)
            << strWhat << " run " << nRun;
}

class CHoldFiringTest : public CLircEngineFixture
{
protected:
    CHoldFiringTest()
    {
        // A megabutton's waits pass at once, on both clocks.
        m_frontEnd.m_onPump = [this]
        {
            AdvanceMs(10);
            m_system.m_nMicros += 10000;
        };
    }

    // The toggle bit of each frame played.
    std::vector<bool> ReadToggles()
    {
        std::vector<bool> toggles;
        for (const SPlayedFrame& frame : ReadPlayedFrames(m_fake))
            toggles.push_back(DecodeSignal(frame.durations).bToggle);
        return toggles;
    }

    CRemote& m_remote = MakeRemote("TV");
};

// A held NEC button is one frame and then the short repeat frame (9 ms, 2.25 ms, 562.5 µs: the
// kernel's ir-nec-decoder.c has NEC_HEADER_PULSE 16, NEC_REPEAT_SPACE 4 and NEC_TRAILER_PULSE 1
// units of 562.5 µs) every 108 ms from one frame's start to the next, for as long as a frame
// starts within the hold. Sony and RC-5 send their whole frame again at their own period.
TEST_F(CHoldFiringTest, AHeldButtonRepeatsAtItsProtocolsPeriod)
{
    struct SCase
    {
        const char* pszName;
        CRuns frame;
        std::uint32_t nHoldMillis;
        std::size_t nFrames;
        double dPeriodMicros;
        CRuns repeat; // empty: the frame again
    };
    const SCase cases[]{
        {"NEC", SignalFrames::Nec(0xFB04, 0x08), 800, 8, 108000, {9000, 2250, 563}},
        {"NEC short", SignalFrames::Nec(0xFB04, 0x08), 100, 1, 108000, {}},
        {"Sony", SignalFrames::Sony(0x95, 12), 800, 18, 45000, {}},
        {"RC-5", SignalFrames::Rc5(false, 5, 12), 800, 8, 113778, {}},
    };
    for (const SCase& test : cases)
    {
        m_fake.written.clear();
        m_fake.writeCounts.clear();
        m_fake.writeStarts.clear();
        EXPECT_TRUE(
            m_engine.Hold(MakeRecorded(m_remote, test.pszName, test.frame), test.nHoldMillis));
        const std::vector<SPlayedFrame> played = ReadPlayedFrames(m_fake);
        ASSERT_EQ(played.size(), test.nFrames) << test.pszName;
        ExpectNear(played[0].durations, test.frame, test.pszName);
        for (std::size_t nFrame = 1; nFrame < played.size(); ++nFrame)
        {
            const double dPeriod =
                static_cast<double>(played[nFrame].nStart - played[nFrame - 1].nStart);
            EXPECT_NEAR(dPeriod, test.dPeriodMicros, test.dPeriodMicros * 0.02)
                << test.pszName << " frame " << nFrame;
            ExpectNear(played[nFrame].durations, test.repeat.empty() ? test.frame : test.repeat,
                       test.pszName);
        }
    }
    EXPECT_TRUE(m_frontEnd.m_messages.empty());
}

// A process woken late delays the frame it was waiting for, never the ones after it: each
// frame's start is counted from the first frame's, not from the one before.
TEST_F(CHoldFiringTest, AProcessWokenLateDoesNotStretchTheRepeats)
{
    m_fake.nWakeLateMicros = 3000;
    EXPECT_TRUE(
        m_engine.Hold(MakeRecorded(m_remote, "Vol+", SignalFrames::Nec(0xFB04, 0x10)), 2000));
    const std::vector<SPlayedFrame> played = ReadPlayedFrames(m_fake);
    ASSERT_EQ(played.size(), 19u);
    for (std::size_t nFrame = 1; nFrame < played.size(); ++nFrame)
        EXPECT_NEAR(static_cast<double>(played[nFrame].nStart - played[0].nStart),
                    108000.0 * static_cast<double>(nFrame), 3001.0)
            << nFrame;
}

// An RC-5 or RC-6 remote flips its toggle bit at each new press, so that a set tells "1, 1"
// from "1 held"; a held press keeps one bit through all its frames. A recording is the same
// button: what was learned is recognised and sent with the bit its press needs.
TEST_F(CHoldFiringTest, EachNewPressFlipsTheToggleBitAndAHoldKeepsIt)
{
    const std::pair<const char*, CRuns> cases[]{
        {"RC-5", SignalFrames::Rc5(false, 5, 1)},
        {"RC-5X", SignalFrames::Rc5(true, 5, 1)},
        {"RC-6", SignalFrames::Rc6(false, 4, 1)},
    };
    for (const auto& [pszName, runs] : cases)
    {
        CRemoteButton& button = MakeRecorded(m_remote, pszName, runs);
        m_fake.written.clear();
        m_fake.writeCounts.clear();
        m_fake.writeStarts.clear();
        ASSERT_TRUE(m_engine.Fire(button));
        const std::vector<bool> first = ReadToggles();
        // A finger lifted between presses.
        m_system.m_nMicros += 200000;
        ASSERT_TRUE(m_engine.Fire(button));
        m_system.m_nMicros += 200000;
        ASSERT_TRUE(m_engine.Hold(button, 400));
        m_system.m_nMicros += 200000;
        ASSERT_TRUE(m_engine.Fire(button));
        const std::vector<bool> toggles = ReadToggles();
        ASSERT_GE(first.size(), 1u) << pszName;
        ASSERT_GE(toggles.size(), first.size() * 2 + 4) << pszName;
        const bool bFirst = toggles.front();
        EXPECT_EQ(bFirst, false) << pszName << ": the first press sends what was learned";
        EXPECT_EQ(toggles[first.size()], !bFirst) << pszName << ": the second press";
        for (std::size_t nHeld = first.size() * 2; nHeld + first.size() < toggles.size(); ++nHeld)
            EXPECT_EQ(toggles[nHeld], bFirst) << pszName << ": held frame " << nHeld;
        EXPECT_EQ(toggles.back(), !bFirst) << pszName << ": the press after the hold";
        // The code stays the button's.
        for (const SPlayedFrame& frame : ReadPlayedFrames(m_fake))
            EXPECT_TRUE(DecodeSignal(frame.durations).IsSameCode(DecodeSignal(runs))) << pszName;
    }
}

// A code without a toggle bit goes out the same at every press.
TEST_F(CHoldFiringTest, AButtonWithoutAToggleBitSendsItsRecordingAtEveryPress)
{
    const CRuns runs = SignalFrames::Nec(0xFB04, 0x12);
    CRemoteButton& button = MakeRecorded(m_remote, "Power", runs);
    ASSERT_TRUE(m_engine.Fire(button));
    ASSERT_TRUE(m_engine.Fire(button));
    CRuns both = runs;
    both.insert(both.end(), runs.begin(), runs.end());
    EXPECT_EQ(m_fake.written, both);
}

// A recording no protocol explains repeats its last frame at the period between its last two.
TEST_F(CHoldFiringTest, ARecordingOfNoKnownProtocolRepeatsItsLastFrame)
{
    const CRuns first{3000, 1000, 1000, 1000, 3000};
    const CRuns second{3000, 1000, 2000, 1000, 3000};
    CRuns runs = first;
    runs.push_back(21000);
    runs.insert(runs.end(), second.begin(), second.end());
    EXPECT_TRUE(m_engine.Hold(MakeRecorded(m_remote, "Odd", runs), 150));
    const std::vector<SPlayedFrame> played = ReadPlayedFrames(m_fake);
    // Frames start at 0, 30, 60, 90 and 120 ms.
    ASSERT_EQ(played.size(), 5u);
    EXPECT_EQ(played[0].durations, first);
    for (std::size_t nFrame = 1; nFrame < played.size(); ++nFrame)
    {
        EXPECT_EQ(played[nFrame].durations, second) << nFrame;
        EXPECT_EQ(played[nFrame].nStart - played[nFrame - 1].nStart, 30000u) << nFrame;
    }
}

// What cannot be held is refused with the reason, and nothing is sent: a hold beyond the
// longest, a megabutton as a whole, and on a unit that plays samples, a hold longer than one
// recording of it lasts.
TEST_F(CHoldFiringTest, AHoldTheUnitCannotSendIsRefusedWithTheReason)
{
    CRemoteButton& power = MakeRecorded(m_remote, "Power", SignalFrames::Nec(0xFB04, 0x12));
    CRemoteButton& mega = MakeMega(m_remote, "Both", {{&power, 0}});
    std::string strError;
    const auto pSimulated = CreateInfraredDevice("sim", 1, strError);
    ASSERT_TRUE(pSimulated);
    struct SCase
    {
        CInfraredDevice* pDevice;
        CRemoteButton* pButton;
        std::uint32_t nHoldMillis;
        const char* pszReason;
    };
    const SCase cases[]{
        {m_pLirc.get(), &power, CFiringEngine::kLongestHoldMillis + 1,
         "a hold lasts at most 10000 ms, not 10001 ms"},
        {m_pLirc.get(), &mega, 500, "a megabutton is not held as a whole"},
        {pSimulated.get(), &power, 800, "simulated plays at most 400 ms at a time"},
    };
    for (const SCase& test : cases)
    {
        m_frontEnd.m_messages.clear();
        m_engine.SetDevice(*test.pDevice);
        EXPECT_NE(m_engine.GetHoldRefusal(*test.pButton, test.nHoldMillis).find(test.pszReason),
                  std::string::npos)
            << test.pszReason;
        EXPECT_FALSE(m_engine.Hold(*test.pButton, test.nHoldMillis)) << test.pszReason;
        ASSERT_EQ(m_frontEnd.m_messages.size(), 1u) << test.pszReason;
        EXPECT_EQ(m_frontEnd.m_messages[0].nStringId, StringId::kFireFailed);
        EXPECT_NE(m_frontEnd.m_messages[0].strArgument.find(test.pszReason), std::string::npos);
    }
    EXPECT_TRUE(m_fake.written.empty());
    EXPECT_EQ(FindSimulatedPort(*pSimulated)->GetEmitterWriteCount(), 0u);
    m_engine.SetDevice(*m_pLirc);
}

// The simulated unit plays a hold that fits one recording as samples, the silences included.
TEST_F(CHoldFiringTest, TheSimulatedUnitPlaysAShortHoldAsOneRecording)
{
    std::string strError;
    const auto pSimulated = CreateInfraredDevice("sim", 1, strError);
    CSimulatedPort& port = *FindSimulatedPort(*pSimulated);
    m_engine.SetDevice(*pSimulated);
    EXPECT_TRUE(
        m_engine.Hold(MakeRecorded(m_remote, "Power", SignalFrames::Nec(0xFB04, 0x12)), 300));
    std::vector<std::uint8_t> record = port.GetEmitterRecord();
    // One sample a write, a microsecond each; frames start where the emitter turns on after a
    // long silence.
    std::vector<std::size_t> starts;
    std::size_t nDark = kFrameGap;
    for (std::size_t nSample = 0; nSample < record.size(); ++nSample)
    {
        const bool bOn = (record[nSample] & 1) != 0;
        if (bOn && nDark >= kFrameGap)
            starts.push_back(nSample);
        nDark = bOn ? 0 : nDark + 1;
    }
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_EQ(starts[1] - starts[0], 108000u);
    EXPECT_EQ(starts[2] - starts[1], 108000u);
    m_engine.SetDevice(*m_pLirc);
}

// A megabutton step may hold its button; the step's delay still counts from its start.
TEST_F(CHoldFiringTest, AMegabuttonStepHoldsItsButton)
{
    CRemoteButton& volume = MakeRecorded(m_remote, "Vol+", SignalFrames::Nec(0xFB04, 0x10));
    CRemoteButton& mute = MakeRecorded(m_remote, "Mute", SignalFrames::Nec(0xFB04, 0x11));
    CRemoteButton& mega = MakeMega(m_remote, "Ramp", {{&volume, 0}, {&mute, 0}});
    mega.m_steps[0].m_nHoldMillis = 500;
    EXPECT_TRUE(m_engine.Fire(mega));
    const std::vector<SPlayedFrame> played = ReadPlayedFrames(m_fake);
    ASSERT_EQ(played.size(), 6u);
    for (std::size_t nFrame = 1; nFrame < 5; ++nFrame)
        EXPECT_EQ(played[nFrame].durations.size(), 3u) << nFrame;
    EXPECT_EQ(DecodeSignal(played[5].durations).nCommand, 0x11u);
}
} // namespace
