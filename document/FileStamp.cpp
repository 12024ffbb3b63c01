#include "document/FileStamp.h"

#include <sys/stat.h>

SFileStamp MakeFileStamp(const struct stat& status)
{
    return {true,
            static_cast<std::uint64_t>(status.st_dev),
            static_cast<std::uint64_t>(status.st_ino),
            static_cast<std::uint64_t>(status.st_size),
            static_cast<std::int64_t>(status.st_mtim.tv_sec),
            static_cast<std::int64_t>(status.st_mtim.tv_nsec)};
}

SFileStamp ReadFileStamp(const std::string& strPath)
{
    struct stat status
    {
    };
    return ::stat(strPath.c_str(), &status) == 0 ? MakeFileStamp(status) : SFileStamp{};
}
