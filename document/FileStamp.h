#pragma once

#include <cstdint>
#include <string>

struct stat;

// What identifies one version of a file on disk: a save that puts a new file in its place
// changes the inode, a program that writes it in place changes its size or time.
struct SFileStamp
{
    bool bExists = false;
    std::uint64_t nDevice = 0, nInode = 0, nSize = 0;
    std::int64_t nSeconds = 0, nNanoseconds = 0;
    bool operator==(const SFileStamp&) const = default;
};

// The stamp of what an open file (or one looked up) is now.
SFileStamp MakeFileStamp(const struct stat& status);
// The stamp of the file strPath names, following links; one that does not exist when it is
// missing.
SFileStamp ReadFileStamp(const std::string& strPath);
