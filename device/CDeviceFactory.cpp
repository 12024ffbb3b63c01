#include "device/CDeviceFactory.h"

#include "device/CDirectPort.h"
#include "device/CLircDevice.h"
#include "device/CLircPair.h"
#include "device/CLircSystem.h"
#include "device/COsClock.h"
#include "device/CPortDevice.h"
#include "device/CPpdevPort.h"
#include "device/CRtcClock.h"
#include "device/CSimulatedClock.h"
#include "device/CSimulatedPort.h"

namespace
{
template <typename TPort> std::unique_ptr<CInfraredDevice> MakeDevice(TPort port, int nPort)
{
    auto pDevice = std::make_unique<CPortDevice<TPort>>(std::move(port));
    pDevice->SelectPort(nPort, pDevice->GetMaskInterrupts());
    return pDevice;
}

std::unique_ptr<CInfraredDevice> OpenPpdev(int nPort, std::string& strError)
{
    std::optional<CPpdevPort> port = CPpdevPort::Open(nPort, strError);
    return port ? MakeDevice(std::move(*port), nPort) : nullptr;
}

// Direct access is only chosen unasked when a port is really there: with nothing at the
// address every sample would read as idle and nobody would know why.
std::unique_ptr<CInfraredDevice> OpenDirect(int nPort, bool bMustAnswer, std::string& strError)
{
    std::optional<CDirectPort> port = CDirectPort::Open(strError);
    if (!port)
        return nullptr;
    if (bMustAnswer && !port->Answers(GetPortRegisters(nPort).nData))
        return nullptr;
    return MakeDevice(std::move(*port), nPort);
}

std::unique_ptr<CInfraredDevice> OpenBest(int nPort, CLircSystem& lirc, std::string& strError)
{
    std::string strIgnored;
    if (auto pDevice = OpenPpdev(nPort, strIgnored))
        return pDevice;
    // A port the kernel drives but ppdev could not have is in someone else's hands: probing
    // its registers directly would disturb them.
    const bool bKernelPort = CPpdevPort::FindDeviceNumber(GetPortRegisters(nPort).nData) >= 0;
    if (auto pDevice = bKernelPort ? nullptr : OpenDirect(nPort, true, strIgnored))
        return pDevice;
    if (auto pDevice = OpenLircDevices(lirc, "", strError))
        return pDevice;
    // Events fired into a simulated unit while the real one is there would be lost unseen.
    if (!lirc.ListDevices().empty())
        return nullptr;
    strError.clear();
    return MakeDevice(CSimulatedPort(), nPort);
}
} // namespace

std::unique_ptr<CInfraredDevice> CreateInfraredDevice(const std::string& strBackend,
                                                      int nRequestedPort, std::string& strError)
{
    return CreateInfraredDevice(strBackend, nRequestedPort, GetKernelLircSystem(), strError);
}

std::unique_ptr<CInfraredDevice> CreateInfraredDevice(const std::string& strBackend,
                                                      int nRequestedPort, CLircSystem& lirc,
                                                      std::string& strError)
{
    // Like SelectPort, a port number out of range leaves the first port in use.
    const int nPort = IsValidPort(nRequestedPort) ? nRequestedPort : 1;
    if (strBackend.empty())
        return OpenBest(nPort, lirc, strError);
    if (strBackend == "sim")
        return MakeDevice(CSimulatedPort(), nPort);
    if (strBackend == "ppdev")
        return OpenPpdev(nPort, strError);
    if (strBackend == "direct")
        return OpenDirect(nPort, false, strError);
    if (strBackend == "lirc")
        return OpenLircDevices(lirc, "", strError);
    if (strBackend.starts_with(CLircDevice::kBackendPrefix) &&
        strBackend.size() > CLircDevice::kBackendPrefix.size())
        return OpenLircDevices(lirc, strBackend.substr(CLircDevice::kBackendPrefix.size()),
                               strError);
    strError =
        "unknown infrared device \"" + strBackend +
        "\" (choose sim, ppdev, direct, lirc, lirc:/dev/lircN or lirc:/dev/lircN,/dev/lircM)";
    return nullptr;
}

CSimulatedPort* FindSimulatedPort(CInfraredDevice& device)
{
    auto* pSimulated = dynamic_cast<CPortDevice<CSimulatedPort>*>(&device);
    return pSimulated ? &pSimulated->GetPortBackend() : nullptr;
}

CSimulatedRemote* FindSimulatedRemote(CInfraredDevice& device)
{
    CSimulatedPort* pPort = FindSimulatedPort(device);
    return pPort ? &pPort->GetRemote() : nullptr;
}

std::unique_ptr<CClockBackend> CreateClockBackend(const std::string& strClockStart,
                                                  std::string& strError)
{
    if (!strClockStart.empty())
    {
        const std::optional<CTime> start = CSimulatedClock::ParseStart(strClockStart);
        if (start)
            return std::make_unique<CSimulatedClock>(*start);
        strError = "clock start \"" + strClockStart +
                   "\" is not a local time written YYYY-MM-DD HH:MM:SS (from 1970 on)";
        return nullptr;
    }
    std::string strIgnored;
    if (std::unique_ptr<CRtcClock> pRtc = CRtcClock::Open(strIgnored))
        return pRtc;
    return std::make_unique<COsClock>();
}
