#include "document/CTimedEvent.h"

#include "base/DocumentConstants.h"

CTime CTimedEvent::MakeTime(int nFrequency, int nYear, int nMonth, int nDay, int nHour, int nMinute)
{
    const CTime::SLocalInstants onDate = CTime::FindLocal(nYear, nMonth, nDay, nHour, nMinute, 0);
    if (!onDate.bSkipped || nFrequency == kFrequencyOnce)
        return onDate.first;
    return CTime(nYear, nMonth, nDay - 1, nHour, nMinute, 0);
}
