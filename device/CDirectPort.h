#pragma once

#include <cstdint>
#include <optional>
#include <string>

#if defined(__i386__) || defined(__x86_64__)
#define QUORBIT_HAS_PORT_IO 1
#include <sys/io.h>
#else
#define QUORBIT_HAS_PORT_IO 0
#endif

// The port registers reached with the processor's own I/O instructions. Needs an x86
// processor and the right to raw I/O (CAP_SYS_RAWIO); the right belongs to the thread that
// opened the port, so sample and play on that thread.
class CDirectPort
{
public:
    // Asks for every port of the port table; fails, with the reason in strError, when the
    // process may not have them.
    static std::optional<CDirectPort> Open(std::string& strError);

    // Whether a parallel port answers at data register nData: its latch reads back what was
    // written. Leaves the register at 0.
    bool Answers(std::uint16_t nData);

#if QUORBIT_HAS_PORT_IO
    std::uint8_t In(std::uint16_t nAddress)
    {
        return inb(nAddress);
    }
    void Out(std::uint16_t nAddress, std::uint8_t nValue)
    {
        outb(nValue, nAddress);
    }
#else
    std::uint8_t In(std::uint16_t)
    {
        return 0xFF;
    }
    void Out(std::uint16_t, std::uint8_t) {}
#endif
    const char* GetName() const
    {
        return "direct";
    }

private:
    CDirectPort() = default;
};
