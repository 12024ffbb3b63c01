#include "cli/CHeadlessRunner.h"

#include "cli/CliTestSupport.h"
#include "cli/ListingTestDocument.h"
#include "device/CLircDevice.h"
#include "signal/SignalDurations.h"
#include "support/CFakeLircSystem.h"
#include "support/CScriptedClock.h"
#include "support/CScriptedTickSource.h"
#include "support/CScriptedTime.h"
#include "support/TimeZone.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace
{
using CRuns = std::vector<std::uint32_t>;

// NEC address 0x04 command 0x12, as the remote sends it.
CRuns NecFrame(std::uint8_t nCommand)
{
    CRuns runs{9000, 4500};
    const std::uint32_t nValue = 0xFB04u | std::uint32_t{nCommand} << 16 |
                                 std::uint32_t{static_cast<std::uint8_t>(~nCommand)} << 24;
    for (int nBit = 0; nBit < 32; ++nBit)
    {
        runs.push_back(560);
        runs.push_back((nValue >> nBit & 1u) != 0 ? 1690 : 560);
    }
    runs.push_back(560);
    return runs;
}

class CHearingRunnerTest : public ::testing::Test
{
protected:
    CHearingRunnerTest()
    {
        CListingTestDocument document;
        CRemote& tv = document.AddRemote("TV", 0);
        document.AddButton(tv, "Power", "").m_bits = ToBitstream(NecFrame(0x12), 1000);
        EXPECT_TRUE(document.m_doc.OnSaveDocument(m_strPath));
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
} // namespace
