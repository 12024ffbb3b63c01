#include "app/CSchedulerHeartbeat.h"

#include "document/CTimedEvent.h"
#include "engine/CScheduler.h"
#include "ui/EventFormat.h"

CSchedulerHeartbeat::CSchedulerHeartbeat(CScheduler& scheduler,
                                         std::function<void(const QString&)> onFiring,
                                         std::function<void()> onBeat)
    : m_scheduler(scheduler), m_onBeat(std::move(onBeat))
{
    m_timer.setInterval(1000);
    // On the whole second, so that the MQTT link's beat and other timers of a second wake the
    // program together, not each on its own.
    m_timer.setTimerType(Qt::VeryCoarseTimer);
    m_scheduler.SetFireObserver(
        [onFiring = std::move(onFiring)](const CTimedEvent& armed)
        { onFiring(FormatButtonName(*armed.m_pRemote, *armed.m_pButton)); });
    // The beat runs after the timer's handler has returned: Qt calls a timer again only once
    // its handler is done, and a megabutton that the beat fires plays for seconds while pumping
    // messages, so the clock pane would stand still meanwhile. This way the timer goes on, and
    // its nested beats show the time while the scheduler's hold count keeps them from firing.
    connect(&m_timer, &QTimer::timeout, this, &CSchedulerHeartbeat::Beat, Qt::QueuedConnection);
}

void CSchedulerHeartbeat::Beat()
{
    // A beat still queued when the timer was stopped for the close does not run.
    if (!m_timer.isActive())
        return;
    m_scheduler.SchedulerTick();
    m_onBeat();
}
