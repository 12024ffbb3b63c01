#include "document/CDocumentLock.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

CDocumentLock::EResult CDocumentLock::Lock(const std::string& strPath, bool bExclusive, int nWaitMs,
                                           std::string& strError)
{
    constexpr auto kRetry = std::chrono::milliseconds(20);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(nWaitMs);
    for (;;)
    {
        bool bBusy = false;
        if (TryLock(strPath, bExclusive, bBusy, strError))
            return EResult::Locked;
        if (!bBusy)
            return EResult::Failed;
        if (std::chrono::steady_clock::now() >= deadline)
        {
            strError = strPath + " is being changed by another program, which holds its lock; " +
                       "try again when it is done";
            return EResult::Busy;
        }
        std::this_thread::sleep_for(kRetry);
    }
}

bool CDocumentLock::TryLock(const std::string& strPath, bool bExclusive, bool& bBusy,
                            std::string& strError)
{
    Unlock();
    // Without O_NONBLOCK, a FIFO put in the document's place would hold the program forever.
    CFileDescriptor file(::open(strPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat opened
    {
    };
    if (!file.IsOpen() || ::fstat(file.Get(), &opened) != 0)
    {
        const int nError = errno;
        strError = strPath + ": " + std::strerror(nError);
        return nError == ENOENT;
    }
    // Other kinds of file are refused by the read that follows.
    if (!S_ISREG(opened.st_mode))
        return true;
    if (::flock(file.Get(), (bExclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0)
    {
        const int nError = errno;
        // A file system without locks (some network and FUSE ones) must not keep the person
        // from saving at all; the check of what the file was when read still guards it.
        if (nError == ENOLCK || nError == EOPNOTSUPP || nError == ENOSYS)
            return true;
        bBusy = nError == EWOULDBLOCK;
        strError = strPath + ": cannot be locked: " + std::strerror(nError);
        return false;
    }
    // A save may have put a new file in place while this one waited: the lock is on the old.
    struct stat now
    {
    };
    if (::stat(strPath.c_str(), &now) != 0 || now.st_dev != opened.st_dev ||
        now.st_ino != opened.st_ino)
    {
        bBusy = true;
        return false;
    }
    m_file = std::move(file);
    return true;
}
