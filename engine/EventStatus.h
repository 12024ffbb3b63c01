#pragma once

class CQuorbexDoc;
class CTime;
class CTimedEvent;

// What the event list shows for an event. The first three are what an event is between
// firings, in the order the list sorts them; ARMED and FIRING come and go with the scheduler.
enum class EEventStatus
{
    Active,
    Disabled,
    Expired,
    Armed,
    Firing,
    // Its last occurrence passed without firing; shown until it fires again.
    Missed,
};

// now is the BIOS time with its seconds: a one-time event reads "Expired" from one minute after
// its time, and for the minute after it fired when it was kept.
EEventStatus GetEventStatus(const CQuorbexDoc& doc, const CTimedEvent& event, const CTime& now);

// The status without what changes from one tick to the next (FIRING, ARMED, the minute after a
// kept firing): Active, Disabled or Expired. The list sorts by it, so that rows do not jump
// about while events fire.
EEventStatus GetSteadyEventStatus(const CTimedEvent& event, const CTime& now);

// "FIRING", "ARMED", "Disabled", "Active", "Expired" or "Missed" (which the event's
// m_lastMissed follows where it is shown).
const char* GetEventStatusText(EEventStatus nStatus);
