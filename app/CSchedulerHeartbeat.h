#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class CScheduler;

// The scheduler's once-a-second beat in the window program. It keeps beating while a menu or a
// modal dialog is open; the scheduler holds itself when it must not fire.
class CSchedulerHeartbeat : public QObject
{
public:
    // onFiring: an event is about to play the named button; onBeat: a beat has ended, and any
    // firing it started with it.
    CSchedulerHeartbeat(CScheduler& scheduler, std::function<void(const QString&)> onFiring,
                        std::function<void()> onBeat);

    void Start() { m_timer.start(); }
    // No beat runs after this, not even one already queued.
    void Stop() { m_timer.stop(); }
    QTimer& GetTimer() { return m_timer; }

private:
    void Beat();

    CScheduler& m_scheduler;
    std::function<void()> m_onBeat;
    QTimer m_timer;
};
