#include "device/CRtcClock.h"

#include "base/CTime.h"

#include <linux/rtc.h>

#include <cerrno>
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
} // namespace

bool CRtcClock::ReadChip(std::tm& fields, std::string& strError)
{
    // Opened for each reading: only one process may hold the device, and others (the
    // system's own clock tools) need it too.
    const int fd = open(kDevice, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
    {
        strError = std::string("cannot open ") + kDevice + ": " + ErrnoText();
        return false;
    }
    rtc_time chip{};
    const bool bRead = ioctl(fd, RTC_RD_TIME, &chip) == 0;
    if (!bRead)
        strError = std::string("cannot read ") + kDevice + ": " + ErrnoText();
    close(fd);
    fields = std::tm{};
    fields.tm_year = chip.tm_year;
    fields.tm_mon = chip.tm_mon;
    fields.tm_mday = chip.tm_mday;
    fields.tm_hour = chip.tm_hour;
    fields.tm_min = chip.tm_min;
    fields.tm_sec = chip.tm_sec;
    return bRead;
}

std::unique_ptr<CRtcClock> CRtcClock::Open(std::string& strError)
{
    std::tm fields{};
    if (!ReadChip(fields, strError))
        return nullptr;
    return std::unique_ptr<CRtcClock>(new CRtcClock(KeepsLocalTime(kAdjtime)));
}

bool CRtcClock::KeepsLocalTime(const char* pszAdjtime)
{
    std::ifstream file(pszAdjtime);
    std::string strLine;
    for (int nLine = 0; nLine < 3; ++nLine)
    {
        if (!std::getline(file, strLine))
            return false;
    }
    return strLine.rfind("LOCAL", 0) == 0;
}

SBcdReading CRtcClock::ToLocalReading(const std::tm& chipFields, bool bChipKeepsLocalTime)
{
    if (bChipKeepsLocalTime)
        return MakeBcdReading(chipFields);
    std::tm utc = chipFields;
    const std::time_t nTime = timegm(&utc);
    std::tm local{};
    localtime_r(&nTime, &local);
    return MakeBcdReading(local);
}

bool CRtcClock::ReadClock(SBcdReading& reading)
{
    std::tm fields{};
    std::string strIgnored;
    if (!ReadChip(fields, strIgnored))
        return false;
    reading = ToLocalReading(fields, m_bKeepsLocalTime);
    return true;
}

bool CRtcClock::SetSystemClock(const CTime& time, std::string& strError)
{
    const timespec at{static_cast<std::time_t>(time.GetTime()), 0};
    if (clock_settime(CLOCK_REALTIME, &at) == 0)
        return true;
    const bool bDenied = errno == EPERM;
    strError = "cannot set the system clock: " + ErrnoText() +
               (bDenied ? " (setting the time needs root or the CAP_SYS_TIME capability)" : "");
    return false;
}
