// The schedule rules of the document: next occurrences, arming the next event and the
// clock-refresh schedule. All of them work on whole minutes of the BIOS clock.
#include "document/CQuorbexDoc.h"

#include "base/CTimeSource.h"
#include "document/CFrontEnd.h"

#include <array>
#include <optional>

namespace
{
constexpr int kSunday = 1, kFriday = 6, kSaturday = 7;

// Weekday frequencies name weekday (frequency - 2), Sunday = 1.
int GetTargetWeekday(int nFrequency)
{
    return nFrequency - 2;
}

bool IsTaken(const CTimedEvent& event, const CTime& candidate, const CTime& now)
{
    return candidate < now || candidate == event.m_lastFired;
}

// Now, its date and weekday, and the dates occurrences fall on. Arming runs over every event
// each minute, so each date's offsets from UTC are looked up once, not once per event.
class CCandidateDays
{
public:
    explicit CCandidateDays(const CTime& now)
        : m_now(now), m_nYear(now.GetYear()), m_nMonth(now.GetMonth()), m_nDay(now.GetDay()),
          m_nToday(now.GetDayOfWeek())
    {
    }

    const CTime& GetNow() const { return m_now; }
    int GetToday() const { return m_nToday; }

    // nDays calendar days after today at nMinuteOfDay. Built from the fields each time rather
    // than by adding to an earlier candidate, so that neither a daylight-saving change nor an
    // hour that did not exist on some day shifts the time of day.
    CTime At(int nDays, int nMinuteOfDay)
    {
        std::optional<CTime::CLocalDay>& day = m_days.at(static_cast<std::size_t>(nDays));
        if (!day)
            day.emplace(m_nYear, m_nMonth, m_nDay + nDays);
        return day->At(nMinuteOfDay / 60, nMinuteOfDay % 60, 0);
    }

private:
    // A weekday frequency's first day lies at most six days on, and a taken one a week later.
    static constexpr std::size_t kMaxDays = 14;

    CTime m_now;
    int m_nYear, m_nMonth, m_nDay, m_nToday;
    std::array<std::optional<CTime::CLocalDay>, kMaxDays> m_days;
};

// Days from now's date to the first date the event may fall on, before the taken test.
int GetFirstDayOffset(int nFrequency, int nToday)
{
    if (nFrequency == kFrequencyDaily)
        return 0;
    if (nFrequency == kFrequencyWeekdays)
        return nToday == kSunday ? 1 : nToday == kSaturday ? 2 : 0;
    const int nTarget = GetTargetWeekday(nFrequency);
    return nTarget >= nToday ? nTarget - nToday : nTarget - nToday + 7;
}

// Days to move on when the first date is already taken. The weekday tests use today, not the
// candidate's day.
int GetTakenDayOffset(int nFrequency, int nToday)
{
    if (nFrequency == kFrequencyDaily)
        return 1;
    if (nFrequency == kFrequencyWeekdays)
        return nToday == kFriday ? 3 : 1;
    return 7;
}

// Whether an event of nFrequency may fall on nWeekday (Sunday = 1).
bool FallsOn(int nFrequency, int nWeekday)
{
    if (nFrequency == kFrequencyDaily)
        return true;
    if (nFrequency == kFrequencyWeekdays)
        return nWeekday != kSunday && nWeekday != kSaturday;
    return nWeekday == GetTargetWeekday(nFrequency);
}

CTime FindNextOccurrence(const CTimedEvent& event, CCandidateDays& days)
{
    if (event.m_nFrequency == kFrequencyOnce)
        return event.m_time;

    const int nToday = days.GetToday();
    const int nMinuteOfDay = event.m_time.GetMinuteOfDay();
    const int nFirst = GetFirstDayOffset(event.m_nFrequency, nToday);
    const CTime candidate = days.At(nFirst, nMinuteOfDay);
    if (!IsTaken(event, candidate, days.GetNow()))
        return candidate;
    return days.At(nFirst + GetTakenDayOffset(event.m_nFrequency, nToday), nMinuteOfDay);
}
} // namespace

CTime CQuorbexDoc::GetCurrentMinute() const
{
    return m_clock.GetBiosTime().ToMinute();
}

CTime CQuorbexDoc::NextOccurrence(const CTimedEvent& event, const CTime& now) const
{
    CCandidateDays days(now);
    return FindNextOccurrence(event, days);
}

void CQuorbexDoc::ArmNextEvent()
{
    if (!m_armed.IsFiring())
        ArmNextEventFrom(GetEarliestDue());
}

void CQuorbexDoc::ArmNextEventFrom(const CTime& from)
{
    CCandidateDays days(from);
    const CTime& now = days.GetNow();
    m_armed.m_bDisabled = true;
    m_pArmedEvent = nullptr;
    m_clockRefresh.m_time = FindNextOccurrence(m_clockRefresh, days);
    if (!m_pEvents)
        return;

    for (auto& [strName, pEvent] : *m_pEvents)
    {
        if (pEvent->m_bDisabled)
            continue;
        const CTime next = FindNextOccurrence(*pEvent, days);
        if (IsTaken(*pEvent, next, now))
            continue;
        if (!m_armed.m_bDisabled && !(next < m_armed.m_time))
            continue;
        m_armed.m_strName = pEvent->m_strName;
        m_armed.m_time = next;
        m_armed.m_nFrequency = pEvent->m_nFrequency;
        m_armed.m_pRemote = pEvent->m_pRemote;
        m_armed.m_pButton = pEvent->m_pButton;
        m_armed.m_bDisabled = false;
        m_pArmedEvent = pEvent.get();
    }
    m_frontEnd.RefreshEventRows();
}

CTime CQuorbexDoc::PreviousOccurrence(const CTimedEvent& event, const CTime& before) const
{
    if (event.m_nFrequency == kFrequencyOnce)
        return event.m_time < before ? event.m_time : CTime::NeverFired();
    // A weekday frequency's last occurrence lies at most a week back, the others' closer.
    for (int nDaysBack = 0; nDaysBack <= 7; ++nDaysBack)
    {
        const CTime::CLocalDay day(before.GetYear(), before.GetMonth(),
                                   before.GetDay() - nDaysBack);
        const CTime candidate = day.At(event.m_time.GetHour(), event.m_time.GetMinute(), 0);
        if (!(candidate < before) || !FallsOn(event.m_nFrequency, candidate.GetDayOfWeek()))
            continue;
        return candidate;
    }
    return CTime::NeverFired();
}

CTime CQuorbexDoc::GetEarliestDue() const
{
    return GetCurrentMinute().AddSeconds(-std::int64_t{60} * m_nLateMinutes);
}

void CQuorbexDoc::SetupClockRefresh()
{
    const CTime now = GetCurrentMinute();
    m_clockRefresh.m_strName.clear();
    m_clockRefresh.m_time = CTime(1997, 1, 1, m_clockSettings.nHour, m_clockSettings.nMinute, 0);
    m_clockRefresh.m_bDisabled = m_clockSettings.nMethod == EClockRefreshMethod::None;
    // The weekday frequencies follow Daily in the same Sunday-first order as the days.
    m_clockRefresh.m_nFrequency = m_clockSettings.nDay == EClockRefreshDay::Daily
                                      ? kFrequencyDaily
                                      : static_cast<int>(m_clockSettings.nDay) + 2;
    m_clockRefresh.m_pRemote = nullptr;
    m_clockRefresh.m_pButton = nullptr;
    m_clockRefresh.m_time = NextOccurrence(m_clockRefresh, now);
}
