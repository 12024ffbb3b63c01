#pragma once

#include "device/CInfraredDevice.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CLircSystem;

// A kernel lirc device (/dev/lircN: USB transceivers, GPIO receivers and emitters, the infrared
// ports of many PCs) in place of the unit on the parallel port. It hears and plays mark and
// space durations in microseconds, so its bitstreams have a sample period of one microsecond:
// what it hears is laid out on that period, and what it plays is read on it.
//
// The detector line is a look at what has arrived; a wait for it sleeps in poll for as long as
// the caller allows, and a capture waits only while a signal can still be coming (the signal's
// 0.4 s and the silence that ends it). Every failure (unplugged, overflow, a device that takes no
// more) is told through GetLastFault, and the caller keeps what it had. A device that was unplugged
// says so in its name, and is opened again once it is back (at its next use, or Revive), under
// whichever number the kernel gave it: a scheduled firing after the replug goes out without a
// restart.
class CLircDevice final : public CInfraredDevice
{
public:
    // How a backend name asks for one device: "lirc:/dev/lirc0".
    static constexpr std::string_view kBackendPrefix = "lirc:";
    // In the name of a device that was unplugged, until it is back.
    static constexpr std::string_view kUnpluggedText = "unplugged, waiting for it";
    static constexpr double kNanosPerSample = 1000;
    // Silence that ends a signal, and the receive timeout asked of the driver to say so.
    static constexpr std::uint32_t kEndSilenceMicros = 100000;
    // Quiet that tells a held button was let go: remotes repeat at least every 0.12 s.
    static constexpr std::uint32_t kReleasedMicros = 200000;
    // The carrier when nothing else was asked for, that of most remotes.
    static constexpr std::uint32_t kDefaultCarrier = 38000;
    static constexpr std::uint32_t kDutyCyclePercent = 50;
    // Values in one write: the kernel takes at most 1024, an odd count ending on a mark.
    static constexpr std::size_t kMaxValuesPerWrite = 1023;

    // Opens the device and asks what it can do; null, with the reason in words for the person,
    // when it cannot be used at all.
    static std::unique_ptr<CLircDevice> Open(CLircSystem& system, const std::string& strPath,
                                             std::string& strError);
    ~CLircDevice() override;
    CLircDevice(const CLircDevice&) = delete;
    CLircDevice& operator=(const CLircDevice&) = delete;

    // Forgets what arrived before, so that only a signal from now on is heard. On a device that
    // only sends, the fault says it cannot learn.
    void EnableDetector() override;
    // 0 once a mark has arrived since EnableDetector, else 0x10; it only looks, never waits.
    // A button still held when the detector was readied keeps the line at 0, its repeats
    // unheard, until it has been quiet for kReleasedMicros: the signal heard is a new press.
    int ReadDetectorLine() override;
    // Sleeps on the device until the line reads as asked or the time is up.
    bool WaitForDetectorLine(bool bHigh, int nMaxWaitMs) override;
    void CaptureBitstream(std::uint8_t* pDest, std::uint32_t& nLength) override;
    void TransmitBitstream(const std::uint8_t* pSrc, std::uint32_t nLength) override;
    // Writes the durations as they are, at any length; the period is a unit's on a port.
    void TransmitDurations(const std::vector<std::uint32_t>& durations,
                           double dNanosPerSample) override;
    // Plays, then reads back what its own receiver heard meanwhile, laid out after the same
    // leading silence as what was played.
    double LoopBackBitstream(std::uint8_t* pBits, std::uint32_t nLength) override;
    // Each frame a write of its own, begun when it is due counted from when the first began: a
    // process woken late delays that frame, not those after it.
    void TransmitTimedFrames(const CTimedFrames& frames, double dNanosPerSample) override;
    // As long as the person asks.
    std::uint64_t GetLongestTimedMicros(double /*dNanosPerSample*/) const override
    {
        return UINT64_MAX;
    }
    const char* GetBackendName() const override { return m_strName.c_str(); }
    // A signal ends with the driver's timeout report or, without one, kEndSilenceMicros of quiet.
    bool HearsOnItsOwn() const override { return m_bCanReceive && !m_bUnplugged; }
    bool HearSignal(std::vector<std::uint32_t>& durations, int nMaxWaitMs) override;
    int GetHearingDescriptor() const override { return HearsOnItsOwn() ? m_nFd : -1; }

    void Revive() override { Reconnect(); }
    bool CanSend() const override { return m_bCanSend; }
    bool CanReceive() const override { return m_bCanReceive; }
    double GetNominalNanosPerSample() const override { return kNanosPerSample; }
    bool TakesCarrier() const override;
    void SetSendCarrier(std::uint32_t nHertz, std::uint32_t nDutyPercent = 0) override;

    const std::string& GetPath() const { return m_strPath; }
    bool IsAwaitingReplug() const { return m_bUnplugged; }
    // Another device that does what this one cannot (sends for a receiver, receives for an
    // emitter), named when this one refuses.
    void SetComplement(std::string strPath) { m_strComplement = std::move(strPath); }

private:
    CLircDevice(CLircSystem& system, std::string strPath, int nFd);
    bool Probe(std::string& strError);
    void AskReceiveTimeout();

    bool RefuseUnlessReceiving();
    std::string DescribeComplement(const char* pszCan) const;
    void LookForArrivals();
    bool ReadArrived(bool bHear);
    void Take(std::uint32_t nValue);
    bool WaitForSignalEnd();
    void ForgetHeard();

    bool RefuseUnlessSending();
    void SetUpCarrier();
    bool WriteDurations(const std::vector<std::uint32_t>& durations);
    void WaitUntil(std::uint64_t nMicros);
    long WriteValues(const std::uint32_t* pValues, std::size_t nCount, std::uint64_t& nStart);

    // An unplugged device (ENODEV) is named so, and looked for again before its next use.
    void FailWith(const std::string& strWhat, int nError);
    bool Reconnect();
    bool RefuseWhileUnplugged();

    CLircSystem& m_system;
    std::string m_strPath;
    std::string m_strName;
    std::string m_strIdentity; // what the kernel tells of its hardware
    std::string m_strComplement;
    int m_nFd;
    bool m_bUnplugged = false;
    std::uint32_t m_nFeatures = 0;
    bool m_bCanSend = false;
    bool m_bCanReceive = false;
    std::uint32_t m_nCarrier = kDefaultCarrier;
    std::uint32_t m_nDutyCycle = kDutyCyclePercent;
    // As many values as the driver was seen to take in one write.
    std::size_t m_nValuesPerWrite = kMaxValuesPerWrite;

    // What has been heard since EnableDetector: marks and spaces from the first mark on.
    std::vector<std::uint32_t> m_heard;
    std::uint64_t m_nHeardMicros = 0;
    bool m_bSignalEnded = false;
    // Since EnableDetector, until what came before has gone quiet: what arrives is dropped.
    bool m_bSettling = false;
    // When a mark or space last arrived.
    std::uint64_t m_nLastArrival = 0;
};

// A lirc device as the person choosing one sees it: what it can do, or why it cannot be used.
struct SLircAvailability
{
    std::string strPath;
    bool bUsable = false;
    bool bCanSend = false;
    bool bCanReceive = false;
    std::string strReason; // when it cannot be used: in words for the person
};

std::vector<SLircAvailability> ProbeLircDevices(CLircSystem& system);

// Plays pBits on sender and reads back what receiver heard meanwhile (the same device, or one
// facing it), laid out after the same leading silence as what was played; see
// CInfraredDevice::LoopBackBitstream.
double PlayAndHearBack(CInfraredDevice& sender, CInfraredDevice& receiver, std::uint8_t* pBits,
                       std::uint32_t nLength);
