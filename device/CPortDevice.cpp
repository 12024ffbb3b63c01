#include "device/CPortDevice.h"

#include <algorithm>
#include <cstring>

std::uint8_t CPortDeviceBase::s_deviceBuffer[kBitstreamBytes];

namespace
{
// One past the last byte that holds any infrared; 0 when nothing was seen at all.
std::uint32_t TrimmedLength(const std::uint8_t* pField)
{
    const std::uint8_t* pEnd = pField + kBitstreamBytes;
    while (pEnd != pField && pEnd[-1] == 0)
        --pEnd;
    return static_cast<std::uint32_t>(pEnd - pField);
}
} // namespace

void CPortDeviceBase::DeliverCapture(std::uint8_t* pDest, std::uint32_t& nLength)
{
    nLength = std::min(nLength, TrimmedLength(s_deviceBuffer));
    std::memcpy(pDest, s_deviceBuffer, nLength);
    // A shorter recording must not leave the tail of an older one behind.
    std::memset(pDest + nLength, 0, kBitstreamBytes - nLength);
}

std::uint32_t CPortDeviceBase::LoadTransmit(const std::uint8_t* pSrc, std::uint32_t nLength)
{
    const std::uint32_t nBytes = std::min<std::uint32_t>(nLength, kBitstreamBytes);
    if (nBytes != 0)
        std::memcpy(s_deviceBuffer, pSrc, nBytes);
    return nBytes;
}

double CPortDeviceBase::NanosPerSample(CLoopClock::duration elapsed, std::uint32_t nBytes)
{
    const auto nNanos = std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count();
    return static_cast<double>(nNanos) / (static_cast<double>(nBytes) * 8.0);
}
