#include "signal/PressConsensus.h"
#include "SignalFrames.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
using namespace SignalFrames;

struct SNoteExpected
{
    std::size_t nPress;
    bool bLeftOut;
    const char* pszReason;
};

struct SConsensusCase
{
    const char* pszName;
    std::vector<CRuns> presses;
    bool bAgreed;
    std::string strDecoded;
    std::vector<SNoteExpected> notes;
};

// A press of the NEC button 0x04/0x12 (or nCommand) as one remote and receiver give it.
CRuns NecPress(unsigned nSeed, std::uint8_t nCommand = 0x12)
{
    return Distort(Nec(0xFB04, nCommand), nSeed, 60);
}

// A flicker inside the header space and a drop-out inside a bit's mark, around a 40 us
// flicker before the signal.
CRuns WithGlitches(CRuns runs)
{
    runs[1] -= 2030;
    runs.insert(runs.begin() + 2, {30, 2000});
    runs[4] -= 200;
    runs.insert(runs.begin() + 5, {50, 150});
    runs.insert(runs.begin(), {40, 3000});
    return runs;
}

const CRuns kUnknown{3000, 1000, 3000, 1000, 3000};

std::vector<SConsensusCase> ConsensusCases()
{
    CRuns farOff = kUnknown;
    farOff[2] = 6000;
    return {
        {"a glitchy press is mended",
         {NecPress(1), WithGlitches(NecPress(2)), NecPress(3)},
         true,
         "NEC address 0x04 command 0x12",
         {{1, false, "3 glitches under 100 µs"}}},
        {"a press of another button is left out",
         {NecPress(1), NecPress(2), NecPress(3, 0x13)},
         true,
         "NEC address 0x04 command 0x12",
         {{2, true,
           "NEC address 0x04 command 0x13 where the others have NEC address 0x04 command 0x12"}}},
        {"presses caught at different points of a held button",
         {Join({From(NecPress(1), 40), NecPress(2)}, 40000),
          Join({From(NecPress(3), 20), NecPress(4), {9000, 2250, 560}}, 40000), NecPress(5)},
         true,
         "NEC address 0x04 command 0x12",
         {}},
        {"two different presses do not agree",
         {NecPress(1), NecPress(2, 0x13)},
         false,
         "no signal",
         {{1, true, "where the others have NEC address 0x04 command 0x12"}}},
        {"a press that received nothing is left out",
         {NecPress(1), {}, NecPress(2)},
         true,
         "NEC address 0x04 command 0x12",
         {{1, true, "nothing was received"}}},
        {"unknown signals agree run by run",
         {Distort(kUnknown, 1, 0), Distort(kUnknown, 2, 0), farOff},
         true,
         "unknown (5 runs)",
         {{2, true, "run 3 lasts 6000 µs where the others have"}}},
    };
}

TEST(PressConsensusTest, AgreesOnOneCleanSignalAndSaysWhichPressesStrayed)
{
    for (const SConsensusCase& consensusCase : ConsensusCases())
    {
        SCOPED_TRACE(consensusCase.pszName);
        const SPressConsensus consensus = FindConsensus(consensusCase.presses);

        EXPECT_EQ(consensus.bAgreed, consensusCase.bAgreed);
        EXPECT_EQ(DescribeSignal(consensus.decoded), consensusCase.strDecoded);
        // Glitches and earlier frames are gone: a clean frame is all that is left.
        if (consensus.decoded.eProtocol == EProtocol::kNec)
        {
            EXPECT_EQ(consensus.durations.size(), 67u);
        }
        ASSERT_EQ(consensus.notes.size(), consensusCase.notes.size());
        for (std::size_t nNote = 0; nNote < consensus.notes.size(); ++nNote)
        {
            const SPressNote& note = consensus.notes[nNote];
            EXPECT_EQ(note.nPress, consensusCase.notes[nNote].nPress);
            EXPECT_EQ(note.bLeftOut, consensusCase.notes[nNote].bLeftOut);
            EXPECT_NE(note.strReason.find(consensusCase.notes[nNote].pszReason), std::string::npos)
                << note.strReason;
        }
    }
}

// The clean signal is the run-by-run median, so one press's stray timing does not move it.
TEST(PressConsensusTest, TakesEachRunsMedian)
{
    const std::vector<CRuns> presses{{500, 600, 700}, {520, 580, 900}, {480, 620, 650}};
    EXPECT_EQ(FindConsensus(presses).durations, (CRuns{500, 600, 700}));
}
} // namespace
