#include "app/cli/DocumentListing.h"

#include "base/TextEncoding.h"
#include "document/CQuorbexDoc.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{
// The records of a map in name order: the maps themselves have no order worth showing.
template <class TMap> auto SortedByName(const TMap& map)
{
    std::vector<const typename TMap::mapped_type::element_type*> records;
    for (const auto& [strName, pRecord] : map)
        records.push_back(pRecord.get());
    std::ranges::sort(records, {},
                      [](const auto* pRecord) -> const std::string& { return pRecord->m_strName; });
    return records;
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
    const std::size_t nLength = std::min<std::size_t>(button.m_nLength, kBitstreamBytes);
    std::string strHex;
    strHex.reserve(nLength * 2);
    for (std::size_t i = 0; i < nLength; ++i)
    {
        strHex += kDigits[button.m_bits[i] >> 4];
        strHex += kDigits[button.m_bits[i] & 0x0F];
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

std::string ButtonText(const CRemoteButton& button)
{
    std::string strText = "  Button " + ToDisplayText(button.m_strName);
    if (!button.m_strDescription.empty())
        strText += " (" + ToDisplayText(button.m_strDescription) + ")";
    strText += button.m_bMega ? ": megabutton, " : ": ";
    strText += button.IsPlaced() ? "cell " + std::to_string(DisplayColumn(button)) + "/" +
                                       std::to_string(DisplayRow(button))
                                 : std::string("not placed");
    if (!button.m_bMega)
        strText += LengthText(button.m_nLength);
    strText += "\n";
    int nStep = 0;
    for (const CMegaStep& step : button.m_steps)
        strText += "    " + std::to_string(++nStep) + ". " +
                   TargetText(step.m_pRemote, step.m_pButton) + " (" + DelayText(step.m_nDelay) +
                   ")\n";
    return strText;
}

std::string RemoteText(const CRemote& remote)
{
    std::string strText = "Remote " + ToDisplayText(remote.m_strName) + ": " +
                          StyleText(remote.m_nStyle) + ", pad " +
                          (remote.m_pPad ? "open" : "closed") + "\n";
    for (const CRemoteButton* pButton : SortedByName(remote.m_buttons))
        strText += ButtonText(*pButton);
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

class CJsonObject
{
public:
    CJsonObject& Add(const char* pszKey, const std::string& strJson)
    {
        m_strMembers +=
            (m_strMembers.empty() ? "\"" : ",\"") + std::string(pszKey) + "\":" + strJson;
        return *this;
    }
    CJsonObject& AddText(const char* pszKey, const std::string& strText)
    {
        return Add(pszKey, ToJsonString(strText));
    }
    CJsonObject& AddNumber(const char* pszKey, long long nValue)
    {
        return Add(pszKey, std::to_string(nValue));
    }
    CJsonObject& AddBool(const char* pszKey, bool bValue)
    {
        return Add(pszKey, bValue ? "true" : "false");
    }
    std::string Get() const { return "{" + m_strMembers + "}"; }

private:
    std::string m_strMembers;
};

template <class TRange, class TFormat>
std::string JsonArray(const TRange& items, TFormat formatItem)
{
    std::string strJson = "[";
    for (const auto& item : items)
    {
        if (strJson.size() > 1)
            strJson += ',';
        strJson += formatItem(item);
    }
    return strJson + ']';
}

std::string StepJson(const CMegaStep& step)
{
    return CJsonObject()
        .AddText("remote", NameOf(step.m_pRemote))
        .AddText("button", NameOf(step.m_pButton))
        .AddNumber("delay", step.m_nDelay)
        .Get();
}

std::string ButtonJson(const CRemoteButton* pButton)
{
    return CJsonObject()
        .AddText("name", pButton->m_strName)
        .AddText("description", pButton->m_strDescription)
        .AddNumber("column", DisplayColumn(*pButton))
        .AddNumber("row", DisplayRow(*pButton))
        .AddBool("mega", pButton->m_bMega)
        .AddNumber("length", pButton->m_nLength)
        .Add("bits", '"' + FormatHex(*pButton) + '"')
        .Add("steps", JsonArray(pButton->m_steps, StepJson))
        .Get();
}

std::string RemoteJson(const CRemote* pRemote)
{
    return CJsonObject()
        .AddText("name", pRemote->m_strName)
        .AddNumber("style", pRemote->m_nStyle)
        .AddNumber("menuId", pRemote->m_nMenuId)
        .AddBool("padOpen", pRemote->m_pPad != nullptr)
        .AddNumber("padX", pRemote->m_nPadX)
        .AddNumber("padY", pRemote->m_nPadY)
        .Add("buttons", JsonArray(SortedByName(pRemote->m_buttons), ButtonJson))
        .Get();
}

std::string EventJson(const CTimedEvent* pEvent)
{
    return CJsonObject()
        .AddText("name", pEvent->m_strName)
        .AddText("time", pEvent->m_time.Format('T'))
        .AddText("lastFired", pEvent->m_lastFired.Format('T'))
        .AddBool("disabled", pEvent->m_bDisabled)
        .AddNumber("frequency", pEvent->m_nFrequency)
        .AddText("remote", NameOf(pEvent->m_pRemote))
        .AddText("button", NameOf(pEvent->m_pButton))
        .Get();
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

std::string FormatDocumentText(const CQuorbexDoc& doc)
{
    std::string strText = "Quorbit document, version " + std::to_string(doc.m_nFileVersion) + "\n";
    for (const CRemote* pRemote : SortedByName(RemotesOf(doc)))
        strText += RemoteText(*pRemote);
    for (const CTimedEvent* pEvent : SortedByName(EventsOf(doc)))
        strText += EventText(*pEvent);
    return strText;
}

std::string FormatDocumentJson(const CQuorbexDoc& doc)
{
    return CJsonObject()
               .AddNumber("version", doc.m_nFileVersion)
               .Add("remotes", JsonArray(SortedByName(RemotesOf(doc)), RemoteJson))
               .Add("events", JsonArray(SortedByName(EventsOf(doc)), EventJson))
               .Get() +
           "\n";
}
