#include "cli/SelfTest.h"

#include "cli/ControlCommands.h"
#include "cli/ExchangeCommands.h"
#include "device/CDeviceFactory.h"
#include "device/CInfraredDevice.h"
#include "device/CSimulatedPort.h"
#include "device/SamplePeriod.h"
#include "signal/SignalDurations.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>
#include <vector>

namespace
{
using CDurations = std::vector<std::uint32_t>;

// The simulated remote's frame, with a command whose bits hold both values in both bytes.
constexpr std::uint8_t kTestCommand = 0x5A;
// Silence before the frame, while a freshly powered detector settles; anything it reports in
// the first half is ignored. Silence after it shows a detector that holds a mark too long.
constexpr std::uint32_t kLeadMicros = 20000;
constexpr std::uint32_t kTailMicros = 10000;
// Bytes of silence that time the test loop before the frame is laid out on its period.
constexpr std::uint32_t kTimingBytes = 2048;
// A real detector lengthens marks and shortens spaces by up to some 150 µs; beyond a quarter of
// a run, or this, receivers would misread it.
constexpr double kToleratedShare = 0.25;
constexpr double kToleratedMicros = 200;

CDurations MakeTestFrame()
{
    const CSimulatedRemote::CRuns runs =
        CSimulatedRemote::MakeFrame(CSimulatedRemote::kAddress, kTestCommand);
    // The frame starts with the remote's own idle lead, which the test lays out itself.
    return CDurations(runs.begin() + 1, runs.end());
}

std::uint32_t BytesFor(std::uint32_t nMicros, double dNanos)
{
    return static_cast<std::uint32_t>(std::ceil(nMicros * 1000.0 / dNanos / 8));
}

std::vector<std::uint8_t> MakePattern(const CDurations& frame, double dNanos)
{
    const CBitstream bits = ToBitstream(frame, dNanos);
    std::vector<std::uint8_t> pattern(BytesFor(kLeadMicros, dNanos));
    pattern.insert(pattern.end(), bits.GetBytes().begin(), bits.GetBytes().end());
    pattern.resize(pattern.size() + BytesFor(kTailMicros, dNanos));
    return pattern;
}

void SayPeriod(const SSamplePeriod& period, bool bSimulated, std::FILE* pOut)
{
    if (period.bNominal)
        std::fprintf(pOut,
                     bSimulated ? "Sample period: %s, the simulated unit's nominal period; its "
                                  "samples are exact, so there is no jitter.\n"
                                : "Sample period: %s; the device measures marks and spaces in "
                                  "microseconds itself, so there is no jitter.\n",
                     FormatMicros(period.dNanos).c_str());
    else
        std::fprintf(pOut,
                     "Sample period: %s, timed over 4096 reads of the detector line; jitter %s "
                     "(the standard deviation of one sample).\n",
                     FormatMicros(period.dNanos).c_str(),
                     FormatMicros(period.dJitterNanos).c_str());
}

// Plays the frame on the unit and gives what the detector heard, as durations at the period of
// the loop that played it.
CDurations PlayAndListen(CInfraredDevice& device, const SSamplePeriod& period,
                         const CDurations& frame, std::FILE* pOut)
{
    // The loop costs a write and a read a sample, more than a capture; it is timed first, on
    // silence, so that the frame plays at its true length.
    std::vector<std::uint8_t> silence(kTimingBytes);
    const double dLoopNanos = device.LoopBackBitstream(silence.data(), kTimingBytes);
    // A unit that plays nothing hears nothing.
    if (dLoopNanos <= 0)
        return {};
    // A loop too fast for the whole pattern to fit a recording plays it on coarser samples:
    // played and heard are still compared sample for sample.
    const std::uint64_t nPatternMicros =
        kLeadMicros + kTailMicros + std::accumulate(frame.begin(), frame.end(), std::uint64_t{0});
    const double dNanos = period.bNominal
                              ? period.dNanos
                              : std::max(dLoopNanos, nPatternMicros * 1000.0 / kBitstreamSamples);
    if (!period.bNominal)
        std::fprintf(pOut, "The test loop, a write and a read each sample, runs at %s a sample.\n",
                     FormatMicros(dLoopNanos).c_str());
    std::vector<std::uint8_t> heard = MakePattern(frame, dNanos);
    device.LoopBackBitstream(heard.data(), static_cast<std::uint32_t>(heard.size()));
    std::fill_n(heard.begin(), BytesFor(kLeadMicros / 2, dNanos), 0);
    return ToDurations(CBitstream(heard), dNanos);
}

// The first run heard too far from what was played; -1 when every run is close enough.
int FindFaultyRun(const CDurations& played, const CDurations& heard, double& dWorstMicros)
{
    dWorstMicros = 0;
    for (std::size_t nRun = 0; nRun < played.size(); ++nRun)
    {
        const double dOff = std::abs(static_cast<double>(heard[nRun]) - played[nRun]);
        dWorstMicros = std::max(dWorstMicros, dOff);
        if (dOff > std::max(kToleratedShare * played[nRun], kToleratedMicros))
            return static_cast<int>(nRun);
    }
    return -1;
}

bool JudgeHeard(const CDurations& played, const CDurations& heard, std::FILE* pOut)
{
    if (heard.empty())
    {
        std::fprintf(pOut, "The detector heard nothing. Check that the unit is plugged in, that "
                           "the emitter faces the detector and that nothing covers either.\n");
        return false;
    }
    if (heard.size() == 1)
    {
        std::fprintf(pOut, "The detector saw infrared without a break: stray light (sun, lamps) "
                           "falls on it, or it is wired the wrong way round.\n");
        return false;
    }
    if (heard.size() != played.size())
    {
        std::fprintf(pOut,
                     "The detector heard %zu marks and spaces where %zu were played: stray light "
                     "(sun, lamps, another remote) or a loose contact breaks the signal up.\n",
                     heard.size(), played.size());
        return false;
    }
    double dWorst = 0;
    const int nFaulty = FindFaultyRun(played, heard, dWorst);
    if (nFaulty >= 0)
    {
        std::fprintf(pOut,
                     "The detector heard every mark and space, but %s %d lasted %u µs where %u µs "
                     "were played: too far off for a receiver to read.\n",
                     nFaulty % 2 == 0 ? "mark" : "space", nFaulty / 2 + 1, heard[nFaulty],
                     played[nFaulty]);
        return false;
    }
    std::fprintf(pOut,
                 "Heard all %zu back, each within %.0f µs of what was played (allowed: a quarter "
                 "of each, at least %.0f µs).\n",
                 heard.size(), dWorst, kToleratedMicros);
    return true;
}
// A device that only sends or only receives cannot hear itself: the test says what it can
// check, and checks that.
bool CheckOneWay(CInfraredDevice& device, const SSamplePeriod& period, std::FILE* pOut)
{
    if (!device.CanSend())
    {
        std::fprintf(pOut, "It only receives, so the test cannot play a frame to it; it checks "
                           "that the receiver listens. Learn a button (--learn) to check what "
                           "it hears.\n");
        device.EnableDetector();
    }
    else
    {
        std::fprintf(pOut, "It only sends, so nothing here can hear the test frame; the test "
                           "checks that the device takes it, not what its emitter gives off.\n");
        const std::vector<std::uint8_t> pattern = MakePattern(MakeTestFrame(), period.dNanos);
        device.TransmitBitstream(pattern.data(), static_cast<std::uint32_t>(pattern.size()));
    }
    const std::string& strFault = device.GetLastFault();
    if (!strFault.empty())
        std::fprintf(pOut, "%s.\nThe unit does not work as it should.\n", strFault.c_str());
    else
        std::fprintf(pOut, "That much works.\n");
    return strFault.empty();
}
} // namespace

bool RunSelfTest(CInfraredDevice& device, std::FILE* pOut)
{
    CSimulatedPort* pSimulated = FindSimulatedPort(device);
    if (pSimulated)
        std::fprintf(pOut,
                     "Infrared unit: %s, its emitter turned to face its detector for the "
                     "test.\n",
                     device.GetBackendName());
    else
        std::fprintf(pOut,
                     "Infrared unit: %s. Its emitter must face its detector, a hand's "
                     "width apart.\n",
                     device.GetBackendName());
    const SSamplePeriod period = MeasureSamplePeriod(device);
    SayPeriod(period, pSimulated != nullptr, pOut);
    if (!device.CanSend() || !device.CanReceive())
        return CheckOneWay(device, period, pOut);

    const CDurations frame = MakeTestFrame();
    const std::uint64_t nFrameMicros =
        std::accumulate(frame.begin(), frame.end(), std::uint64_t{0});
    std::fprintf(pOut,
                 "Playing a test frame of %zu marks and spaces (%.1f ms) through the emitter while "
                 "the detector listens.\n",
                 frame.size(), nFrameMicros / 1000.0);
    if (pSimulated)
        pSimulated->SetEmitterFacing(true);
    const CDurations heard = PlayAndListen(device, period, frame, pOut);
    if (pSimulated)
        pSimulated->SetEmitterFacing(false);
    const std::string& strFault = device.GetLastFault();
    if (!strFault.empty())
        std::fprintf(pOut, "%s.\n", strFault.c_str());
    const bool bWorks = strFault.empty() && JudgeHeard(frame, heard, pOut);
    std::fprintf(pOut, bWorks ? "The unit works.\n" : "The unit does not work as it should.\n");
    return bWorks;
}

int RunSelfTestCommand(const SCommandLine& commandLine)
{
    if (RefuseBesideRunning("close it first"))
        return 1;
    const std::unique_ptr<CInfraredDevice> pDevice = OpenInfraredUnit(commandLine);
    if (!pDevice)
        return 1;
    const bool bWorks = RunSelfTest(*pDevice, stdout);
    return std::fflush(stdout) == 0 && bWorks ? 0 : 1;
}
