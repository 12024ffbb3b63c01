#include "control/CMosquittoLibrary.h"

#include <cerrno>
#include <cstring>

#include <dlfcn.h>

namespace
{
// Finds the library's call pszSymbol in the loaded library; false when it lacks it.
template <class TCall> bool Resolve(void* pHandle, const char* pszSymbol, TCall& pfnCall)
{
    pfnCall = reinterpret_cast<TCall>(dlsym(pHandle, pszSymbol));
    return pfnCall != nullptr;
}

struct SLoaded
{
    CMosquittoLibrary library;
    bool bLoaded = false;
    std::string strError;
};

SLoaded LoadOnce()
{
    SLoaded loaded;
    loaded.bLoaded = loaded.library.Load(CMosquittoLibrary::kFileName, loaded.strError);
    // Once per process, before the first client, as the library asks.
    if (loaded.bLoaded)
        loaded.library.m_pfnLibInit();
    return loaded;
}
} // namespace

const CMosquittoLibrary* CMosquittoLibrary::Get(std::string& strError)
{
    static const SLoaded loaded = LoadOnce();
    strError = loaded.strError;
    return loaded.bLoaded ? &loaded.library : nullptr;
}

bool CMosquittoLibrary::Load(const char* pszFile, std::string& strError)
{
    void* pHandle = dlopen(pszFile, RTLD_NOW | RTLD_LOCAL);
    bool bFound = pHandle != nullptr;
#define QUORBIT_MOSQUITTO_RESOLVE(Name, symbol)                                                    \
    bFound = bFound && Resolve(pHandle, #symbol, m_pfn##Name);
    QUORBIT_MOSQUITTO_CALLS(QUORBIT_MOSQUITTO_RESOLVE)
#undef QUORBIT_MOSQUITTO_RESOLVE
    if (bFound)
        return true;
    // dlerror names the file, and the call missing from an older library.
    strError =
        std::string("MQTT needs ") + pszFile +
        " (Debian package libmosquitto1, 1.6 or later), which cannot be loaded: " + dlerror();
    if (pHandle)
        dlclose(pHandle);
    return false;
}

std::string CMosquittoLibrary::DescribeResult(int nResult) const
{
    std::string strText = nResult == MOSQ_ERR_ERRNO ? std::strerror(errno) : m_pfnStrerror(nResult);
    if (strText.ends_with('.'))
        strText.pop_back();
    return strText;
}
