#include "document/CSafeFile.h"

#include "base/CFileDescriptor.h"
#include "document/CQbFile.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
std::string SystemReason(int nError)
{
    return std::strerror(nError);
}

std::string GetFolder(const std::string& strPath)
{
    const std::string strFolder = std::filesystem::path(strPath).parent_path().string();
    return strFolder.empty() ? "." : strFolder;
}

// A renamed file survives a power cut only once its folder entry is on disk as well.
void SyncFolder(const std::string& strPath)
{
    CFileDescriptor folder(::open(GetFolder(strPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0)
        ::fsync(folder.Get());
}

// What a file created by an ordinary open() would get: 0666 less the umask.
mode_t GetNewFileMode()
{
    const mode_t nMask = ::umask(0);
    ::umask(nMask);
    return 0666 & ~nMask;
}

std::string DescribeUser(uid_t nUser)
{
    const passwd* pUser = ::getpwuid(nUser);
    return pUser != nullptr ? pUser->pw_name : "uid " + std::to_string(nUser);
}

// Whether an entry of a folder may be taken as the user's way to the file: in a folder that is
// sticky and writable by all, only one of the user's own or of the folder's owner. Anyone could
// have planted any other there: a link, as the kernel's guard of shared folders refuses to
// follow, or a folder that its owner fills with links and files at will.
bool IsTrusted(const std::filesystem::path& folder, const struct stat& entry)
{
    struct stat status
    {
    };
    if (::stat(folder.c_str(), &status) != 0)
        return false;
    const bool bShared = (status.st_mode & S_ISVTX) != 0 && (status.st_mode & S_IWOTH) != 0;
    return !bShared || entry.st_uid == ::geteuid() || entry.st_uid == status.st_uid;
}

std::string DescribePlanted(const std::filesystem::path& entry, const struct stat& status,
                            const std::filesystem::path& folder)
{
    const bool bLink = S_ISLNK(status.st_mode);
    return std::string(bLink ? "the link " : "the folder ") + entry.string() + " belongs to " +
           DescribeUser(status.st_uid) + ", not to whoever saves, in the shared folder " +
           folder.string() + (bLink ? "; it is not followed" : "; nothing is saved in it");
}

// The file a path names once every symbolic link in it is followed, by hand, so that a link
// planted in a shared folder is refused rather than followed by whoever saves there. bLinked
// says whether a link was followed on the way.
bool ResolveTarget(const std::string& strPath, std::string& strTarget, bool& bLinked,
                   std::string& strError)
{
    namespace fs = std::filesystem;
    // The kernel gives up after as many.
    constexpr int kMaxLinks = 40;
    std::error_code error;
    const fs::path absolute = fs::absolute(strPath, error);
    if (error)
    {
        strError = error.message();
        return false;
    }
    std::vector<fs::path> pending(std::next(absolute.begin()), absolute.end());
    std::reverse(pending.begin(), pending.end());
    fs::path resolved = "/";
    int nLinks = 0;
    while (!pending.empty())
    {
        const fs::path part = std::move(pending.back());
        pending.pop_back();
        if (part.empty() || part == ".")
            continue;
        if (part == "..")
        {
            resolved = resolved.parent_path();
            continue;
        }
        const fs::path candidate = resolved / part;
        struct stat status
        {
        };
        const bool bExists = ::lstat(candidate.c_str(), &status) == 0;
        const bool bLink = bExists && S_ISLNK(status.st_mode);
        if (bExists && (bLink || S_ISDIR(status.st_mode)) && !IsTrusted(resolved, status))
        {
            strError = DescribePlanted(candidate, status, resolved);
            return false;
        }
        if (!bLink)
        {
            resolved = candidate;
            continue;
        }
        if (++nLinks > kMaxLinks)
        {
            strError = SystemReason(ELOOP);
            return false;
        }
        const fs::path link = fs::read_symlink(candidate, error);
        if (error)
        {
            strError = error.message();
            return false;
        }
        if (link.is_absolute())
            resolved = "/";
        for (auto it = link.end(); it != link.begin();)
        {
            if (--it; !it->has_root_directory())
                pending.push_back(*it);
        }
    }
    strTarget = resolved.string();
    bLinked = nLinks > 0;
    return true;
}

// Whether the file a save is about to replace is still the one that was read (stamped): a
// change another program made since would be lost.
bool IsUnchanged(const SFileStamp& read, bool bExists, const struct stat& status,
                 std::string& strError)
{
    // A file removed since leaves nothing to lose.
    if (!bExists || MakeFileStamp(status) == read)
        return true;
    strError = "another program changed the file since it was read here, so it is not "
               "overwritten";
    return false;
}

// Only a regular file is ever replaced: renaming over a pipe, a device or a folder's link
// would put a document where something else was.
bool IsReplaceable(const std::string& strPath, const std::string& strWhat, std::string& strError)
{
    struct stat status
    {
    };
    if (::lstat(strPath.c_str(), &status) != 0 || S_ISREG(status.st_mode))
        return true;
    strError = strWhat + strPath + " is not a regular file, so it is not replaced";
    return false;
}

// The names WriteTemporary gives the temporary files beside strBeside.
std::string GetTemporaryPrefix(const std::string& strBeside)
{
    return "." + std::filesystem::path(strBeside).filename().string() + ".";
}

// A save that was interrupted (a power cut, a kill) leaves its temporary file behind. Those of
// this user beside this document that no save holds locked are such leftovers.
void RemoveStaleTemporaries(const std::string& strBeside)
{
    constexpr std::size_t kUniqueChars = 6;
    const std::string strPrefix = GetTemporaryPrefix(strBeside);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(GetFolder(strBeside), error))
    {
        const std::string strName = entry.path().filename().string();
        if (!strName.starts_with(strPrefix) || strName.size() != strPrefix.size() + kUniqueChars)
            continue;
        CFileDescriptor file(
            ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
        struct stat status
        {
        };
        if (file.IsOpen() && ::fstat(file.Get(), &status) == 0 && S_ISREG(status.st_mode) &&
            status.st_uid == ::geteuid() && ::flock(file.Get(), LOCK_EX | LOCK_NB) == 0)
            ::unlink(entry.path().c_str());
    }
}

// A file-size limit (ulimit -f) would kill the program in the middle of a save; ignored, the
// write fails with EFBIG instead, and the save is refused like any other failed write.
class CFileSizeSignalIgnored
{
public:
    CFileSizeSignalIgnored()
    {
        struct sigaction ignore
        {
        };
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        ::sigaction(SIGXFSZ, &ignore, &m_previous);
    }
    ~CFileSizeSignalIgnored() { ::sigaction(SIGXFSZ, &m_previous, nullptr); }
    CFileSizeSignalIgnored(const CFileSizeSignalIgnored&) = delete;
    CFileSizeSignalIgnored& operator=(const CFileSizeSignalIgnored&) = delete;

private:
    struct sigaction m_previous
    {
    };
};
} // namespace

CSafeFile::CSafeFile() : m_write(::write) {}

CSafeFile::CSafeFile(WriteFunction write) : m_write(std::move(write)) {}

bool CSafeFile::ReadAll(const std::string& strPath, std::size_t nMaxBytes,
                        std::vector<std::uint8_t>& bytes, std::string& strError, SFileStamp* pStamp)
{
    // Opening a FIFO without O_NONBLOCK waits for a writer that may never come. The checks
    // below ask the open file itself, so that what is checked is what is read.
    const CFileDescriptor file(::open(strPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    return ReadOpen(file, nMaxBytes, bytes, strError, pStamp);
}

bool CSafeFile::ReadOpen(const CFileDescriptor& file, std::size_t nMaxBytes,
                         std::vector<std::uint8_t>& bytes, std::string& strError,
                         SFileStamp* pStamp)
{
    bytes.clear();
    struct stat status
    {
    };
    if (!file.IsOpen() || ::fstat(file.Get(), &status) != 0)
    {
        strError = SystemReason(errno);
        return false;
    }
    // A device such as /dev/zero never ends, and a pipe may never deliver.
    if (!S_ISREG(status.st_mode))
    {
        strError = "not a regular file";
        return false;
    }
    // Taken before reading: a change made while it is read shows at the save.
    if (pStamp)
        *pStamp = MakeFileStamp(status);
    const std::string strTooLarge = "larger than " + std::to_string(nMaxBytes >> 20) + " MB";
    if (static_cast<std::uintmax_t>(status.st_size) > nMaxBytes)
    {
        strError = strTooLarge;
        return false;
    }
    bytes.reserve(static_cast<std::size_t>(status.st_size));
    std::uint8_t buffer[65536];
    for (;;)
    {
        const ssize_t nRead = ::read(file.Get(), buffer, sizeof buffer);
        if (nRead == 0)
            return true;
        if (nRead < 0)
        {
            if (errno == EINTR)
                continue;
            strError = SystemReason(errno);
            return false;
        }
        // A file that grows while it is read is held to the same bound.
        if (static_cast<std::size_t>(nRead) > nMaxBytes - bytes.size())
        {
            strError = strTooLarge;
            return false;
        }
        bytes.insert(bytes.end(), buffer, buffer + nRead);
    }
}

bool CSafeFile::SaveWithBackup(const std::string& strPath, std::span<const std::uint8_t> bytes,
                               std::string& strError, SFileStamp* pStamp) const
{
    return Replace(strPath, bytes, true, pStamp, strError);
}

bool CSafeFile::Save(const std::string& strPath, std::span<const std::uint8_t> bytes,
                     std::string& strError) const
{
    return Replace(strPath, bytes, false, nullptr, strError);
}

bool CSafeFile::Replace(const std::string& strPath, std::span<const std::uint8_t> bytes,
                        bool bBackup, SFileStamp* pStamp, std::string& strError) const
{
    std::string strTarget;
    bool bLinked = false;
    if (!ResolveTarget(strPath, strTarget, bLinked, strError))
        return false;
    const std::string strBackup = GetBackupPath(strTarget);
    if (!IsReplaceable(strTarget, bLinked ? "the file it links to, " : "", strError) ||
        (bBackup && !IsReplaceable(strBackup, "its backup ", strError)))
        return false;
    // The target was resolved above; should a link take its place since, it is not followed.
    const CFileDescriptor previous(
        ::open(strTarget.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    struct stat status
    {
    };
    SKeep keep{GetNewFileMode()};
    if (previous.IsOpen() && ::fstat(previous.Get(), &status) == 0)
        keep = {status.st_mode & 07777, true, status.st_uid, status.st_gid};
    else if (errno != ENOENT)
    {
        strError = SystemReason(errno);
        return false;
    }
    if (pStamp && pStamp->bExists && !IsUnchanged(*pStamp, keep.bOwned, status, strError))
        return false;

    const CFileSizeSignalIgnored fileSizeSignal;
    RemoveStaleTemporaries(strTarget);
    RemoveStaleTemporaries(strBackup);
    STemporary temporary;
    if (!WriteTemporary(strTarget, bytes, keep, temporary, strError))
        return false;

    // The copy of the previous content is written before the target changes but takes the
    // backup's place only once the new content is in, so that a failed save leaves both the
    // document and its backup as they were. The backup is a convenience: failing to make it
    // must not stop the save.
    STemporary backup;
    std::vector<std::uint8_t> previousBytes;
    std::string strIgnored;
    if (bBackup && keep.bOwned && ReadOpen(previous, kMaxQbFileBytes, previousBytes, strIgnored))
        WriteTemporary(strBackup, previousBytes, keep, backup, strIgnored);

    if (!Commit(temporary, strTarget, strError))
    {
        if (!backup.strPath.empty())
            ::unlink(backup.strPath.c_str());
        return false;
    }
    if (!backup.strPath.empty())
        Commit(backup, strBackup, strIgnored);
    if (pStamp && ::fstat(temporary.hold.Get(), &status) == 0)
        *pStamp = MakeFileStamp(status);
    return true;
}

std::string CSafeFile::GetBackupPath(const std::string& strPath)
{
    std::filesystem::path path(strPath);
    if (path.extension() == ".qb")
        return path.replace_extension(".qbb").string();
    return strPath + ".qbb";
}

bool CSafeFile::Commit(const STemporary& temporary, const std::string& strPath,
                       std::string& strError)
{
    if (::rename(temporary.strPath.c_str(), strPath.c_str()) != 0)
    {
        strError = SystemReason(errno);
        ::unlink(temporary.strPath.c_str());
        return false;
    }
    SyncFolder(strPath);
    return true;
}

bool CSafeFile::WriteTemporary(const std::string& strBeside, std::span<const std::uint8_t> bytes,
                               const SKeep& keep, STemporary& temporary,
                               std::string& strError) const
{
    // Hidden, and in the same folder so that the final rename stays on one file system.
    std::filesystem::path path(strBeside);
    path.replace_filename(GetTemporaryPrefix(strBeside) + "XXXXXX");
    std::string strTemplate = path.string();
    CFileDescriptor file(::mkostemp(strTemplate.data(), O_CLOEXEC));
    if (file.Get() < 0)
    {
        strError = SystemReason(errno);
        return false;
    }
    CFileDescriptor hold(::open(strTemplate.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (hold.IsOpen())
        ::flock(hold.Get(), LOCK_SH);
    if (keep.bOwned && !KeepOwner(file.Get(), keep, strBeside, strError))
    {
        ::unlink(strTemplate.c_str());
        return false;
    }
    const bool bWritten = WriteAll(file.Get(), bytes) && ::fchmod(file.Get(), keep.nMode) == 0 &&
                          ::fsync(file.Get()) == 0;
    const int nError = errno;
    if (!file.Close() || !bWritten)
    {
        strError = SystemReason(bWritten ? errno : nError);
        ::unlink(strTemplate.c_str());
        return false;
    }
    temporary = {std::move(strTemplate), std::move(hold)};
    return true;
}

// A save by root, or by a member of the file's group, must not hand the file to whoever saved.
bool CSafeFile::KeepOwner(int nFd, const SKeep& keep, const std::string& strPath,
                          std::string& strError)
{
    struct stat status
    {
    };
    if (::fstat(nFd, &status) == 0 && status.st_uid == keep.nOwner && status.st_gid == keep.nGroup)
        return true;
    if (::fchown(nFd, keep.nOwner, keep.nGroup) == 0)
        return true;
    // Looking up the names below may change errno.
    const int nError = errno;
    const group* pGroup = ::getgrgid(keep.nGroup);
    strError = strPath + " belongs to " + DescribeUser(keep.nOwner) + " and group " +
               (pGroup != nullptr ? pGroup->gr_name : std::to_string(keep.nGroup)) +
               ", which a file saved now could not keep (" + SystemReason(nError) + ")";
    return false;
}

bool CSafeFile::WriteAll(int nFd, std::span<const std::uint8_t> bytes) const
{
    while (!bytes.empty())
    {
        const ssize_t nWritten = m_write(nFd, bytes.data(), bytes.size());
        if (nWritten < 0 && errno == EINTR)
            continue;
        if (nWritten <= 0)
        {
            if (nWritten == 0)
                errno = EIO;
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(nWritten));
    }
    return true;
}
