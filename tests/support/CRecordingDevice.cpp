#include "support/CRecordingDevice.h"

#include "base/DocumentConstants.h"
#include "support/CScriptedTickSource.h"

#include <algorithm>

void CRecordingDevice::CaptureBitstream(std::uint8_t* pDest, std::uint32_t& nLength)
{
    m_nLastCaptureCapacity = nLength;
    nLength = std::min(nLength, static_cast<std::uint32_t>(m_capture.size()));
    std::copy_n(m_capture.begin(), nLength, pDest);
    // Like the real unit, the capture writes the whole field.
    std::fill(pDest + nLength, pDest + kBitstreamBytes, std::uint8_t{0});
}

void CRecordingDevice::TransmitBitstream(const std::uint8_t* pSrc, std::uint32_t nLength)
{
    m_sent.push_back({m_ticks.m_nNow, std::vector<std::uint8_t>(pSrc, pSrc + nLength)});
    m_ticks.Advance(m_nTransmitMs);
}
