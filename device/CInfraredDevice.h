#pragma once

#include "base/TimedFrames.h"

#include <cstdint>
#include <string>
#include <vector>

// The infrared unit on a parallel port: the detector on status bit 4, the emitter on data
// bit 0, the detector's enable on data bit 1. Backends reach the port registers in their own
// way (kernel parport device, direct port I/O, a simulated unit), or stand for such a unit with
// a device of the kernel's own that hears and plays marks and spaces (a lirc device).
class CInfraredDevice
{
public:
    virtual ~CInfraredDevice() = default;

    // Port 1, 2 or 3 selects the port and the interrupt-masking flag; any other port number
    // is ignored and changes neither.
    void SelectPort(int nPort, bool bMaskInterrupts);
    int GetPort() const { return m_nPort; }
    bool GetMaskInterrupts() const { return m_bMaskInterrupts; }

    virtual void EnableDetector() = 0;
    // 0x10 while the detector line is high (no infrared), 0 while infrared is seen.
    virtual int ReadDetectorLine() = 0;
    // Waits up to nMaxWaitMs for the detector line to read high (no infrared) or low; true when
    // it does. A unit on a port cannot be waited on: it reads the line a burst of times (some
    // milliseconds on a port) and returns, a read of the fall followed by the recording at once.
    // A device that tells of what it hears sleeps until something comes.
    virtual bool WaitForDetectorLine(bool bHigh, int nMaxWaitMs);
    // Records 400,000 samples into pDest (a 50,000-byte field); nLength is the most the caller
    // accepts on entry and the number of bytes recorded on return.
    virtual void CaptureBitstream(std::uint8_t* pDest, std::uint32_t& nLength) = 0;
    // Plays min(nLength, 50,000) bytes of pSrc to the emitter.
    virtual void TransmitBitstream(const std::uint8_t* pSrc, std::uint32_t nLength) = 0;
    // Plays mark and space durations (microseconds, a mark first). A unit that plays samples
    // lays them out at dNanosPerSample, its own period, and refuses (GetLastFault) a signal
    // longer than the 400,000 samples it plays; a device that plays durations itself takes
    // them as they are, however long.
    virtual void TransmitDurations(const std::vector<std::uint32_t>& durations,
                                   double dNanosPerSample);
    // Plays min(nLength, 50,000) bytes of pBits to the emitter with the detector powered and, in
    // the same loop, records the detector over them into pBits: the one way a single thread can
    // hear what it sends. A sample then costs a write and a read, so the loop keeps its own
    // period, returned in nanoseconds (0 when nothing was played, or when the device cannot
    // both send and receive), and changes neither of the figures below.
    virtual double LoopBackBitstream(std::uint8_t* pBits, std::uint32_t nLength) = 0;
    // A short name for the person: "ppdev /dev/parport0", "direct", "simulated", "lirc
    // /dev/lirc0, send and receive", "lirc /dev/lirc1 (send), /dev/lirc0 (receive)", ...
    virtual const char* GetBackendName() const = 0;

    // A device that was unplugged is opened again when it is back; the others have nothing to do.
    virtual void Revive() {}
    // A unit on a port does both; some lirc devices only one.
    virtual bool CanSend() const { return true; }
    virtual bool CanReceive() const { return true; }
    // The sample period a device's bitstreams have whatever its loop costs, in nanoseconds; 0
    // for a device whose period is that of its own loop.
    virtual double GetNominalNanosPerSample() const { return 0; }
    // Listening between firings. A device that hears on its own (a lirc receiver, the simulated
    // unit's remote) takes what has arrived, waiting up to nMaxWaitMs for it, and returns true
    // once a whole signal has been heard: its marks and spaces in microseconds, a mark first, in
    // durations. A unit on a port records only while it learns, and never hears so.
    virtual bool HearsOnItsOwn() const { return false; }
    virtual bool HearSignal(std::vector<std::uint32_t>& /*durations*/, int /*nMaxWaitMs*/)
    {
        return false;
    }
    // The descriptor an event loop may watch for what comes to be heard; -1 when there is none
    // (the loop then looks at every beat).
    virtual int GetHearingDescriptor() const { return -1; }
    // Devices that modulate the marks themselves take the carrier of what they play next, in
    // hertz; 0 asks for their usual one.
    virtual bool TakesCarrier() const { return false; }
    // nDutyPercent 0 asks for the device's usual duty cycle.
    virtual void SetSendCarrier(std::uint32_t /*nHertz*/, std::uint32_t /*nDutyPercent*/ = 0) {}

    // Plays the frames of a held button, each beginning its nStartMicros after the first began.
    // A unit on a port plays them as one recording, the silences between them as samples of
    // dNanosPerSample (the period it plays at), so no longer than a field holds; a device that
    // plays durations itself times each frame's start on its own clock.
    virtual void TransmitTimedFrames(const CTimedFrames& frames, double dNanosPerSample);
    // The longest run of timed frames the unit plays, from the first frame's start to the last
    // one's end, in microseconds.
    virtual std::uint64_t GetLongestTimedMicros(double dNanosPerSample) const;

    // Why the last capture or transmit failed, in words for the person (no closing full stop);
    // empty when it worked.
    // A failed capture delivers nothing (nLength 0), and the caller keeps what it had.
    const std::string& GetLastFault() const { return m_strFault; }
    // What the person should know about the last capture, which was still delivered ("the
    // signal was cut ..."); empty when there is nothing to tell.
    const std::string& GetLastNotice() const { return m_strNotice; }

    // How long one sample took in the last capture and the last transmit that played anything,
    // in nanoseconds (0 until then): the resolution of what was recorded or sent.
    double GetLastCaptureNanosPerSample() const { return m_dCaptureNanosPerSample; }
    double GetLastTransmitNanosPerSample() const { return m_dTransmitNanosPerSample; }

protected:
    short m_nPort = 1;
    bool m_bMaskInterrupts = true;
    double m_dCaptureNanosPerSample = 0;
    double m_dTransmitNanosPerSample = 0;
    std::string m_strFault;
    std::string m_strNotice;
};
