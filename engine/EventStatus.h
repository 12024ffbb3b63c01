#pragma once

class CQuorbexDoc;
class CTime;
class CTimedEvent;

// What the event list shows for an event, in the order the rules are tried.
enum class EEventStatus
{
    Firing,
    Armed,
    Disabled,
    Active,
    Expired,
};

// now is the BIOS time with its seconds: a one-time event reads "Expired" from one minute after
// its time, and for the minute after it fired when it was kept.
EEventStatus GetEventStatus(const CQuorbexDoc& doc, const CTimedEvent& event, const CTime& now);

// "FIRING", "ARMED", "Disabled", "Active" or "Expired".
const char* GetEventStatusText(EEventStatus nStatus);
