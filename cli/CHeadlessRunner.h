#pragma once

#include "cli/CConsoleFrontEnd.h"
#include "common/CLastFiredStore.h"
#include "control/CControlHandler.h"
#include "document/FileStamp.h"
#include "engine/CQuorbexSession.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>

class CClockBackend;
class CControlServer;
class CInfraredDevice;
class CListener;
class CTickSource;
struct SHeardPress;
struct SMqttSettings;

// Without windows there are no settings to read the port from; the first port is the usual one.
constexpr int kHeadlessPort = 1;

// How a run goes besides its document and hardware.
struct SHeadlessOptions
{
    const SMqttSettings* pMqtt = nullptr; // the broker to serve; null for none
    int nLateMinutes = 0;                 // how late a missed occurrence may still fire
};

// Runs the document's events until SIGINT or SIGTERM, answering the claimed control server's
// requests meanwhile, and the broker's presses when options name one; returns the exit status.
int RunHeadless(const std::string& strPath, CInfraredDevice& device, CClockBackend& clockBackend,
                CControlServer& server, const SHeadlessOptions& options, std::FILE* pOut,
                std::FILE* pErr);

// The runner without signals or real time: Start loads the document and lists its events, and
// each Tick is one beat of the once-a-second timer. It never writes the document; when the
// file changes on disk it is loaded again and re-armed: at once when OnFileWritten says it was
// written whole, else once it has stopped changing for a tick.
// What fired is kept in the user's last-fired store, so that a run started again does not
// fire the same occurrence twice.
// Scripts fire its buttons, list them and ask its status through the control socket.
class CHeadlessRunner : public CControlHandler
{
public:
    CHeadlessRunner(std::string strPath, CInfraredDevice& device, CClockBackend& clockBackend,
                    CTickSource& ticks, std::FILE* pOut, std::FILE* pErr);

    // False when the document cannot be opened (the reason is on pErr).
    bool Start();
    void Tick();
    // The file was written whole or put in place: loaded now, not at the next minute's beat,
    // unless a firing runs or another program holds its lock.
    void OnFileWritten();
    // Beats from the last one to the next that has work, when no firing runs: the first of
    // the next minute by the clock, the scheduler's next clock check, or the next one while a
    // changed file settles. The beats between do nothing, and the loop sleeps through them.
    int GetBeatsToNextWork();
    // What a megabutton's wait does after giving the timer its due: the real loop serves the
    // control socket for at most the milliseconds given, which end when the wait or the
    // timer's next beat is due.
    void SetIdleWait(std::function<void(std::uint32_t)> idleWait)
    {
        m_idleWait = std::move(idleWait);
    }
    // Called after each beat, within a firing's waits too, and after OnFileWritten.
    void SetBeatObserver(std::function<void()> observer) { m_beatObserver = std::move(observer); }

    // Takes what the unit heard, waiting up to nMaxWaitMs, and prints each press.
    bool Listen(int nMaxWaitMs);
    CListener& GetListener() const { return m_session.GetListener(); }

    const CQuorbexDoc& GetDocument() const { return m_session.GetDocument(); }
    // Occurrences that could not fire in their minute still fire up to nMinutes late.
    void SetLateMinutes(int nMinutes) { m_session.GetDocument().SetLateMinutes(nMinutes); }

protected:
    const char* GetProgramKind() const override { return "run"; }
    CQuorbexDoc* GetControlDocument() override { return &m_session.GetDocument(); }
    CFiringEngine& GetControlEngine() override { return m_session.GetEngine(); }
    std::string GetDocumentPath() const override;
    CInfraredDevice& GetControlDevice() override;
    std::string GetClockName() const override;
    void FireFromControl(CRemote& remote, CRemoteButton& button) override;
    void HoldFromControl(CRemote& remote, CRemoteButton& button,
                         std::uint32_t nHoldMillis) override;
    void OnActionRefused(const std::string& strAction, const SControlResult& result) override;

private:
    void OnPump(std::uint32_t nMaxWaitMs);
    void ReloadIfChanged();
    void ReloadUnlessLocked(const SFileStamp& stamp);
    void Reload();
    void PrintEvents();
    void OnFiring(const CTimedEvent& armed);
    void OnFired(const CTimedEvent& event, bool bSent);
    void OnMissed(const CTimedEvent& event);
    void PrintStep(const CMegaStep& step);
    // "sending (remote R, button B) on request", strHow before "on request".
    void PrintSending(const CRemote& remote, const CRemoteButton& button,
                      const std::string& strHow);
    void PrintHeard(const SHeardPress& press);

    std::string m_strPath;
    std::FILE* m_pOut;
    std::FILE* m_pErr;
    CConsoleFrontEnd m_frontEnd;
    CQuorbexSession m_session;
    CTickSource& m_ticks;
    std::function<void(std::uint32_t)> m_idleWait;
    std::function<void()> m_beatObserver;
    std::uint32_t m_nLastTick = 0;
    SFileStamp m_loadedStamp;
    SFileStamp m_changedStamp;
    // The occurrence each event last fired at in this run, by event name. Kept apart from the
    // document, because a one-time event is deleted once fired and a failed reload empties the
    // document, while the file may still hold both.
    std::map<std::string, CTime> m_firedOccurrences;
    CLastFiredStore m_lastFired;
};
