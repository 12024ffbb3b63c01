#pragma once

#include "base/CFileDescriptor.h"
#include "document/FileStamp.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <sys/types.h>
#include <vector>

// Whole-file reading and writing for documents. Saving never leaves a torn or missing file:
// the new bytes go to a temporary file beside the target, reach the disk, and only then
// replace the target in one rename. The previous content becomes the backup file.
//
// Saving replaces only a regular file, keeping its owner, group and mode. A symbolic link is
// followed to the file it names, except one that another user planted in a shared folder
// (sticky and writable by all, such as /tmp), which is refused as the kernel refuses it; so is
// a folder another user made in such a folder, at any depth of the path, where that user could
// plant links or files at will.
class CSafeFile
{
public:
    // write(2) or a stand-in for it; tests use one that fails part-way.
    using WriteFunction = std::function<ssize_t(int nFd, const void* pData, std::size_t nSize)>;

    CSafeFile();
    explicit CSafeFile(WriteFunction write);

    // The whole of a regular file of at most nMaxBytes bytes; false with the reason in strError
    // for anything else. Devices, pipes and files already too large are refused unread.
    // pStamp, when given, receives the stamp of the file as it was read.
    static bool ReadAll(const std::string& strPath, std::size_t nMaxBytes,
                        std::vector<std::uint8_t>& bytes, std::string& strError,
                        SFileStamp* pStamp = nullptr);

    // ReadAll for a file opened already, for a caller that opens it its own way (without
    // following links, say); the checks ask the open file itself.
    static bool ReadOpen(const CFileDescriptor& file, std::size_t nMaxBytes,
                         std::vector<std::uint8_t>& bytes, std::string& strError,
                         SFileStamp* pStamp = nullptr);

    // Makes strPath hold bytes and its previous content (if any, and if no larger than a
    // document file may be) the backup file. False with the reason in strError when the target
    // still holds what it held before: the target or its backup is not a regular file, the
    // file belongs to someone the save cannot give it back to, or the system refused.
    // With pStamp the save is also refused when the file is no longer the one *pStamp stamps
    // (when it stamps one): another program changed or replaced it since it was read. *pStamp
    // then stamps the saved file.
    bool SaveWithBackup(const std::string& strPath, std::span<const std::uint8_t> bytes,
                        std::string& strError, SFileStamp* pStamp = nullptr) const;
    // The same for a file of the program's own, which keeps no backup.
    bool Save(const std::string& strPath, std::span<const std::uint8_t> bytes,
              std::string& strError) const;

    // The backup beside a document: "x.qb" keeps "x.qbb", any other name has ".qbb" added
    // ("x.txt" -> "x.txt.qbb"), so that no two documents share one backup.
    static std::string GetBackupPath(const std::string& strPath);

private:
    // What the replaced file had, for the new one to keep.
    struct SKeep
    {
        mode_t nMode = 0;
        bool bOwned = false; // an existing file, whose owner and group are kept
        uid_t nOwner = 0;
        gid_t nGroup = 0;
    };
    // A written temporary file, locked for as long as it lives so that another save of the
    // same document tells it from one an interrupted save left behind.
    struct STemporary
    {
        std::string strPath;
        CFileDescriptor hold;
    };

    bool Replace(const std::string& strPath, std::span<const std::uint8_t> bytes, bool bBackup,
                 SFileStamp* pStamp, std::string& strError) const;
    bool WriteTemporary(const std::string& strBeside, std::span<const std::uint8_t> bytes,
                        const SKeep& keep, STemporary& temporary, std::string& strError) const;
    // Puts a written temporary file in strPath's place in one step; removes it on failure.
    static bool Commit(const STemporary& temporary, const std::string& strPath,
                       std::string& strError);
    bool WriteAll(int nFd, std::span<const std::uint8_t> bytes) const;
    static bool KeepOwner(int nFd, const SKeep& keep, const std::string& strPath,
                          std::string& strError);

    WriteFunction m_write;
};
