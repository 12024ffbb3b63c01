#pragma once

#include <sched.h>

// Keeps the calling thread on real-time scheduling, with its memory locked, for the life of
// the object, so that a sampling or playing loop is not pre-empted by ordinary tasks. A Linux
// user program cannot mask interrupts; this is the closest it may come. When the process is
// not allowed real-time scheduling the thread simply runs as usual.
class CRealTimeScope
{
public:
    explicit CRealTimeScope(bool bWanted);
    ~CRealTimeScope();
    CRealTimeScope(const CRealTimeScope&) = delete;
    CRealTimeScope& operator=(const CRealTimeScope&) = delete;

private:
    bool m_bScheduled = false;
    bool m_bLocked = false;
    int m_nOldPolicy = SCHED_OTHER;
    sched_param m_oldParam{};
};
