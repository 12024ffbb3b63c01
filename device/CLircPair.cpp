#include "device/CLircPair.h"

#include "device/CLircSystem.h"

#include <utility>
#include <vector>

namespace
{
std::string DescribeRole(const CLircDevice& device, const char* pszRole)
{
    std::string strRole = device.GetPath() + " (" + pszRole;
    if (device.IsAwaitingReplug())
        strRole += ", " + std::string(CLircDevice::kUnpluggedText);
    return strRole + ")";
}

// The first device that can send and the first that can receive, in the order the kernel
// numbers them; devices after those two are left alone.
std::unique_ptr<CInfraredDevice> OpenFirst(CLircSystem& system, std::string& strError)
{
    std::vector<std::unique_ptr<CLircDevice>> chosen;
    bool bSend = false;
    bool bReceive = false;
    std::string strReasons;
    for (const std::string& strPath : system.ListDevices())
    {
        if (bSend && bReceive)
            break;
        std::string strReason;
        std::unique_ptr<CLircDevice> pDevice = CLircDevice::Open(system, strPath, strReason);
        if (!pDevice)
            strReasons += (strReasons.empty() ? "" : "; ") + strReason;
        else if ((!bSend && pDevice->CanSend()) || (!bReceive && pDevice->CanReceive()))
        {
            bSend = bSend || pDevice->CanSend();
            bReceive = bReceive || pDevice->CanReceive();
            chosen.push_back(std::move(pDevice));
        }
    }
    if (chosen.size() == 2)
    {
        const std::size_t nSender = chosen[0]->CanSend() ? 0 : 1;
        return std::make_unique<CLircPair>(std::move(chosen[nSender]),
                                           std::move(chosen[1 - nSender]));
    }
    if (!chosen.empty())
        return std::move(chosen.front());
    strError = strReasons.empty() ? "no lirc device (/dev/lirc0, ...) on this computer"
                                  : "no lirc device can be used: " + strReasons;
    return nullptr;
}

// One device named for both: should it do only one, a refusal names another that does the other.
std::unique_ptr<CInfraredDevice> OpenOne(CLircSystem& system, const std::string& strPath,
                                         std::string& strError)
{
    std::unique_ptr<CLircDevice> pDevice = CLircDevice::Open(system, strPath, strError);
    if (!pDevice || (pDevice->CanSend() && pDevice->CanReceive()))
        return pDevice;
    for (const std::string& strOther : system.ListDevices())
    {
        std::string strIgnored;
        const auto pOther =
            strOther == strPath ? nullptr : CLircDevice::Open(system, strOther, strIgnored);
        if (pOther && (pDevice->CanSend() ? pOther->CanReceive() : pOther->CanSend()))
        {
            pDevice->SetComplement(strOther);
            break;
        }
    }
    return pDevice;
}

bool Refuses(const std::unique_ptr<CLircDevice>& pDevice, bool bSend, std::string& strError)
{
    if (!pDevice || (bSend ? pDevice->CanSend() : pDevice->CanReceive()))
        return !pDevice;
    strError = pDevice->GetPath() + (bSend ? " cannot be the emitter: it only receives infrared"
                                           : " cannot be the receiver: it only sends infrared");
    return true;
}

std::unique_ptr<CInfraredDevice> OpenTwo(CLircSystem& system, const std::string& strSender,
                                         const std::string& strReceiver, std::string& strError)
{
    if (strSender == strReceiver)
        return OpenOne(system, strSender, strError);
    std::unique_ptr<CLircDevice> pSender = CLircDevice::Open(system, strSender, strError);
    if (Refuses(pSender, true, strError))
        return nullptr;
    std::unique_ptr<CLircDevice> pReceiver = CLircDevice::Open(system, strReceiver, strError);
    if (Refuses(pReceiver, false, strError))
        return nullptr;
    return std::make_unique<CLircPair>(std::move(pSender), std::move(pReceiver));
}
} // namespace

CLircPair::CLircPair(std::unique_ptr<CLircDevice> pSender, std::unique_ptr<CLircDevice> pReceiver)
    : m_pSender(std::move(pSender)), m_pReceiver(std::move(pReceiver))
{
    m_dCaptureNanosPerSample = CLircDevice::kNanosPerSample;
    m_dTransmitNanosPerSample = CLircDevice::kNanosPerSample;
    UpdateName();
}

void CLircPair::TakeNews(const CInfraredDevice& device)
{
    m_strFault = device.GetLastFault();
    m_strNotice = device.GetLastNotice();
    UpdateName();
}

void CLircPair::UpdateName()
{
    m_strName =
        "lirc " + DescribeRole(*m_pSender, "send") + ", " + DescribeRole(*m_pReceiver, "receive");
}

void CLircPair::EnableDetector()
{
    m_pReceiver->EnableDetector();
    TakeNews(*m_pReceiver);
}

int CLircPair::ReadDetectorLine()
{
    const int nLine = m_pReceiver->ReadDetectorLine();
    TakeNews(*m_pReceiver);
    return nLine;
}

bool CLircPair::WaitForDetectorLine(bool bHigh, int nMaxWaitMs)
{
    const bool bReached = m_pReceiver->WaitForDetectorLine(bHigh, nMaxWaitMs);
    TakeNews(*m_pReceiver);
    return bReached;
}

void CLircPair::CaptureBitstream(std::uint8_t* pDest, std::uint32_t& nLength)
{
    m_pReceiver->CaptureBitstream(pDest, nLength);
    TakeNews(*m_pReceiver);
}

void CLircPair::TransmitBitstream(const std::uint8_t* pSrc, std::uint32_t nLength)
{
    m_pSender->TransmitBitstream(pSrc, nLength);
    TakeNews(*m_pSender);
}

void CLircPair::TransmitTimedFrames(const CTimedFrames& frames, double dNanosPerSample)
{
    m_pSender->TransmitTimedFrames(frames, dNanosPerSample);
    TakeNews(*m_pSender);
}

double CLircPair::LoopBackBitstream(std::uint8_t* pBits, std::uint32_t nLength)
{
    const double dNanos = PlayAndHearBack(*m_pSender, *m_pReceiver, pBits, nLength);
    TakeNews(m_pSender->GetLastFault().empty() ? *m_pReceiver : *m_pSender);
    return dNanos;
}

void CLircPair::Revive()
{
    m_pSender->Revive();
    m_pReceiver->Revive();
    UpdateName();
}

std::unique_ptr<CInfraredDevice> OpenLircDevices(CLircSystem& system, const std::string& strPaths,
                                                 std::string& strError)
{
    if (strPaths.empty())
        return OpenFirst(system, strError);
    const std::size_t nComma = strPaths.find(',');
    if (nComma == std::string::npos)
        return OpenOne(system, strPaths, strError);
    const std::string strSender = strPaths.substr(0, nComma);
    const std::string strReceiver = strPaths.substr(nComma + 1);
    if (strSender.empty() || strReceiver.empty())
    {
        strError = "\"" + strPaths +
                   "\" lacks the emitter or the receiver (write the emitter "
                   "first: /dev/lirc1,/dev/lirc0)";
        return nullptr;
    }
    return OpenTwo(system, strSender, strReceiver, strError);
}
