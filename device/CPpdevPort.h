#pragma once

#include "device/PortTable.h"

#include <cstdint>
#include <optional>
#include <string>

// Parallel ports through the kernel's parport devices (/dev/parportN). The kernel numbers its
// ports in no fixed order, so each device is matched to a port by its base address. The port
// stays claimed while the object lives.
class CPpdevPort
{
public:
    static constexpr const char* kProcDirectory = "/proc/sys/dev/parport";

    // Opens and claims the device of port nPort (1..3). Fails, with the reason in strError,
    // when it cannot be had. Registers of other ports read as a floating bus and take no
    // writes: a change of port needs a new object.
    static std::optional<CPpdevPort> Open(int nPort, std::string& strError);
    // The N of the /dev/parportN whose base address is nBase, or -1.
    static int FindDeviceNumber(std::uint16_t nBase, const char* pszProcDirectory = kProcDirectory);
    // The driver that holds port N at the moment ("ppdev0", "lp0"), or "" when none does.
    static std::string GetClaimant(int nDevice, const char* pszProcDirectory = kProcDirectory);

    CPpdevPort(CPpdevPort&& other) noexcept;
    CPpdevPort& operator=(CPpdevPort&&) = delete;
    ~CPpdevPort();

    // The port's status register is read and its data register written; any other address
    // reads as a floating bus and takes no writes.
    std::uint8_t In(std::uint16_t nAddress);
    void Out(std::uint16_t nAddress, std::uint8_t nValue);
    const char* GetName() const { return m_strName.c_str(); }

private:
    CPpdevPort() = default;
    bool OpenRow(std::size_t nRow, std::string& strError);
    // The open, claimed device of the port in use, and that port's registers.
    int m_fd = -1;
    SPortRegisters m_registers{};
    std::string m_strName;
};
