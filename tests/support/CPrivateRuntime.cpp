#include "support/CPrivateRuntime.h"

#include <cstdlib>

CPrivateRuntime::CPrivateRuntime()
{
    if (const char* pszOld = std::getenv("XDG_RUNTIME_DIR"))
    {
        m_strOld = pszOld;
        m_bHadOld = true;
    }
    setenv("XDG_RUNTIME_DIR", m_folder.GetPath().c_str(), 1);
}

CPrivateRuntime::~CPrivateRuntime()
{
    if (m_bHadOld)
        setenv("XDG_RUNTIME_DIR", m_strOld.c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
}
