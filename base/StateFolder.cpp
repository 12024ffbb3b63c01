#include "base/StateFolder.h"

#include <cstdlib>
#include <filesystem>

#include <pwd.h>
#include <unistd.h>

std::string GetStateFolder()
{
    std::filesystem::path folder;
    if (const char* pszState = std::getenv("XDG_STATE_HOME"); pszState && *pszState == '/')
        folder = pszState;
    else if (const char* pszHome = std::getenv("HOME"); pszHome && *pszHome)
        folder = std::filesystem::path(pszHome) / ".local/state";
    else if (const passwd* pUser = getpwuid(getuid()))
        folder = std::filesystem::path(pUser->pw_dir) / ".local/state";
    else
        return {};
    return (folder / "quorbit").string();
}
