#include "cli/DocumentListing.h"

#include "base/TextEncoding.h"
#include "document/CQuorbexDoc.h"
#include "signal/ButtonSignal.h"
#include "signal/SignalDecoder.h"
#include "signal/SignalDurations.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <ranges>
#include <string_view>
#include <utility>

namespace
{
// The records of a map, in the map's own name order.
template <class TMap> auto RecordsOf(const TMap& map)
{
    return map | std::views::values |
           std::views::transform([](const auto& pRecord) { return pRecord.get(); });
}

// Steps and events hold plain pointers; a listing must survive a reference the loader could
// not resolve.
template <class TRecord> std::string NameOf(const TRecord* pRecord)
{
    return pRecord ? pRecord->m_strName : std::string();
}

std::string FormatTimeOfDay(const CTime& time)
{
    char szText[8];
    std::snprintf(szText, sizeof szText, "%02d:%02d", time.GetHour(), time.GetMinute());
    return szText;
}

// A placed button as the cell it occupies, so that the two stored forms of a fifth-column
// button read the same.
int DisplayColumn(const CRemoteButton& button)
{
    return button.IsPlaced() ? button.GetCell() / kGridRows : button.m_nColumn;
}

int DisplayRow(const CRemoteButton& button)
{
    return button.IsPlaced() ? button.GetCell() % kGridRows : button.m_nRow;
}

std::string FormatHex(const CRemoteButton& button)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string strHex;
    strHex.reserve(button.m_bits.GetLength() * 2);
    for (const std::uint8_t nByte : button.m_bits.GetBytes())
    {
        strHex += kDigits[nByte >> 4];
        strHex += kDigits[nByte & 0x0F];
    }
    return strHex;
}

// ---- Text for a person ----

std::string StyleText(int nStyle)
{
    return nStyle >= 0 && nStyle < kStyleCount ? kRemoteStyles[nStyle].pszText
                                               : "style " + std::to_string(nStyle);
}

std::string FrequencyText(int nFrequency)
{
    return nFrequency >= 0 && nFrequency < kFrequencyCount
               ? kFrequencyTexts[nFrequency]
               : "frequency " + std::to_string(nFrequency);
}

std::string DelayText(int nDelay)
{
    if (nDelay < 0 || nDelay >= kStepDelayCount)
        return "delay index " + std::to_string(nDelay);
    char szText[32];
    std::snprintf(szText, sizeof szText, "delay %.1fs", kStepDelays[nDelay] / 10.0);
    return szText;
}

std::string LengthText(std::uint32_t nLength)
{
    if (nLength == 0)
        return ", not learned";
    return ", " + std::to_string(nLength) + (nLength == 1 ? " byte" : " bytes");
}

std::string TargetText(const CRemote* pRemote, const CRemoteButton* pButton)
{
    return ToDisplayText(NameOf(pRemote)) + "/" + ToDisplayText(NameOf(pButton));
}

// At the button's own time base where it keeps one.
SDecodedSignal DecodeButton(const CRemoteButton& button, double dNanosPerSample)
{
    return DecodeSignal(GetButtonDurations(button, dNanosPerSample));
}

std::string ButtonText(const CRemoteButton& button, double dNanosPerSample)
{
    std::string strText = "  Button " + ToDisplayText(button.m_strName);
    if (!button.m_strDescription.empty())
        strText += " (" + ToDisplayText(button.m_strDescription) + ")";
    strText += button.m_bMega ? ": megabutton, " : ": ";
    strText += button.IsPlaced() ? "cell " + std::to_string(DisplayColumn(button)) + "/" +
                                       std::to_string(DisplayRow(button))
                                 : std::string("not placed");
    if (!button.m_bMega)
        strText += LengthText(button.m_bits.GetLength());
    if (!button.m_bMega && button.m_bits.GetLength() != 0)
        strText += ", " + DescribeSignal(DecodeButton(button, dNanosPerSample));
    strText += "\n";
    int nStep = 0;
    for (const CMegaStep& step : button.m_steps)
        strText += "    " + std::to_string(++nStep) + ". " +
                   TargetText(step.m_pRemote, step.m_pButton) + " (" + DelayText(step.m_nDelay) +
                   (step.m_nHoldMillis != 0 ? ", held " + std::to_string(step.m_nHoldMillis) + " ms"
                                            : std::string()) +
                   ")\n";
    if (button.m_pActionButton != nullptr)
        strText += "    when heard fires " +
                   TargetText(button.m_pActionRemote, button.m_pActionButton) + "\n";
    return strText;
}

std::string RemoteText(const CRemote& remote, double dNanosPerSample)
{
    std::string strText = "Remote " + ToDisplayText(remote.m_strName) + ": " +
                          StyleText(remote.m_nStyle) + ", pad " +
                          (remote.m_bPadOpen ? "open" : "closed") + "\n";
    for (const CRemoteButton* pButton : RecordsOf(remote.m_buttons))
        strText += ButtonText(*pButton, dNanosPerSample);
    return strText;
}

std::string EventText(const CTimedEvent& event)
{
    std::string strText = "Event " + ToDisplayText(event.m_strName) + ": ";
    strText += event.m_nFrequency == kFrequencyOnce ? event.m_time.Format(' ')
                                                    : FormatTimeOfDay(event.m_time);
    strText += ' ';
    strText += FrequencyText(event.m_nFrequency);
    if (event.m_bDisabled)
        strText += ", disabled";
    strText += ", " + TargetText(event.m_pRemote, event.m_pButton) + ", last fired ";
    strText += event.m_lastFired == CTime::NeverFired() ? std::string("never")
                                                        : event.m_lastFired.Format(' ');
    return strText + "\n";
}

// ---- JSON for tools ----

using Json = nlohmann::ordered_json;

// Control characters stay in; the JSON escapes them.
std::string ToUtf8(const std::string& strWindows1252)
{
    std::string strUtf8;
    for (const char c : strWindows1252)
        AppendUtf8(strUtf8, Windows1252ToCodePoint(static_cast<unsigned char>(c)));
    return strUtf8;
}

// C's escape letters for 0x08 to 0x0D. JSON has no \v, so the library never writes that one.
constexpr std::string_view kShortEscapes = "btnvfr";

// The listing has always written every control character as \u00XX, and tools that compare
// names as written rely on it; the library writes five of them in their short form and leaves
// DEL and the C1 controls (U+0080 to U+009F, lead byte 0xC2 in UTF-8) raw.
std::string WithControlsAsCodes(const std::string& strJson)
{
    std::string strOut;
    strOut.reserve(strJson.size());
    const auto appendCode = [&strOut](unsigned nControl)
    {
        char szCode[8];
        std::snprintf(szCode, sizeof szCode, "\\u%04x", nControl);
        strOut += szCode;
    };
    for (std::size_t i = 0; i < strJson.size(); ++i)
    {
        const char c = strJson[i];
        const auto nNext = static_cast<unsigned char>(strJson[i + 1]);
        const std::size_t nShort =
            c == '\\' ? kShortEscapes.find(strJson[i + 1]) : std::string_view::npos;
        if (nShort != std::string_view::npos)
        {
            appendCode(0x08 + static_cast<unsigned>(nShort));
            ++i;
        }
        else if (c == '\x7F')
        {
            appendCode(0x7F);
        }
        else if (c == '\xC2' && nNext < 0xA0)
        {
            appendCode(nNext);
            ++i;
        }
        else if (c == '\\') // any other escape pair stays as it is
            strOut.append(strJson, i++, 2);
        else
            strOut += c;
    }
    return strOut;
}

template <class TRange, class TFormat> Json JsonArray(const TRange& items, TFormat formatItem)
{
    Json array = Json::array();
    for (const auto& item : items)
        array.push_back(formatItem(item));
    return array;
}

Json StepJson(const CMegaStep& step)
{
    Json json = {{"remote", ToUtf8(NameOf(step.m_pRemote))},
                 {"button", ToUtf8(NameOf(step.m_pButton))},
                 {"delay", step.m_nDelay}};
    if (step.m_nHoldMillis != 0)
        json["holdMs"] = step.m_nHoldMillis;
    return json;
}

Json SignalJson(const SDecodedSignal& decoded)
{
    if (decoded.eProtocol == EProtocol::kUnknown)
        return {{"protocol", "unknown"}, {"runs", decoded.nRuns}};
    Json signal = {{"protocol", GetProtocolName(decoded.eProtocol)}};
    if (decoded.bRepeatOnly)
    {
        signal["repeatOnly"] = true;
        return signal;
    }
    if (decoded.eProtocol == EProtocol::kKaseikyo)
        signal["maker"] = decoded.nMaker;
    signal["address"] = decoded.nAddress;
    signal["command"] = decoded.nCommand;
    signal["bits"] = decoded.nBits;
    signal["repeats"] = decoded.nRepeats;
    return signal;
}

Json CodeJson(const SButtonCode& code)
{
    const std::optional<SDecodedSignal> decoded = FromButtonCode(code);
    Json json = {{"protocol", decoded ? GetProtocolName(decoded->eProtocol) : code.strProtocol}};
    if (code.nMaker != 0)
        json["maker"] = code.nMaker;
    json["address"] = code.nAddress;
    json["command"] = code.nCommand;
    json["bits"] = code.nBits;
    json["extended"] = code.bExtended;
    json["timings"] = code.bIrFileForm ? "ir-file" : "table";
    return json;
}

// What a button keeps beside its samples, each only when known, so that the listing of a
// document made before they were kept stays as it was.
void AddFactsJson(Json& button, const SSendingFacts& facts)
{
    if (facts.nSamplePicos != 0)
        button["nanosPerSample"] = facts.nSamplePicos / 1000.0;
    if (facts.nCarrierHz != 0)
        button["carrier"] = facts.nCarrierHz;
    if (facts.nDutyPercent != 0)
        button["dutyCycle"] = facts.nDutyPercent;
    if (facts.code)
        button["code"] = CodeJson(*facts.code);
}

Json ButtonJson(const CRemoteButton* pButton, double dNanosPerSample)
{
    Json button = {
        {"name", ToUtf8(pButton->m_strName)}, {"description", ToUtf8(pButton->m_strDescription)},
        {"column", DisplayColumn(*pButton)},  {"row", DisplayRow(*pButton)},
        {"mega", pButton->m_bMega},           {"length", pButton->m_bits.GetLength()},
        {"bits", FormatHex(*pButton)},        {"steps", JsonArray(pButton->m_steps, StepJson)}};
    if (!pButton->m_bMega)
        button["signal"] = SignalJson(DecodeButton(*pButton, dNanosPerSample));
    AddFactsJson(button, pButton->m_facts);
    // Only where there is one, so that the listing of a document without actions stays as it was.
    if (pButton->m_pActionButton != nullptr)
        button["whenHeard"] = {{"remote", ToUtf8(NameOf(pButton->m_pActionRemote))},
                               {"button", ToUtf8(NameOf(pButton->m_pActionButton))}};
    return button;
}

// A remote's own fields; its buttons follow them as they are written.
Json RemoteJson(const CRemote* pRemote)
{
    return {{"name", ToUtf8(pRemote->m_strName)}, {"style", pRemote->m_nStyle},
            {"menuId", pRemote->m_nMenuId},       {"padOpen", pRemote->m_bPadOpen},
            {"padX", pRemote->m_nPadX},           {"padY", pRemote->m_nPadY}};
}

Json EventJson(const CTimedEvent* pEvent)
{
    return {{"name", ToUtf8(pEvent->m_strName)},
            {"time", pEvent->m_time.Format('T')},
            {"lastFired", pEvent->m_lastFired.Format('T')},
            {"disabled", pEvent->m_bDisabled},
            {"frequency", pEvent->m_nFrequency},
            {"remote", ToUtf8(NameOf(pEvent->m_pRemote))},
            {"button", ToUtf8(NameOf(pEvent->m_pButton))}};
}

// ---- Writing JSON as it goes ----

// One value, as the listing writes it.
std::string Dump(const Json& value)
{
    return WithControlsAsCodes(value.dump());
}

// An object's text up to its closing brace, for the members written after it.
std::string OpenObject(const Json& object)
{
    std::string strJson = Dump(object);
    strJson.pop_back();
    return strJson;
}

template <class TRange, class TWriteItem>
void WriteJsonArray(const TRange& items, const CTextSink& write, TWriteItem writeItem)
{
    write("[");
    std::string_view separator;
    for (const auto& item : items)
    {
        write(std::exchange(separator, ","));
        writeItem(item);
    }
    write("]");
}

// A remote's buttons one at a time: one holds up to 100 kB of hex, and a document thousands.
void WriteRemoteJson(const CRemote* pRemote, double dNanosPerSample, const CTextSink& write)
{
    write(OpenObject(RemoteJson(pRemote)) + ",\"buttons\":");
    WriteJsonArray(RecordsOf(pRemote->m_buttons), write,
                   [&write, dNanosPerSample](const CRemoteButton* pButton)
                   { write(Dump(ButtonJson(pButton, dNanosPerSample))); });
    write("}");
}

const CRemoteMap kNoRemotes;
const CEventMap kNoEvents;

const CRemoteMap& RemotesOf(const CQuorbexDoc& doc)
{
    return doc.m_pRemotes ? *doc.m_pRemotes : kNoRemotes;
}

const CEventMap& EventsOf(const CQuorbexDoc& doc)
{
    return doc.m_pEvents ? *doc.m_pEvents : kNoEvents;
}
} // namespace

std::string FormatDocumentText(const CQuorbexDoc& doc, double dNanosPerSample)
{
    std::string strText = "Quorbit document, version " + std::to_string(doc.m_nFileVersion) + "\n";
    for (const CRemote* pRemote : RecordsOf(RemotesOf(doc)))
        strText += RemoteText(*pRemote, dNanosPerSample);
    for (const CTimedEvent* pEvent : RecordsOf(EventsOf(doc)))
        strText += EventText(*pEvent);
    return strText;
}

void WriteDocumentJson(const CQuorbexDoc& doc, double dNanosPerSample, const CTextSink& write)
{
    write(OpenObject(Json{{"version", doc.m_nFileVersion}}) + ",\"remotes\":");
    WriteJsonArray(RecordsOf(RemotesOf(doc)), write,
                   [&write, dNanosPerSample](const CRemote* pRemote)
                   { WriteRemoteJson(pRemote, dNanosPerSample, write); });
    write(",\"events\":");
    WriteJsonArray(RecordsOf(EventsOf(doc)), write,
                   [&write](const CTimedEvent* pEvent) { write(Dump(EventJson(pEvent))); });
    write("}\n");
}

std::string FormatDocumentJson(const CQuorbexDoc& doc, double dNanosPerSample)
{
    std::string strJson;
    WriteDocumentJson(doc, dNanosPerSample, [&strJson](std::string_view text) { strJson += text; });
    return strJson;
}
