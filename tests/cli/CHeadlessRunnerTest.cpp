#include "cli/CHeadlessRunner.h"

#include "cli/CDocumentWatch.h"
#include "cli/CliTestSupport.h"
#include "cli/ListingTestDocument.h"
#include "control/CControlServer.h"
#include "device/CLircDevice.h"
#include "device/CLircPair.h"
#include "device/CSimulatedClock.h"
#include "support/CFakeLircSystem.h"
#include "support/CPrivateRuntime.h"
#include "support/CRecordingDevice.h"
#include "support/CScriptedClock.h"
#include "support/CScriptedTickSource.h"
#include "support/CScriptedTime.h"
#include "support/TimeZone.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace
{
// A stream whose text the test can read back.
class CCapturedStream
{
public:
    CCapturedStream() : m_pFile(open_memstream(&m_pText, &m_nSize)) {}
    ~CCapturedStream()
    {
        std::fclose(m_pFile);
        std::free(m_pText);
    }
    CCapturedStream(const CCapturedStream&) = delete;
    CCapturedStream& operator=(const CCapturedStream&) = delete;

    std::FILE* Get() const { return m_pFile; }
    std::string GetText() const
    {
        std::fflush(m_pFile);
        return std::string(m_pText, m_nSize);
    }

private:
    char* m_pText = nullptr;
    std::size_t m_nSize = 0;
    std::FILE* m_pFile;
};

int CountOf(const std::string& strText, const std::string& strPart)
{
    int nCount = 0;
    for (auto nAt = strText.find(strPart); nAt != std::string::npos;
         nAt = strText.find(strPart, nAt + 1))
        ++nCount;
    return nCount;
}

const std::string kExample = QUORBIT_FIXTURES "/example.qb";

class CHeadlessRunnerTest : public ::testing::Test
{
protected:
    CHeadlessRunner& MakeRunner(const std::string& strPath)
    {
        m_pRunner = std::make_unique<CHeadlessRunner>(strPath, m_device, m_clock, m_ticks,
                                                      m_out.Get(), m_err.Get());
        return *m_pRunner;
    }

    void RunSeconds(int nSeconds)
    {
        for (int nSecond = 0; nSecond < nSeconds; ++nSecond)
        {
            m_pRunner->Tick();
            m_time.Advance(1000);
        }
    }

    CScopedTimeZone m_zone{"Europe/Berlin"};
    CScriptedClock m_clock{CTime(1998, 3, 2, 6, 59, 58)};
    CScriptedTickSource m_ticks;
    CScriptedTime m_time{m_clock, m_ticks};
    CRecordingDevice m_device{m_ticks};
    CCapturedStream m_out;
    CCapturedStream m_err;
    std::unique_ptr<CHeadlessRunner> m_pRunner;
};

TEST_F(CHeadlessRunnerTest, ExampleFiresWakeAtSevenAndLeavesTheFileAlone)
{
    const std::string strBefore = ReadFileBytes(kExample);
    CHeadlessRunner& runner = MakeRunner(kExample);
    ASSERT_TRUE(runner.Start());
    EXPECT_EQ(m_out.GetText(), "Running " + kExample + "\n" +
                                   "Wake                             1998-03-02 07:00  ARMED\n");
    RunSeconds(65);
    EXPECT_EQ(CountOf(m_out.GetText(), " fired "), 1);
    EXPECT_NE(m_out.GetText().find("1998-03-02 07:00:00 fired Wake (remote TV, button Power)\n"),
              std::string::npos);
    ASSERT_EQ(m_device.m_sent.size(), 1u);
    EXPECT_EQ(m_device.m_sent[0].bytes, (std::vector<std::uint8_t>{0xFF, 0x00}));
    EXPECT_EQ(ReadFileBytes(kExample), strBefore);
    EXPECT_EQ(m_err.GetText(), "");
}

// Asleep between the beats with work, the run fires at the start of the minute as a run that
// ticks each second does, and wakes a few times a minute instead of sixty.
TEST_F(CHeadlessRunnerTest, SleepingThroughIdleBeatsStillFiresOnTime)
{
    CHeadlessRunner& runner = MakeRunner(kExample);
    ASSERT_TRUE(runner.Start());
    std::vector<int> beats;
    for (int nSeconds = 0; nSeconds < 180; nSeconds += beats.back())
    {
        runner.Tick();
        beats.push_back(runner.GetBeatsToNextWork());
        m_time.Advance(1000 * static_cast<std::uint32_t>(beats.back()));
    }
    EXPECT_EQ(CountOf(m_out.GetText(), " fired "), 1);
    EXPECT_NE(m_out.GetText().find("1998-03-02 07:00:00 fired Wake (remote TV, button Power)\n"),
              std::string::npos)
        << m_out.GetText();
    // From 06:59:58: to the minute, to the first clock check ten seconds after the first beat,
    // then every ten seconds, each minute's first beat between them.
    EXPECT_EQ(std::vector<int>(beats.begin(), beats.begin() + 10),
              (std::vector<int>{2, 8, 10, 10, 10, 10, 10, 2, 8, 10}));
}

// A file that changed is looked at again on the next beat, until it has held still and is
// loaded.
TEST_F(CHeadlessRunnerTest, AChangedFileKeepsTheRunAwakeUntilLoaded)
{
    const CTempFolder folder;
    const std::string strPath = folder.File("example.qb");
    std::filesystem::copy_file(kExample, strPath);
    CHeadlessRunner& runner = MakeRunner(strPath);
    ASSERT_TRUE(runner.Start());
    runner.Tick();
    EXPECT_GT(runner.GetBeatsToNextWork(), 1);
    std::filesystem::last_write_time(strPath, std::filesystem::last_write_time(strPath) +
                                                  std::chrono::seconds(5));
    runner.Tick();
    EXPECT_EQ(runner.GetBeatsToNextWork(), 1);
    runner.Tick();
    EXPECT_NE(m_out.GetText().find("Reloaded " + strPath), std::string::npos) << m_out.GetText();
    EXPECT_GT(runner.GetBeatsToNextWork(), 1);
}

// The document is not written, so what fired is remembered beside it.
TEST_F(CHeadlessRunnerTest, ARunStartedAgainDoesNotFireTheSameOccurrenceTwice)
{
    const std::string strBefore = ReadFileBytes(kExample);
    ASSERT_TRUE(MakeRunner(kExample).Start());
    RunSeconds(5);
    ASSERT_EQ(m_device.m_sent.size(), 1u);
    ASSERT_TRUE(MakeRunner(kExample).Start());
    RunSeconds(30);
    EXPECT_EQ(CountOf(m_out.GetText(), " fired "), 1) << m_out.GetText();
    EXPECT_EQ(m_device.m_sent.size(), 1u);
    EXPECT_EQ(ReadFileBytes(kExample), strBefore);
}

// A lirc device pulled out before Wake fires: --run says so and STATUS names it unplugged;
// plugged back in under a new number, STATUS names it again without a restart.
TEST_F(CHeadlessRunnerTest, AnUnpluggedDeviceIsSaidAndFoundAgain)
{
    const std::string strUsb = "mceusb at /sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0";
    CFakeLircSystem system;
    CFakeLircSystem::SDevice& fake = system.AddDevice("/dev/lirc0");
    fake.strIdentity = strUsb;
    std::string strError;
    const auto pDevice = CLircDevice::Open(system, "/dev/lirc0", strError);
    ASSERT_NE(pDevice, nullptr) << strError;
    CHeadlessRunner runner(kExample, *pDevice, m_clock, m_ticks, m_out.Get(), m_err.Get());
    ASSERT_TRUE(runner.Start());
    fake.bUnplugged = true;
    for (int nSecond = 0; nSecond < 5; ++nSecond)
    {
        runner.Tick();
        m_time.Advance(1000);
    }
    EXPECT_NE(m_err.GetText().find("Power:  lirc /dev/lirc0, send and receive stopped answering "
                                   "while sending: it was unplugged, waiting for it to come back"),
              std::string::npos)
        << m_err.GetText();
    EXPECT_NE(m_out.GetText().find("1998-03-02 07:00:00 failed Wake (remote TV, button Power)\n"),
              std::string::npos)
        << m_out.GetText();
    EXPECT_EQ(runner.GetStatus().strDevice, "lirc /dev/lirc0, unplugged, waiting for it");

    system.AddDevice("/dev/lirc1").strIdentity = strUsb;
    EXPECT_EQ(runner.GetStatus().strDevice, "lirc /dev/lirc1, send and receive");
}

// A receiver on lirc0 and an emitter on lirc1, taken by --device lirc: the scheduled event and
// a button fired from the control socket (--send) go out of the emitter, and STATUS names both.
TEST_F(CHeadlessRunnerTest, FiresOutOfTheEmitterBesideAReceiver)
{
    CFakeLircSystem system;
    CFakeLircSystem::SDevice& receiver = system.AddDevice("/dev/lirc0");
    receiver.nFeatures = LIRC_CAN_REC_MODE2;
    CFakeLircSystem::SDevice& emitter = system.AddDevice("/dev/lirc1");
    emitter.nFeatures = LIRC_CAN_SEND_PULSE;
    std::string strError;
    const auto pDevice = OpenLircDevices(system, "", strError);
    ASSERT_NE(pDevice, nullptr) << strError;
    m_pRunner = std::make_unique<CHeadlessRunner>(kExample, *pDevice, m_clock, m_ticks, m_out.Get(),
                                                  m_err.Get());
    ASSERT_TRUE(m_pRunner->Start());
    RunSeconds(5);
    EXPECT_NE(m_out.GetText().find("fired Wake (remote TV, button Power)"), std::string::npos)
        << m_out.GetText();
    ASSERT_EQ(emitter.writeCounts.size(), 1u);

    const SControlResult result = m_pRunner->Fire("TV", "Power");
    EXPECT_TRUE(result.IsOk()) << result.strText;
    EXPECT_EQ(emitter.writeCounts.size(), 2u);
    EXPECT_TRUE(receiver.written.empty());
    EXPECT_EQ(m_err.GetText(), "");
    EXPECT_EQ(m_pRunner->GetStatus().strDevice, "lirc /dev/lirc1 (send), /dev/lirc0 (receive)");
}

TEST_F(CHeadlessRunnerTest, FileThatCannotBeOpenedStopsTheRun)
{
    const CTempFolder folder;
    EXPECT_FALSE(MakeRunner(folder.File("missing.qb")).Start());
    EXPECT_NE(m_err.GetText().find("missing.qb"), std::string::npos);
    EXPECT_EQ(m_out.GetText(), "");
}

// Show plays A and B a second apart at 07:00; the file is replaced while it plays.
class CHeadlessReloadTest : public CHeadlessRunnerTest
{
protected:
    static void WriteDocument(const std::string& strPath, bool bWithLate,
                              int nShowFrequency = kFrequencyDaily,
                              const CTime& showLastFired = CTime::NeverFired())
    {
        CListingTestDocument document;
        CRemote& tv = document.AddRemote("TV", 0);
        CRemoteButton& a = document.AddButton(tv, "A", "\x01");
        CRemoteButton& b = document.AddButton(tv, "B", "\x02");
        CRemoteButton& show = document.AddMegabutton(tv, "Show", kNotPlacedColumn, kNotPlacedRow);
        show.m_steps = {{&tv, &a, 1}, {&tv, &b, 1}};
        document.AddEvent("Show", CTime(1998, 3, 2, 7, 0, 0), nShowFrequency, tv, show)
            .m_lastFired = showLastFired;
        if (bWithLate)
            document.AddEvent("Late", CTime(1998, 3, 2, 22, 0, 0), kFrequencyDaily, tv, a);
        ASSERT_TRUE(document.m_doc.OnSaveDocument(strPath));
    }

    CTempFolder m_folder;
    std::string m_strPath = m_folder.File("show.qb");
};

TEST_F(CHeadlessReloadTest, StepsPrintAsSentAndTheReloadWaitsForTheFiring)
{
    WriteDocument(m_strPath, false);
    CHeadlessRunner& runner = MakeRunner(m_strPath);
    bool bReplaced = false;
    std::uint32_t nLongestWait = 0;
    runner.SetIdleWait(
        [&](std::uint32_t nMaxWaitMs)
        {
            nLongestWait = std::max(nLongestWait, nMaxWaitMs);
            if (!bReplaced)
            {
                bReplaced = true;
                WriteDocument(m_strPath, true);
            }
            m_time.Advance(50);
        });
    ASSERT_TRUE(runner.Start());
    RunSeconds(6);

    const std::string strOut = m_out.GetText();
    const auto nFired = strOut.find("1998-03-02 07:00:00 fired Show (remote TV, button Show)\n");
    const auto nFirstStep = strOut.find("1998-03-02 07:00:00   step (remote TV, button A)\n");
    const auto nSecondStep = strOut.find("1998-03-02 07:00:01   step (remote TV, button B)\n");
    const auto nReloaded = strOut.find("Reloaded " + m_strPath + "\n");
    ASSERT_NE(nFired, std::string::npos) << strOut;
    EXPECT_LT(nFired, nFirstStep);
    EXPECT_LT(nFirstStep, nSecondStep);
    ASSERT_NE(nSecondStep, std::string::npos) << strOut;
    ASSERT_NE(nReloaded, std::string::npos) << strOut;
    EXPECT_LT(nSecondStep, nReloaded);
    // Reloaded within the minute it fired in, Show is not fired a second time.
    EXPECT_EQ(CountOf(strOut, " fired "), 1);
    EXPECT_NE(strOut.find("Late                             1998-03-02 22:00  ARMED\n", nReloaded),
              std::string::npos)
        << strOut;
    EXPECT_NE(strOut.find("Show                             1998-03-03 07:00  Active\n", nReloaded),
              std::string::npos);
    EXPECT_EQ(m_device.m_sent.size(), 2u);
    // A step's one-second wait may be slept through, but never past the timer's next beat.
    EXPECT_GT(nLongestWait, 0u);
    EXPECT_LE(nLongestWait, 1000u);
}

// A file saved into place, or written in place and closed, is loaded as soon as the watch says
// so, with no beat between: a script that imports a button and then sends it finds it there.
TEST_F(CHeadlessReloadTest, AFileWrittenWholeIsLoadedBeforeTheNextBeat)
{
    WriteDocument(m_strPath, false);
    const std::string strWithoutLate = ReadFileBytes(m_strPath);
    CHeadlessRunner& runner = MakeRunner(m_strPath);
    ASSERT_TRUE(runner.Start());
    CDocumentWatch watch(m_strPath, [&runner] { runner.OnFileWritten(); });
    CWatchedSource* const sources[] = {&watch};

    WriteDocument(m_strPath, true);
    ServeSources(sources, 1000);
    EXPECT_NE(runner.GetDocument().FindEvent("Late"), nullptr) << m_out.GetText();
    WriteFileBytes(m_strPath, strWithoutLate);
    ServeSources(sources, 1000);
    EXPECT_EQ(runner.GetDocument().FindEvent("Late"), nullptr) << m_out.GetText();
    EXPECT_EQ(CountOf(m_out.GetText(), "Reloaded "), 2) << m_out.GetText();
}

// The file still holds a one-time event that fired and was deleted in this run; neither a
// reload nor a reload after a failed one brings that occurrence back.
TEST_F(CHeadlessReloadTest, FiredOccurrenceStaysFiredAcrossReloads)
{
    WriteDocument(m_strPath, false, kFrequencyOnce);
    CHeadlessRunner& runner = MakeRunner(m_strPath);
    runner.SetIdleWait([&](std::uint32_t) { m_time.Advance(50); });
    ASSERT_TRUE(runner.Start());
    RunSeconds(5);
    ASSERT_EQ(runner.GetDocument().FindEvent("Show"), nullptr);
    WriteDocument(m_strPath, false, kFrequencyOnce);
    RunSeconds(3);
    WriteFileBytes(m_strPath, "QB");
    RunSeconds(3);
    WriteDocument(m_strPath, false, kFrequencyOnce);
    RunSeconds(3);

    const std::string strOut = m_out.GetText();
    EXPECT_EQ(CountOf(strOut, "Reloaded "), 2) << strOut;
    EXPECT_EQ(CountOf(strOut, "Reloading "), 1) << strOut;
    EXPECT_EQ(CountOf(strOut, " fired "), 1) << strOut;
}

// Show fired the day before, and the run starts after this morning's occurrence: it stays missed
// (in STATUS, the broker's status and the list, all read from one record) when the file is read
// again, until it fires.
TEST_F(CHeadlessReloadTest, AMissedOccurrenceStaysMissedAcrossReloads)
{
    WriteDocument(m_strPath, false, kFrequencyDaily, CTime(1998, 3, 1, 7, 0, 0));
    m_time.Advance(10 * 60 * 1000);
    CHeadlessRunner& runner = MakeRunner(m_strPath);
    ASSERT_TRUE(runner.Start());
    RunSeconds(3);
    ASSERT_EQ(runner.GetStatus().missed.size(), 1u) << m_out.GetText();
    WriteDocument(m_strPath, true, kFrequencyDaily, CTime(1998, 3, 1, 7, 0, 0));
    RunSeconds(3);

    const std::string strOut = m_out.GetText();
    ASSERT_EQ(CountOf(strOut, "Reloaded "), 1) << strOut;
    const auto missed = runner.GetStatus().missed;
    ASSERT_EQ(missed.size(), 1u) << strOut;
    EXPECT_EQ(missed[0], (std::pair<std::string, std::string>{"Show", "1998-03-02 07:00"}));
}

// A device that tells another thread when it has sent something.
class CSignallingDevice : public CRecordingDevice
{
public:
    using CRecordingDevice::CRecordingDevice;
    void TransmitBitstream(const std::uint8_t* pSrc, std::uint32_t nLength) override
    {
        CRecordingDevice::TransmitBitstream(pSrc, nLength);
        m_bSent = true;
    }
    std::atomic<bool> m_bSent = false;
};

// The whole run, signals included, on a simulated clock in real time: about two seconds.
TEST(RunHeadlessTest, FiresOnTimeAndStopsCleanlyOnSigterm)
{
    const CScopedTimeZone zone("Europe/Berlin");
    CSimulatedClock clock(CTime(1998, 3, 2, 6, 59, 59));
    CScriptedTickSource ticks;
    CSignallingDevice device(ticks);
    CCapturedStream out;
    CCapturedStream err;
    // Stop once the event has fired, however busy the machine; give up after a while so that
    // a run that never fires still ends.
    std::thread stopper(
        [&device]
        {
            for (int nWait = 0; nWait < 300 && !device.m_bSent; ++nWait)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            std::raise(SIGTERM);
        });
    const CPrivateRuntime runtime;
    CControlServer server;
    std::string strError;
    ASSERT_EQ(server.Claim(strError), CControlServer::EClaim::Claimed) << strError;
    const int nStatus = RunHeadless(kExample, device, clock, server, {}, out.Get(), err.Get());
    stopper.join();
    EXPECT_EQ(nStatus, 0);
    const std::string strOut = out.GetText();
    // A busy machine may start the run late into its first second.
    EXPECT_NE(strOut.find("1998-03-02 07:00:0"), std::string::npos) << strOut;
    EXPECT_EQ(CountOf(strOut, " fired Wake (remote TV, button Power)\n"), 1) << strOut;
    EXPECT_TRUE(strOut.ends_with("Stopped\n")) << strOut;
    EXPECT_EQ(device.m_sent.size(), 1u);
}
} // namespace
