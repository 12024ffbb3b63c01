#include "control/ControlAnswers.h"

#include "base/TextEncoding.h"
#include "control/CControlHandler.h"
#include "control/ControlProtocol.h"
#include "document/CRemote.h"
#include "document/SHeardPress.h"
#include "signal/SignalDecoder.h"

#include <cstdio>

#include <unistd.h>

namespace
{
std::string FormatList(CControlHandler& handler)
{
    std::vector<SControlRemote> remotes;
    const SControlResult result = handler.List(remotes);
    std::string strReply;
    for (const SControlRemote& remote : remotes)
    {
        const std::string strRemote = QuoteControlWord(remote.strName);
        strReply += "REMOTE " + strRemote + "\n";
        for (const SControlButton& button : remote.buttons)
        {
            strReply += "BUTTON " + strRemote + " " + QuoteControlWord(button.strName) + " " +
                        button.pszState;
            if (!button.strDescription.empty())
                strReply += " " + QuoteControlWord(button.strDescription);
            strReply += "\n";
        }
    }
    return strReply + FormatControlResult(result);
}

std::string FormatStatus(CControlHandler& handler)
{
    const SControlStatus status = handler.GetStatus();
    std::string strReply =
        std::string("PROGRAM ") + status.pszProgram + " " + std::to_string(getpid()) + "\n";
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
    strReply += "MQTT " + (status.bMqtt ? QuoteControlWord(status.strMqttState) : "none") + "\n";
    strReply += "QUEUED " + std::to_string(status.nQueuedFires) + "\n";
    for (const auto& [strEvent, strTime] : status.missed)
        strReply += "MISSED " + QuoteControlWord(strEvent) + " " + QuoteControlWord(strTime) + "\n";
    return strReply + FormatControlOk();
}
void RequestHold(CControlHandler& handler, const std::vector<std::string>& arguments,
                 const CReplySink& reply)
{
    std::uint32_t nMillis = 0;
    if (!ParseHoldMillis(arguments[2], nMillis))
        return reply(FormatControlError("malformed", "HOLD takes a number of milliseconds, not " +
                                                         QuoteControlWord(arguments[2])));
    handler.RequestFire(
        arguments[0], arguments[1],
        [reply](const SControlResult& result) { reply(FormatControlResult(result)); }, nMillis);
}
} // namespace

std::string FormatHeardLine(const SHeardPress& press)
{
    const SDecodedSignal decoded = DecodeSignal(press.durations);
    std::string strLine = "HEARD " + press.time.Format(' ', true) + " ";
    if (decoded.eProtocol == EProtocol::kUnknown)
        strLine += "unknown - -";
    else
    {
        char szCode[32];
        std::snprintf(szCode, sizeof szCode, " 0x%02X 0x%02X", decoded.nAddress, decoded.nCommand);
        strLine += QuoteControlWord(GetProtocolName(decoded.eProtocol)) + szCode;
    }
    if (press.pButton)
        strLine += " " + QuoteControlWord(ToDisplayText(press.pRemote->m_strName)) + " " +
                   QuoteControlWord(ToDisplayText(press.pButton->m_strName));
    return strLine + "\n";
}

void AnswerControlLine(CControlHandler& handler, std::string_view strLine, CReplySink reply,
                       CStreamSink stream)
{
    SControlRequest request;
    std::string strReply;
    if (!ParseControlRequest(strLine, request, strReply))
        return reply(strReply);
    const std::vector<std::string>& arguments = request.arguments;
    switch (request.nCommand)
    {
    case EControlCommand::Open:
        return reply(FormatControlResult(handler.Open(arguments[0])));
    case EControlCommand::Show:
        return reply(FormatControlResult(handler.Show()));
    case EControlCommand::Fire:
        return handler.RequestFire(arguments[0], arguments[1],
                                   [reply](const SControlResult& result)
                                   { reply(FormatControlResult(result)); });
    case EControlCommand::Hold:
        return RequestHold(handler, arguments, reply);
    case EControlCommand::List:
        return reply(FormatList(handler));
    case EControlCommand::Status:
        return reply(FormatStatus(handler));
    case EControlCommand::Listen:
        if (!stream)
            return reply(FormatControlError("cannot-listen", "only a connection can listen"));
        return reply(FormatControlResult(handler.Listen(
            [stream](const SHeardPress& press) { return stream(FormatHeardLine(press)); })));
    }
}
