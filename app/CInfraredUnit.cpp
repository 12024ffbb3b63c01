#include "app/CInfraredUnit.h"

#include "device/CDeviceFactory.h"
#include "device/CInfraredDevice.h"
#include "device/CLircPair.h"
#include "device/CSimulatedRemote.h"
#include "device/PortTable.h"
#include "engine/CTickSource.h"

#include <cstdio>

CInfraredUnit::CInfraredUnit(std::string strStartBackend, CTickSource& ticks, CLircSystem& lirc)
    : m_strStartBackend(std::move(strStartBackend)), m_ticks(ticks), m_lirc(lirc)
{
}

CInfraredUnit::~CInfraredUnit() = default;

bool CInfraredUnit::Open(const std::string& strChosen, int nPort,
                         const CFallbackQuestion& askFallback)
{
    std::string strError;
    // A unit asked for at start must be had.
    m_strBackend = m_strStartBackend.empty() ? strChosen : m_strStartBackend;
    m_pDevice = CreateInfraredDevice(m_strBackend, nPort, m_lirc, strError);
    if (!m_pDevice && m_strStartBackend.empty() && !m_strBackend.empty())
    {
        std::fprintf(stderr, "quorbit: %s; going on without it\n", strError.c_str());
        m_strBackend.clear();
        m_pDevice = CreateInfraredDevice(m_strBackend, nPort, m_lirc, strError);
    }
    // Infrared devices that are there but cannot be used are named, with the reason, and the
    // person decides whether the simulated unit stands in: events would fire into nothing.
    if (!m_pDevice && m_strStartBackend.empty())
    {
        if (!askFallback(strError))
        {
            std::fprintf(stderr, "quorbit: %s\n", strError.c_str());
            return false;
        }
        std::fprintf(stderr, "quorbit: %s; the simulated unit stands in for it\n",
                     strError.c_str());
        m_strBackend = "sim";
        m_pDevice = CreateInfraredDevice(m_strBackend, nPort, m_lirc, strError);
    }
    if (!m_pDevice)
    {
        std::fprintf(stderr, "quorbit: %s\n", strError.c_str());
        return false;
    }
    TimeSimulatedPresses();
    return true;
}

void CInfraredUnit::TimeSimulatedPresses()
{
    // Someone trying the program without a unit sees the Button Recorder wait, and may cancel,
    // before the simulated remote is pressed.
    if (CSimulatedRemote* pRemote = FindSimulatedRemote(*m_pDevice))
        pRemote->SetMillisecondCount([this] { return m_ticks.GetTickCount(); });
}

bool CInfraredUnit::SelectPort(int nPort, bool bMaskInterrupts, std::string& strError)
{
    if (!IsValidPort(nPort))
        return true;
    return SelectDevice(m_strBackend, nPort, bMaskInterrupts, strError);
}

bool CInfraredUnit::SelectDevice(const std::string& strBackend, int nPort, bool bMaskInterrupts,
                                 std::string& strError)
{
    // Only the port backends asked for at start reach ports their own way.
    const bool bPortBackend = m_strStartBackend == "ppdev" || m_strStartBackend == "direct";
    const std::string strNewBackend =
        strBackend.empty() && bPortBackend ? m_strStartBackend : strBackend;
    // The kernel lends a port to one holder at a time: the device in use lets go of its port
    // before the new one is opened, also when the port stays the same.
    const int nOldPort = m_pDevice->GetPort();
    m_pDevice.reset();
    m_pDevice = CreateInfraredDevice(strNewBackend, IsValidPort(nPort) ? nPort : nOldPort, m_lirc,
                                     strError);
    const bool bSelected = m_pDevice != nullptr;
    if (bSelected)
        m_strBackend = strNewBackend;
    else
    {
        std::string strIgnored;
        m_pDevice = CreateInfraredDevice(m_strBackend, nOldPort, m_lirc, strIgnored);
        if (!m_pDevice)
            m_pDevice = CreateInfraredDevice("sim", nOldPort, m_lirc, strIgnored);
    }
    m_pDevice->SelectPort(m_pDevice->GetPort(), bMaskInterrupts);
    TimeSimulatedPresses();
    m_onMoved(*m_pDevice);
    return bSelected;
}

std::string CInfraredUnit::GetBackendInUse() const
{
    if (FindSimulatedPort(*m_pDevice))
        return "sim";
    const std::string strPrefix(CLircDevice::kBackendPrefix);
    if (const auto* pPair = dynamic_cast<const CLircPair*>(m_pDevice.get()))
        return strPrefix + pPair->GetSender().GetPath() + "," + pPair->GetReceiver().GetPath();
    if (const auto* pLirc = dynamic_cast<const CLircDevice*>(m_pDevice.get()))
        return strPrefix + pLirc->GetPath();
    return {};
}
