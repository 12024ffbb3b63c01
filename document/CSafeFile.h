#pragma once

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
class CSafeFile
{
public:
    // write(2) or a stand-in for it; tests use one that fails part-way.
    using WriteFunction = std::function<ssize_t(int nFd, const void* pData, std::size_t nSize)>;

    CSafeFile();
    explicit CSafeFile(WriteFunction write);

    // The whole of a regular file of at most nMaxBytes bytes; false with the reason in strError
    // for anything else. Devices, pipes and files already too large are refused unread.
    static bool ReadAll(const std::string& strPath, std::size_t nMaxBytes,
                        std::vector<std::uint8_t>& bytes, std::string& strError);

    // Makes strPath hold bytes and its previous content (if any, and if it is a regular file no
    // larger than a document file may be) the backup file. False with the system's reason in
    // strError when the target still holds what it held before.
    bool SaveWithBackup(const std::string& strPath, std::span<const std::uint8_t> bytes,
                        std::string& strError) const;

    // The backup beside a document: its extension replaced by ".qbb" ("x.qb" -> "x.qbb"),
    // or ".qbb" appended when it has none.
    static std::string GetBackupPath(const std::string& strPath);

private:
    bool WriteTemporary(const std::string& strBeside, std::span<const std::uint8_t> bytes,
                        mode_t nMode, std::string& strTemporary, std::string& strError) const;
    // Puts a written temporary file in strPath's place in one step; removes it on failure.
    static bool Commit(const std::string& strTemporary, const std::string& strPath,
                       std::string& strError);
    bool WriteAll(int nFd, std::span<const std::uint8_t> bytes) const;

    WriteFunction m_write;
};
