#pragma once

#include "app/cli/CListingFrontEnd.h"
#include "device/CBiosClock.h"
#include "document/CQuorbexDoc.h"

// A document with the console front end, which shows every reason a load or save fails, and a
// clock over the chosen backend: what the commands without windows work on.
class CLoadedDocument
{
public:
    explicit CLoadedDocument(CClockBackend& clockBackend)
        : m_clock(clockBackend), m_doc(m_frontEnd, m_clock, SClockSettings{})
    {
    }

    CListingFrontEnd m_frontEnd;
    CBiosClock m_clock;
    CQuorbexDoc m_doc;
};
