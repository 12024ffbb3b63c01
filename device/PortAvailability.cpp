#include "device/PortAvailability.h"

#include "device/PortTable.h"

#include <filesystem>
#include <vector>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
bool MayOpenReadWrite(const std::string& strPath)
{
    return access(strPath.c_str(), R_OK | W_OK) == 0;
}
} // namespace

std::string GetOwningGroup(const std::string& strPath)
{
    struct stat status
    {
    };
    if (stat(strPath.c_str(), &status) != 0)
        return {};
    std::vector<char> buffer(4096);
    group entry{};
    group* pEntry = nullptr;
    if (getgrgid_r(status.st_gid, &entry, buffer.data(), buffer.size(), &pEntry) == 0 && pEntry)
        return pEntry->gr_name;
    return std::to_string(status.st_gid);
}

SPortAvailability ProbePort(int nPort, const SPortFolders& folders)
{
    SPortAvailability availability;
    std::error_code error;
    if (!IsValidPort(nPort) || !std::filesystem::is_directory(folders.strProc, error))
        return availability;
    const int nDevice =
        CPpdevPort::FindDeviceNumber(GetPortRegisters(nPort).nData, folders.strProc.c_str());
    availability.nState = EPortAvailability::NoPort;
    if (nDevice < 0)
        return availability;
    availability.strDevice = folders.strDev + "/parport" + std::to_string(nDevice);
    availability.nState = EPortAvailability::NoDevice;
    if (!std::filesystem::exists(availability.strDevice, error))
        return availability;
    const auto pMayOpen = folders.pMayOpen ? folders.pMayOpen : MayOpenReadWrite;
    if (!pMayOpen(availability.strDevice))
    {
        availability.nState = EPortAvailability::NoPermission;
        availability.strGroup = GetOwningGroup(availability.strDevice);
        return availability;
    }
    availability.nState = EPortAvailability::Available;
    return availability;
}
