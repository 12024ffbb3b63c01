#include "cli/LearnCommand.h"
#include "base/TextEncoding.h"
#include "cli/CLoadedDocument.h"
#include "cli/CliTestSupport.h"
#include "cli/KitchenDocument.h"
#include "device/COsClock.h"
#include "device/CPortDevice.h"
#include "device/CSimulatedPort.h"
#include "signal/PressConsensus.h"
#include "signal/SignalDecoder.h"
#include "signal/SignalDurations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace
{
using CRuns = CSimulatedRemote::CRuns;

CRuns Frame(std::uint8_t nCommand)
{
    return CSimulatedRemote::MakeFrame(CSimulatedRemote::kAddress, nCommand);
}

// The frame with a flicker of stray light in the middle of a bit's space.
CRuns GlitchyFrame(std::uint8_t nCommand)
{
    CRuns runs = Frame(nCommand);
    const std::uint32_t nSpace = runs[10];
    runs[10] = nSpace / 2;
    runs.insert(runs.begin() + 11, {40, nSpace - nSpace / 2 - 40});
    return runs;
}

struct SLearnCase
{
    const char* pszName;
    const char* pszButton;
    std::vector<CRuns> presses; // what the simulated remote sends, press by press
    int nExitStatus;
    std::vector<std::string> errorParts; // each a part of standard error
};

void PrintTo(const SLearnCase& learn, std::ostream* pOut)
{
    *pOut << learn.pszName;
}

const SLearnCase kLearnCases[] = {
    {"a glitchy press is mended",
     "Lüfter",
     {GlitchyFrame(0x12), Frame(0x12), Frame(0x12)},
     0,
     {"(3 of 3)… heard NEC address 0x04 command 0x12\n",
      "press 1 mended: 1 glitch under 100 µs merged into the runs around it\n"}},
    {"an odd press is outvoted",
     "Übergrößenlicht",
     {Frame(0x12), Frame(0x47), Frame(0x12)},
     0,
     {"press 2 left out: NEC address 0x04 command 0x47 where the others have NEC address 0x04 "
      "command 0x12\n"}},
    {"one press is enough when asked for", "Taste1", {Frame(0x12)}, 0, {"(1 of 1)"}},
    {"presses that disagree write nothing",
     "Lüfter",
     {Frame(0x12), Frame(0x47), Frame(0x7C)},
     1,
     {"press 3 left out", "no more than half of the presses agree (1 of 3); nothing was written"}},
    {"a full pad is refused before anyone presses",
     "Radio",
     {},
     1,
     {"Küche is full: its pad has 0 free places for 1 new button\n"}},
    {"a megabutton is refused before anyone presses",
     "Alles",
     {},
     1,
     {"Alles is a megabutton of Küche, which plays other buttons and takes no signal\n"}},
    {"a name that differs from a button's only in capitals is refused",
     "TASTE1",
     {},
     1,
     {"Küche has a button Taste1; give its name as it is written"}},
    {"a name of only spaces is refused before anyone presses",
     "   ",
     {},
     1,
     {"a button needs a name\n"}},
    {"a name the document cannot spell is refused",
     "Ω",
     {},
     1,
     {"the button name \"Ω\" holds \"Ω\" (U+03A9), which documents cannot store"}},
};

class LearnCommandTest : public testing::TestWithParam<SLearnCase>
{
protected:
    LearnCommandTest() { WriteKitchenDocument(m_strDoc); }

    // The signal the document now holds in the kitchen remote's button.
    std::vector<std::uint32_t> ReadStored(const std::string& strButton) const
    {
        COsClock osClock;
        CLoadedDocument loaded(osClock);
        EXPECT_TRUE(loaded.GetDocument().OnOpenDocument(m_strDoc));
        std::string strName;
        EXPECT_TRUE(FromUtf8Text(strButton, strName));
        const CRemoteButton* pButton = loaded.GetDocument()
                                           .FindRemote("K\xFC"
                                                       "che")
                                           ->FindButton(strName);
        return pButton ? ToDurations(pButton->m_bits, 1000) : std::vector<std::uint32_t>{};
    }

    const CTempFolder m_folder;
    const std::string m_strDoc = m_folder.File("kitchen.qb");
};

// Scripted presses reach the command through the simulated unit. What is stored is one clean
// frame whatever the presses brought; presses that do not agree, and buttons that cannot take a
// signal, leave the file as it was, and the latter are refused before any press is asked for.
TEST_P(LearnCommandTest, StoresTheCleanConsensusOrNothing)
{
    const SLearnCase& learn = GetParam();
    const std::string strBefore = ReadFileBytes(m_strDoc);
    CPortDevice<CSimulatedPort> device{CSimulatedPort()};
    device.SelectPort(1, false);
    for (const CRuns& press : learn.presses)
        device.GetPortBackend().GetRemote().QueueSignal(press);

    testing::internal::CaptureStderr();
    const int nExitStatus = LearnButton({m_strDoc, kKitchen, learn.pszButton,
                                         std::max<int>(1, static_cast<int>(learn.presses.size()))},
                                        device);
    const std::string strErr = testing::internal::GetCapturedStderr();

    EXPECT_EQ(nExitStatus, learn.nExitStatus);
    for (const std::string& strPart : learn.errorParts)
        EXPECT_NE(strErr.find(strPart), std::string::npos) << strPart << "\nin\n" << strErr;
    if (learn.presses.empty())
    {
        EXPECT_EQ(strErr.find("Press "), std::string::npos) << strErr;
    }
    if (nExitStatus != 0)
    {
        EXPECT_EQ(ReadFileBytes(m_strDoc), strBefore);
        EXPECT_FALSE(std::filesystem::exists(m_folder.File("kitchen.qbb")));
        return;
    }
    const std::vector<std::uint32_t> stored = ReadStored(learn.pszButton);
    EXPECT_EQ(DescribeSignal(DecodeSignal(stored)), "NEC address 0x04 command 0x12");
    EXPECT_EQ(stored.size(), 67u);
    EXPECT_GE(*std::min_element(stored.begin(), stored.end()), kGlitchMicros);
}

INSTANTIATE_TEST_SUITE_P(Cases, LearnCommandTest, testing::ValuesIn(kLearnCases));
} // namespace
