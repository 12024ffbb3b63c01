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

    // While a menu of the main window is open no event fires.
    void HoldForMenu();
    void ReleaseMenuHold();

    // Called with the armed slot just before its button is fired.
    void SetFireObserver(std::function<void(const CTimedEvent&)> onFire);
    // Called with the event once it has fired, its last-fired time set, before a one-time
    // event is deleted. The document is not marked modified for a firing: what the person
    // made did not change, and whoever runs the scheduler keeps the time elsewhere.
    void SetFiredObserver(std::function<void(const CTimedEvent&)> onFired);

private:
    void StartTickState();
    void CheckClockJump(const CTime& now);
    void FireArmedEvent();
    void FinishFiredEvent();

    CQuorbexDoc& m_doc;
    CFiringEngine& m_engine;
    CTickSource& m_ticks;
    CBiosClock& m_clock;
    std::function<void(const CTimedEvent&)> m_onFire;
    std::function<void(const CTimedEvent&)> m_onFired;

    // Kept for the whole run, never reset: not even another document starts it again.
    bool m_bStarted = false;
    CTime m_expectedClockTime;
    std::uint32_t m_nCheckBase = 0;
    std::uint32_t m_nCheckDeadline = 0;
    bool m_bDeadlineWrapped = false;
};
