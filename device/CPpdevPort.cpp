#include "device/CPpdevPort.h"

#include <linux/parport.h>
#include <linux/ppdev.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace
{
std::string ErrnoText()
{
    return std::system_category().message(errno);
}

std::string DevicePath(int nDevice)
{
    return "/dev/parport" + std::to_string(nDevice);
}

std::string HexAddress(std::uint16_t nAddress)
{
    char szText[8];
    std::snprintf(szText, sizeof szText, "0x%03x", nAddress);
    return szText;
}
} // namespace

int CPpdevPort::FindDeviceNumber(std::uint16_t nBase, const char* pszProcDirectory)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(pszProcDirectory, error))
    {
        const std::string strName = entry.path().filename().string();
        if (strName.rfind("parport", 0) != 0 || strName.size() == 7 ||
            strName.find_first_not_of("0123456789", 7) != std::string::npos)
            continue;
        // The file holds the base address first, in decimal, then the extended one.
        std::ifstream file(entry.path() / "base-addr");
        unsigned long nAddress = 0;
        if (file >> nAddress && nAddress == nBase)
            return std::stoi(strName.substr(7));
    }
    return -1;
}

std::string CPpdevPort::GetClaimant(int nDevice, const char* pszProcDirectory)
{
    std::ifstream file(std::filesystem::path(pszProcDirectory) /
                       ("parport" + std::to_string(nDevice)) / "devices" / "active");
    std::string strName;
    if (!(file >> strName) || strName == "none")
        return {};
    return strName;
}

bool CPpdevPort::OpenRow(std::size_t nRow, std::string& strError)
{
    const std::uint16_t nBase = kPortTable[nRow].nData;
    const int nDevice = FindDeviceNumber(nBase);
    if (nDevice < 0)
    {
        strError = "no parallel port device has base address " + HexAddress(nBase) +
                   " (are the parport_pc and ppdev modules loaded?)";
        return false;
    }
    const std::string strPath = DevicePath(nDevice);
    // Claiming a port that another program holds (another run of this one, say) waits until
    // that program lets go, which may be never; the port is refused instead.
    const std::string strClaimant = GetClaimant(nDevice);
    if (!strClaimant.empty())
    {
        strError = strPath + " is in use by " + strClaimant;
        return false;
    }
    const int fd = open(strPath.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
    {
        const bool bDenied = errno == EACCES;
        strError = "cannot open " + strPath + ": " + ErrnoText() +
                   (bDenied ? " (the user needs to be in group lp)" : "");
        return false;
    }
    if (ioctl(fd, PPCLAIM) != 0)
    {
        strError = "cannot claim " + strPath + ": " + ErrnoText();
        close(fd);
        return false;
    }
    m_fd = fd;
    m_registers = kPortTable[nRow];
    m_strName = "ppdev " + strPath;
    return true;
}

std::optional<CPpdevPort> CPpdevPort::Open(int nPort, std::string& strError)
{
    if (!IsValidPort(nPort))
    {
        strError = "port " + std::to_string(nPort) + " is not 1, 2 or 3";
        return std::nullopt;
    }
    // Only the port in use is claimed: a claimed port is closed to the printer driver, and a
    // change of port opens the device afresh.
    CPpdevPort port;
    if (!port.OpenRow(static_cast<std::size_t>(nPort - 1), strError))
        return std::nullopt;
    return port;
}

CPpdevPort::CPpdevPort(CPpdevPort&& other) noexcept
    : m_fd(other.m_fd), m_registers(other.m_registers), m_strName(std::move(other.m_strName))
{
    other.m_fd = -1;
}

CPpdevPort::~CPpdevPort()
{
    if (m_fd < 0)
        return;
    ioctl(m_fd, PPRELEASE);
    close(m_fd);
}

std::uint8_t CPpdevPort::In(std::uint16_t nAddress)
{
    unsigned char nValue = 0;
    return nAddress == m_registers.nStatus && ioctl(m_fd, PPRSTATUS, &nValue) == 0 ? nValue : 0xFF;
}

void CPpdevPort::Out(std::uint16_t nAddress, std::uint8_t nValue)
{
    unsigned char nData = nValue;
    if (nAddress == m_registers.nData)
        ioctl(m_fd, PPWDATA, &nData);
}
