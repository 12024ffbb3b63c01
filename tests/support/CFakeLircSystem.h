#pragma once

#include "device/CLircSystem.h"

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include <linux/lirc.h>

// Lirc devices as lirc(4) describes them, for tests: values to read queue up (a press arrives
// once the reader looks for it), what is written is kept, the driver's timeout report follows a
// signal once it has gone quiet, and faults come where the test puts them. Time passes only in
// poll timeouts, waits, the signals written and a microsecond each poll costs, so nothing here
// waits for real.
class CFakeLircSystem : public CLircSystem
{
public:
    // What a poll costs, so that a caller that polls without waiting still sees time pass.
    static constexpr std::uint64_t kMicrosPerPoll = 1;
    static constexpr std::uint32_t kFullFeatures =
        LIRC_CAN_REC_MODE2 | LIRC_CAN_SEND_PULSE | LIRC_CAN_SET_SEND_CARRIER |
        LIRC_CAN_SET_SEND_DUTY_CYCLE | LIRC_CAN_SET_REC_TIMEOUT;

    struct SArrival
    {
        std::uint64_t nAtMicros = 0;
        std::vector<std::uint32_t> values;
    };

    struct SDevice
    {
        std::uint32_t nFeatures = kFullFeatures;
        int nOpenError = 0; // errno that opening fails with
        bool bAnswersFeatures = true;
        std::string strGroup = "plugdev";
        bool bLoopBack = false; // what is sent is heard by its own receiver
        std::string strFacing;  // the device whose receiver hears what this one sends
        bool bReportsTimeout = true;
        // Pulled out: the file is gone, every call on an open descriptor fails with ENODEV and
        // poll reports a hang-up. Plugged back in, it is a new device, often under a new number.
        bool bUnplugged = false;
        std::string strIdentity;            // what the kernel tells of the hardware
        std::size_t nMaxWriteValues = 1024; // fewer: the driver takes part of a write
        // A driver that cannot send as many refuses the write with EINVAL, as lirc-write says.
        std::size_t nRefuseAboveValues = 1024;
        // How long after the signal has played a write returns: a process woken late.
        std::uint32_t nWakeLateMicros = 0;
        std::deque<std::uint32_t> readable;
        // Presses not yet made: each becomes readable when the queue is empty and the reader
        // polls for more.
        std::deque<std::vector<std::uint32_t>> presses;
        // Values that come at a time of the clock: a press after a wait, a held button's repeats.
        std::deque<SArrival> arrivals;
        std::deque<int> readErrors;  // the next reads fail with these, one each
        std::deque<int> writeErrors; // likewise for writes
        bool bSignalPending = false; // heard values without their timeout report yet

        std::vector<std::uint32_t> written;
        std::vector<std::size_t> writeCounts;
        std::vector<std::uint64_t> writeStarts; // when each write that took values began
        std::uint64_t nPlayedUntil = 0;         // when the last write stopped playing
        std::uint32_t nCarrier = 0;
        std::uint32_t nDutyCycle = 0;
        std::uint32_t nRecTimeout = 0;
        std::uint32_t nRecMode = 0;
        std::size_t nPolls = 0;
    };

    SDevice& AddDevice(const std::string& strPath);
    SDevice& GetDevice(const std::string& strPath) { return m_devices.at(strPath); }
    std::size_t CountOpen() const { return m_open.size(); }
    // A frame the device played: when its first mark began on the fake's clock, and its marks
    // and spaces. A space of 5.5 ms or more, within a write or between two, parts two frames.
    struct SPlayedFrame
    {
        std::uint64_t nStart = 0;
        std::vector<std::uint32_t> durations;
    };
    // The frames written to the device, whether it wrote them one a write or several at once.
    static std::vector<SPlayedFrame> ReadPlayedFrames(const SDevice& device);
    // Lirc values for durations (a mark first), after the long space a driver begins with.
    static std::vector<std::uint32_t> ToValues(const std::vector<std::uint32_t>& durations);

    std::vector<std::uint32_t> m_sleeps;
    std::uint64_t m_nMicros = 1000000;

    std::vector<std::string> ListDevices() override;
    std::string GetHardwareIdentity(const std::string& strPath) override;
    std::string GetOwningGroup(const std::string& strPath) override;
    int Open(const std::string& strPath) override;
    int Close(int nFd) override;
    int Ioctl(int nFd, unsigned long nRequest, std::uint32_t& nValue) override;
    int Poll(int nFd, short nEvents, short& nRevents, int nTimeoutMs) override;
    long Read(int nFd, void* pBuffer, std::size_t nBytes) override;
    long Write(int nFd, const void* pBuffer, std::size_t nBytes) override;
    std::uint64_t GetMicros() override { return m_nMicros; }
    void SleepMicros(std::uint32_t nMicros) override;

private:
    SDevice* Find(int nFd);
    // The device for a read or write; null, with errno set, when the call is to fail.
    SDevice* FindForTransfer(int nFd, bool bRead);
    void Hear(SDevice& device, std::uint32_t nValue);
    // Makes readable what has come by now, or by nUntil when nothing has and it comes by then.
    void Arrive(SDevice& device, std::uint64_t nUntil);
    void WaitForTimeoutReport(SDevice& device);

    std::map<std::string, SDevice> m_devices;
    std::map<int, std::string> m_open;
    int m_nNextFd = 100;
};
