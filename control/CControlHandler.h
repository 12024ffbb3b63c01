#pragma once

#include "control/SControlResult.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

class CFiringEngine;
class CInfraredDevice;
class CQuorbexDoc;
class CRemote;
class CRemoteButton;
struct SHeardPress;

// What STATUS reports, as text fit for a reply or a JSON document.
struct SControlStatus
{
    const char* pszProgram = ""; // "window", "run" or "fire"
    std::string strDocument;     // the file's whole path; empty for none
    bool bModified = false;
    std::string strDevice;
    long nNanosPerSample = 0;
    std::string strClock;
    // The armed event; its name is empty when none is armed.
    std::string strArmedName, strArmedTime, strArmedRemote, strArmedButton;
    bool bFiring = false;
    std::size_t nQueuedFires = 0; // requests waiting for the firing in progress
    // Events whose last occurrence passed without firing, with that occurrence's time.
    std::vector<std::pair<std::string, std::string>> missed;
    bool bMqtt = false;       // a broker is configured
    std::string strMqttState; // how its connection stands
};

// A button as LIST shows it, names in UTF-8.
struct SControlButton
{
    std::string strName;
    // "learned", "not-learned", "megabutton" or "megabutton-not-ready" (a step is missing or
    // not learned).
    const char* pszState = "";
    std::string strDescription;
};

struct SControlRemote
{
    std::string strName;
    std::vector<SControlButton> buttons;
};

// More FIRE requests than this waiting at once are refused as busy.
constexpr std::size_t kMaxQueuedFires = 1024;

// The requests scripts and the hub make of the program that owns it (the window program, the
// headless runner, or a command firing straight from a file), as typed operations: the control
// socket and the MQTT service call them and word the results, each at its own edge. Listing,
// status and firing work the same in every program; opening a file and showing the window
// belong to the window program.
class CControlHandler
{
public:
    virtual ~CControlHandler() = default;

    // Fires the button of that remote now, names in UTF-8, held down for nHoldMillis (0 for a
    // single press); busy while another firing plays.
    SControlResult Fire(const std::string& strRemote, const std::string& strButton,
                        std::uint32_t nHoldMillis = 0);
    // Where a request that waits its turn has its result once it is there.
    using CResultSink = std::function<void(const SControlResult& result)>;
    // Fires at once when nothing else does, else queues the request behind the others, in the
    // order requests came; done has the result when it fired or was refused.
    void RequestFire(const std::string& strRemote, const std::string& strButton, CResultSink done,
                     std::uint32_t nHoldMillis = 0);
    // Queues a signal that is no button's (marks and spaces in microseconds, a mark first, sent
    // at nCarrier hertz, 0 for the unit's usual) in turn with the FIRE requests.
    void RequestSignal(std::vector<std::uint32_t> durations, std::uint32_t nCarrier,
                       CResultSink done);
    // Fires the queued requests while nothing else fires; true while some still wait. The
    // owner's event loop calls it when a firing that did not come from here may have ended.
    bool ServeQueuedFires();
    // Turns the event of that name on or off as the Event Programmer's Disable box does.
    SControlResult Enable(const std::string& strEvent, bool bEnable);
    // The remotes and buttons of the document; refused when there is none.
    SControlResult List(std::vector<SControlRemote>& remotes);
    SControlStatus GetStatus();
    // Window program only: replace the document by the file at strPath (asking about unsaved
    // changes first), and raise the window.
    virtual SControlResult Open(const std::string& strPath);
    virtual SControlResult Show();

    // Whoever is to be told of every press heard (a LISTEN connection, the broker): told until
    // it returns false.
    using CHeardSink = std::function<bool(const SHeardPress& press)>;
    // Refused when the unit cannot hear on its own (it hears only while it learns).
    SControlResult Listen(CHeardSink sink);
    // The owner's listener heard a press: every sink is told, and the button heard fires its
    // action, if it has one, through the same queue as FIRE requests (once a press, however
    // long it is held).
    void TellHeard(const SHeardPress& press);

    // The document buttons are fired from; null while there is none.
    const CQuorbexDoc* GetServedDocument() { return GetControlDocument(); }
    // How the broker connection stands, for STATUS; none when not set.
    void SetMqttStateSource(std::function<std::string()> mqttState)
    {
        m_mqttState = std::move(mqttState);
    }

protected:
    // What kind of program answers: "window", "run" or "fire".
    virtual const char* GetProgramKind() const = 0;
    // Null while there is no document to fire from.
    virtual CQuorbexDoc* GetControlDocument() = 0;
    virtual CFiringEngine& GetControlEngine() = 0;
    // The document's file, empty for one never saved.
    virtual std::string GetDocumentPath() const = 0;
    virtual CInfraredDevice& GetControlDevice() = 0;
    virtual std::string GetClockName() const = 0;
    // Why nothing may fire now, or empty: a recording in progress, say. A firing in progress is
    // judged here already.
    virtual std::string GetFiringRefusal() const { return {}; }
    // Plays the button, telling the person as a firing from a pad would.
    virtual void FireFromControl(CRemote& remote, CRemoteButton& button) = 0;
    // Plays the button held down for nHoldMillis.
    virtual void HoldFromControl(CRemote& remote, CRemoteButton& button, std::uint32_t nHoldMillis);
    // A request was queued behind a firing; the owner's loop must call ServeQueuedFires once
    // it ends.
    virtual void OnFireQueued() {}
    // The action of a button heard, "Remote/Button" in UTF-8, could not fire.
    virtual void OnActionRefused(const std::string& /*strAction*/, const SControlResult& /*result*/)
    {
    }
    // Why the document may not be edited now, or empty: a dialog open on it, say.
    virtual std::string GetEditRefusal() { return {}; }

private:
    struct SQueuedFire
    {
        std::string strRemote, strButton;
        CResultSink done;
        std::uint32_t nHoldMillis = 0;
        // A signal of no button: sent instead of the names when not empty.
        std::vector<std::uint32_t> durations;
        std::uint32_t nCarrier = 0;
    };

    void FireAction(const SHeardPress& press);
    void Enqueue(SQueuedFire request);
    SControlResult SendQueued(const SQueuedFire& request);

    std::function<std::string()> m_mqttState;
    std::deque<SQueuedFire> m_queuedFires;
    std::vector<CHeardSink> m_heardSinks;
    bool m_bServingQueue = false;
};
