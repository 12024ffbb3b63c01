#include "support/CFakeLircSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <poll.h>

CFakeLircSystem::SDevice& CFakeLircSystem::AddDevice(const std::string& strPath)
{
    return m_devices[strPath];
}

std::vector<std::uint32_t> CFakeLircSystem::ToValues(const std::vector<std::uint32_t>& durations)
{
    std::vector<std::uint32_t> values{LIRC_SPACE(LIRC_VALUE_MASK)};
    for (std::size_t nRun = 0; nRun < durations.size(); ++nRun)
        values.push_back(nRun % 2 == 0 ? LIRC_PULSE(durations[nRun]) : LIRC_SPACE(durations[nRun]));
    return values;
}

std::vector<std::string> CFakeLircSystem::ListDevices()
{
    std::vector<std::string> paths;
    for (const auto& [strPath, device] : m_devices)
    {
        if (!device.bUnplugged)
            paths.push_back(strPath);
    }
    return paths;
}

std::string CFakeLircSystem::GetHardwareIdentity(const std::string& strPath)
{
    const auto it = m_devices.find(strPath);
    return it == m_devices.end() || it->second.bUnplugged ? std::string() : it->second.strIdentity;
}

std::string CFakeLircSystem::GetOwningGroup(const std::string& strPath)
{
    const auto it = m_devices.find(strPath);
    return it == m_devices.end() ? std::string() : it->second.strGroup;
}

int CFakeLircSystem::Open(const std::string& strPath)
{
    const auto it = m_devices.find(strPath);
    const int nError =
        it == m_devices.end() || it->second.bUnplugged ? ENOENT : it->second.nOpenError;
    if (nError != 0)
    {
        errno = nError;
        return -1;
    }
    m_open[m_nNextFd] = strPath;
    return m_nNextFd++;
}

int CFakeLircSystem::Close(int nFd)
{
    return m_open.erase(nFd) == 1 ? 0 : (errno = EBADF, -1);
}

CFakeLircSystem::SDevice* CFakeLircSystem::Find(int nFd)
{
    const auto it = m_open.find(nFd);
    return it == m_open.end() ? nullptr : &m_devices.at(it->second);
}

int CFakeLircSystem::Ioctl(int nFd, unsigned long nRequest, std::uint32_t& nValue)
{
    SDevice* pDevice = Find(nFd);
    if (!pDevice || pDevice->bUnplugged)
        return errno = pDevice ? ENODEV : EBADF, -1;
    switch (nRequest)
    {
    case LIRC_GET_FEATURES:
        nValue = pDevice->nFeatures;
        return pDevice->bAnswersFeatures ? 0 : (errno = ENOTTY, -1);
    case LIRC_SET_REC_MODE:
        if (nValue != LIRC_MODE_MODE2 || (pDevice->nFeatures & LIRC_CAN_REC_MODE2) == 0)
            return errno = EINVAL, -1;
        pDevice->nRecMode = nValue;
        return 0;
    case LIRC_GET_MIN_TIMEOUT:
        nValue = 1;
        return 0;
    case LIRC_GET_MAX_TIMEOUT:
        nValue = 50000;
        return 0;
    case LIRC_SET_REC_TIMEOUT:
        pDevice->nRecTimeout = nValue;
        return 0;
    case LIRC_SET_SEND_CARRIER:
        pDevice->nCarrier = nValue;
        return 0;
    case LIRC_SET_SEND_DUTY_CYCLE:
        pDevice->nDutyCycle = nValue;
        return 0;
    case LIRC_SET_SEND_MODE:
    case LIRC_SET_REC_TIMEOUT_REPORTS:
        return 0;
    default:
        return errno = ENOTTY, -1;
    }
}

int CFakeLircSystem::Poll(int nFd, short nEvents, short& nRevents, int nTimeoutMs)
{
    SDevice* pDevice = Find(nFd);
    nRevents = 0;
    if (!pDevice)
        return errno = EBADF, -1;
    ++pDevice->nPolls;
    m_nMicros += kMicrosPerPoll;
    if (pDevice->bUnplugged)
        return nRevents = POLLERR | POLLHUP, 1;
    if ((nEvents & POLLIN) != 0 && pDevice->readable.empty())
    {
        if (!pDevice->presses.empty())
        {
            for (const std::uint32_t nValue : pDevice->presses.front())
                Hear(*pDevice, nValue);
            pDevice->presses.pop_front();
        }
        else
            WaitForTimeoutReport(*pDevice);
        Arrive(*pDevice, m_nMicros + static_cast<std::uint64_t>(nTimeoutMs) * 1000);
    }
    nRevents = static_cast<short>(nEvents & POLLOUT);
    if ((nEvents & POLLIN) != 0 && (!pDevice->readable.empty() || !pDevice->readErrors.empty()))
        nRevents |= POLLIN;
    if (nRevents == 0)
        m_nMicros += static_cast<std::uint64_t>(nTimeoutMs) * 1000;
    return nRevents != 0 ? 1 : 0;
}

// The driver reports its timeout once a signal has been quiet that long, unless more comes first.
void CFakeLircSystem::WaitForTimeoutReport(SDevice& device)
{
    if (!device.bSignalPending || !device.bReportsTimeout)
        return;
    if (!device.arrivals.empty() &&
        device.arrivals.front().nAtMicros < m_nMicros + device.nRecTimeout)
        return;
    m_nMicros += device.nRecTimeout;
    device.readable.push_back(LIRC_TIMEOUT(device.nRecTimeout));
    device.bSignalPending = false;
}

void CFakeLircSystem::Arrive(SDevice& device, std::uint64_t nUntil)
{
    std::deque<SArrival>& arrivals = device.arrivals;
    if (device.readable.empty() && !arrivals.empty() && arrivals.front().nAtMicros <= nUntil)
        m_nMicros = std::max(m_nMicros, arrivals.front().nAtMicros);
    while (!arrivals.empty() && arrivals.front().nAtMicros <= m_nMicros)
    {
        for (const std::uint32_t nValue : arrivals.front().values)
            Hear(device, nValue);
        arrivals.pop_front();
    }
}

void CFakeLircSystem::Hear(SDevice& device, std::uint32_t nValue)
{
    device.readable.push_back(nValue);
    device.bSignalPending = true;
}

CFakeLircSystem::SDevice* CFakeLircSystem::FindForTransfer(int nFd, bool bRead)
{
    SDevice* pDevice = Find(nFd);
    if (!pDevice || pDevice->bUnplugged)
    {
        errno = pDevice ? ENODEV : EBADF;
        return nullptr;
    }
    std::deque<int>& errors = bRead ? pDevice->readErrors : pDevice->writeErrors;
    if (errors.empty())
        return pDevice;
    errno = errors.front();
    errors.pop_front();
    return nullptr;
}

long CFakeLircSystem::Read(int nFd, void* pBuffer, std::size_t nBytes)
{
    SDevice* pDevice = FindForTransfer(nFd, true);
    if (!pDevice)
        return -1;
    Arrive(*pDevice, m_nMicros);
    if (pDevice->readable.empty())
        return errno = EAGAIN, -1;
    const std::size_t nValues = std::min(nBytes / sizeof(std::uint32_t), pDevice->readable.size());
    auto* pValues = static_cast<std::uint32_t*>(pBuffer);
    for (std::size_t nValue = 0; nValue < nValues; ++nValue)
    {
        pValues[nValue] = pDevice->readable.front();
        pDevice->readable.pop_front();
    }
    return static_cast<long>(nValues * sizeof(std::uint32_t));
}

long CFakeLircSystem::Write(int nFd, const void* pBuffer, std::size_t nBytes)
{
    SDevice* pDevice = FindForTransfer(nFd, false);
    if (!pDevice)
        return -1;
    // The kernel takes whole values, an odd count of at most 1024, marks first.
    const std::size_t nValues = nBytes / sizeof(std::uint32_t);
    if (nBytes % sizeof(std::uint32_t) != 0 || nValues % 2 == 0 || nValues > 1024)
        return errno = EINVAL, -1;
    if (nValues > pDevice->nRefuseAboveValues)
        return errno = EINVAL, -1;
    const std::size_t nTaken = std::min(nValues, pDevice->nMaxWriteValues);
    const auto* pValues = static_cast<const std::uint32_t*>(pBuffer);
    SDevice* pHearer = pDevice->bLoopBack ? pDevice : nullptr;
    if (!pDevice->strFacing.empty())
        pHearer = &m_devices.at(pDevice->strFacing);
    // The dark between two writes is a space to the receiver, until its timeout ends the signal.
    const std::uint64_t nDark = m_nMicros - pDevice->nPlayedUntil;
    if (pHearer && !pDevice->written.empty() && nDark > 0 && nDark < pHearer->nRecTimeout)
        Hear(*pHearer, LIRC_SPACE(static_cast<std::uint32_t>(nDark)));
    pDevice->writeStarts.push_back(m_nMicros);
    for (std::size_t nValue = 0; nValue < nTaken; ++nValue)
    {
        pDevice->written.push_back(pValues[nValue]);
        m_nMicros += pValues[nValue];
        if (pHearer)
            Hear(*pHearer,
                 nValue % 2 == 0 ? LIRC_PULSE(pValues[nValue]) : LIRC_SPACE(pValues[nValue]));
    }
    pDevice->writeCounts.push_back(nTaken);
    pDevice->nPlayedUntil = m_nMicros;
    m_nMicros += pDevice->nWakeLateMicros;
    return static_cast<long>(nTaken * sizeof(std::uint32_t));
}

void CFakeLircSystem::SleepMicros(std::uint32_t nMicros)
{
    m_sleeps.push_back(nMicros);
    m_nMicros += nMicros;
}

std::vector<CFakeLircSystem::SPlayedFrame> CFakeLircSystem::ReadPlayedFrames(const SDevice& device)
{
    constexpr std::uint64_t kFrameGap = 5500;
    std::vector<SPlayedFrame> frames;
    std::size_t nValue = 0;
    std::uint64_t nLastEnd = 0;
    for (std::size_t nWrite = 0; nWrite < device.writeCounts.size(); ++nWrite)
    {
        std::uint64_t nAt = device.writeStarts[nWrite];
        for (std::size_t nIndex = 0; nIndex < device.writeCounts[nWrite]; ++nIndex)
        {
            const std::uint32_t nMicros = device.written[nValue++];
            if (nIndex % 2 == 0)
            {
                if (frames.empty() || nAt - nLastEnd >= kFrameGap)
                    frames.push_back({nAt, {}});
                else
                    frames.back().durations.push_back(static_cast<std::uint32_t>(nAt - nLastEnd));
                frames.back().durations.push_back(nMicros);
                nLastEnd = nAt + nMicros;
            }
            nAt += nMicros;
        }
    }
    return frames;
}
