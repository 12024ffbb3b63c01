#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

// Puts the process in a fixed time zone for the life of the object, so that tests of local
// calendar arithmetic do not depend on the machine's zone.
class CScopedTimeZone
{
public:
    explicit CScopedTimeZone(const char* pszZone)
    {
        if (const char* pszOld = std::getenv("TZ"))
            m_strOld = pszOld;
        setenv("TZ", pszZone, 1);
        tzset();
    }
    ~CScopedTimeZone()
    {
        if (m_strOld)
            setenv("TZ", m_strOld->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    CScopedTimeZone(const CScopedTimeZone&) = delete;
    CScopedTimeZone& operator=(const CScopedTimeZone&) = delete;

private:
    std::optional<std::string> m_strOld;
};
