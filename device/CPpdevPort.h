#pragma once

#include "device/PortTable.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// Parallel ports through the kernel's parport devices (/dev/parportN). The kernel numbers its
// ports in no fixed order, so each device is matched to a port by its base address. The ports
// stay claimed while the object lives.
class CPpdevPort
{
public:
    static constexpr const char* kProcDirectory = "/proc/sys/dev/parport";

    // Opens the device of port nPort (1..3) and, while at it, of the other standard ports the
    // kernel has, so that a later change of port keeps working. Fails, with the reason in
    // strError, when port nPort cannot be had.
    static std::optional<CPpdevPort> Open(int nPort, std::string& strError);
    // The N of the /dev/parportN whose base address is nBase, or -1.
    static int FindDeviceNumber(std::uint16_t nBase, const char* pszProcDirectory = kProcDirectory);
    // The driver that holds port N at the moment ("ppdev0", "lp0"), or "" when none does.
    static std::string GetClaimant(int nDevice, const char* pszProcDirectory = kProcDirectory);

    CPpdevPort(CPpdevPort&& other) noexcept;
    CPpdevPort& operator=(CPpdevPort&&) = delete;
    ~CPpdevPort();

    // Status registers are read, data registers written; anything else reads as a floating bus.
    std::uint8_t In(std::uint16_t nAddress);
    void Out(std::uint16_t nAddress, std::uint8_t nValue);
    const char* GetName() const { return m_strName.c_str(); }

private:
    CPpdevPort() = default;
    bool OpenRow(std::size_t nRow, std::string& strError);
    // The open device whose register (data or status) is at nAddress, or -1.
    int FindDevice(std::uint16_t SPortRegisters::*pRegister, std::uint16_t nAddress) const;

    // One open, claimed device per row of the port table, or -1.
    std::array<int, kPortCount> m_fds{-1, -1, -1};
    std::string m_strName;
};
