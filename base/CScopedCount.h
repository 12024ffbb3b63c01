#pragma once

#include <functional>

// Raises a count for the life of a scope and lowers it on every way out of that scope. Firings
// pump the event loop while their counts are raised, so a count raised and lowered by hand could
// be left raised by any early return in between.
class CScopedCount
{
public:
    // Raises nCount now; lowers it when the scope ends.
    explicit CScopedCount(int& nCount)
        : CScopedCount([&nCount] { ++nCount; }, [&nCount] { --nCount; })
    {
    }
    // For a count kept behind a pair of operations: calls raise now and lower when the scope ends.
    CScopedCount(const std::function<void()>& raise, std::function<void()> lower)
        : m_lower(std::move(lower))
    {
        raise();
    }
    ~CScopedCount() { m_lower(); }

    CScopedCount(const CScopedCount&) = delete;
    CScopedCount& operator=(const CScopedCount&) = delete;

private:
    std::function<void()> m_lower;
};
