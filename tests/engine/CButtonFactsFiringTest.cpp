// A button plays the signal its samples stand for on any unit: at its own carrier, converted
// from the time base it was taken at to the unit's.
#include "engine/CLircEngineFixture.h"

#include "base/CStringTable.h"
#include "base/SampleRuns.h"
#include "device/CLircDevice.h"
#include "signal/ButtonSignal.h"
#include "signal/SignalDurations.h"
#include "signal/SignalFrames.h"
#include "support/CFakeLircSystem.h"

#include <cstdlib>

namespace
{
using CRuns = SignalFrames::CRuns;

// Each duration played within nMicros of the one asked for.
::testing::AssertionResult IsWithin(const CRuns& played, const CRuns& asked, std::uint32_t nMicros)
{
    if (played.size() != asked.size())
        return ::testing::AssertionFailure()
               << played.size() << " durations played for " << asked.size();
    for (std::size_t i = 0; i < asked.size(); ++i)
        if (std::abs(static_cast<long>(played[i]) - static_cast<long>(asked[i])) > nMicros)
            return ::testing::AssertionFailure()
                   << "duration " << i << ": " << played[i] << " µs for " << asked[i];
    return ::testing::AssertionSuccess();
}

// A signal of nFrames NEC frames 108 ms apart: 0.6 s for six.
CRuns HeldNec(int nFrames)
{
    std::vector<CRuns> frames(static_cast<std::size_t>(nFrames), SignalFrames::Nec(0xFB04, 0x12));
    return SignalFrames::Join(frames, 40000);
}

class CButtonFactsFiringTest : public CLircEngineFixture
{
protected:
    // A button whose samples were taken at dNanos a sample, and that knows it.
    CRemoteButton& MakeAt(const std::string& strName, const CRuns& runs, double dNanos,
                          std::uint32_t nCarrierHz = 0)
    {
        CRemoteButton& button = MakePlain(m_tv, strName);
        button.m_bits = ToBitstream(runs, dNanos);
        button.m_facts.SetNanosPerSample(dNanos);
        button.m_facts.nCarrierHz = nCarrierHz;
        return button;
    }

    CRemote& m_tv = MakeRemote("TV");
};

// NEC frames at 56 kHz (a raw ".ir" record of a set that wants them so): the button's carrier
// wins over the one its protocol would give.
TEST_F(CButtonFactsFiringTest, AButtonFiresAtItsOwnCarrierAndDutyCycle)
{
    CRemoteButton& button = MakeAt("Power", SignalFrames::Nec(0xFB04, 0x12), 1000, 56000);
    button.m_facts.nDutyPercent = 33;
    ASSERT_TRUE(m_engine.Fire(button));
    EXPECT_EQ(m_fake.nCarrier, 56000u);
    EXPECT_EQ(m_fake.nDutyCycle, 33u);

    // Made from a Pioneer code: its protocol's 40 kHz, though its frames decode as NEC.
    CRemoteButton& pioneer = MakeAt("Pioneer", SignalFrames::Nec(0xFB04, 0x12), 1000);
    pioneer.m_facts.code = SButtonCode{"Pioneer", 0xFB04, 0x12};
    ASSERT_TRUE(m_engine.Fire(pioneer));
    EXPECT_EQ(m_fake.nCarrier, 40000u);
    EXPECT_EQ(m_fake.nDutyCycle, CLircDevice::kDutyCyclePercent);

    // A LIRC file may say 100 %, which the kernel keeps for a light that never blinks.
    button.m_facts.nDutyPercent = 100;
    ASSERT_TRUE(m_engine.Fire(button));
    EXPECT_EQ(m_fake.nDutyCycle, 99u);
}

// A parallel port samples every 1.37 µs or so; a lirc device counts microseconds. Played
// sample for sample, the recording would come out a good quarter short.
TEST_F(CButtonFactsFiringTest, APortRecordingPlaysOnLircWithItsOwnDurations)
{
    const CRuns runs = SignalFrames::Sony(0x95, 12);
    const double dPortNanos = 1370.456;
    ASSERT_TRUE(m_engine.Fire(MakeAt("Vol+", runs, dPortNanos)));
    // A sample's worth of rounding at each end of a run.
    EXPECT_TRUE(IsWithin(m_fake.written, runs, 2));

    // Samples of a document that never said their period play as they always did.
    m_fake.written.clear();
    CRemoteButton& old = MakePlain(m_tv, "Old");
    old.m_bits = ToBitstream(runs, dPortNanos);
    ASSERT_TRUE(m_engine.Fire(old));
    EXPECT_EQ(m_fake.written, ToDurations(old.m_bits, 1000));
}

// Longer than 400,000 samples of a microsecond: a lirc device plays it whole; a unit that plays
// samples says why it cannot, and plays nothing.
TEST_F(CButtonFactsFiringTest, ASignalLongerThanTheUnitsSamplesPlaysWholeOnLircOnly)
{
    const CRuns runs = HeldNec(6);
    const double dNanos = FindHoldingPeriod(runs, 1000);
    ASSERT_EQ(dNanos, 2000);
    CRemoteButton& button = MakeAt("Held", runs, dNanos);
    ASSERT_TRUE(m_engine.Fire(button));
    EXPECT_TRUE(IsWithin(m_fake.written, runs, 1));

    CRecordingDevice unit(m_ticks);
    unit.TransmitDurations(runs, 1000);
    EXPECT_TRUE(unit.m_sent.empty());
    EXPECT_NE(unit.GetLastFault().find("the signal lasts 0.6"), std::string::npos)
        << unit.GetLastFault();
    unit.TransmitDurations(runs, 2000);
    ASSERT_EQ(unit.m_sent.size(), 1u);
    EXPECT_EQ(unit.m_sent[0].bytes, DurationsToSamples(runs, 2000));
}

TEST_F(CButtonFactsFiringTest, ALearnedButtonKeepsTheUnitsPeriodAndItsProtocolsCarrier)
{
    CRemoteButton& button = MakePlain(m_tv, "Mute");
    const CRuns runs = SignalFrames::Sony(0x95, 12);
    ASSERT_TRUE(m_engine.EnableDetector(button));
    ASSERT_TRUE(m_pLirc->WaitForDetectorLine(true, 1000));
    m_fake.presses.push_back(CFakeLircSystem::ToValues(runs));
    ASSERT_EQ(m_pLirc->ReadDetectorLine(), 0);
    ASSERT_TRUE(m_engine.Learn(button, kBitstreamBytes));
    EXPECT_EQ(button.m_facts.nSamplePicos, 1000000u);
    EXPECT_EQ(button.m_facts.nCarrierHz, 40000u); // Sony's
    EXPECT_FALSE(button.m_facts.code);
    EXPECT_EQ(GetButtonDurations(button, 1370), runs);
}
} // namespace
