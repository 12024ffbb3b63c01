#pragma once

#include "control/ControlProtocol.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <vector>

class CFiringEngine;
class CInfraredDevice;
class CMqttService;
class CQuorbexDoc;
class CRemote;
class CRemoteButton;

// What STATUS reports, as text fit for a reply or a JSON document.
struct SControlStatus
{
    std::string strDocument; // the file's whole path; empty for none
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
};

// More FIRE requests than this waiting at once are refused as busy.
constexpr std::size_t kMaxQueuedFires = 1024;

// Answers the requests of the control socket for the program that owns it: the window program
// or the headless runner. Listing, status and firing work the same in both; opening a file and
// showing the window belong to the window program. The MQTT service serves through it too.
class CControlHandler
{
public:
    virtual ~CControlHandler() = default;

    // The whole reply to one request line (without its newline): data lines and a last line
    // that says OK or ERROR, each ended by a newline.
    std::string Answer(std::string_view strLine);

    // Where a reply goes once it is ready.
    using CReplySink = std::function<void(const std::string& strReply)>;
    // The same for a client that waits: a FIRE that comes while another firing plays waits its
    // turn, in the order requests came, and reply has its answer once it fired. Every other
    // request is answered at once.
    void Answer(std::string_view strLine, CReplySink reply);

    // FIRE's reply to a request for the button of that remote, names in UTF-8; busy while
    // another firing plays.
    std::string AnswerFire(const std::string& strRemote, const std::string& strButton);
    // Fires at once when nothing else does, else queues the request behind the others; reply
    // has FIRE's answer when it fired or was refused.
    void RequestFire(const std::string& strRemote, const std::string& strButton, CReplySink reply);
    // Fires the queued requests while nothing else fires; true while some still wait. The
    // owner's event loop calls it when a firing that did not come from here may have ended.
    bool ServeQueuedFires();
    // Turns the event of that name on or off as the Event Programmer's Disable box does; the
    // reply is FIRE's kind.
    std::string AnswerEnable(const std::string& strEvent, bool bEnable);
    SControlStatus GetStatus();
    // The document buttons are fired from; null while there is none.
    const CQuorbexDoc* GetServedDocument() { return GetControlDocument(); }
    // The service whose state STATUS reports; null for none. It must outlive the handler's use.
    void SetMqttService(const CMqttService* pMqtt) { m_pMqtt = pMqtt; }

protected:
    // What kind of program answers: "window" or "run".
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
    // A request was queued behind a firing; the owner's loop must call ServeQueuedFires once
    // it ends.
    virtual void OnFireQueued() {}
    // Why the document may not be edited now, or empty: a dialog open on it, say.
    virtual std::string GetEditRefusal() { return {}; }
    // Window program only: replace the document by the file at strPath (asking about unsaved
    // changes first), and raise the window. The reply's last line.
    virtual std::string OpenFromControl(const std::string& strPath);
    virtual std::string ShowFromControl();

private:
    struct SQueuedFire
    {
        std::string strRemote, strButton;
        CReplySink reply;
    };

    std::string AnswerList();
    std::string AnswerStatus();

    const CMqttService* m_pMqtt = nullptr;
    std::deque<SQueuedFire> m_queuedFires;
    bool m_bServingQueue = false;
};
