#pragma once

#include "device/CInfraredDevice.h"
#include "device/CRealTimeScope.h"
#include "device/PortTable.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <utility>

// What every port device shares, whatever reaches its registers: the one device buffer and
// the work done outside the timed loops.
class CPortDeviceBase : public CInfraredDevice
{
protected:
    using CLoopClock = std::chrono::steady_clock;

    const SPortRegisters& GetRegisters() const { return GetPortRegisters(m_nPort); }
    // Trims the recording in the device buffer and hands it to the caller.
    static void DeliverCapture(std::uint8_t* pDest, std::uint32_t& nLength);
    // Copies what is to be played into the device buffer; returns the number of bytes to play.
    static std::uint32_t LoadTransmit(const std::uint8_t* pSrc, std::uint32_t nLength);
    static double NanosPerSample(CLoopClock::duration elapsed, std::uint32_t nBytes);

    // Every capture samples into this buffer and every transmit plays out of it. Both run to
    // their end on the one user-interface thread, so they never meet.
    static std::uint8_t s_deviceBuffer[kBitstreamBytes];
};

// The infrared unit reached through a port backend TPort, which provides
//     std::uint8_t In(std::uint16_t nAddress);
//     void Out(std::uint16_t nAddress, std::uint8_t nValue);
//     const char* GetName() const;
// The loops call In and Out directly, so each sample costs one port access and a bit
// operation: the recording's time base is the speed of the port.
template <typename TPort> class CPortDevice final : public CPortDeviceBase
{
public:
    explicit CPortDevice(TPort port) : m_port(std::move(port)) {}

    TPort& GetPortBackend() { return m_port; }

    void EnableDetector() override { m_port.Out(GetRegisters().nData, kDataDetectorReady); }

    int ReadDetectorLine() override
    {
        return m_port.In(GetRegisters().nStatus) & kStatusDetectorLine;
    }

    void CaptureBitstream(std::uint8_t* pDest, std::uint32_t& nLength) override
    {
        const SPortRegisters& registers = GetRegisters();
        {
            const CRealTimeScope realTime(m_bMaskInterrupts, s_deviceBuffer);
            const auto start = CLoopClock::now();
            SampleInto(registers.nStatus);
            const auto elapsed = CLoopClock::now() - start;
            // Detector off before the thread leaves real-time scheduling.
            m_port.Out(registers.nData, kDataAllOff);
            m_dCaptureNanosPerSample = NanosPerSample(elapsed, kBitstreamBytes);
        }
        DeliverCapture(pDest, nLength);
    }

    void TransmitBitstream(const std::uint8_t* pSrc, std::uint32_t nLength) override
    {
        const std::uint32_t nBytes = LoadTransmit(pSrc, nLength);
        const SPortRegisters& registers = GetRegisters();
        CLoopClock::duration elapsed{};
        {
            const CRealTimeScope realTime(m_bMaskInterrupts, s_deviceBuffer);
            const auto start = CLoopClock::now();
            PlayFrom(registers.nData, nBytes);
            elapsed = CLoopClock::now() - start;
        }
        m_port.Out(registers.nData, kDataAllOff);
        if (nBytes != 0)
            m_dTransmitNanosPerSample = NanosPerSample(elapsed, nBytes);
    }

    double LoopBackBitstream(std::uint8_t* pBits, std::uint32_t nLength) override
    {
        const std::uint32_t nBytes = LoadTransmit(pBits, nLength);
        const SPortRegisters& registers = GetRegisters();
        CLoopClock::duration elapsed{};
        {
            const CRealTimeScope realTime(m_bMaskInterrupts, s_deviceBuffer);
            const auto start = CLoopClock::now();
            PlayAndSample(registers.nData, registers.nStatus, nBytes);
            elapsed = CLoopClock::now() - start;
        }
        m_port.Out(registers.nData, kDataAllOff);
        std::copy_n(s_deviceBuffer, nBytes, pBits);
        return nBytes != 0 ? NanosPerSample(elapsed, nBytes) : 0;
    }

    const char* GetBackendName() const override { return m_port.GetName(); }

    // Only the simulated unit's remote is heard between recordings: a port has no receiver of
    // its own that gathers a signal while nobody samples the line.
    bool HearsOnItsOwn() const override { return kHasRemote; }
    bool HearSignal([[maybe_unused]] std::vector<std::uint32_t>& durations,
                    int /*nMaxWaitMs*/) override
    {
        if constexpr (kHasRemote)
            return m_port.GetRemote().TakeHeard(durations);
        return false;
    }

private:
    static constexpr bool kHasRemote = requires(TPort & port) { port.GetRemote(); };

    // The earliest sample lands in the most significant bit; a low line means infrared.
    void SampleInto(std::uint16_t nStatus)
    {
        for (std::uint8_t& nByte : s_deviceBuffer)
        {
            unsigned nBits = 0;
            for (int nSample = 0; nSample < 8; ++nSample)
                nBits = (nBits << 1) | (((m_port.In(nStatus) >> kStatusDetectorShift) & 1u) ^ 1u);
            nByte = static_cast<std::uint8_t>(nBits);
        }
    }

    // The same shape as SampleInto, so that a recording plays back at the rate it was taken.
    void PlayFrom(std::uint16_t nData, std::uint32_t nBytes)
    {
        for (std::uint32_t nIndex = 0; nIndex < nBytes; ++nIndex)
        {
            const unsigned nBits = s_deviceBuffer[nIndex];
            for (int nShift = 7; nShift >= 0; --nShift)
                m_port.Out(nData, static_cast<std::uint8_t>((nBits >> nShift) & kDataEmitterOn));
        }
    }

    // Each sample sets the emitter, then reads what the detector makes of it; the heard byte
    // takes the played one's place.
    void PlayAndSample(std::uint16_t nData, std::uint16_t nStatus, std::uint32_t nBytes)
    {
        for (std::uint32_t nIndex = 0; nIndex < nBytes; ++nIndex)
        {
            const unsigned nPlayed = s_deviceBuffer[nIndex];
            unsigned nHeard = 0;
            for (int nShift = 7; nShift >= 0; --nShift)
            {
                m_port.Out(nData, static_cast<std::uint8_t>(
                                      kDataDetectorReady | ((nPlayed >> nShift) & kDataEmitterOn)));
                nHeard = (nHeard << 1) | (((m_port.In(nStatus) >> kStatusDetectorShift) & 1u) ^ 1u);
            }
            s_deviceBuffer[nIndex] = static_cast<std::uint8_t>(nHeard);
        }
    }

    TPort m_port;
};
