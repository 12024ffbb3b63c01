#pragma once

#include <QObject>

#include <map>
#include <vector>

class CWatchedSource;
class QSocketNotifier;

// The Qt event loop's watch over one source of descriptors (the control socket's server, the
// MQTT client): one enabled notifier for each descriptor the source names now, and none for the
// others. It syncs after serving every notification; whoever calls the source in between (a
// start, a beat) syncs it too.
class CSourceWatcher : public QObject
{
public:
    // The source must outlive the watcher.
    explicit CSourceWatcher(CWatchedSource& source);

    // Watches what the source names now.
    void Sync();

private:
    using CNotifiers = std::map<int, QSocketNotifier*>;

    void Watch(CNotifiers& notifiers, const std::vector<int>& watched, bool bWrite);
    void OnActivated(int nDescriptor, bool bWrite);

    CWatchedSource& m_source;
    CNotifiers m_readNotifiers;
    CNotifiers m_writeNotifiers;
};
