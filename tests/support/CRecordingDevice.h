#pragma once

#include "device/CInfraredDevice.h"

#include <cstdint>
#include <vector>

class CScriptedTickSource;

// An infrared unit that keeps every transmission with the tick count at which it started, and
// captures a scripted bitstream. A transmission can be made to take time on the tick source.
class CRecordingDevice : public CInfraredDevice
{
public:
    struct STransmission
    {
        std::uint32_t nTick;
        std::vector<std::uint8_t> bytes;
    };

    explicit CRecordingDevice(CScriptedTickSource& ticks) : m_ticks(ticks) {}

    void EnableDetector() override { ++m_nDetectorEnables; }
    int ReadDetectorLine() override { return 0x10; }
    void CaptureBitstream(std::uint8_t* pDest, std::uint32_t& nLength) override;
    void TransmitBitstream(const std::uint8_t* pSrc, std::uint32_t nLength) override;
    // Plays nothing: the bits stay as given.
    double LoopBackBitstream(std::uint8_t*, std::uint32_t) override { return 0; }
    const char* GetBackendName() const override { return "recording"; }

    std::vector<STransmission> m_sent;
    // What a capture delivers; it is cut to the capacity the caller gives.
    std::vector<std::uint8_t> m_capture;
    std::uint32_t m_nLastCaptureCapacity = 0;
    std::uint32_t m_nTransmitMs = 0;
    int m_nDetectorEnables = 0;

private:
    CScriptedTickSource& m_ticks;
};
