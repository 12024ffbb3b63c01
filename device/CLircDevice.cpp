#include "device/CLircDevice.h"

#include "base/DocumentConstants.h"
#include "base/SampleRuns.h"
#include "device/CLircSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <numeric>
#include <utility>

#include <linux/lirc.h>
#include <poll.h>

namespace
{
constexpr int kLineIdle = 0x10;
// What poll says of a device that was unplugged.
constexpr short kHangUp = POLLERR | POLLHUP | POLLNVAL;
// Reads take this many values at most; the kernel hands out whole values only.
constexpr std::size_t kReadValues = 512;
// A capture waits for the longest signal a bitstream holds and the silence that ends it, and
// for the first mark as long again when none has come yet.
constexpr std::uint64_t kCaptureWaitMicros = kBitstreamSamples + 2 * CLircDevice::kEndSilenceMicros;
// How long a device that takes no more is waited for before the firing is given up.
constexpr int kWriteWaitMs = 1000;

std::string DescribeOpenFailure(CLircSystem& system, const std::string& strPath, int nError)
{
    switch (nError)
    {
    case ENOENT:
        return strPath + " does not exist: is the device plugged in and its driver loaded?";
    case EACCES:
    case EPERM:
    {
        const std::string strGroup = system.GetOwningGroup(strPath);
        if (strGroup.empty())
            return "you may not open " + strPath;
        return "you may not open " + strPath + ": join the group " + strGroup +
               " (sudo adduser $USER " + strGroup + ") and log in again";
    }
    case ENODEV:
    case ENXIO:
        return strPath + " has no device behind it: it was unplugged, or its driver is gone";
    case EBUSY:
        return strPath + " is held by another program (a lirc daemon?)";
    default:
        return strPath + " cannot be opened: " + std::strerror(nError);
    }
}

const char* DescribeAbilities(bool bCanSend, bool bCanReceive)
{
    if (bCanSend && bCanReceive)
        return "send and receive";
    return bCanSend ? "send only" : "receive only";
}

bool IsUnplugged(int nError)
{
    return nError == ENODEV || nError == ENXIO;
}

// The leading bytes without infrared, which LoopBackBitstream lays what it heard after.
std::uint32_t CountLeadingSilence(const std::uint8_t* pBits, std::uint32_t nLength)
{
    return static_cast<std::uint32_t>(
        std::find_if(pBits, pBits + nLength, [](std::uint8_t n) { return n != 0; }) - pBits);
}

// Where the part of the signal from nAt (a mark) ends: the rest when nMost values take it, else
// just before the longest space within reach (the later of equals), so that the part ends on a
// mark and the wait between two writes falls where the signal rests anyway.
std::size_t FindPartEnd(const std::vector<std::uint32_t>& durations, std::size_t nAt,
                        std::size_t nMost)
{
    if (durations.size() - nAt <= nMost)
        return durations.size();
    std::size_t nEnd = nAt + 1;
    for (std::size_t nCount = 3; nCount <= nMost; nCount += 2)
        if (durations[nAt + nCount] >= durations[nEnd])
            nEnd = nAt + nCount;
    return nEnd;
}
} // namespace

std::unique_ptr<CLircDevice> CLircDevice::Open(CLircSystem& system, const std::string& strPath,
                                               std::string& strError)
{
    const int nFd = system.Open(strPath);
    if (nFd < 0)
    {
        strError = DescribeOpenFailure(system, strPath, errno);
        return nullptr;
    }
    std::unique_ptr<CLircDevice> pDevice(new CLircDevice(system, strPath, nFd));
    if (!pDevice->Probe(strError))
        return nullptr;
    pDevice->m_strIdentity = system.GetHardwareIdentity(strPath);
    return pDevice;
}

CLircDevice::CLircDevice(CLircSystem& system, std::string strPath, int nFd)
    : m_system(system), m_strPath(std::move(strPath)), m_nFd(nFd)
{
    m_dCaptureNanosPerSample = kNanosPerSample;
    m_dTransmitNanosPerSample = kNanosPerSample;
}

CLircDevice::~CLircDevice()
{
    m_system.Close(m_nFd);
}

// Learning needs the raw marks and spaces, firing a driver that takes them; a device that
// only decodes remotes' codes itself offers neither.
bool CLircDevice::Probe(std::string& strError)
{
    if (m_system.Ioctl(m_nFd, LIRC_GET_FEATURES, m_nFeatures) < 0)
    {
        strError = m_strPath + " is not an infrared (lirc) device: it does not say what it can do";
        return false;
    }
    std::uint32_t nMode = LIRC_MODE_MODE2;
    m_bCanReceive = (m_nFeatures & LIRC_CAN_REC_MODE2) != 0 &&
                    m_system.Ioctl(m_nFd, LIRC_SET_REC_MODE, nMode) == 0;
    if (m_bCanReceive)
        AskReceiveTimeout();
    m_bCanSend = (m_nFeatures & LIRC_CAN_SEND_PULSE) != 0;
    if (m_bCanSend)
    {
        nMode = LIRC_MODE_PULSE;
        // Drivers that only send pulses may not take the request; they send pulses anyway.
        m_system.Ioctl(m_nFd, LIRC_SET_SEND_MODE, nMode);
    }
    if (!m_bCanSend && !m_bCanReceive)
    {
        strError = m_strPath + " can neither send nor record raw infrared (it only decodes "
                               "remotes' codes itself)";
        return false;
    }
    m_strName = "lirc " + m_strPath + ", " + DescribeAbilities(m_bCanSend, m_bCanReceive);
    return true;
}

// The driver says when a signal is over; without it, the silence that follows it does.
void CLircDevice::AskReceiveTimeout()
{
    if ((m_nFeatures & LIRC_CAN_SET_REC_TIMEOUT) != 0)
    {
        std::uint32_t nTimeout = kEndSilenceMicros;
        std::uint32_t nLimit = 0;
        if (m_system.Ioctl(m_nFd, LIRC_GET_MIN_TIMEOUT, nLimit) == 0)
            nTimeout = std::max(nTimeout, nLimit);
        if (m_system.Ioctl(m_nFd, LIRC_GET_MAX_TIMEOUT, nLimit) == 0 && nLimit != 0)
            nTimeout = std::min(nTimeout, nLimit);
        m_system.Ioctl(m_nFd, LIRC_SET_REC_TIMEOUT, nTimeout);
    }
    std::uint32_t nReports = 1;
    m_system.Ioctl(m_nFd, LIRC_SET_REC_TIMEOUT_REPORTS, nReports);
}

void CLircDevice::FailWith(const std::string& strWhat, int nError)
{
    if (!IsUnplugged(nError))
    {
        m_strFault = m_strName + " failed while " + strWhat + ": " + std::strerror(nError);
        return;
    }
    m_strFault = m_strName + " stopped answering while " + strWhat + ": it was " +
                 std::string(kUnpluggedText) + " to come back";
    m_strName = "lirc " + m_strPath + ", " + std::string(kUnpluggedText);
    m_bUnplugged = true;
}

// An unplugged device is looked for where the kernel puts the same hardware when it comes back,
// often under another number; without a word from the kernel, under its own path.
bool CLircDevice::Reconnect()
{
    if (!m_bUnplugged)
        return true;
    for (const std::string& strPath : m_system.ListDevices())
    {
        const bool bSame = m_strIdentity.empty()
                               ? strPath == m_strPath
                               : m_system.GetHardwareIdentity(strPath) == m_strIdentity;
        const int nFd = bSame ? m_system.Open(strPath) : -1;
        if (nFd < 0)
            continue;
        m_system.Close(std::exchange(m_nFd, nFd));
        m_strPath = strPath;
        std::string strError;
        if (Probe(strError))
        {
            m_bUnplugged = false;
            return true;
        }
    }
    return false;
}

bool CLircDevice::RefuseWhileUnplugged()
{
    if (!Reconnect())
        m_strFault = m_strName + ": plug it back in";
    return m_bUnplugged;
}

void CLircDevice::ForgetHeard()
{
    m_heard.clear();
    m_nHeardMicros = 0;
    m_bSignalEnded = false;
}

void CLircDevice::EnableDetector()
{
    m_strFault.clear();
    ForgetHeard();
    if (!RefuseWhileUnplugged() && !RefuseUnlessReceiving())
        ReadArrived(false);
    m_bSettling = true;
}

bool CLircDevice::RefuseUnlessReceiving()
{
    if (!m_bCanReceive)
        m_strFault =
            m_strName + " cannot learn: it only sends infrared" + DescribeComplement("receive");
    return !m_bCanReceive;
}

std::string CLircDevice::DescribeComplement(const char* pszCan) const
{
    return m_strComplement.empty() ? "" : "; " + m_strComplement + " can " + pszCan;
}

int CLircDevice::ReadDetectorLine()
{
    if (!m_bCanReceive || !m_strFault.empty())
        return kLineIdle;
    // What comes while settling is read without asking the device whether more is coming.
    if (m_bSettling)
        ReadArrived(false);
    else if (m_heard.empty())
        LookForArrivals();
    if (m_bSettling && m_system.GetMicros() - m_nLastArrival < kReleasedMicros)
        return 0;
    // Quiet now: what comes from here on is heard, from the next look.
    if (std::exchange(m_bSettling, false))
        return kLineIdle;
    return m_heard.empty() ? kLineIdle : 0;
}

// Hears what has arrived, without waiting.
void CLircDevice::LookForArrivals()
{
    short nRevents = 0;
    if (m_system.Poll(m_nFd, POLLIN, nRevents, 0) > 0)
        ReadArrived(true);
}

bool CLircDevice::WaitForDetectorLine(bool bHigh, int nMaxWaitMs)
{
    const std::uint64_t nDeadline =
        m_system.GetMicros() + static_cast<std::uint64_t>(std::max(nMaxWaitMs, 0)) * 1000;
    while ((ReadDetectorLine() != 0) != bHigh && m_strFault.empty())
    {
        const std::uint64_t nNow = m_system.GetMicros();
        if (nNow >= nDeadline)
            return false;
        // While settling, the line rises once the held button has been quiet long enough.
        std::uint64_t nUntil = nDeadline;
        if (m_bSettling)
            nUntil = std::min(nUntil, m_nLastArrival + kReleasedMicros);
        short nRevents = 0;
        const int nWaitMs = static_cast<int>((nUntil - std::min(nUntil, nNow) + 999) / 1000);
        if (m_system.Poll(m_nFd, POLLIN, nRevents, nWaitMs) < 0 && errno != EINTR)
            FailWith("listening", errno);
    }
    return m_strFault.empty();
}

// Reads every value that has arrived, without waiting, and hears it (or drops it, unheard);
// false (with the fault) when the device failed or overflowed.
bool CLircDevice::ReadArrived(bool bHear)
{
    std::uint32_t values[kReadValues];
    bool bRetried = false;
    while (true)
    {
        const long nRead = m_system.Read(m_nFd, values, sizeof values);
        if (nRead < 0 && (errno == EINTR || (errno == EIO && !std::exchange(bRetried, true))))
            continue;
        if (nRead < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        if (nRead <= 0)
        {
            FailWith("listening", nRead == 0 ? ENODEV : errno);
            return false;
        }
        const auto nValues = static_cast<std::size_t>(nRead) / sizeof values[0];
        for (std::size_t nValue = 0; nValue < nValues && m_strFault.empty(); ++nValue)
        {
            if (LIRC_IS_PULSE(values[nValue]) || LIRC_IS_SPACE(values[nValue]))
                m_nLastArrival = m_system.GetMicros();
            if (bHear)
                Take(values[nValue]);
        }
        if (!m_strFault.empty())
            return false;
        if (nValues < kReadValues)
            return true;
    }
}

// Marks and spaces from the first mark on, runs of one kind joined; the silence before the
// first mark is no part of the signal, and a long one after it, or the driver's timeout, ends it.
void CLircDevice::Take(std::uint32_t nValue)
{
    const std::uint32_t nMicros = LIRC_VALUE(nValue);
    if (m_bSignalEnded)
        return;
    if (LIRC_IS_OVERFLOW(nValue))
    {
        m_strFault = m_strName + " could not keep up: its receive buffer overflowed and part of "
                                 "the signal was lost; press the button again";
        return;
    }
    const bool bMark = LIRC_IS_PULSE(nValue);
    if (!bMark && !LIRC_IS_SPACE(nValue))
    {
        m_bSignalEnded = LIRC_IS_TIMEOUT(nValue) && !m_heard.empty();
        return;
    }
    if (m_heard.empty() && !bMark)
        return;
    if (!bMark && nMicros >= kEndSilenceMicros)
    {
        m_bSignalEnded = true;
        return;
    }
    const bool bLastIsMark = m_heard.size() % 2 == 1;
    if (bLastIsMark == bMark)
        m_heard.back() += nMicros;
    else
        m_heard.push_back(nMicros);
    m_nHeardMicros += nMicros;
}

// Listens until the signal has ended, fills a bitstream or can no longer be coming; false with
// the fault when the device failed.
bool CLircDevice::WaitForSignalEnd()
{
    const std::uint64_t nDeadline = m_system.GetMicros() + kCaptureWaitMicros;
    while (!m_bSignalEnded && m_nHeardMicros < kBitstreamSamples)
    {
        const std::uint64_t nNow = m_system.GetMicros();
        if (nNow >= nDeadline)
            return true;
        // A driver that reports no timeout still goes quiet once the signal is over.
        if (!m_heard.empty() && nNow - m_nLastArrival >= kEndSilenceMicros)
            return true;
        const std::uint64_t nWait = std::min<std::uint64_t>(nDeadline - nNow, kEndSilenceMicros);
        short nRevents = 0;
        const int nReady =
            m_system.Poll(m_nFd, POLLIN, nRevents, static_cast<int>(nWait / 1000 + 1));
        if (nReady < 0 && errno != EINTR)
        {
            FailWith("listening", errno);
            return false;
        }
        if (nReady > 0 && (nRevents & kHangUp) != 0)
        {
            FailWith("listening", ENODEV);
            return false;
        }
        if (nReady > 0 && !ReadArrived(true))
            return false;
    }
    return true;
}

bool CLircDevice::HearSignal(std::vector<std::uint32_t>& durations, int nMaxWaitMs)
{
    if (!m_bCanReceive || RefuseWhileUnplugged())
        return false;
    // A fault while listening (an overflow, say) loses that signal only.
    m_strFault.clear();
    short nRevents = 0;
    const int nReady = m_system.Poll(m_nFd, POLLIN, nRevents, std::max(nMaxWaitMs, 0));
    if (nReady > 0 && (nRevents & kHangUp) != 0)
        FailWith("listening", ENODEV);
    else if (nReady > 0)
        ReadArrived(true);
    else if (nReady < 0 && errno != EINTR)
        FailWith("listening", errno);
    if (!m_heard.empty() && m_system.GetMicros() - m_nLastArrival >= kEndSilenceMicros)
        m_bSignalEnded = true;
    if (!m_strFault.empty())
        ForgetHeard();
    if (!m_bSignalEnded)
        return false;
    if (m_heard.size() % 2 == 0)
        m_heard.pop_back();
    durations = std::move(m_heard);
    ForgetHeard();
    return !durations.empty();
}

void CLircDevice::CaptureBitstream(std::uint8_t* pDest, std::uint32_t& nLength)
{
    // A fault met while the detector was watched stands until the next EnableDetector.
    m_strNotice.clear();
    if (!m_strFault.empty() || RefuseUnlessReceiving() || !WaitForSignalEnd())
    {
        nLength = 0;
        ForgetHeard();
        return;
    }
    // A signal ends on a mark: the silence after it is no part of it.
    if (m_heard.size() % 2 == 0 && !m_heard.empty())
        m_heard.pop_back();
    if (CountSamples(m_heard, kNanosPerSample) > kBitstreamSamples)
        m_strNotice = "The signal went on longer than the 0.4 seconds a button holds; it was "
                      "kept up to there.";
    const std::vector<std::uint8_t> bytes = DurationsToSamples(m_heard, kNanosPerSample);
    ForgetHeard();
    nLength = std::min<std::uint32_t>(nLength, static_cast<std::uint32_t>(bytes.size()));
    std::copy_n(bytes.begin(), nLength, pDest);
    // A shorter recording must not leave the tail of an older one behind.
    std::fill(pDest + nLength, pDest + kBitstreamBytes, 0);
}

bool CLircDevice::TakesCarrier() const
{
    return (m_nFeatures & LIRC_CAN_SET_SEND_CARRIER) != 0;
}

void CLircDevice::SetSendCarrier(std::uint32_t nHertz, std::uint32_t nDutyPercent)
{
    m_nCarrier = nHertz != 0 ? nHertz : kDefaultCarrier;
    // The kernel takes 1 to 99 %: 100 is kept for a light that never blinks.
    m_nDutyCycle = nDutyPercent != 0 ? std::min(nDutyPercent, 99u) : kDutyCyclePercent;
}

void CLircDevice::SetUpCarrier()
{
    std::uint32_t nValue = m_nCarrier;
    if (TakesCarrier())
        m_system.Ioctl(m_nFd, LIRC_SET_SEND_CARRIER, nValue);
    nValue = m_nDutyCycle;
    if ((m_nFeatures & LIRC_CAN_SET_SEND_DUTY_CYCLE) != 0)
        m_system.Ioctl(m_nFd, LIRC_SET_SEND_DUTY_CYCLE, nValue);
}

// True, with the fault, when nothing can be sent now.
bool CLircDevice::RefuseUnlessSending()
{
    m_strFault.clear();
    if (RefuseWhileUnplugged())
        return true;
    if (m_bCanSend)
        return false;
    m_strFault =
        m_strName + " cannot fire buttons: it only receives infrared" + DescribeComplement("send");
    return true;
}

void CLircDevice::TransmitBitstream(const std::uint8_t* pSrc, std::uint32_t nLength)
{
    const std::uint32_t nBytes = std::min<std::uint32_t>(nLength, kBitstreamBytes);
    TransmitDurations(SamplesToDurations(std::span(pSrc, nBytes), kNanosPerSample),
                      kNanosPerSample);
}

void CLircDevice::TransmitDurations(const std::vector<std::uint32_t>& durations,
                                    double /*dNanosPerSample*/)
{
    if (RefuseUnlessSending() || durations.empty())
        return;
    SetUpCarrier();
    WriteDurations(durations);
}

void CLircDevice::TransmitTimedFrames(const CTimedFrames& frames, double /*dNanosPerSample*/)
{
    if (RefuseUnlessSending() || frames.empty())
        return;
    SetUpCarrier();
    const std::uint64_t nFirst = m_system.GetMicros() - frames.front().nStartMicros;
    for (const STimedFrame& frame : frames)
    {
        WaitUntil(nFirst + frame.nStartMicros);
        if (!WriteDurations(frame.durations))
            return;
    }
}

// The whole signal in one write where the driver takes it. Where it has to be split, because the
// kernel takes 1023 values at most, or the driver refuses as many (EINVAL) or takes only part of
// a write, each part ends on a mark, and the space after it lasts until its end counted from when
// the part should have finished playing: however late this process wakes, it does not grow.
bool CLircDevice::WriteDurations(const std::vector<std::uint32_t>& durations)
{
    std::size_t nAt = 0;
    std::uint64_t nDue = 0; // when the next part is to begin
    while (nAt < durations.size())
    {
        const std::size_t nEnd = FindPartEnd(durations, nAt, m_nValuesPerWrite);
        WaitUntil(nDue);
        std::uint64_t nStart = 0;
        const long nWritten = WriteValues(&durations[nAt], nEnd - nAt, nStart);
        if (nWritten == 0)
            return false;
        if (nWritten < 0 || static_cast<std::size_t>(nWritten) < nEnd - nAt)
        {
            // The driver takes fewer at once: later parts are no longer, and end on a mark.
            const std::size_t nTaken =
                nWritten < 0 ? (nEnd - nAt) / 2 : static_cast<std::size_t>(nWritten);
            m_nValuesPerWrite = (std::max<std::size_t>(nTaken, 1) - 1) | 1;
            if (nWritten < 0)
                continue;
        }
        const auto itPart = durations.begin() + static_cast<std::ptrdiff_t>(nAt);
        nDue = std::accumulate(itPart, itPart + nWritten, nStart);
        nAt += static_cast<std::size_t>(nWritten);
        if (nAt % 2 == 1 && nAt < durations.size())
            nDue += durations[nAt++];
    }
    return true;
}

void CLircDevice::WaitUntil(std::uint64_t nMicros)
{
    const std::uint64_t nNow = m_system.GetMicros();
    if (nMicros > nNow)
        m_system.SleepMicros(static_cast<std::uint32_t>(nMicros - nNow));
}

// The values the driver took, at least one; 0 with the fault when it took none; -1 when it
// refused more than one value as too many for it. nStart is when the write that took them began.
long CLircDevice::WriteValues(const std::uint32_t* pValues, std::size_t nCount,
                              std::uint64_t& nStart)
{
    bool bRetried = false;
    while (true)
    {
        nStart = m_system.GetMicros();
        const long nWritten = m_system.Write(m_nFd, pValues, nCount * sizeof *pValues);
        if (nWritten >= static_cast<long>(sizeof *pValues))
            return nWritten / static_cast<long>(sizeof *pValues);
        if (nWritten >= 0)
        {
            m_strFault = m_strName + " took none of the signal it was given to send";
            return 0;
        }
        // A single EIO is a hiccup of the hardware, not yet a failure.
        if (errno == EINTR || (errno == EIO && !std::exchange(bRetried, true)))
            continue;
        if (errno == EINVAL && nCount > 1)
            return -1;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
        {
            FailWith("sending", errno);
            return 0;
        }
        short nRevents = 0;
        const int nReady = m_system.Poll(m_nFd, POLLOUT, nRevents, kWriteWaitMs);
        if (nReady > 0 && (nRevents & kHangUp) != 0)
        {
            FailWith("sending", ENODEV);
            return 0;
        }
        if (nReady == 0 || (nReady > 0 && (nRevents & POLLOUT) == 0))
        {
            m_strFault = m_strName + " took no more of the signal for a second; the rest was "
                                     "not sent";
            return 0;
        }
        if (nReady < 0 && errno != EINTR)
        {
            FailWith("sending", errno);
            return 0;
        }
    }
}

double CLircDevice::LoopBackBitstream(std::uint8_t* pBits, std::uint32_t nLength)
{
    if (!m_bCanSend || !m_bCanReceive)
        return 0;
    return PlayAndHearBack(*this, *this, pBits, nLength);
}

double PlayAndHearBack(CInfraredDevice& sender, CInfraredDevice& receiver, std::uint8_t* pBits,
                       std::uint32_t nLength)
{
    const std::uint32_t nBytes = std::min<std::uint32_t>(nLength, kBitstreamBytes);
    const std::uint32_t nLead = CountLeadingSilence(pBits, nBytes);
    receiver.EnableDetector();
    sender.TransmitBitstream(pBits, nBytes);
    std::fill_n(pBits, nBytes, 0);
    // Silence plays nothing, so there is nothing to wait for.
    if (!sender.GetLastFault().empty() || !receiver.GetLastFault().empty() || nLead == nBytes)
        return CLircDevice::kNanosPerSample;
    std::vector<std::uint8_t> heard(kBitstreamBytes);
    std::uint32_t nHeard = nBytes - nLead;
    receiver.CaptureBitstream(heard.data(), nHeard);
    std::copy_n(heard.begin(), nHeard, pBits + nLead);
    return CLircDevice::kNanosPerSample;
}

std::vector<SLircAvailability> ProbeLircDevices(CLircSystem& system)
{
    std::vector<SLircAvailability> found;
    for (const std::string& strPath : system.ListDevices())
    {
        SLircAvailability availability;
        availability.strPath = strPath;
        if (const auto pDevice = CLircDevice::Open(system, strPath, availability.strReason))
        {
            availability.bUsable = true;
            availability.bCanSend = pDevice->CanSend();
            availability.bCanReceive = pDevice->CanReceive();
        }
        found.push_back(std::move(availability));
    }
    return found;
}
