#include "device/CRealTimeScope.h"

#include <pthread.h>
#include <sys/mman.h>

CRealTimeScope::CRealTimeScope(bool bWanted, std::span<const std::uint8_t> working)
{
    if (!bWanted || pthread_getschedparam(pthread_self(), &m_nOldPolicy, &m_oldParam) != 0)
        return;
    // The lowest real-time priority is enough to keep ordinary tasks away, and stays below the
    // kernel's own real-time threads so the rest of the machine keeps working.
    sched_param realTime{};
    realTime.sched_priority = sched_get_priority_min(SCHED_FIFO);
    m_bScheduled = pthread_setschedparam(pthread_self(), SCHED_FIFO, &realTime) == 0;
    // A page fault in the middle of the loop would cost as much as a pre-emption.
    if (m_bScheduled && mlock(working.data(), working.size()) == 0)
        m_locked = working;
}

CRealTimeScope::~CRealTimeScope()
{
    if (!m_locked.empty())
        munlock(m_locked.data(), m_locked.size());
    if (m_bScheduled)
        pthread_setschedparam(pthread_self(), m_nOldPolicy, &m_oldParam);
}
