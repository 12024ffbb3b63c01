#include "signal/ButtonSignal.h"

#include "document/CRemoteButton.h"
#include "signal/ProtocolTable.h"
#include "signal/SignalDecoder.h"
#include "signal/SignalDurations.h"

#include <cstdio>

SButtonCode ToButtonCode(const SDecodedSignal& code)
{
    const SProtocolForm* pForm = FindProtocolForm(code.eProtocol);
    return {pForm ? pForm->pRow->pszKey : "",
            code.nAddress,
            code.nCommand,
            code.nMaker,
            code.nBits,
            code.bExtended,
            code.eForm == EFrameForm::kIrFile};
}

std::optional<SDecodedSignal> FromButtonCode(const SButtonCode& code)
{
    const SProtocolForm* pForm = FindProtocolByKey(code.strProtocol);
    if (!pForm)
        return std::nullopt;
    return SDecodedSignal{.eProtocol = pForm->pRow->eProtocol,
                          .eForm = code.bIrFileForm ? EFrameForm::kIrFile : EFrameForm::kTable,
                          .nAddress = code.nAddress,
                          .nCommand = code.nCommand,
                          .nMaker = code.nMaker,
                          .nBits = code.nBits,
                          .bExtended = code.bExtended};
}

SSendingFacts MakeSignalFacts(const std::vector<std::uint32_t>& durations, double dNanos,
                              unsigned nCarrierHz, const std::optional<SDecodedSignal>& code)
{
    SSendingFacts facts;
    facts.SetNanosPerSample(dNanos);
    if (code && code->eProtocol != EProtocol::kUnknown)
        facts.code = ToButtonCode(*code);
    facts.nCarrierHz = nCarrierHz != 0 ? nCarrierHz
                       : code          ? GetProtocolCarrier(code->eProtocol)
                                       : GetProtocolCarrier(DecodeSignal(durations).eProtocol);
    return facts;
}

double GetButtonNanosPerSample(const CRemoteButton& button, double dUnitNanos)
{
    const double dOwn = button.m_facts.GetNanosPerSample();
    return dOwn > 0 ? dOwn : dUnitNanos;
}

std::vector<std::uint32_t> GetButtonDurations(const CRemoteButton& button, double dUnitNanos)
{
    return ToDurations(button.m_bits, GetButtonNanosPerSample(button, dUnitNanos));
}

SDecodedSignal GetButtonCode(const CRemoteButton& button, double dUnitNanos)
{
    if (button.m_facts.code)
    {
        if (const std::optional<SDecodedSignal> code = FromButtonCode(*button.m_facts.code))
            return *code;
    }
    return DecodeSignal(GetButtonDurations(button, dUnitNanos));
}

std::uint32_t GetButtonCarrier(const CRemoteButton& button, double dUnitNanos)
{
    if (button.m_facts.nCarrierHz != 0)
        return button.m_facts.nCarrierHz;
    return GetProtocolCarrier(GetButtonCode(button, dUnitNanos).eProtocol);
}

std::string DescribeButtonFacts(const CRemoteButton& button)
{
    const SSendingFacts& facts = button.m_facts;
    std::vector<std::string> parts;
    char szText[64];
    if (facts.nSamplePicos != 0)
    {
        std::snprintf(szText, sizeof szText, "%.3f µs a sample", facts.nSamplePicos / 1e6);
        parts.emplace_back(szText);
    }
    if (facts.nCarrierHz != 0)
    {
        std::snprintf(szText, sizeof szText, "carrier %g kHz", facts.nCarrierHz / 1000.0);
        parts.emplace_back(szText);
    }
    if (facts.nDutyPercent != 0)
        parts.push_back("duty cycle " + std::to_string(facts.nDutyPercent) + " %");
    if (facts.code)
    {
        const std::optional<SDecodedSignal> code = FromButtonCode(*facts.code);
        parts.push_back("made from " +
                        (code ? DescribeSignal(*code) : facts.code->strProtocol + " code"));
    }
    std::string strText;
    for (const std::string& strPart : parts)
        strText += (strText.empty() ? "" : ", ") + strPart;
    return strText;
}

SExchangeCode MakeExchangeCode(const CRemoteButton& button, std::string strName, double dUnitNanos)
{
    SExchangeCode code{std::move(strName), GetButtonDurations(button, dUnitNanos),
                       button.m_facts.nCarrierHz, 0};
    if (button.m_facts.code)
        code.code = FromButtonCode(*button.m_facts.code);
    code.nDutyPercent = button.m_facts.nDutyPercent;
    return code;
}
