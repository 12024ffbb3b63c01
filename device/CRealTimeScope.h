#pragma once

#include <cstdint>
#include <sched.h>
#include <span>

// Keeps the calling thread on real-time scheduling, with the loop's working memory locked, for
// the life of the object, so that a sampling or playing loop is not pre-empted by ordinary tasks. A
// Linux user program cannot mask interrupts; this is the closest it may come. When the process is
// not allowed real-time scheduling the thread simply runs as usual.
class CRealTimeScope
{
public:
    // working: the memory the loop reads and writes. Only it is locked; locking the whole
    // process (the windows and their libraries) before every firing would cost more than the
    // page faults it saves.
    CRealTimeScope(bool bWanted, std::span<const std::uint8_t> working);
    ~CRealTimeScope();
    CRealTimeScope(const CRealTimeScope&) = delete;
    CRealTimeScope& operator=(const CRealTimeScope&) = delete;

private:
    bool m_bScheduled = false;
    std::span<const std::uint8_t> m_locked;
    int m_nOldPolicy = SCHED_OTHER;
    sched_param m_oldParam{};
};
