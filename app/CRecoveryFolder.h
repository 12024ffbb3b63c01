#pragma once

#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <vector>

// A copy of a document's unsaved changes, as the window program keeps it.
struct SRecoveryCopy
{
    std::string strName;     // the copy's name in the folder, from the document's path
    std::string strFile;     // the copy itself, a document file
    std::string strDocument; // the document it is a copy of; empty for an untitled one
    std::time_t nWritten = 0;
};

// The folder of recovery copies ($XDG_STATE_HOME/quorbit/recovery, else under
// ~/.local/state), readable by the person alone (0700, the copies 0600). A copy is kept
// under a name made from the document's canonical path ("untitled" for a document without
// one), as NAME.qb, with the document's path in NAME.path. The folder never holds a document
// itself, so a copy never takes a document's place.
class CRecoveryFolder
{
public:
    // Empty when there is no home to find it in.
    static std::string GetDefaultFolder();

    explicit CRecoveryFolder(std::string strFolder = GetDefaultFolder());

    // The name of the copy of the document at strDocument ("" for an untitled one).
    std::string GetName(const std::string& strDocument) const;
    // Keeps bytes, a document file, as the copy of strDocument under strName. False, with the
    // reason in strError, when the copy could not be written.
    bool Write(const std::string& strName, const std::string& strDocument,
               std::span<const std::uint8_t> bytes, std::string& strError) const;
    void Remove(const std::string& strName) const;
    // A copy that cannot be read is renamed NAME.qb.damaged, out of the list but kept.
    void SetAside(const SRecoveryCopy& copy) const;
    // Every copy, the most recently written first.
    std::vector<SRecoveryCopy> List() const;

private:
    std::string GetPath(const std::string& strName, const char* pszExtension) const;
    bool MakeFolder(std::string& strError) const;
    static bool WritePrivate(const std::string& strPath, std::span<const std::uint8_t> bytes,
                             std::string& strError);

    std::string m_strFolder;
};
