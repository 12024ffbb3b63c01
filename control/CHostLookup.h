#pragma once

#include <atomic>
#include <memory>
#include <string>

// Looks a host name up without holding the caller: with the network gone, the resolver can
// wait many seconds for a name server it cannot reach, and the schedule and the windows must
// go on meanwhile. The lookup runs on a thread of its own that nobody waits for; a lookup
// dropped before it ends leaves the thread to finish alone.
class CHostLookup
{
public:
    // Starts looking strHost up.
    explicit CHostLookup(const std::string& strHost);

    bool IsDone() const { return m_pResult->bDone.load(std::memory_order_acquire); }
    // Once done: why the name was not found, or empty when it was.
    const std::string& GetError() const { return m_pResult->strError; }

    // Whether strHost is an IPv4 or IPv6 address, which needs no lookup.
    static bool IsAddress(const std::string& strHost);

private:
    struct SResult
    {
        std::atomic<bool> bDone{false};
        std::string strError;
    };

    std::shared_ptr<SResult> m_pResult;
};
