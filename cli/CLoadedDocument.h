#pragma once

#include "cli/CListingFrontEnd.h"
#include "document/CDocumentLock.h"
#include "engine/CQuorbexSession.h"

#include <string>

// A session without a device, with the console front end, which shows every reason a load or
// save fails: what the commands that only read or write a document work on.
class CLoadedDocument
{
public:
    explicit CLoadedDocument(CClockBackend& clockBackend)
        : m_session(m_frontEnd, clockBackend, SClockSettings{})
    {
    }

    CQuorbexDoc& GetDocument() { return m_session.GetDocument(); }

    // Takes the lock of strPath for a change and save to come, waiting a few seconds for
    // another program that holds it. The lock holds for as long as this object lives. False
    // with the reason on standard error.
    bool LockForChange(const std::string& strPath);
    // Locks strPath so, then reads the document from it.
    bool OpenToChange(const std::string& strPath);

private:
    CListingFrontEnd m_frontEnd;
    CQuorbexSession m_session;
    CDocumentLock m_lock;
};
