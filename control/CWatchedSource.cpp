#include "control/CWatchedSource.h"

#include <poll.h>

namespace
{
struct SWatch
{
    CWatchedSource* pSource;
    pollfd entry;
};
} // namespace

void ServeSources(std::span<CWatchedSource* const> sources, int nMilliseconds)
{
    std::vector<SWatch> watches;
    for (CWatchedSource* pSource : sources)
    {
        for (const int nDescriptor : pSource->GetWatchedDescriptors())
            watches.push_back({pSource, {nDescriptor, POLLIN, 0}});
        for (const int nDescriptor : pSource->GetWritingDescriptors())
            watches.push_back({pSource, {nDescriptor, POLLOUT, 0}});
    }
    std::vector<pollfd> entries;
    for (const SWatch& watch : watches)
        entries.push_back(watch.entry);
    if (poll(entries.data(), entries.size(), nMilliseconds) <= 0)
        return;
    for (std::size_t nIndex = 0; nIndex < entries.size(); ++nIndex)
    {
        if (entries[nIndex].revents == 0)
            continue;
        if (entries[nIndex].events == POLLOUT)
            watches[nIndex].pSource->OnWritable(entries[nIndex].fd);
        else
            watches[nIndex].pSource->OnReadable(entries[nIndex].fd);
    }
}
