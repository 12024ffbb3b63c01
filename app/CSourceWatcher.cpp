#include "app/CSourceWatcher.h"

#include "control/CWatchedSource.h"

#include <QSocketNotifier>

#include <algorithm>

CSourceWatcher::CSourceWatcher(CWatchedSource& source) : m_source(source) {}

void CSourceWatcher::Sync()
{
    Watch(m_readNotifiers, m_source.GetWatchedDescriptors(), false);
    Watch(m_writeNotifiers, m_source.GetWritingDescriptors(), true);
}

void CSourceWatcher::OnActivated(int nDescriptor, bool bWrite)
{
    if (bWrite)
        m_source.OnWritable(nDescriptor);
    else
        m_source.OnReadable(nDescriptor);
    Sync();
}

void CSourceWatcher::Watch(CNotifiers& notifiers, const std::vector<int>& watched, bool bWrite)
{
    for (auto it = notifiers.begin(); it != notifiers.end();)
    {
        if (std::find(watched.begin(), watched.end(), it->first) != watched.end())
        {
            ++it;
            continue;
        }
        // The notifier may be the one whose signal is being handled; disabled, it is harmless
        // until it goes, even when its descriptor number comes back for a new connection.
        it->second->setEnabled(false);
        it->second->deleteLater();
        it = notifiers.erase(it);
    }
    for (const int nDescriptor : watched)
    {
        if (notifiers.contains(nDescriptor))
            continue;
        auto* pNotifier = new QSocketNotifier(
            nDescriptor, bWrite ? QSocketNotifier::Write : QSocketNotifier::Read, this);
        connect(pNotifier, &QSocketNotifier::activated, this,
                [this, nDescriptor, bWrite] { OnActivated(nDescriptor, bWrite); });
        notifiers[nDescriptor] = pNotifier;
    }
}
