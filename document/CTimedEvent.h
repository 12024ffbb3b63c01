#pragma once

#include "base/CTime.h"

#include <map>
#include <memory>
#include <string>

class CRemote;
class CRemoteButton;

// One programmed event: a button fired at a set minute once, daily, Monday to Friday or on one
// weekday. The document also uses this record for its clock-refresh schedule and its armed slot.
class CTimedEvent
{
public:
    // The time an event of nFrequency carries for local calendar fields. A repeating event uses
    // only their hour and minute; where the clocks skipped those on the given date, the time is
    // built on the day before, so that the event keeps its hour and minute for good and only
    // its occurrence on that one day moves.
    static CTime MakeTime(int nFrequency, int nYear, int nMonth, int nDay, int nHour, int nMinute);

    bool IsFiring() const { return m_nFiring != 0; }

    int m_nFiring = 0;
    std::string m_strName;
    CTime m_time = CTime::NeverFired();
    CTime m_lastFired = CTime::NeverFired();
    // The last occurrence that passed without firing; kept for the run, not in the file.
    CTime m_lastMissed = CTime::NeverFired();
    bool m_bDisabled = false;
    int m_nFrequency = 0;
    CRemote* m_pRemote = nullptr;
    CRemoteButton* m_pButton = nullptr;
};

// All events of a document by exact, case-sensitive name, in name order; it owns them.
using CEventMap = std::map<std::string, std::unique_ptr<CTimedEvent>>;
