#include "device/CLircSystem.h"

#include "device/PortAvailability.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace
{
constexpr const char* kDeviceFolder = "/dev";
constexpr const char* kLircClassFolder = "/sys/class/lirc";
constexpr std::string_view kDevicePrefix = "lirc";

// The number after "lirc", or -1 for a file that is not a lirc device.
int GetDeviceNumber(const std::string& strName)
{
    if (!strName.starts_with(kDevicePrefix) || strName.size() == kDevicePrefix.size())
        return -1;
    const std::string strDigits = strName.substr(kDevicePrefix.size());
    if (!std::ranges::all_of(strDigits, [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    return strDigits.size() > 6 ? -1 : std::stoi(strDigits);
}

class CKernelLircSystem final : public CLircSystem
{
public:
    std::vector<std::string> ListDevices() override
    {
        std::vector<std::pair<int, std::string>> found;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(kDeviceFolder, error))
        {
            const int nNumber = GetDeviceNumber(entry.path().filename().string());
            if (nNumber >= 0)
                found.emplace_back(nNumber, entry.path().string());
        }
        std::ranges::sort(found);
        std::vector<std::string> paths;
        for (auto& [nNumber, strPath] : found)
            paths.push_back(std::move(strPath));
        return paths;
    }

    // /sys/class/lirc/lircN lies in the folder of its remote-control device (/sys/class/rc),
    // whose "device" is the hardware: a USB port's interface, a GPIO overlay's node.
    std::string GetHardwareIdentity(const std::string& strPath) override
    {
        namespace fs = std::filesystem;
        std::error_code error;
        const fs::path lirc =
            fs::canonical(fs::path(kLircClassFolder) / fs::path(strPath).filename(), error);
        if (error)
            return {};
        const fs::path hardware = fs::canonical(lirc.parent_path() / "device", error);
        if (error)
            return {};
        const fs::path driver = fs::canonical(hardware / "driver", error);
        return (error ? std::string() : driver.filename().string()) + " at " + hardware.string();
    }

    std::string GetOwningGroup(const std::string& strPath) override
    {
        return ::GetOwningGroup(strPath);
    }

    int Open(const std::string& strPath) override
    {
        return ::open(strPath.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    }

    int Close(int nFd) override { return ::close(nFd); }

    int Ioctl(int nFd, unsigned long nRequest, std::uint32_t& nValue) override
    {
        return ::ioctl(nFd, nRequest, &nValue);
    }

    int Poll(int nFd, short nEvents, short& nRevents, int nTimeoutMs) override
    {
        pollfd entry{nFd, nEvents, 0};
        const int nResult = ::poll(&entry, 1, nTimeoutMs);
        nRevents = entry.revents;
        return nResult;
    }

    long Read(int nFd, void* pBuffer, std::size_t nBytes) override
    {
        return ::read(nFd, pBuffer, nBytes);
    }

    long Write(int nFd, const void* pBuffer, std::size_t nBytes) override
    {
        return ::write(nFd, pBuffer, nBytes);
    }

    std::uint64_t GetMicros() override
    {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::microseconds>(now).count());
    }

    void SleepMicros(std::uint32_t nMicros) override
    {
        std::this_thread::sleep_for(std::chrono::microseconds(nMicros));
    }
};
} // namespace

CLircSystem& GetKernelLircSystem()
{
    static CKernelLircSystem s_system;
    return s_system;
}
