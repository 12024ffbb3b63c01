#pragma once

#include "device/CInfraredDevice.h"
#include "device/CLircDevice.h"

#include <memory>
#include <string>

class CLircSystem;

// An emitter and a receiver on two lirc devices, used as one unit: the usual layout of a small
// board (a GPIO receiver on /dev/lirc0, a GPIO or PWM emitter on /dev/lirc1) and of a USB
// receiver beside a separate emitter. Firing goes to the emitter, learning and listening to the
// receiver; the self-test plays on the one and hears on the other, which must face each other.
class CLircPair final : public CInfraredDevice
{
public:
    // pSender must send and pReceiver receive.
    CLircPair(std::unique_ptr<CLircDevice> pSender, std::unique_ptr<CLircDevice> pReceiver);

    void EnableDetector() override;
    int ReadDetectorLine() override;
    bool WaitForDetectorLine(bool bHigh, int nMaxWaitMs) override;
    void CaptureBitstream(std::uint8_t* pDest, std::uint32_t& nLength) override;
    void TransmitBitstream(const std::uint8_t* pSrc, std::uint32_t nLength) override;
    void TransmitTimedFrames(const CTimedFrames& frames, double dNanosPerSample) override;
    std::uint64_t GetLongestTimedMicros(double dNanosPerSample) const override
    {
        return m_pSender->GetLongestTimedMicros(dNanosPerSample);
    }
    void TransmitDurations(const std::vector<std::uint32_t>& durations,
                           double dNanosPerSample) override;
    double LoopBackBitstream(std::uint8_t* pBits, std::uint32_t nLength) override;
    // "lirc /dev/lirc1 (send), /dev/lirc0 (receive)".
    const char* GetBackendName() const override { return m_strName.c_str(); }

    bool HearsOnItsOwn() const override { return m_pReceiver->HearsOnItsOwn(); }
    bool HearSignal(std::vector<std::uint32_t>& durations, int nMaxWaitMs) override
    {
        return m_pReceiver->HearSignal(durations, nMaxWaitMs);
    }
    int GetHearingDescriptor() const override { return m_pReceiver->GetHearingDescriptor(); }

    void Revive() override;
    double GetNominalNanosPerSample() const override { return CLircDevice::kNanosPerSample; }
    bool TakesCarrier() const override { return m_pSender->TakesCarrier(); }
    void SetSendCarrier(std::uint32_t nHertz, std::uint32_t nDutyPercent = 0) override
    {
        m_pSender->SetSendCarrier(nHertz, nDutyPercent);
    }

    const CLircDevice& GetSender() const { return *m_pSender; }
    const CLircDevice& GetReceiver() const { return *m_pReceiver; }

private:
    // Takes over what the device that did the work has to tell.
    void TakeNews(const CInfraredDevice& device);
    void UpdateName();

    std::unique_ptr<CLircDevice> m_pSender;
    std::unique_ptr<CLircDevice> m_pReceiver;
    std::string m_strName;
};

// The lirc devices strPaths names: "" for the first device that can send and the first that
// can receive (one device when it does both, or when it is the only one), "/dev/lircN" for one
// device doing what it can, "/dev/lircN,/dev/lircM" for an emitter and a receiver. Null, with
// the reason in words for the person, when they cannot be used so.
std::unique_ptr<CInfraredDevice> OpenLircDevices(CLircSystem& system, const std::string& strPaths,
                                                 std::string& strError);
