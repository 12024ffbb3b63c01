#include "signal/SignalDecoder.h"
#include "signal/SignalEncoder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>

namespace
{
// The frames irsimsend sent for each button of held.conf held 800 ms
// (tests/fixtures/lirc/capture-held-irsimsend), each starting where its first mark does.
std::map<std::string, CTimedFrames> ReadCapture(const std::string& strPath)
{
    std::map<std::string, CTimedFrames> captured;
    std::ifstream file(strPath);
    std::string strName;
    while (file >> strName)
    {
        std::vector<std::uint32_t> durations;
        for (std::uint32_t nMicros = 0; file.peek() == ' ' && file >> nMicros;)
            durations.push_back(nMicros);
        // The silence after the last frame is no part of the signal.
        durations.pop_back();
        // Held for no time, a recording is its own frames as they came.
        captured[strName] = HoldRecording(durations, 0);
    }
    return captured;
}
} // namespace

// Held for 800 ms, each button sends what the Linux infrared daemon sends for as many
// presses as start within the hold: NEC its short repeat frame every 108 ms, RC-5 (toggle
// unchanged) and Sony their whole frame at their period. Our frames are made from the code the
// decoder reads in the daemon's first frame, so a repeat frame, a period or a toggle that is
// wrong in our table and decoder alike still shows.
TEST(HeldFramesTest, AHeldButtonSendsWhatTheDaemonRepeats)
{
    const auto captured = ReadCapture(QUORBIT_FIXTURES "/lirc/held.irsimsend");
    ASSERT_EQ(captured.size(), 3u);
    for (const auto& [strName, theirs] : captured)
    {
        const SDecodedSignal code = DecodeSignal(theirs.front().durations);
        ASSERT_NE(code.eProtocol, EProtocol::kUnknown) << strName;
        CTimedFrames ours;
        ASSERT_TRUE(EncodeHeldFrames(code, 800000, ours)) << strName;
        ASSERT_EQ(ours.size(), theirs.size()) << strName;
        for (std::size_t nFrame = 0; nFrame < ours.size(); ++nFrame)
        {
            const std::string strWhere = strName + " frame " + std::to_string(nFrame);
            // Each frame starts its period after the one before, counted from where the frame
            // begins: for RC-5 half a cell before its first mark, in the first frame too.
            EXPECT_NEAR(static_cast<double>(ours[nFrame].nStartMicros),
                        static_cast<double>(theirs[nFrame].nStartMicros), 2.0)
                << strWhere;
            const std::vector<std::uint32_t>& mine = ours[nFrame].durations;
            const std::vector<std::uint32_t>& daemon = theirs[nFrame].durations;
            ASSERT_EQ(mine.size(), daemon.size()) << strWhere;
            for (std::size_t nRun = 0; nRun < mine.size(); ++nRun)
                EXPECT_NEAR(mine[nRun], daemon[nRun], daemon[nRun] * 0.02 + 1)
                    << strWhere << " run " << nRun;
        }
    }
}

// The frames a hold adds keep the toggle bit of the press; the code's toggle bit is the
// protocol's own.
TEST(HeldFramesTest, TheToggleBitIsTheProtocols)
{
    const std::pair<EProtocol, bool> cases[]{
        {EProtocol::kRc5, true},         {EProtocol::kRc6, true},
        {EProtocol::kRc6Mode6A32, true}, {EProtocol::kRc6Mode6A20, true},
        {EProtocol::kThomson, true},     {EProtocol::kRecs80, true},
        {EProtocol::kNokia32, true},     {EProtocol::kNec, false},
        {EProtocol::kSony, false},       {EProtocol::kUnknown, false},
    };
    for (const auto& [eProtocol, bToggle] : cases)
        EXPECT_EQ(HasToggleBit(eProtocol), bToggle) << GetProtocolName(eProtocol);
    for (const bool bToggle : {false, true})
    {
        SDecodedSignal code;
        code.eProtocol = EProtocol::kRc5;
        code.nAddress = 5;
        code.nCommand = 1;
        code.bToggle = bToggle;
        CTimedFrames frames;
        ASSERT_TRUE(EncodeHeldFrames(code, 500000, frames));
        ASSERT_EQ(frames.size(), 5u);
        for (const STimedFrame& frame : frames)
            EXPECT_EQ(DecodeSignal(frame.durations).bToggle, bToggle);
    }
}
