#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The few system calls a kernel lirc device is driven with, so that the device can be played by
// a stand-in that behaves as lirc(4) says. Each call behaves as the system call it is named
// after on one descriptor: -1 with errno set when it fails.
class CLircSystem
{
public:
    virtual ~CLircSystem() = default;

    // The lirc device files on this computer, /dev/lirc0 first.
    virtual std::vector<std::string> ListDevices() = 0;
    // What the kernel tells of the hardware behind a device file, to know it again when it is
    // plugged back under another number: its driver and its place; empty when it tells nothing.
    virtual std::string GetHardwareIdentity(const std::string& strPath) = 0;
    // The group that owns a device file, for a person who may not open it.
    virtual std::string GetOwningGroup(const std::string& strPath) = 0;

    // Opens for reading and writing, without blocking, not inherited by child programs.
    virtual int Open(const std::string& strPath) = 0;
    virtual int Close(int nFd) = 0;
    // The lirc requests take or give one 32-bit value.
    virtual int Ioctl(int nFd, unsigned long nRequest, std::uint32_t& nValue) = 0;
    // Waits up to nTimeoutMs for nEvents on the descriptor; what happened lands in nRevents.
    virtual int Poll(int nFd, short nEvents, short& nRevents, int nTimeoutMs) = 0;
    virtual long Read(int nFd, void* pBuffer, std::size_t nBytes) = 0;
    virtual long Write(int nFd, const void* pBuffer, std::size_t nBytes) = 0;

    // A steady count of microseconds and a wait: a stand-in's time passes only as it is used.
    virtual std::uint64_t GetMicros() = 0;
    virtual void SleepMicros(std::uint32_t nMicros) = 0;
};

// The kernel's own calls.
CLircSystem& GetKernelLircSystem();
