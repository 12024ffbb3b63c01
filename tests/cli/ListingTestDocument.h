#pragma once

#include "device/CBiosClock.h"
#include "document/CQuorbexDoc.h"
#include "support/CRecordingFrontEnd.h"
#include "support/CScriptedClock.h"

#include <string>

// A document built record by record, for checking what the listing makes of it.
class CListingTestDocument
{
public:
    CListingTestDocument();

    CRemote& AddRemote(const std::string& strName, int nStyle);
    CRemoteButton& AddButton(CRemote& remote, const std::string& strName,
                             const std::string& strBits, int nColumn = kNotPlacedColumn,
                             int nRow = kNotPlacedRow);
    CRemoteButton& AddMegabutton(CRemote& remote, const std::string& strName, int nColumn,
                                 int nRow);
    CTimedEvent& AddEvent(const std::string& strName, const CTime& time, int nFrequency,
                          CRemote& remote, CRemoteButton& button);

    CRecordingFrontEnd m_frontEnd;
    CScriptedClock m_backend;
    CBiosClock m_clock{m_backend};
    CQuorbexDoc m_doc{m_frontEnd, m_clock, SClockSettings{}};
};
