#include "cli/LearnCommand.h"

#include "base/TextEncoding.h"
#include "cli/CLoadedDocument.h"
#include "cli/ControlCommands.h"
#include "cli/ExchangeCommands.h"
#include "cli/SignalCommands.h"
#include "common/SignalStore.h"
#include "device/CDeviceFactory.h"
#include "device/CInfraredDevice.h"
#include "device/COsClock.h"
#include "device/CSimulatedRemote.h"
#include "device/SamplePeriod.h"
#include "signal/ExchangeText.h"
#include "signal/PressConsensus.h"
#include "signal/SignalDurations.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

namespace
{
using CDurations = std::vector<std::uint32_t>;
using CSteadyClock = std::chrono::steady_clock;

// How long a press is awaited before the learning is given up, so that a script does not
// hang on a unit nobody points a remote at.
constexpr int kPressWaitSeconds = 30;

int GetPresses(const SCommandLine& commandLine)
{
    if (commandLine.strPresses.empty())
        return kDefaultPresses;
    return static_cast<int>(ParseDecimal(commandLine.strPresses, kMaxPresses));
}

// Waits until the detector line reads high (no infrared) or low; false when the deadline
// passed first. A device that failed meanwhile ends the wait: its fault says why.
bool WaitForLine(CInfraredDevice& device, bool bHigh, CSteadyClock::time_point deadline)
{
    while (CSteadyClock::now() < deadline && device.GetLastFault().empty())
    {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - CSteadyClock::now());
        if (device.WaitForDetectorLine(bHigh, static_cast<int>(left.count())))
            return true;
    }
    return false;
}

// One press, from the moment the line first shows infrared; false when none came in time or
// the device failed (its fault says why).
bool RecordPress(CInfraredDevice& device, std::vector<std::uint8_t>& field, CDurations& durations)
{
    device.EnableDetector();
    const auto deadline = CSteadyClock::now() + std::chrono::seconds(kPressWaitSeconds);
    // A line already low is first awaited high, so that the recording starts at a fall.
    if (!WaitForLine(device, true, deadline) || !WaitForLine(device, false, deadline))
        return false;
    std::uint32_t nLength = kBitstreamBytes;
    device.CaptureBitstream(field.data(), nLength);
    if (!device.GetLastFault().empty())
        return false;
    if (!device.GetLastNotice().empty())
        std::fprintf(stderr, "\nquorbit: %s\n", device.GetLastNotice().c_str());
    const std::size_t nBytes = std::min<std::size_t>(nLength, kBitstreamBytes);
    durations = ToDurations(CBitstream(std::span<const std::uint8_t>(field.data(), nBytes)),
                            GetMachineNanosPerSample(device));
    return true;
}

bool RecordPresses(CInfraredDevice& device, const std::string& strButton, int nPresses,
                   std::vector<CDurations>& presses)
{
    std::vector<std::uint8_t> field(kBitstreamBytes);
    for (int nPress = 1; nPress <= nPresses; ++nPress)
    {
        std::fprintf(stderr, "Press %s on the remote (%d of %d)… ", strButton.c_str(), nPress,
                     nPresses);
        CDurations durations;
        if (!RecordPress(device, field, durations))
        {
            std::fputs("\n", stderr);
            if (!device.GetLastFault().empty())
                return FailCommand(device.GetLastFault() + "; nothing was written");
            return FailCommand("no signal came within " + std::to_string(kPressWaitSeconds) +
                               " seconds; nothing was written");
        }
        std::fprintf(stderr, "heard %s\n", DescribeSignal(DecodeSignal(durations)).c_str());
        presses.push_back(std::move(durations));
    }
    return true;
}

// Says what the consensus made of each press; false when too few of them agreed.
bool ReportConsensus(const SPressConsensus& consensus, std::size_t nPresses)
{
    std::size_t nLeftOut = 0;
    for (const SPressNote& note : consensus.notes)
    {
        nLeftOut += note.bLeftOut ? 1 : 0;
        std::fprintf(stderr, "quorbit: press %zu %s: %s\n", note.nPress + 1,
                     note.bLeftOut ? "left out" : "mended", note.strReason.c_str());
    }
    if (consensus.bAgreed)
        return true;
    return FailCommand("no more than half of the presses agree (" +
                       std::to_string(nPresses - nLeftOut) + " of " + std::to_string(nPresses) +
                       "); nothing was written");
}

// Without a unit on the port the simulated remote does the pressing, of one button all along,
// as the person asked to would.
void HoldSimulatedRemote(CInfraredDevice& device)
{
    if (CSimulatedRemote* pRemote = FindSimulatedRemote(device))
    {
        pRemote->SetRepeatCommand(true);
        std::fputs("quorbit: the simulated unit's remote presses the button for you, the same one "
                   "each time\n",
                   stderr);
    }
}

bool Learn(const SLearnRequest& request, CInfraredDevice& device)
{
    COsClock osClock;
    CLoadedDocument loaded(osClock);
    if (!loaded.OpenToChange(request.strDocument))
        return false;
    CRemote* pRemote =
        FindRemoteArgument(loaded.GetDocument(), request.strDocument, request.strRemote);
    if (!pRemote)
        return false;
    std::vector<SExchangeCode> codes(1);
    std::string strReason;
    if (!ToDocumentName(request.strButton, codes[0].strName, strReason))
        return FailCommand("the button name \"" + request.strButton + "\" " + strReason);
    strReason = FindSignalRefusal(*pRemote, codes[0].strName);
    if (!strReason.empty())
        return FailCommand(strReason);
    if (!CheckRoom(*pRemote, codes, false))
        return false;

    HoldSimulatedRemote(device);
    const std::string strShown = ToDisplayText(codes[0].strName);
    std::vector<CDurations> presses;
    if (!RecordPresses(device, strShown, request.nPresses, presses))
        return false;
    const SPressConsensus consensus = FindConsensus(presses);
    if (!ReportConsensus(consensus, presses.size()))
        return false;
    codes[0].durations = consensus.durations;
    // Said before the store, which adds what became of the button.
    std::printf("%s: %s, from %zu %s.\n", strShown.c_str(),
                DescribeSignal(consensus.decoded).c_str(), presses.size(),
                presses.size() == 1 ? "press" : "presses");
    return StoreSignals(loaded, *pRemote, codes, GetMachineNanosPerSample(device),
                        request.strDocument);
}
} // namespace

bool CheckLearnOptions(const SCommandLine& commandLine, std::string& strError)
{
    if (commandLine.strPresses.empty())
        return true;
    if (commandLine.nCommand != ECommand::Learn)
        strError = "--presses goes with --learn";
    else if (GetPresses(commandLine) == 0)
        strError = "--presses takes a count from 1 to " + std::to_string(kMaxPresses) + ", not \"" +
                   commandLine.strPresses + "\"";
    return strError.empty();
}

int LearnButton(const SLearnRequest& request, CInfraredDevice& device)
{
    return Learn(request, device) ? 0 : 1;
}

int RunLearnCommand(const SCommandLine& commandLine)
{
    if (RefuseBesideRunning("learn the button there (Remote Builder, Learn), or close it first"))
        return 1;
    const std::unique_ptr<CInfraredDevice> pDevice = OpenInfraredUnit(commandLine);
    if (!pDevice)
        return 1;
    const std::vector<std::string>& files = commandLine.files;
    return LearnButton({files[0], files[1], files[2], GetPresses(commandLine)}, *pDevice);
}
