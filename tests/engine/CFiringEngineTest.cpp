#include "CEngineFixture.h"

#include <algorithm>
#include <limits>

namespace
{
using Sent = std::vector<std::pair<std::uint32_t, std::string>>;

// Delay indexes: 0.5 s, 1 s, 5 s.
constexpr int kHalfSecond = 0, kOneSecond = 1, kFiveSeconds = 2;

class CFiringEngineTest : public CEngineFixture
{
protected:
    CFiringEngineTest()
    {
        // Every pump lets 10 ms pass.
        m_frontEnd.m_onPump = [this] { AdvanceMs(10); };
    }

    CRemote& m_remote = MakeRemote("TV");
};

TEST_F(CFiringEngineTest, PlainButtonIsSentAtOnceWithoutCountersOrPumping)
{
    CRemoteButton& power = MakePlain(m_remote, "Power", 7);
    m_engine.Fire(power);
    ASSERT_EQ(m_device.m_sent.size(), 1u);
    EXPECT_EQ(m_device.m_sent[0].bytes.size(), 7u);
    EXPECT_EQ(m_device.m_sent[0].bytes[0], 'P');
    EXPECT_EQ(m_frontEnd.m_nPumps, 0);
    EXPECT_EQ(CountCalls("EnableCloseCommand 0"), 0);
    EXPECT_EQ(m_engine.GetFiringDepth(), 0);
}

TEST_F(CFiringEngineTest, UnlearnedButtonsFireNothing)
{
    CRemoteButton& learned = MakePlain(m_remote, "A");
    CRemoteButton& unlearned = MakePlain(m_remote, "B", 0);
    CRemoteButton& mega =
        MakeMega(m_remote, "M", {{&learned, kOneSecond}, {&unlearned, kOneSecond}});
    CRemoteButton& empty = MakeMega(m_remote, "E", {});
    for (CRemoteButton* pButton : {&unlearned, &mega, &empty})
        m_engine.Fire(*pButton);
    EXPECT_TRUE(m_device.m_sent.empty());
    EXPECT_EQ(m_frontEnd.m_nPumps, 0);
    EXPECT_EQ(CountCalls("EnableCloseCommand 0"), 0);
}

TEST_F(CFiringEngineTest, FiringLengthOfAHugeMegabuttonDoesNotWrapToNothing)
{
    // 512 plays of 256 plays of a 32,768-byte bitstream: 2^32 bytes, which 32 bits hold as 0.
    CRemoteButton& a = MakePlain(m_remote, "A", 32768);
    CRemoteButton& inner = MakeMega(m_remote, "Inner", {});
    inner.m_steps.assign(256, CMegaStep{&m_remote, &a, 0});
    CRemoteButton& outer = MakeMega(m_remote, "Outer", {});
    outer.m_steps.assign(512, CMegaStep{&m_remote, &inner, 0});
    EXPECT_EQ(outer.GetFiringLength(), std::uint64_t{1} << 32);
}

TEST_F(CFiringEngineTest, EachStepWaitsFromTheStartOfItsOwnTransmission)
{
    CRemoteButton& a = MakePlain(m_remote, "A");
    CRemoteButton& b = MakePlain(m_remote, "B");
    CRemoteButton& mega = MakeMega(m_remote, "M", {{&a, kOneSecond}, {&b, kHalfSecond}});
    m_frontEnd.m_calls.clear();
    m_engine.Fire(mega);
    EXPECT_EQ(GetSent(), (Sent{{1000, "A"}, {2000, "B"}}));
    // The last step's delay is waited too before Close comes back.
    EXPECT_EQ(m_ticks.m_nNow, 2500u);
    EXPECT_EQ(m_frontEnd.m_calls,
              (std::vector<std::string>{"EnableCloseCommand 0", "EnableCloseCommand 1"}));
}

TEST_F(CFiringEngineTest, SlowTransmissionEatsIntoTheStepDelay)
{
    CRemoteButton& a = MakePlain(m_remote, "A");
    CRemoteButton& b = MakePlain(m_remote, "B");
    CRemoteButton& mega = MakeMega(m_remote, "M", {{&a, kHalfSecond}, {&b, kOneSecond}});
    m_device.m_nTransmitMs = 700;
    m_engine.Fire(mega);
    EXPECT_EQ(GetSent(), (Sent{{1000, "A"}, {1700, "B"}}));
    EXPECT_EQ(m_ticks.m_nNow, 2700u);
    // The front end may sleep until the delay ends, and no longer: B's second ends at 2700.
    ASSERT_FALSE(m_frontEnd.m_waits.empty());
    EXPECT_EQ(m_frontEnd.m_waits.front(), 300u);
    EXPECT_EQ(m_frontEnd.m_waits.back(), 10u);
}

TEST_F(CFiringEngineTest, NestedMegabuttonAddsNoWaitOfItsOwn)
{
    CRemoteButton& x = MakePlain(m_remote, "X");
    CRemoteButton& y = MakePlain(m_remote, "Y");
    CRemoteButton& z = MakePlain(m_remote, "Z");
    CRemoteButton& inner = MakeMega(m_remote, "Inner", {{&x, kOneSecond}, {&y, kOneSecond}});
    // The outer step's five seconds are not waited after a megabutton.
    CRemoteButton& outer = MakeMega(m_remote, "Outer", {{&inner, kFiveSeconds}, {&z, kHalfSecond}});
    int nDeepest = 0;
    m_frontEnd.m_onPump = [&]
    {
        nDeepest = std::max(nDeepest, m_engine.GetFiringDepth());
        AdvanceMs(10);
    };
    m_frontEnd.m_calls.clear();
    m_engine.Fire(outer);
    EXPECT_EQ(GetSent(), (Sent{{1000, "X"}, {2000, "Y"}, {3000, "Z"}}));
    EXPECT_EQ(m_ticks.m_nNow, 3500u);
    EXPECT_EQ(nDeepest, 2);
    EXPECT_EQ(m_frontEnd.m_calls,
              (std::vector<std::string>{"EnableCloseCommand 0", "EnableCloseCommand 1"}));
}

TEST_F(CFiringEngineTest, WaitsSpanningTheWrapOfTheTickCountEndOnTime)
{
    CRemoteButton& a = MakePlain(m_remote, "A");
    CRemoteButton& b = MakePlain(m_remote, "B");
    CRemoteButton& mega = MakeMega(m_remote, "M", {{&a, kOneSecond}, {&b, kHalfSecond}});
    constexpr std::uint32_t kStart = std::numeric_limits<std::uint32_t>::max() - 299;
    for (const std::uint32_t nStart : {kStart, kStart + 300 - 1000})
    {
        m_device.m_sent.clear();
        m_frontEnd.m_waits.clear();
        m_ticks.m_nNow = nStart;
        m_engine.Fire(mega);
        EXPECT_EQ(GetSent(), (Sent{{nStart, "A"}, {nStart + 1000, "B"}}));
        EXPECT_EQ(m_ticks.m_nNow, nStart + 1500);
        // Across the wrap the sleep offered is still what is left, not a wrapped count.
        EXPECT_EQ(*std::max_element(m_frontEnd.m_waits.begin(), m_frontEnd.m_waits.end()), 1000u);
    }
}

TEST_F(CFiringEngineTest, CountersRiseAndFallInPairs)
{
    CRemoteButton& a = MakePlain(m_remote, "A");
    CRemoteButton& b = MakePlain(m_remote, "B");
    CRemoteButton& inner = MakeMega(m_remote, "Inner", {{&a, kHalfSecond}});
    CRemoteButton& mega =
        MakeMega(m_remote, "M", {{&a, kHalfSecond}, {&inner, kHalfSecond}, {&a, kHalfSecond}});
    int nMostOfA = 0;
    m_frontEnd.m_onPump = [&]
    {
        nMostOfA = std::max(nMostOfA, a.m_nFiring);
        EXPECT_EQ(mega.m_nFiring, 1);
        EXPECT_EQ(b.m_nFiring, 0);
        AdvanceMs(10);
    };
    m_engine.Fire(mega);
    // Twice directly, once through Inner (counted by both the outer and the inner firing).
    EXPECT_EQ(nMostOfA, 4);
    for (const CRemoteButton* pButton : {&a, &b, &inner, &mega})
        EXPECT_EQ(pButton->m_nFiring, 0) << pButton->m_strName;
    EXPECT_EQ(m_engine.GetFiringDepth(), 0);
}

TEST_F(CFiringEngineTest, FiringStartedDuringAWaitNests)
{
    CRemoteButton& a = MakePlain(m_remote, "A");
    CRemoteButton& slow = MakeMega(m_remote, "Slow", {{&a, kOneSecond}});
    CRemoteButton& quick = MakeMega(m_remote, "Quick", {{&a, kHalfSecond}});
    bool bPressed = false;
    m_frontEnd.m_onPump = [&]
    {
        AdvanceMs(10);
        if (bPressed)
            return;
        bPressed = true; // a pad button pressed while Slow waits
        m_engine.Fire(quick);
        EXPECT_EQ(m_engine.GetFiringDepth(), 1);
    };
    m_frontEnd.m_calls.clear();
    m_engine.Fire(slow);
    EXPECT_EQ(GetSent(), (Sent{{1000, "A"}, {1010, "A"}}));
    EXPECT_EQ(m_frontEnd.m_calls,
              (std::vector<std::string>{"EnableCloseCommand 0", "EnableCloseCommand 1"}));
    EXPECT_EQ(a.m_nFiring, 0);
}

TEST_F(CFiringEngineTest, LearnCapturesUpToTheCapacityGiven)
{
    CRemoteButton& power = MakePlain(m_remote, "Power", 0);
    m_device.m_capture = {0xF0, 0x0F, 0xFF};
    m_engine.Learn(power, kBitstreamBytes);
    EXPECT_EQ(m_device.m_nLastCaptureCapacity, kBitstreamBytes);
    EXPECT_EQ(power.m_bits, CBitstream(std::vector<std::uint8_t>{0xF0, 0x0F, 0xFF}));

    m_engine.Learn(power, 2);
    EXPECT_EQ(power.m_bits.GetLength(), 2u);
}

} // namespace
