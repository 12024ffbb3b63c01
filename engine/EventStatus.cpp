#include "engine/EventStatus.h"

#include "document/CQuorbexDoc.h"

namespace
{
constexpr std::int64_t kMinute = 60;

bool IsExpiredOnce(const CTimedEvent& event, const CTime& now)
{
    if (now >= event.m_time.AddSeconds(kMinute))
        return true;
    return event.m_lastFired <= now && now < event.m_lastFired.AddSeconds(kMinute);
}
} // namespace

EEventStatus GetEventStatus(const CQuorbexDoc& doc, const CTimedEvent& event, const CTime& now)
{
    if (event.IsFiring())
        return EEventStatus::Firing;
    if (&event == doc.m_pArmedEvent)
        return EEventStatus::Armed;
    if (event.m_bDisabled)
        return EEventStatus::Disabled;
    if (event.m_nFrequency != kFrequencyOnce)
        return EEventStatus::Active;
    return IsExpiredOnce(event, now) ? EEventStatus::Expired : EEventStatus::Active;
}

const char* GetEventStatusText(EEventStatus nStatus)
{
    switch (nStatus)
    {
    case EEventStatus::Firing:
        return "FIRING";
    case EEventStatus::Armed:
        return "ARMED";
    case EEventStatus::Disabled:
        return "Disabled";
    case EEventStatus::Active:
        return "Active";
    case EEventStatus::Expired:
        break;
    }
    return "Expired";
}
