#include "engine/CScheduler.h"

#include "base/CScopedCount.h"
#include "device/CBiosClock.h"
#include "document/CFrontEnd.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "engine/CTickSource.h"

#include <algorithm>

namespace
{
constexpr std::int64_t kCheckIntervalSeconds = 10;
constexpr std::uint32_t kCheckIntervalMs = kCheckIntervalSeconds * 1000;
// How far the BIOS clock may drift from the tick count in one interval before it counts as a
// jump.
constexpr std::int64_t kJumpToleranceSeconds = 1;
// How far back the first tick looks for occurrences missed while Quorbit was not running: a
// document opened after weeks should not list every event as missed.
constexpr std::int64_t kMissedLookBackSeconds = 24 * 60 * 60;
} // namespace

CScheduler::CScheduler(CQuorbexDoc& doc, CFiringEngine& engine, CTickSource& ticks,
                       CBiosClock& clock)
    : m_doc(doc), m_engine(engine), m_ticks(ticks), m_clock(clock)
{
}

void CScheduler::SchedulerTick()
{
    if (!m_bStarted)
        StartTickState();
    CheckClockRefresh();
    CTime now = m_clock.GetBiosTime();
    m_doc.GetFrontEnd().ShowClockTime(now);
    CheckClockJump(now);

    CTimedEvent& armed = m_doc.m_armed;
    if (armed.IsFiring())
        return;
    {
        const CScopedCount hold(armed.m_nFiring);
        FireDueEvents();
    }

    ReportMissed();
    if (armed.m_bDisabled || armed.m_time < m_doc.GetEarliestDue())
        m_doc.ArmNextEvent();
}

bool CScheduler::IsArmedDue() const
{
    const CTimedEvent& armed = m_doc.m_armed;
    return !armed.m_bDisabled && !(armed.m_time < m_doc.GetEarliestDue()) &&
           !(m_doc.GetCurrentMinute() < armed.m_time);
}

void CScheduler::FireDueEvents()
{
    CTimedEvent& armed = m_doc.m_armed;
    bool bDue = IsArmedDue();
    while (bDue)
    {
        const CTime firedAt = armed.m_time;
        FireArmedEvent();
        // Every event of that minute fires, in order, however long the ones before it took.
        m_doc.ArmNextEventFrom(firedAt);
        bDue = !armed.m_bDisabled && armed.m_time == firedAt;
        if (bDue)
            continue;
        m_doc.ArmNextEventFrom(m_doc.GetEarliestDue());
        bDue = IsArmedDue();
    }
}

void CScheduler::ReportMissed()
{
    const CTime earliest = m_doc.GetEarliestDue();
    if (!(m_watchedFrom < earliest) || !m_doc.m_pEvents)
        return;
    bool bReported = false;
    for (const auto& [strName, pEvent] : *m_doc.m_pEvents)
        bReported = ReportMissed(*pEvent, earliest) || bReported;
    m_watchedFrom = earliest;
    if (bReported)
        m_doc.GetFrontEnd().RefreshEventRows();
}

bool CScheduler::ReportMissed(CTimedEvent& event, const CTime& earliest)
{
    const CTime missed = m_doc.PreviousOccurrence(event, earliest);
    // An event that never fired may have been made after its occurrence; one that fired
    // before was due at each occurrence since, Quorbit running or not.
    const CTime from = event.m_lastFired != CTime::NeverFired()
                           ? m_watchedFrom
                           : std::max(m_watchedFrom, m_runStart);
    if (event.m_bDisabled || missed < from || !(event.m_lastFired < missed) ||
        !(event.m_lastMissed < missed))
        return false;
    event.m_lastMissed = missed;
    if (m_onMissed)
        m_onMissed(event);
    return true;
}

void CScheduler::StartTickState()
{
    m_bStarted = true;
    // The first look for missed occurrences also finds those of the day before the start.
    m_runStart = m_doc.GetEarliestDue();
    m_watchedFrom = m_runStart.AddSeconds(-kMissedLookBackSeconds);
    m_expectedClockTime = m_clock.GetBiosTime().AddSeconds(kCheckIntervalSeconds);
    m_nCheckBase = m_ticks.GetTickCount();
    m_nCheckDeadline = m_nCheckBase + kCheckIntervalMs;
    m_bDeadlineWrapped = m_nCheckDeadline < m_nCheckBase;
}

void CScheduler::CheckClockRefresh()
{
    const CTime now = m_doc.GetCurrentMinute();
    CTimedEvent& refresh = m_doc.m_clockRefresh;
    if (refresh.m_bDisabled || refresh.m_time != now || now == refresh.m_lastFired)
        return;
    std::string strIgnored; // a scheduled refresh reports nothing
    m_clock.SetClockFromBios(strIgnored);
    refresh.m_lastFired = refresh.m_time;
    refresh.m_time = m_doc.NextOccurrence(refresh, now);
}

void CScheduler::CheckClockJump(const CTime& now)
{
    const std::uint32_t nTicks = m_ticks.GetTickCount();
    if (!HasIntervalEnded(nTicks, m_nCheckBase, m_nCheckDeadline, m_bDeadlineWrapped))
        return;
    if (now < m_expectedClockTime.AddSeconds(-kJumpToleranceSeconds) ||
        now > m_expectedClockTime.AddSeconds(kJumpToleranceSeconds))
        m_doc.ArmNextEvent();
    // The interval moves on from its previous deadline, not from nTicks, so after a stall the
    // next ticks catch up one interval each.
    m_expectedClockTime = now.AddSeconds(kCheckIntervalSeconds);
    m_nCheckBase = m_nCheckDeadline;
    m_nCheckDeadline += kCheckIntervalMs;
    m_bDeadlineWrapped = m_nCheckDeadline < m_nCheckBase;
}

std::uint32_t CScheduler::GetMsToClockCheck() const
{
    const std::uint32_t nTicks = m_ticks.GetTickCount();
    if (!m_bStarted || HasIntervalEnded(nTicks, m_nCheckBase, m_nCheckDeadline, m_bDeadlineWrapped))
        return 0;
    return m_nCheckDeadline - nTicks;
}

void CScheduler::FireArmedEvent()
{
    CTimedEvent& armed = m_doc.m_armed;
    CTimedEvent& event = *m_doc.m_pArmedEvent;
    CFrontEnd& frontEnd = m_doc.GetFrontEnd();

    bool bSent = false;
    {
        const CScopedCount depth = m_engine.EnterFiringScope();
        const CScopedCount firing(event.m_nFiring);
        frontEnd.SortEvents();
        if (m_onFire)
            m_onFire(armed);
        bSent = m_engine.Fire(*armed.m_pButton);
    }
    FinishFiredEvent(bSent);
}

void CScheduler::FinishFiredEvent(bool bSent)
{
    CTimedEvent& armed = m_doc.m_armed;
    CTimedEvent& event = *m_doc.m_pArmedEvent;
    event.m_lastFired = armed.m_time;
    if (m_onFired)
        m_onFired(event, bSent);
    if (armed.m_nFrequency == kFrequencyOnce && !m_doc.m_bEventsDialogOpen)
        m_doc.DeleteEvent(event);
    // The slot must not point at an event that may just have been deleted, even if something
    // keeps the re-arming below from running.
    armed.m_bDisabled = true;
    m_doc.m_pArmedEvent = nullptr;
}

void CScheduler::HoldForMenu()
{
    ++m_doc.m_armed.m_nFiring;
}

void CScheduler::ReleaseMenuHold()
{
    --m_doc.m_armed.m_nFiring;
}

void CScheduler::SetFireObserver(std::function<void(const CTimedEvent&)> onFire)
{
    m_onFire = std::move(onFire);
}

void CScheduler::SetMissedObserver(std::function<void(const CTimedEvent&)> onMissed)
{
    m_onMissed = std::move(onMissed);
}

void CScheduler::SetFiredObserver(std::function<void(const CTimedEvent&, bool)> onFired)
{
    m_onFired = std::move(onFired);
}
