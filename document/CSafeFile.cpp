#include "document/CSafeFile.h"

#include "base/CFileDescriptor.h"
#include "document/CQbFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
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

// The file a symbolic link names is the one to replace, not the link.
std::string ResolveTarget(const std::string& strPath)
{
    std::error_code error;
    const auto target = std::filesystem::canonical(strPath, error);
    return error ? strPath : target.string();
}
} // namespace

CSafeFile::CSafeFile() : m_write(::write) {}

CSafeFile::CSafeFile(WriteFunction write) : m_write(std::move(write)) {}

bool CSafeFile::ReadAll(const std::string& strPath, std::size_t nMaxBytes,
                        std::vector<std::uint8_t>& bytes, std::string& strError)
{
    bytes.clear();
    // Opening a FIFO without O_NONBLOCK waits for a writer that may never come. The checks
    // below ask the open file itself, so that what is checked is what is read.
    CFileDescriptor file(::open(strPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status
    {
    };
    if (file.Get() < 0 || ::fstat(file.Get(), &status) != 0)
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
                               std::string& strError) const
{
    const std::string strTarget = ResolveTarget(strPath);
    struct stat status
    {
    };
    const bool bExists = ::stat(strTarget.c_str(), &status) == 0;
    const mode_t nMode = bExists ? (status.st_mode & 07777) : GetNewFileMode();

    std::string strTemporary;
    if (!WriteTemporary(strTarget, bytes, nMode, strTemporary, strError))
        return false;

    // The copy of the previous content is written before the target changes but takes the
    // backup's place only once the new content is in, so that a failed save leaves both the
    // document and its backup as they were. The backup is a convenience: failing to make it
    // must not stop the save.
    const std::string strBackup = GetBackupPath(strTarget);
    std::string strBackupTemporary;
    std::vector<std::uint8_t> previous;
    std::string strIgnored;
    if (bExists && strBackup != strTarget &&
        ReadAll(strTarget, kMaxQbFileBytes, previous, strIgnored))
        WriteTemporary(strBackup, previous, nMode, strBackupTemporary, strIgnored);

    if (!Commit(strTemporary, strTarget, strError))
    {
        if (!strBackupTemporary.empty())
            ::unlink(strBackupTemporary.c_str());
        return false;
    }
    if (!strBackupTemporary.empty())
        Commit(strBackupTemporary, strBackup, strIgnored);
    return true;
}

std::string CSafeFile::GetBackupPath(const std::string& strPath)
{
    return std::filesystem::path(strPath).replace_extension(".qbb").string();
}

bool CSafeFile::Commit(const std::string& strTemporary, const std::string& strPath,
                       std::string& strError)
{
    if (::rename(strTemporary.c_str(), strPath.c_str()) != 0)
    {
        strError = SystemReason(errno);
        ::unlink(strTemporary.c_str());
        return false;
    }
    SyncFolder(strPath);
    return true;
}

bool CSafeFile::WriteTemporary(const std::string& strBeside, std::span<const std::uint8_t> bytes,
                               mode_t nMode, std::string& strTemporary, std::string& strError) const
{
    // Hidden, and in the same folder so that the final rename stays on one file system.
    std::filesystem::path temporary(strBeside);
    temporary.replace_filename(temporary.filename().string().insert(0, 1, '.') + ".XXXXXX");
    std::string strTemplate = temporary.string();
    CFileDescriptor file(::mkostemp(strTemplate.data(), O_CLOEXEC));
    if (file.Get() < 0)
    {
        strError = SystemReason(errno);
        return false;
    }
    const bool bWritten =
        WriteAll(file.Get(), bytes) && ::fchmod(file.Get(), nMode) == 0 && ::fsync(file.Get()) == 0;
    const int nError = errno;
    if (!file.Close() || !bWritten)
    {
        strError = SystemReason(bWritten ? errno : nError);
        ::unlink(strTemplate.c_str());
        return false;
    }
    strTemporary = std::move(strTemplate);
    return true;
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
