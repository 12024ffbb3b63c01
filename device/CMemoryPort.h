#pragma once

#include <cstdint>

// A port whose registers are plain memory: every address of the PC's 10-bit I/O range is one
// byte. Measuring the loops over it shows their own cost, without any bus in the way; tests
// use it to see which registers were touched.
class CMemoryPort
{
public:
    std::uint8_t In(std::uint16_t nAddress) { return m_registers[nAddress & kAddressMask]; }
    void Out(std::uint16_t nAddress, std::uint8_t nValue)
    {
        m_registers[nAddress & kAddressMask] = nValue;
    }
    const char* GetName() const { return "memory"; }

    std::uint8_t Peek(std::uint16_t nAddress) const { return m_registers[nAddress & kAddressMask]; }

private:
    static constexpr std::uint16_t kAddressMask = 0x3FF;

    // Volatile, so that every access the loops make really happens.
    volatile std::uint8_t m_registers[kAddressMask + 1]{};
};
