#pragma once

#include "base/CFileDescriptor.h"

#include <string>

// The advisory lock (flock) that every program reading a document to change and save it holds
// from the read until the saved file is in place, so that two of them never work on one
// document at once and lose one's change. The lock is on the document file itself: a save puts
// a new file in its place, and whoever waited on the old one then locks the new one.
class CDocumentLock
{
public:
    // How long a second program waits for the first to finish before it gives up.
    static constexpr int kWaitMs = 5000;

    enum class EResult
    {
        Locked, // or a missing file, which holds nothing to lose and needs no lock, or
                // one on a file system without locks
        Busy,   // another program kept it locked all along
        Failed, // it could not be opened or locked
    };

    // Locks the file strPath names (through its links), exclusively or shared with other
    // readers, waiting at most nWaitMs. Unless Locked, strError holds the reason, naming the
    // file.
    EResult Lock(const std::string& strPath, bool bExclusive, int nWaitMs, std::string& strError);
    void Unlock() { m_file = CFileDescriptor(); }
    bool IsHeld() const { return m_file.IsOpen(); }

private:
    // One attempt: true when the lock is held or none is needed; bBusy when another holds it.
    bool TryLock(const std::string& strPath, bool bExclusive, bool& bBusy, std::string& strError);

    CFileDescriptor m_file;
};
