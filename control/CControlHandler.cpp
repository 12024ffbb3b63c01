#include "control/CControlHandler.h"

#include "base/CScopedCount.h"
#include "base/CTimeSource.h"
#include "base/TextEncoding.h"
#include "control/ControlProtocol.h"
#include "device/CInfraredDevice.h"
#include "device/SamplePeriod.h"
#include "document/CQuorbexDoc.h"
#include "document/CRemote.h"
#include "document/SHeardPress.h"
#include "engine/CFiringEngine.h"
#include "engine/EventStatus.h"

#include <cmath>

namespace
{
constexpr const char* kNamesNotText = "names are UTF-8 text of characters a document can hold";

std::string QuoteName(const std::string& strWindows1252)
{
    return QuoteControlWord(ToDisplayText(strWindows1252));
}

const char* DescribeButtonState(const CRemoteButton& button)
{
    if (button.m_bMega)
        return button.GetFiringLength() != 0 ? "megabutton" : "megabutton-not-ready";
    return button.m_bits.GetLength() != 0 ? "learned" : "not-learned";
}

void AddMissedEvents(const CQuorbexDoc& doc, SControlStatus& status)
{
    for (const auto& [strName, pEvent] : *doc.m_pEvents)
    {
        if (GetEventStatus(doc, *pEvent, doc.GetClock().GetBiosTime()) == EEventStatus::Missed)
            status.missed.emplace_back(ToDisplayText(pEvent->m_strName),
                                       pEvent->m_lastMissed.Format());
    }
}
} // namespace

SControlResult CControlHandler::Listen(CHeardSink sink)
{
    CInfraredDevice& device = GetControlDevice();
    if (!device.HearsOnItsOwn())
        return SControlResult::Refused("cannot-listen", std::string(device.GetBackendName()) +
                                                            " hears only while it learns a button");
    m_heardSinks.push_back(std::move(sink));
    return SControlResult::Done("listening on " + std::string(device.GetBackendName()));
}

void CControlHandler::TellHeard(const SHeardPress& press)
{
    // A sink may add another while it is told.
    const std::vector<CHeardSink> sinks = std::move(m_heardSinks);
    m_heardSinks.clear();
    for (const CHeardSink& sink : sinks)
        if (sink(press))
            m_heardSinks.push_back(sink);
    FireAction(press);
}

void CControlHandler::FireAction(const SHeardPress& press)
{
    if (press.pButton == nullptr || press.pButton->m_pActionButton == nullptr)
        return;
    // By name, as a FIRE request: the button may go while the request waits its turn.
    const std::string strRemote = Windows1252ToUtf8(press.pButton->m_pActionRemote->m_strName);
    const std::string strButton = Windows1252ToUtf8(press.pButton->m_pActionButton->m_strName);
    RequestFire(strRemote, strButton,
                [this, strAction = strRemote + "/" + strButton](const SControlResult& result)
                {
                    if (!result.IsOk())
                        OnActionRefused(strAction, result);
                });
}

void CControlHandler::RequestFire(const std::string& strRemote, const std::string& strButton,
                                  CResultSink done, std::uint32_t nHoldMillis)
{
    Enqueue({strRemote, strButton, std::move(done), nHoldMillis, {}, 0});
}

void CControlHandler::RequestSignal(std::vector<std::uint32_t> durations, std::uint32_t nCarrier,
                                    CResultSink done)
{
    Enqueue({{}, {}, std::move(done), 0, std::move(durations), nCarrier});
}

void CControlHandler::Enqueue(SQueuedFire request)
{
    if (m_queuedFires.size() >= kMaxQueuedFires)
        return request.done(SControlResult::Refused("busy", std::to_string(m_queuedFires.size()) +
                                                                " requests wait for their turn"));
    m_queuedFires.push_back(std::move(request));
    ServeQueuedFires();
    if (!m_queuedFires.empty())
        OnFireQueued();
}

SControlResult CControlHandler::SendQueued(const SQueuedFire& request)
{
    // The names are looked up now: the button may have gone while the request waited.
    if (request.durations.empty())
        return Fire(request.strRemote, request.strButton, request.nHoldMillis);
    if (const std::string strRefusal = GetFiringRefusal(); !strRefusal.empty())
        return SControlResult::Refused("busy", strRefusal);
    if (!GetControlEngine().SendSignal(request.durations, request.nCarrier))
        return SControlResult::Refused("device", GetControlDevice().GetLastFault());
    return SControlResult::Done("sent " + std::to_string(request.durations.size()) +
                                " marks and spaces");
}

bool CControlHandler::ServeQueuedFires()
{
    // A firing served from here pumps the loop, whose requests join the queue and are served
    // by the loop below once it returns.
    if (m_bServingQueue)
        return true;
    const CScopedCount serving([this] { m_bServingQueue = true; },
                               [this] { m_bServingQueue = false; });
    while (!m_queuedFires.empty() && GetControlEngine().GetFiringDepth() == 0)
    {
        SQueuedFire request = std::move(m_queuedFires.front());
        m_queuedFires.pop_front();
        request.done(SendQueued(request));
    }
    return !m_queuedFires.empty();
}

SControlResult CControlHandler::Open(const std::string& /*strPath*/)
{
    return SControlResult::Refused("no-windows",
                                   "this Quorbit runs without windows (quorbit --run)");
}

SControlResult CControlHandler::Show()
{
    return Open({});
}

SControlResult CControlHandler::Fire(const std::string& strRemote, const std::string& strButton,
                                     std::uint32_t nHoldMillis)
{
    CQuorbexDoc* pDoc = GetControlDocument();
    if (!pDoc)
        return SControlResult::Refused("no-document", "no document is open");
    std::string strRemoteName;
    std::string strButtonName;
    // The names are echoed in the reply; bytes that are no text would make it binary too.
    if (!FromUtf8Text(strRemote, strRemoteName) || !FromUtf8Text(strButton, strButtonName))
        return SControlResult::Refused("malformed", kNamesNotText);
    CRemote* pRemote = pDoc->FindRemote(strRemoteName);
    if (!pRemote)
        return SControlResult::Refused("unknown-remote",
                                       "no remote is named " + QuoteControlWord(strRemote));
    CRemoteButton* pButton = pRemote->FindButton(strButtonName);
    if (!pButton)
        return SControlResult::Refused("unknown-button", QuoteControlWord(strRemote) +
                                                             " has no button named " +
                                                             QuoteControlWord(strButton));
    if (pButton->GetFiringLength() == 0)
        return SControlResult::Refused(
            "not-learned", pButton->m_bMega
                               ? "the megabutton has no steps, or one of them is not learned"
                               : "the button has not been learned");
    if (GetControlEngine().GetFiringDepth() != 0)
        return SControlResult::Refused("busy", "another firing is in progress");
    if (const std::string strRefusal = GetFiringRefusal(); !strRefusal.empty())
        return SControlResult::Refused("busy", strRefusal);
    if (nHoldMillis != 0)
    {
        if (const std::string strWhy = GetControlEngine().GetHoldRefusal(*pButton, nHoldMillis);
            !strWhy.empty())
            return SControlResult::Refused("cannot-hold", strWhy);
        HoldFromControl(*pRemote, *pButton, nHoldMillis);
    }
    else
        FireFromControl(*pRemote, *pButton);
    // Every transmit says how it went; a megabutton stops at the one that failed.
    if (const std::string& strFault = GetControlDevice().GetLastFault(); !strFault.empty())
        return SControlResult::Refused("device", strFault);
    const std::string strNames =
        QuoteName(pRemote->m_strName) + " " + QuoteName(pButton->m_strName);
    if (nHoldMillis != 0)
        return SControlResult::Done("held " + strNames + " for " + std::to_string(nHoldMillis) +
                                    " ms");
    return SControlResult::Done("fired " + strNames);
}

void CControlHandler::HoldFromControl(CRemote& /*remote*/, CRemoteButton& button,
                                      std::uint32_t nHoldMillis)
{
    GetControlEngine().Hold(button, nHoldMillis);
}

SControlResult CControlHandler::Enable(const std::string& strEvent, bool bEnable)
{
    CQuorbexDoc* pDoc = GetControlDocument();
    if (!pDoc)
        return SControlResult::Refused("no-document", "no document is open");
    std::string strName;
    if (!FromUtf8Text(strEvent, strName))
        return SControlResult::Refused("malformed", kNamesNotText);
    CTimedEvent* pEvent = pDoc->FindEvent(strName);
    if (!pEvent)
        return SControlResult::Refused("unknown-event",
                                       "no event is named " + QuoteControlWord(strEvent));
    // What fires may be this event, or arm it when done.
    if (GetControlEngine().GetFiringDepth() != 0)
        return SControlResult::Refused("busy", "a firing is in progress");
    if (const std::string strRefusal = GetEditRefusal(); !strRefusal.empty())
        return SControlResult::Refused("busy", strRefusal);
    CTimedEvent fields = *pEvent;
    fields.m_bDisabled = !bEnable;
    if (pEvent->m_bDisabled != fields.m_bDisabled && !pDoc->UpdateEvent(*pEvent, fields))
        return SControlResult::Refused("not-changed", "the event cannot be changed");
    return SControlResult::Done(std::string(bEnable ? "enabled " : "disabled ") +
                                QuoteName(pEvent->m_strName));
}

SControlResult CControlHandler::List(std::vector<SControlRemote>& remotes)
{
    CQuorbexDoc* pDoc = GetControlDocument();
    if (!pDoc)
        return SControlResult::Refused("no-document", "no document is open");
    for (const auto& [strRemote, pRemote] : *pDoc->m_pRemotes)
    {
        SControlRemote& remote = remotes.emplace_back();
        remote.strName = ToDisplayText(pRemote->m_strName);
        for (const auto& [strButton, pButton] : pRemote->m_buttons)
            remote.buttons.push_back({ToDisplayText(pButton->m_strName),
                                      DescribeButtonState(*pButton),
                                      ToDisplayText(pButton->m_strDescription)});
    }
    return SControlResult::Done();
}

SControlStatus CControlHandler::GetStatus()
{
    SControlStatus status;
    status.pszProgram = GetProgramKind();
    status.strDocument = GetDocumentPath();
    CQuorbexDoc* pDoc = GetControlDocument();
    status.bModified = pDoc && pDoc->IsModified();
    CInfraredDevice& device = GetControlDevice();
    // An unplugged device is named so until it is back.
    device.Revive();
    status.strDevice = device.GetBackendName();
    status.nNanosPerSample = std::lround(GetMachineNanosPerSample(device));
    status.strClock = GetClockName();
    if (pDoc && !pDoc->m_armed.m_bDisabled && pDoc->m_armed.m_pRemote && pDoc->m_armed.m_pButton)
    {
        const CTimedEvent& armed = pDoc->m_armed;
        status.strArmedName = ToDisplayText(armed.m_strName);
        status.strArmedTime = armed.m_time.Format();
        status.strArmedRemote = ToDisplayText(armed.m_pRemote->m_strName);
        status.strArmedButton = ToDisplayText(armed.m_pButton->m_strName);
    }
    status.bFiring = GetControlEngine().GetFiringDepth() != 0;
    status.nQueuedFires = m_queuedFires.size();
    if (pDoc)
        AddMissedEvents(*pDoc, status);
    status.bMqtt = static_cast<bool>(m_mqttState);
    if (m_mqttState)
        status.strMqttState = m_mqttState();
    return status;
}
