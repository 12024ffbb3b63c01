#include "cli/CHeadlessRunner.h"

#include "base/TextEncoding.h"
#include "cli/CDocumentWatch.h"
#include "control/CControlServer.h"
#include "control/CMqttService.h"
#include "device/CClockBackend.h"
#include "device/CInfraredDevice.h"
#include "document/CDocumentLock.h"
#include "document/SHeardPress.h"
#include "engine/CFiringEngine.h"
#include "engine/CListener.h"
#include "engine/CScheduler.h"
#include "engine/CTickSource.h"
#include "engine/EventStatus.h"
#include "signal/SignalDecoder.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <map>
#include <optional>
#include <vector>

namespace
{
constexpr std::uint32_t kTickMs = 1000;

// Without a settings store there is no clock-refresh schedule to honour, and a headless run
// must not set the machine's clock on its own.
constexpr SClockSettings kNoClockRefresh{EClockRefreshMethod::None, EClockRefreshDay::Sunday, 0, 5};

std::string DescribeButton(const CRemote* pRemote, const CRemoteButton* pButton)
{
    return "(remote " + ToDisplayText(pRemote ? pRemote->m_strName : "?") + ", button " +
           ToDisplayText(pButton ? pButton->GetDisplayText() : "?") + ")";
}
} // namespace

CHeadlessRunner::CHeadlessRunner(std::string strPath, CInfraredDevice& device,
                                 CClockBackend& clockBackend, CTickSource& ticks, std::FILE* pOut,
                                 std::FILE* pErr)
    : m_strPath(std::move(strPath)), m_pOut(pOut), m_pErr(pErr), m_frontEnd(pErr),
      m_session(m_frontEnd, clockBackend, kNoClockRefresh, device, ticks), m_ticks(ticks)
{
    m_frontEnd.SetPumpHandler([this](std::uint32_t nMaxWaitMs) { OnPump(nMaxWaitMs); });
    m_session.GetScheduler().SetFireObserver([this](const CTimedEvent& armed) { OnFiring(armed); });
    m_session.GetScheduler().SetFiredObserver([this](const CTimedEvent& event, bool bSent)
                                              { OnFired(event, bSent); });
    m_session.GetScheduler().SetMissedObserver([this](const CTimedEvent& event)
                                               { OnMissed(event); });
    m_session.GetEngine().SetStepObserver([this](const CMegaStep& step) { PrintStep(step); });
    m_session.GetListener().AddObserver(
        [this](const SHeardPress& press)
        {
            PrintHeard(press);
            TellHeard(press);
        });
    m_lastFired.SetNoticeObserver([pErr](const std::string& strNotice)
                                  { std::fprintf(pErr, "quorbit: %s\n", strNotice.c_str()); });
}

bool CHeadlessRunner::Start()
{
    // Stamped before reading, so that a change made while it is read is not missed.
    m_loadedStamp = m_changedStamp = ReadFileStamp(m_strPath);
    if (!m_session.GetDocument().OnOpenDocument(m_strPath))
        return false;
    m_lastFired.Apply(GetDocumentPath(), m_session.GetDocument());
    m_session.GetDocument().ArmNextEvent();
    std::fprintf(m_pOut, "Running %s\n", ToDisplayText(m_strPath).c_str());
    if (m_session.GetListener().CanListen())
        std::fprintf(m_pOut, "Listening on %s\n", GetControlDevice().GetBackendName());
    PrintEvents();
    return true;
}

void CHeadlessRunner::Tick()
{
    m_nLastTick = m_ticks.GetTickCount();
    // Never under a firing: its event and buttons belong to the content a reload replaces.
    if (!m_session.IsFiring())
        ReloadIfChanged();
    m_session.GetScheduler().SchedulerTick();
    if (m_beatObserver)
        m_beatObserver();
}

int CHeadlessRunner::GetBeatsToNextWork()
{
    if (m_changedStamp != m_loadedStamp)
        return 1;
    const int nToMinute = 60 - m_session.GetClock().GetBiosTime().GetSecond();
    const std::uint32_t nToCheckMs = m_session.GetScheduler().GetMsToClockCheck();
    const auto nToCheck = static_cast<int>((nToCheckMs + kTickMs - 1) / kTickMs);
    return std::max(1, std::min(nToMinute, nToCheck));
}

void CHeadlessRunner::OnPump(std::uint32_t nMaxWaitMs)
{
    if (m_ticks.GetTickCount() - m_nLastTick >= kTickMs)
        Tick();
    const std::uint32_t nUntilTick =
        kTickMs - std::min(kTickMs, m_ticks.GetTickCount() - m_nLastTick);
    if (m_idleWait)
        m_idleWait(std::min(nMaxWaitMs, nUntilTick));
}

void CHeadlessRunner::ReloadIfChanged()
{
    const SFileStamp stamp = ReadFileStamp(m_strPath);
    if (!stamp.bExists || stamp == m_loadedStamp)
        return;
    // A file still being written changes from one tick to the next; wait until it holds still.
    if (stamp != m_changedStamp)
    {
        m_changedStamp = stamp;
        return;
    }
    ReloadUnlessLocked(stamp);
}

void CHeadlessRunner::OnFileWritten()
{
    const SFileStamp stamp = ReadFileStamp(m_strPath);
    if (!stamp.bExists || stamp == m_loadedStamp)
        return;
    // Whole already: a beat that finds it so loads it without waiting for it to hold still.
    m_changedStamp = stamp;
    // Under a firing it waits for the beats, as above.
    if (m_session.IsFiring())
        return;
    ReloadUnlessLocked(stamp);
    // The broker hears of the change now, as it would at a beat.
    if (m_beatObserver)
        m_beatObserver();
}

void CHeadlessRunner::ReloadUnlessLocked(const SFileStamp& stamp)
{
    // A program that is changing the file holds its lock; its save comes with a later tick.
    CDocumentLock lock;
    std::string strError;
    if (lock.Lock(m_strPath, false, 0, strError) == CDocumentLock::EResult::Busy)
        return;
    m_loadedStamp = stamp;
    Reload();
}

void CHeadlessRunner::Reload()
{
    // What was missed stays missed in the content read again until it fires: the file does not
    // keep it.
    std::map<std::string, CTime> missed;
    for (const auto& [strName, pEvent] : *m_session.GetDocument().m_pEvents)
        missed[strName] = pEvent->m_lastMissed;
    if (!m_session.GetDocument().OnOpenDocument(m_strPath))
    {
        std::fprintf(m_pOut, "Reloading %s failed; trying again when it changes\n",
                     ToDisplayText(m_strPath).c_str());
        return;
    }
    // The file on disk may have been saved before an occurrence fired here; it stays fired.
    m_lastFired.Apply(GetDocumentPath(), m_session.GetDocument());
    for (const auto& [strName, firedAt] : m_firedOccurrences)
    {
        if (CTimedEvent* pEvent = m_session.GetDocument().FindEvent(strName))
            pEvent->m_lastFired = std::max(pEvent->m_lastFired, firedAt);
    }
    for (const auto& [strName, missedAt] : missed)
    {
        if (CTimedEvent* pEvent = m_session.GetDocument().FindEvent(strName))
            pEvent->m_lastMissed = std::max(pEvent->m_lastMissed, missedAt);
    }
    m_session.GetDocument().ArmNextEvent();
    std::fprintf(m_pOut, "Reloaded %s\n", ToDisplayText(m_strPath).c_str());
    PrintEvents();
}

void CHeadlessRunner::PrintEvents()
{
    const CTime now = m_session.GetClock().GetBiosTime();
    std::vector<std::pair<CTime, const CTimedEvent*>> events;
    for (const auto& [strName, pEvent] : *m_session.GetDocument().m_pEvents)
        events.emplace_back(m_session.GetDocument().NextOccurrence(*pEvent, now.ToMinute()),
                            pEvent.get());
    // The map gives them in name order, which stays among events due at the same time.
    std::ranges::stable_sort(events, {}, [](const auto& entry) { return entry.first; });
    if (events.empty())
        std::fprintf(m_pOut, "No events\n");
    for (const auto& [next, pEvent] : events)
    {
        const EEventStatus nStatus = GetEventStatus(m_session.GetDocument(), *pEvent, now);
        std::string strStatus = GetEventStatusText(nStatus);
        if (nStatus == EEventStatus::Missed)
            strStatus += " " + pEvent->m_lastMissed.Format();
        std::fprintf(m_pOut, "%-31s  %s  %s\n", ToDisplayText(pEvent->m_strName).c_str(),
                     next.Format().c_str(), strStatus.c_str());
    }
    std::fflush(m_pOut);
}

void CHeadlessRunner::OnFiring(const CTimedEvent& armed)
{
    m_firedOccurrences[armed.m_strName] = armed.m_time;
    std::fprintf(m_pOut, "%s fired %s %s\n",
                 m_session.GetClock().GetBiosTime().Format(' ', true).c_str(),
                 ToDisplayText(armed.m_strName).c_str(),
                 DescribeButton(armed.m_pRemote, armed.m_pButton).c_str());
    std::fflush(m_pOut);
}

void CHeadlessRunner::OnFired(const CTimedEvent& event, bool bSent)
{
    // "fired" was said as it began; a script reading along learns here that it did not go out
    // (standard error says why).
    if (!bSent)
        std::fprintf(m_pOut, "%s failed %s %s\n",
                     m_session.GetClock().GetBiosTime().Format(' ', true).c_str(),
                     ToDisplayText(event.m_strName).c_str(),
                     DescribeButton(event.m_pRemote, event.m_pButton).c_str());
    std::string strError;
    if (!m_lastFired.Remember(GetDocumentPath(), event, strError))
        std::fprintf(m_pErr,
                     "quorbit: cannot keep when %s fired, so a run started again may "
                     "fire it again: %s\n",
                     ToDisplayText(event.m_strName).c_str(), strError.c_str());
}

void CHeadlessRunner::OnMissed(const CTimedEvent& event)
{
    std::fprintf(m_pOut, "%s missed %s of %s %s\n",
                 m_session.GetClock().GetBiosTime().Format(' ', true).c_str(),
                 ToDisplayText(event.m_strName).c_str(), event.m_lastMissed.Format().c_str(),
                 DescribeButton(event.m_pRemote, event.m_pButton).c_str());
    std::fflush(m_pOut);
}

CInfraredDevice& CHeadlessRunner::GetControlDevice()
{
    return m_session.GetEngine().GetDevice();
}

std::string CHeadlessRunner::GetClockName() const
{
    return m_session.GetClock().GetBackend().GetName();
}

// Whole, so that another program can tell whether a path it was given names this document.
std::string CHeadlessRunner::GetDocumentPath() const
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(m_strPath, error);
    return error ? m_strPath : absolute.lexically_normal().string();
}

void CHeadlessRunner::PrintSending(const CRemote& remote, const CRemoteButton& button,
                                   const std::string& strHow)
{
    std::fprintf(m_pOut, "%s sending %s%s on request\n",
                 m_session.GetClock().GetBiosTime().Format(' ', true).c_str(),
                 DescribeButton(&remote, &button).c_str(), strHow.c_str());
    std::fflush(m_pOut);
}

void CHeadlessRunner::FireFromControl(CRemote& remote, CRemoteButton& button)
{
    PrintSending(remote, button, "");
    m_session.GetEngine().Fire(button);
}

void CHeadlessRunner::HoldFromControl(CRemote& remote, CRemoteButton& button,
                                      std::uint32_t nHoldMillis)
{
    PrintSending(remote, button, " held " + std::to_string(nHoldMillis) + " ms");
    CControlHandler::HoldFromControl(remote, button, nHoldMillis);
}

void CHeadlessRunner::OnActionRefused(const std::string& strAction, const SControlResult& result)
{
    std::fprintf(m_pErr, "quorbit: the button heard could not fire %s: %s\n", strAction.c_str(),
                 result.strText.c_str());
}

bool CHeadlessRunner::Listen(int nMaxWaitMs)
{
    return m_session.GetListener().Listen(nMaxWaitMs);
}

void CHeadlessRunner::PrintHeard(const SHeardPress& press)
{
    const std::string strButton =
        press.pButton ? DescribeButton(press.pRemote, press.pButton) : "(no button)";
    std::fprintf(m_pOut, "%s heard %s %s\n", press.time.Format(' ', true).c_str(),
                 DescribeSignal(DecodeSignal(press.durations)).c_str(), strButton.c_str());
    std::fflush(m_pOut);
}

void CHeadlessRunner::PrintStep(const CMegaStep& step)
{
    std::fprintf(m_pOut, "%s   step %s\n",
                 m_session.GetClock().GetBiosTime().Format(' ', true).c_str(),
                 DescribeButton(step.m_pRemote, step.m_pButton).c_str());
    std::fflush(m_pOut);
}

namespace
{
volatile std::sig_atomic_t g_bStopRequested = 0;

// The unit's receiver, watched beside the control socket and the broker.
class CHearingSource final : public CWatchedSource
{
public:
    CHearingSource(CHeadlessRunner& runner, CInfraredDevice& device)
        : m_runner(runner), m_device(device)
    {
    }
    std::vector<int> GetWatchedDescriptors() const override
    {
        const int nFd = m_device.GetHearingDescriptor();
        return nFd < 0 ? std::vector<int>{} : std::vector<int>{nFd};
    }
    void OnReadable(int /*nDescriptor*/) override { m_runner.Listen(0); }
    std::vector<int> GetWritingDescriptors() const override { return {}; }
    void OnWritable(int /*nDescriptor*/) override {}

private:
    CHeadlessRunner& m_runner;
    CInfraredDevice& m_device;
};

void OnStopSignal(int)
{
    g_bStopRequested = 1;
}

// SIGINT and SIGTERM ask the run to stop once the firing in progress is over; a second one
// finds the default action back and ends the program at once.
class CStopSignals
{
public:
    CStopSignals()
    {
        g_bStopRequested = 0;
        struct sigaction action
        {
        };
        action.sa_handler = OnStopSignal;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_oldInterrupt);
        sigaction(SIGTERM, &action, &m_oldTerminate);
    }
    ~CStopSignals()
    {
        sigaction(SIGINT, &m_oldInterrupt, nullptr);
        sigaction(SIGTERM, &m_oldTerminate, nullptr);
    }
    CStopSignals(const CStopSignals&) = delete;
    CStopSignals& operator=(const CStopSignals&) = delete;

private:
    struct sigaction m_oldInterrupt
    {
    };
    struct sigaction m_oldTerminate
    {
    };
};

} // namespace

int RunHeadless(const std::string& strPath, CInfraredDevice& device, CClockBackend& clockBackend,
                CControlServer& server, const SHeadlessOptions& options, std::FILE* pOut,
                std::FILE* pErr)
{
    CSteadyTickSource ticks;
    CHeadlessRunner runner(strPath, device, clockBackend, ticks, pOut, pErr);
    runner.SetLateMinutes(options.nLateMinutes);
    CHearingSource hearing(runner, device);
    // First, so that a request coming after a change to the file finds the change loaded.
    CDocumentWatch watch(strPath, [&runner] { runner.OnFileWritten(); });
    std::vector<CWatchedSource*> sources{&watch, &server, &hearing};
    std::optional<CMqttService> mqtt;
    if (options.pMqtt)
    {
        mqtt.emplace(runner, *options.pMqtt);
        mqtt->SetStateObserver(
            [&mqtt, pErr]
            { std::fprintf(pErr, "quorbit: MQTT: %s\n", mqtt->GetStateText().c_str()); });
        runner.SetMqttStateSource([&mqtt] { return mqtt->GetStateText(); });
        runner.SetBeatObserver([&mqtt] { mqtt->Beat(); });
        sources.push_back(&*mqtt);
    }
    // Waits serve the control socket and the broker, so that a request is answered within a
    // step's wait.
    const auto serve = [&sources](std::int32_t nMaxWaitMs) { ServeSources(sources, nMaxWaitMs); };
    runner.SetIdleWait([&serve](std::uint32_t nMaxWaitMs)
                       { serve(static_cast<std::int32_t>(nMaxWaitMs)); });
    const CStopSignals signals;
    std::string strError;
    if (!server.Listen(runner, strError))
        std::fprintf(pErr, "quorbit: scripts cannot reach this run: %s\n", strError.c_str());
    if (!runner.Start())
        return 1;
    if (mqtt)
        mqtt->Start();

    std::uint32_t nNextTick = ticks.GetTickCount();
    while (!g_bStopRequested)
    {
        // Requests that came while an event fired take their turn now.
        runner.ServeQueuedFires();
        const auto nWait = static_cast<std::int32_t>(nNextTick - ticks.GetTickCount());
        // Asleep until the next beat or a request; a stop signal ends the sleep at once.
        if (nWait > 0)
        {
            serve(nWait);
            // A signal the driver does not end with a report ends in silence; the simulated
            // unit has nothing to watch at all.
            runner.Listen(0);
            // A broker lost in the sleep has its beat each second from the next one on, not
            // from the beat planned while it was connected.
            const std::uint32_t nNextSecond = ticks.GetTickCount() + kTickMs;
            if (mqtt && mqtt->WantsEveryBeat() &&
                static_cast<std::int32_t>(nNextTick - nNextSecond) > 0)
                nNextTick = nNextSecond;
            continue;
        }
        runner.Tick();
        // Idle, the run wakes only for a beat with work; MQTT beats each second until it is
        // connected, and a request ends the sleep at once.
        const bool bMqttBusy = mqtt && mqtt->WantsEveryBeat();
        nNextTick +=
            kTickMs * static_cast<std::uint32_t>(bMqttBusy ? 1 : runner.GetBeatsToNextWork());
        // After a long firing the timer goes on from now, without a burst of missed beats.
        if (static_cast<std::int32_t>(nNextTick - ticks.GetTickCount()) <= 0)
            nNextTick = ticks.GetTickCount() + kTickMs;
    }
    std::fprintf(pOut, "Stopped\n");
    return 0;
}
