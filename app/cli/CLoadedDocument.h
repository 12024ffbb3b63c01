#pragma once

#include "app/cli/CListingFrontEnd.h"
#include "engine/CQuorbexSession.h"

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

private:
    CListingFrontEnd m_frontEnd;
    CQuorbexSession m_session;
};
