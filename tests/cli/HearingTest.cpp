#include "cli/CHeadlessRunner.h"

#include "cli/CRunningQuorbit.h"
#include "cli/CliTestSupport.h"
#include "cli/ListingTestDocument.h"
#include "control/ControlAnswers.h"
#include "device/CLircDevice.h"
#include "signal/SignalDecoder.h"
#include "signal/SignalDurations.h"
#include "signal/SignalFrames.h"
#include "support/CFakeLircSystem.h"
#include "support/CPrivateRuntime.h"
#include "support/CRecordingDevice.h"
#include "support/CScriptedClock.h"
#include "support/CScriptedTickSource.h"
#include "support/CScriptedTime.h"
#include "support/TimeZone.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace
{
using CRuns = std::vector<std::uint32_t>;

// NEC address 0x04 (0xFB04 with its inverse) and the command, as the remote sends it.
CRuns NecFrame(std::uint8_t nCommand)
{
    return SignalFrames::Nec(0xFB04, nCommand);
}

// Saves a document whose TV/Power was learned from NecFrame(0x12) on a unit counting in
// microseconds.
void WriteTvDocument(const std::string& strPath)
{
    CListingTestDocument document;
    CRemote& tv = document.AddRemote("TV", 0);
    document.AddButton(tv, "Power", "").m_bits = ToBitstream(NecFrame(0x12), 1000);
    CRemote& hifi = document.AddRemote("Hi Fi", 0);
    document.AddButton(hifi, "Odd one", "").m_bits =
        ToBitstream({3000, 1000, 1200, 2400, 600}, 1000);
    EXPECT_TRUE(document.m_doc.OnSaveDocument(strPath));
}

class CHearingRunnerTest : public ::testing::Test
{
protected:
    CHearingRunnerTest()
    {
        WriteTvDocument(m_strPath);
        std::string strError;
        m_pDevice = CLircDevice::Open(m_system, "/dev/lirc0", strError);
        m_pOut = open_memstream(&m_pText, &m_nSize);
        m_pRunner = std::make_unique<CHeadlessRunner>(m_strPath, *m_pDevice, m_clock, m_ticks,
                                                      m_pOut, stderr);
    }
    ~CHearingRunnerTest() override
    {
        m_pRunner.reset();
        std::fclose(m_pOut);
        std::free(m_pText);
    }

    void Press(const CRuns& runs)
    {
        m_fake.presses.push_back(CFakeLircSystem::ToValues(runs));
        m_pRunner->Listen(0);
        m_pRunner->Listen(0);
        m_time.Advance(1000);
    }

    std::string GetOutput() const
    {
        std::fflush(m_pOut);
        return std::string(m_pText, m_nSize);
    }

    CScopedTimeZone m_zone{"Europe/Berlin"};
    CScriptedClock m_clock{CTime(2026, 12, 8, 18, 30, 0)};
    CScriptedTickSource m_ticks{5000};
    CScriptedTime m_time{m_clock, m_ticks};
    CTempFolder m_folder;
    std::string m_strPath = m_folder.File("tv.qb");
    CFakeLircSystem m_system;
    CFakeLircSystem::SDevice& m_fake = m_system.AddDevice("/dev/lirc0");
    std::unique_ptr<CLircDevice> m_pDevice;
    char* m_pText = nullptr;
    std::size_t m_nSize = 0;
    std::FILE* m_pOut;
    std::unique_ptr<CHeadlessRunner> m_pRunner;
};

// --run says it listens, and prints each press with its code and the button it is.
TEST_F(CHearingRunnerTest, RunPrintsWhatItHears)
{
    ASSERT_TRUE(m_pRunner->Start());
    Press(NecFrame(0x12));
    Press(NecFrame(0x13));
    const std::string strOut = GetOutput();
    EXPECT_NE(strOut.find("Listening on lirc /dev/lirc0, send and receive\n"), std::string::npos)
        << strOut;
    EXPECT_NE(strOut.find("2026-12-08 18:30:00 heard NEC address 0x04 command 0x12 (remote TV, "
                          "button Power)\n"),
              std::string::npos)
        << strOut;
    EXPECT_NE(strOut.find("2026-12-08 18:30:01 heard NEC address 0x04 command 0x13 (no button)\n"),
              std::string::npos)
        << strOut;
}
// A LISTEN connection is told of each press in a HEARD line, until it is gone.
TEST_F(CHearingRunnerTest, ListenStreamsAHeardLineAPress)
{
    ASSERT_TRUE(m_pRunner->Start());
    std::vector<std::string> lines;
    bool bOpen = true;
    std::string strReply;
    AnswerControlLine(
        *m_pRunner, "listen", [&strReply](const std::string& strText) { strReply = strText; },
        [&](const std::string& strLine)
        {
            lines.push_back(strLine);
            return bOpen;
        });
    EXPECT_EQ(strReply, "OK listening on lirc /dev/lirc0, send and receive\n");
    Press(NecFrame(0x12));
    Press({3000, 1000, 1200, 2400, 600});
    Press(NecFrame(0x40));
    bOpen = false;
    Press(NecFrame(0x12));
    Press(NecFrame(0x12));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "HEARD 2026-12-08 18:30:00 NEC 0x04 0x12 TV Power\n",
                         "HEARD 2026-12-08 18:30:01 unknown - - \"Hi Fi\" \"Odd one\"\n",
                         "HEARD 2026-12-08 18:30:02 NEC 0x04 0x40\n",
                         "HEARD 2026-12-08 18:30:03 NEC 0x04 0x12 TV Power\n",
                     }));
}

// TV/Power, heard, fires Amp/On (NEC address 0x05); TV/Mute fires nothing.
void WriteActionDocument(const std::string& strPath)
{
    CListingTestDocument document;
    CRemote& tv = document.AddRemote("TV", 0);
    CRemoteButton& power = document.AddButton(tv, "Power", "");
    power.m_bits = ToBitstream(NecFrame(0x12), 1000);
    document.AddButton(tv, "Mute", "").m_bits = ToBitstream(NecFrame(0x13), 1000);
    CRemote& amp = document.AddRemote("Amp", 0);
    CRemoteButton& on = document.AddButton(amp, "On", "");
    on.m_bits = ToBitstream(SignalFrames::Nec(0xFA05, 0x20), 1000);
    ASSERT_TRUE(document.m_doc.SetHeardAction(power, &amp, &on));
    ASSERT_TRUE(document.m_doc.OnSaveDocument(strPath));
}

// A button held down sends its frame, then repeats it (or its protocol's repeat frame) this
// often.
constexpr std::uint32_t kRepeatMs = 108;
const CRuns kNecRepeat{9000, 2250, 560};

class CActionRunnerTest : public CHearingRunnerTest
{
protected:
    void SetUp() override
    {
        WriteActionDocument(m_strPath);
        ASSERT_TRUE(m_pRunner->Start());
    }

    // Pressed, then held down for nRepeats of the repeat frame, then let go.
    void Hold(const CRuns& first, const CRuns& repeat, int nRepeats)
    {
        PressFor(first, kRepeatMs);
        for (int n = 0; n < nRepeats; ++n)
            PressFor(repeat, kRepeatMs);
        m_time.Advance(1000);
    }

    void PressFor(const CRuns& runs, std::uint32_t nMs)
    {
        m_fake.presses.push_back(CFakeLircSystem::ToValues(runs));
        m_pRunner->Listen(0);
        m_pRunner->Listen(0);
        m_time.Advance(nMs);
    }

    // The frames the unit sent, as codes.
    std::vector<std::string> GetSentCodes() const
    {
        std::vector<std::string> codes;
        for (const auto& frame : CFakeLircSystem::ReadPlayedFrames(m_fake))
            codes.push_back(DescribeSignal(DecodeSignal(frame.durations)));
        return codes;
    }
};

// However long the button is held, its action fires once a press, and only its button's.
TEST_F(CActionRunnerTest, APressFiresItsActionOnceHoweverLongItIsHeld)
{
    const struct
    {
        const char* pszCase;
        CRuns first, repeat;
        int nRepeats;
        std::size_t nSent; // frames sent by then
    } cases[]{
        {"a single press", NecFrame(0x12), {}, 0, 1},
        {"held with NEC's repeat frames", NecFrame(0x12), kNecRepeat, 12, 2},
        {"held with its whole frame again", NecFrame(0x12), NecFrame(0x12), 12, 3},
        {"a button without an action", NecFrame(0x13), NecFrame(0x13), 3, 3},
        {"a signal of no button", NecFrame(0x40), {}, 0, 3},
    };
    for (const auto& test : cases)
    {
        Hold(test.first, test.repeat, test.nRepeats);
        const std::vector<std::string> codes = GetSentCodes();
        EXPECT_EQ(codes.size(), test.nSent) << test.pszCase;
        for (const std::string& strCode : codes)
            EXPECT_EQ(strCode, "NEC address 0x05 command 0x20") << test.pszCase;
    }
    EXPECT_NE(GetOutput().find("sending (remote Amp, button On) on request\n"), std::string::npos)
        << GetOutput();
}

// A hold asked for by a script or the hub is in the run's output as a press is: the one line
// that tells the person afterwards what was sent and why.
TEST_F(CActionRunnerTest, AHoldOnRequestIsPrintedAsAPressIs)
{
    const SControlResult result = m_pRunner->Fire("Amp", "On", 300);
    ASSERT_TRUE(result.IsOk()) << result.strText;
    EXPECT_NE(GetOutput().find("sending (remote Amp, button On) held 300 ms on request\n"),
              std::string::npos)
        << GetOutput();
}

// A unit on a port hears only while it learns: LISTEN says so rather than stay silent.
TEST(HearingControlTest, ListenIsRefusedWhereTheUnitCannotHear)
{
    CTempFolder folder;
    const std::string strPath = folder.File("tv.qb");
    WriteTvDocument(strPath);
    CScriptedClock clock{CTime(2026, 12, 8, 18, 30, 0)};
    CScriptedTickSource ticks;
    CRecordingDevice device{ticks};
    std::FILE* pNull = std::fopen("/dev/null", "w");
    CHeadlessRunner runner(strPath, device, clock, ticks, pNull, pNull);
    ASSERT_TRUE(runner.Start());
    std::string strReply;
    AnswerControlLine(
        runner, "LISTEN", [&strReply](const std::string& strText) { strReply = strText; },
        [](const std::string&) { return true; });
    EXPECT_EQ(strReply.rfind("ERROR cannot-listen ", 0), 0u) << strReply;
    EXPECT_NE(strReply.find("hears only while it learns a button"), std::string::npos);
    std::fclose(pNull);
}

// quorbit --listen prints the running Quorbit's HEARD lines as presses come, for a script to
// read line by line, and ends when that Quorbit stops.
TEST(HearingControlTest, ListenPrintsEachPressOfTheRunningQuorbit)
{
    const CPrivateRuntime runtime;
    CTempFolder folder;
    const std::string strPath = folder.File("tv.qb");
    WriteTvDocument(strPath);
    auto pRunning = std::make_unique<CRunningQuorbit>(strPath, false);
    std::FILE* pListen = popen(QUORBIT_BINARY " --listen 2>&1", "r");
    ASSERT_NE(pListen, nullptr);
    // Presses until --listen has been told of one: those before its LISTEN are nobody's.
    std::atomic<bool> bHeard = false;
    std::thread presser(
        [&]
        {
            while (!bHeard)
            {
                pRunning->Press(NecFrame(0x12));
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
            }
        });
    char szLine[256] = {};
    const bool bRead = std::fgets(szLine, sizeof szLine, pListen) != nullptr;
    bHeard = true;
    presser.join();
    pRunning.reset();
    std::string strRest;
    for (char szMore[256]; std::fgets(szMore, sizeof szMore, pListen);)
        strRest += szMore;
    const int nStatus = pclose(pListen);
    ASSERT_TRUE(bRead);
    const std::string strLine = szLine;
    EXPECT_EQ(strLine.rfind("HEARD ", 0), 0u) << strLine;
    EXPECT_NE(strLine.find(" NEC 0x04 0x12 TV Power\n"), std::string::npos) << strLine;
    EXPECT_NE(strRest.find("quorbit: the running Quorbit stopped\n"), std::string::npos) << strRest;
    EXPECT_EQ(WEXITSTATUS(nStatus), 1);
}
} // namespace
