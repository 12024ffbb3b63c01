#include "control/CControlHandler.h"

#include "base/CScopedCount.h"
#include "base/CTimeSource.h"
#include "base/TextEncoding.h"
#include "control/CMqttService.h"
#include "device/CInfraredDevice.h"
#include "device/SamplePeriod.h"
#include "document/CQuorbexDoc.h"
#include "document/CRemote.h"
#include "engine/CFiringEngine.h"
#include "engine/EventStatus.h"

#include <cmath>
#include <ranges>

#include <unistd.h>

namespace
{
constexpr const char* kNamesNotText = "names are UTF-8 text of characters a document can hold";

std::string QuoteName(const std::string& strWindows1252)
{
    return QuoteControlWord(ToDisplayText(strWindows1252));
}

std::string DescribeButtonState(const CRemoteButton& button)
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

std::string CControlHandler::Answer(std::string_view strLine)
{
    SControlRequest request;
    std::string strReply;
    if (!ParseControlRequest(strLine, request, strReply))
        return strReply;
    switch (request.nCommand)
    {
    case EControlCommand::Open:
        return OpenFromControl(request.arguments[0]);
    case EControlCommand::Show:
        return ShowFromControl();
    case EControlCommand::Fire:
        return AnswerFire(request.arguments[0], request.arguments[1]);
    case EControlCommand::List:
        return AnswerList();
    case EControlCommand::Status:
        return AnswerStatus();
    }
    return FormatControlError("unknown-command", "no such command");
}

void CControlHandler::Answer(std::string_view strLine, CReplySink reply)
{
    SControlRequest request;
    std::string strReply;
    if (ParseControlRequest(strLine, request, strReply) &&
        request.nCommand == EControlCommand::Fire)
        return RequestFire(request.arguments[0], request.arguments[1], std::move(reply));
    reply(Answer(strLine));
}

void CControlHandler::RequestFire(const std::string& strRemote, const std::string& strButton,
                                  CReplySink reply)
{
    if (m_queuedFires.size() >= kMaxQueuedFires)
        return reply(FormatControlError("busy", std::to_string(m_queuedFires.size()) +
                                                    " requests wait for their turn"));
    m_queuedFires.push_back({strRemote, strButton, std::move(reply)});
    ServeQueuedFires();
    if (!m_queuedFires.empty())
        OnFireQueued();
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
        // The names are looked up now: the button may have gone while the request waited.
        request.reply(AnswerFire(request.strRemote, request.strButton));
    }
    return !m_queuedFires.empty();
}

std::string CControlHandler::OpenFromControl(const std::string& /*strPath*/)
{
    return FormatControlError("no-windows", "this Quorbit runs without windows (quorbit --run)");
}

std::string CControlHandler::ShowFromControl()
{
    return OpenFromControl({});
}

std::string CControlHandler::AnswerFire(const std::string& strRemote, const std::string& strButton)
{
    CQuorbexDoc* pDoc = GetControlDocument();
    if (!pDoc)
        return FormatControlError("no-document", "no document is open");
    std::string strRemoteName;
    std::string strButtonName;
    // The names are echoed in the reply; bytes that are no text would make it binary too.
    if (!FromUtf8Text(strRemote, strRemoteName) || !FromUtf8Text(strButton, strButtonName))
        return FormatControlError("malformed", kNamesNotText);
    CRemote* pRemote = pDoc->FindRemote(strRemoteName);
    if (!pRemote)
        return FormatControlError("unknown-remote",
                                  "no remote is named " + QuoteControlWord(strRemote));
    CRemoteButton* pButton = pRemote->FindButton(strButtonName);
    if (!pButton)
        return FormatControlError("unknown-button", QuoteControlWord(strRemote) +
                                                        " has no button named " +
                                                        QuoteControlWord(strButton));
    if (pButton->GetFiringLength() == 0)
        return FormatControlError("not-learned",
                                  pButton->m_bMega
                                      ? "the megabutton has no steps, or one of them is not learned"
                                      : "the button has not been learned");
    if (GetControlEngine().GetFiringDepth() != 0)
        return FormatControlError("busy", "another firing is in progress");
    if (const std::string strRefusal = GetFiringRefusal(); !strRefusal.empty())
        return FormatControlError("busy", strRefusal);
    FireFromControl(*pRemote, *pButton);
    // Every transmit says how it went; a megabutton stops at the one that failed.
    if (const std::string& strFault = GetControlDevice().GetLastFault(); !strFault.empty())
        return FormatControlError("device", strFault);
    return FormatControlOk("fired " + QuoteName(pRemote->m_strName) + " " +
                           QuoteName(pButton->m_strName));
}

std::string CControlHandler::AnswerEnable(const std::string& strEvent, bool bEnable)
{
    CQuorbexDoc* pDoc = GetControlDocument();
    if (!pDoc)
        return FormatControlError("no-document", "no document is open");
    std::string strName;
    if (!FromUtf8Text(strEvent, strName))
        return FormatControlError("malformed", kNamesNotText);
    CTimedEvent* pEvent = pDoc->FindEvent(strName);
    if (!pEvent)
        return FormatControlError("unknown-event",
                                  "no event is named " + QuoteControlWord(strEvent));
    // What fires may be this event, or arm it when done.
    if (GetControlEngine().GetFiringDepth() != 0)
        return FormatControlError("busy", "a firing is in progress");
    if (const std::string strRefusal = GetEditRefusal(); !strRefusal.empty())
        return FormatControlError("busy", strRefusal);
    CTimedEvent fields = *pEvent;
    fields.m_bDisabled = !bEnable;
    if (pEvent->m_bDisabled != fields.m_bDisabled && !pDoc->UpdateEvent(*pEvent, fields))
        return FormatControlError("not-changed", "the event cannot be changed");
    return FormatControlOk(std::string(bEnable ? "enabled " : "disabled ") +
                           QuoteName(pEvent->m_strName));
}

std::string CControlHandler::AnswerList()
{
    CQuorbexDoc* pDoc = GetControlDocument();
    if (!pDoc)
        return FormatControlError("no-document", "no document is open");
    std::string strReply;
    for (const auto& pRemote : *pDoc->m_pRemotes | std::views::values)
    {
        const std::string strRemote = QuoteName(pRemote->m_strName);
        strReply += "REMOTE " + strRemote + "\n";
        for (const auto& pButton : pRemote->m_buttons | std::views::values)
        {
            strReply += "BUTTON " + strRemote + " " + QuoteName(pButton->m_strName) + " " +
                        DescribeButtonState(*pButton);
            if (!pButton->m_strDescription.empty())
                strReply += " " + QuoteName(pButton->m_strDescription);
            strReply += "\n";
        }
    }
    return strReply + FormatControlOk();
}

SControlStatus CControlHandler::GetStatus()
{
    SControlStatus status;
    status.strDocument = GetDocumentPath();
    CQuorbexDoc* pDoc = GetControlDocument();
    status.bModified = pDoc && pDoc->IsModified();
    CInfraredDevice& device = GetControlDevice();
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
    return status;
}

std::string CControlHandler::AnswerStatus()
{
    const SControlStatus status = GetStatus();
    std::string strReply =
        std::string("PROGRAM ") + GetProgramKind() + " " + std::to_string(getpid()) + "\n";
    strReply +=
        "DOCUMENT " +
        (status.strDocument.empty() ? std::string("none") : QuoteControlWord(status.strDocument)) +
        "\n";
    strReply += std::string("MODIFIED ") + (status.bModified ? "yes" : "no") + "\n";
    strReply += "DEVICE " + QuoteControlWord(status.strDevice) + "\n";
    // What a command without the unit takes as the time base of this machine's recordings.
    strReply += "PERIOD " + std::to_string(status.nNanosPerSample) + "\n";
    strReply += "CLOCK " + QuoteControlWord(status.strClock) + "\n";
    if (status.strArmedName.empty())
        strReply += "ARMED none\n";
    else
        strReply += "ARMED " + QuoteControlWord(status.strArmedName) + " " +
                    QuoteControlWord(status.strArmedTime) + " " +
                    QuoteControlWord(status.strArmedRemote) + " " +
                    QuoteControlWord(status.strArmedButton) + "\n";
    strReply += std::string("FIRING ") + (status.bFiring ? "yes" : "no") + "\n";
    strReply += "MQTT " + (m_pMqtt ? QuoteControlWord(m_pMqtt->GetStateText()) : "none") + "\n";
    strReply += "QUEUED " + std::to_string(status.nQueuedFires) + "\n";
    for (const auto& [strEvent, strTime] : status.missed)
        strReply += "MISSED " + QuoteControlWord(strEvent) + " " + QuoteControlWord(strTime) + "\n";
    return strReply + FormatControlOk();
}
