#pragma once

#include "base/CTime.h"

#include <cstdint>
#include <functional>

class CBiosClock;
class CFiringEngine;
class CQuorbexDoc;
class CTickSource;
class CTimedEvent;

// The once-a-second timer callback: refreshes the system clock when due, shows the clock,
// re-arms when the BIOS clock jumped, and fires the armed event when its minute has come. It
// re-enters itself from a megabutton's waits; the armed slot's m_nFiring (the hold count) keeps
// such a nested tick, and a tick while a menu is open, out of the firing section.
class CScheduler
{
public:
    CScheduler(CQuorbexDoc& doc, CFiringEngine& engine, CTickSource& ticks, CBiosClock& clock);

    void SchedulerTick();
    // Sets the system clock from the BIOS clock when the refresh schedule says so.
    void CheckClockRefresh();

    // Milliseconds until a tick would next compare the clock with the tick count; 0 when one
    // would now, or before the first tick.
    std::uint32_t GetMsToClockCheck() const;

    // While a menu of the main window is open no event fires.
    void HoldForMenu();
    void ReleaseMenuHold();

    // Called with the armed slot just before its button is fired.
    void SetFireObserver(std::function<void(const CTimedEvent&)> onFire);
    // Called with the event once it has fired, its last-fired time set, before a one-time
    // event is deleted, and whether its button went out whole (the engine has said why not).
    // The document is not marked modified for a firing: what the person made did not change,
    // and whoever runs the scheduler keeps the time elsewhere.
    void SetFiredObserver(std::function<void(const CTimedEvent&, bool bSent)> onFired);
    // Called with an event whose occurrence passed without firing (a firing that ran long, a
    // menu held open, Quorbit not running, the clock set forward), once its m_lastMissed is
    // set to that occurrence.
    void SetMissedObserver(std::function<void(const CTimedEvent&)> onMissed);

private:
    void StartTickState();
    void CheckClockJump(const CTime& now);
    bool IsArmedDue() const;
    // Fires the armed event while one is due, each in its turn.
    void FireDueEvents();
    void FireArmedEvent();
    // Once a minute: every occurrence that passed since the last look without firing.
    void ReportMissed();
    bool ReportMissed(CTimedEvent& event, const CTime& earliest);
    void FinishFiredEvent(bool bSent);

    CQuorbexDoc& m_doc;
    CFiringEngine& m_engine;
    CTickSource& m_ticks;
    CBiosClock& m_clock;
    std::function<void(const CTimedEvent&)> m_onFire;
    std::function<void(const CTimedEvent&, bool)> m_onFired;
    std::function<void(const CTimedEvent&)> m_onMissed;

    // Kept for the whole run, never reset: not even another document starts it again.
    bool m_bStarted = false;
    CTime m_expectedClockTime;
    std::uint32_t m_nCheckBase = 0;
    std::uint32_t m_nCheckDeadline = 0;
    bool m_bDeadlineWrapped = false;
    // Occurrences before this minute have been fired or reported; those of events that never
    // fired count only from the first tick on.
    CTime m_watchedFrom;
    CTime m_runStart;
};
