#include "app/CRecoveryFolder.h"

#include "base/CFileDescriptor.h"
#include "common/CLastFiredStore.h"
#include "document/CSafeFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr const char* kUntitled = "untitled";
constexpr const char* kCopyExtension = ".qb";
constexpr const char* kPathExtension = ".path";
// A path is at most 4096 bytes.
constexpr std::size_t kMaxPathBytes = 8192;

std::span<const std::uint8_t> AsBytes(const std::string& strText)
{
    return {reinterpret_cast<const std::uint8_t*>(strText.data()), strText.size()};
}

// The name of a path: 64-bit FNV-1a of its bytes in hexadecimal, short enough for any file
// system however long the path.
std::string HashName(const std::string& strPath)
{
    std::uint64_t nHash = 14695981039346656037ULL;
    for (const char ch : strPath)
        nHash = (nHash ^ static_cast<std::uint8_t>(ch)) * 1099511628211ULL;
    char szName[17];
    std::snprintf(szName, sizeof szName, "%016llx", static_cast<unsigned long long>(nHash));
    return szName;
}
} // namespace

std::string CRecoveryFolder::GetDefaultFolder()
{
    const std::string strStateFile = CLastFiredStore::GetDefaultFile();
    if (strStateFile.empty())
        return {};
    return (std::filesystem::path(strStateFile).parent_path() / "recovery").string();
}

CRecoveryFolder::CRecoveryFolder(std::string strFolder) : m_strFolder(std::move(strFolder)) {}

std::string CRecoveryFolder::GetName(const std::string& strDocument) const
{
    if (strDocument.empty())
        return kUntitled;
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(strDocument, error);
    return HashName(error ? strDocument : canonical.string());
}

std::string CRecoveryFolder::GetPath(const std::string& strName, const char* pszExtension) const
{
    return (std::filesystem::path(m_strFolder) / (strName + pszExtension)).string();
}

bool CRecoveryFolder::MakeFolder(std::string& strError) const
{
    if (m_strFolder.empty())
    {
        strError = "there is no home folder to keep it in";
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(m_strFolder).parent_path(), error);
    if (::mkdir(m_strFolder.c_str(), 0700) != 0 && errno != EEXIST)
    {
        strError = m_strFolder + ": " + std::strerror(errno);
        return false;
    }
    struct stat status
    {
    };
    if (::lstat(m_strFolder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != ::geteuid())
    {
        strError = m_strFolder + " is not a folder of the user's own";
        return false;
    }
    if ((status.st_mode & 07777) != 0700)
        ::chmod(m_strFolder.c_str(), 0700);
    return true;
}

// Whatever takes a copy's place in the private folder that is not a regular file (a link to
// a document, say) is removed rather than written through; the copy is made 0600 before its
// first byte is written, and a save keeps the mode of the file it replaces.
bool CRecoveryFolder::WritePrivate(const std::string& strPath, std::span<const std::uint8_t> bytes,
                                   std::string& strError)
{
    struct stat status
    {
    };
    if (::lstat(strPath.c_str(), &status) == 0 && !S_ISREG(status.st_mode))
        ::unlink(strPath.c_str());
    const CFileDescriptor file(
        ::open(strPath.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600));
    if (!file.IsOpen() || ::fchmod(file.Get(), 0600) != 0)
    {
        strError = strPath + ": " + std::strerror(errno);
        return false;
    }
    if (CSafeFile().Save(strPath, bytes, strError))
        return true;
    strError = strPath + ": " + strError;
    return false;
}

bool CRecoveryFolder::Write(const std::string& strName, const std::string& strDocument,
                            std::span<const std::uint8_t> bytes, std::string& strError) const
{
    // The path first: a copy is never without the name of its document.
    return MakeFolder(strError) &&
           (strDocument.empty() ||
            WritePrivate(GetPath(strName, kPathExtension), AsBytes(strDocument), strError)) &&
           WritePrivate(GetPath(strName, kCopyExtension), bytes, strError);
}

void CRecoveryFolder::Remove(const std::string& strName) const
{
    ::unlink(GetPath(strName, kCopyExtension).c_str());
    ::unlink(GetPath(strName, kPathExtension).c_str());
}

void CRecoveryFolder::SetAside(const SRecoveryCopy& copy) const
{
    ::rename(copy.strFile.c_str(), (copy.strFile + ".damaged").c_str());
}

std::vector<SRecoveryCopy> CRecoveryFolder::List() const
{
    std::vector<SRecoveryCopy> copies;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_strFolder, error))
    {
        struct stat status
        {
        };
        const std::filesystem::path& file = entry.path();
        if (file.extension() != kCopyExtension || ::lstat(file.c_str(), &status) != 0 ||
            !S_ISREG(status.st_mode))
            continue;
        SRecoveryCopy copy{file.stem().string(), file.string(), {}, status.st_mtime};
        // A copy whose path went missing is offered as an untitled document.
        std::vector<std::uint8_t> path;
        std::string strIgnored;
        if (copy.strName != kUntitled && CSafeFile::ReadAll(GetPath(copy.strName, kPathExtension),
                                                            kMaxPathBytes, path, strIgnored))
            copy.strDocument.assign(path.begin(), path.end());
        copies.push_back(std::move(copy));
    }
    std::sort(copies.begin(), copies.end(),
              [](const SRecoveryCopy& a, const SRecoveryCopy& b)
              { return a.nWritten > b.nWritten; });
    return copies;
}
