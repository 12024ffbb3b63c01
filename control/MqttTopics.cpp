#include "control/MqttTopics.h"

#include "base/TextEncoding.h"
#include "control/CControlHandler.h"
#include "document/CQuorbexDoc.h"
#include "document/CRemote.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdio>
#include <ranges>

namespace
{
constexpr const char* kPress = "PRESS";
constexpr const char* kIdPrefix = "quorbit_";

bool IsTopicSafe(unsigned char c)
{
    return c >= 0x20 && c != 0x7F && c != '%' && c != '/' && c != '+' && c != '#';
}

bool IsIdCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-';
}

std::uint32_t HashText(const std::string& strText)
{
    std::uint32_t nHash = 2166136261u; // FNV-1a
    for (const char c : strText)
        nHash = (nHash ^ static_cast<unsigned char>(c)) * 16777619u;
    return nHash;
}

// What a topic holds between a prefix and a suffix; false when it has not both.
bool TakeBetween(const std::string& strTopic, const std::string& strPrefix,
                 const std::string& strSuffix, std::string& strBetween)
{
    if (strTopic.size() < strPrefix.size() + strSuffix.size() || !strTopic.starts_with(strPrefix) ||
        !strTopic.ends_with(strSuffix))
        return false;
    strBetween =
        strTopic.substr(strPrefix.size(), strTopic.size() - strPrefix.size() - strSuffix.size());
    return true;
}

std::string MakeButtonConfig(const CMqttTopics& topics, const std::string& strRemote,
                             const CRemoteButton& button, const std::string& strUniqueId)
{
    const std::string& strNode = topics.GetNode();
    const nlohmann::json config = {
        {"name", ToDisplayText(button.GetDisplayText())},
        {"unique_id", strUniqueId},
        {"command_topic", topics.GetPress(strRemote, ToDisplayText(button.m_strName))},
        {"payload_press", kPress},
        {"availability_topic", topics.GetAvailability()},
        {"device",
         {{"identifiers", {kIdPrefix + MakeHubId(strNode + "/" + strRemote)}},
          {"name", strRemote + " (" + strNode + ")"},
          {"via_device", topics.GetNodeId()}}},
    };
    return config.dump();
}

// The node's own device, which the remotes' devices are reached through.
nlohmann::json MakeNodeDevice(const CMqttTopics& topics)
{
    return {{"identifiers", {topics.GetNodeId()}}, {"name", "Quorbit " + topics.GetNode()}};
}

std::string MakeNextEventConfig(const CMqttTopics& topics, const std::string& strUniqueId)
{
    const nlohmann::json config = {
        {"name", "Next event"},
        {"unique_id", strUniqueId},
        {"state_topic", topics.GetStatus()},
        {"value_template", "{{ value_json.next_event.name ~ ' ' ~ value_json.next_event.time "
                           "if value_json.next_event else 'none' }}"},
        {"availability_topic", topics.GetAvailability()},
        {"device", MakeNodeDevice(topics)},
    };
    return config.dump();
}

std::string MakeEventConfig(const CMqttTopics& topics, const std::string& strEvent,
                            const std::string& strUniqueId)
{
    const nlohmann::json config = {
        {"name", "Event " + strEvent},
        {"unique_id", strUniqueId},
        {"command_topic", topics.GetEnable(strEvent)},
        {"state_topic", topics.GetEventState(strEvent)},
        {"availability_topic", topics.GetAvailability()},
        {"device", MakeNodeDevice(topics)},
    };
    return config.dump();
}
} // namespace

std::string EscapeTopicLevel(const std::string& strName)
{
    std::string strLevel;
    for (const char c : strName)
    {
        const auto nByte = static_cast<unsigned char>(c);
        if (IsTopicSafe(nByte))
        {
            strLevel += c;
            continue;
        }
        char escape[4];
        std::snprintf(escape, sizeof(escape), "%%%02X", nByte);
        strLevel += escape;
    }
    return strLevel;
}

std::string MakeHubId(const std::string& strText)
{
    std::string strId;
    bool bReplaced = false;
    for (const char c : strText)
    {
        bReplaced = bReplaced || !IsIdCharacter(c);
        strId += IsIdCharacter(c) ? c : '_';
    }
    if (!bReplaced)
        return strId;
    char hash[10];
    std::snprintf(hash, sizeof(hash), "_%08x", HashText(strText));
    return strId + hash;
}

CMqttTopics::CMqttTopics(const std::string& strNode)
    : m_strNode(strNode), m_strRoot("quorbit/" + EscapeTopicLevel(strNode)),
      m_strNodeId(kIdPrefix + MakeHubId(strNode))
{
}

std::string CMqttTopics::GetPress(const std::string& strRemote, const std::string& strButton) const
{
    return m_strRoot + "/" + EscapeTopicLevel(strRemote) + "/" + EscapeTopicLevel(strButton) +
           "/press";
}

std::string CMqttTopics::GetEnable(const std::string& strEvent) const
{
    return m_strRoot + "/events/" + EscapeTopicLevel(strEvent) + "/set";
}

std::string CMqttTopics::GetEventState(const std::string& strEvent) const
{
    return m_strRoot + "/events/" + EscapeTopicLevel(strEvent) + "/state";
}

bool CMqttTopics::ParseEnable(const std::string& strTopic, std::string& strEvent) const
{
    std::string strLevel;
    return TakeBetween(strTopic, m_strRoot + "/events/", "/set", strLevel) &&
           strLevel.find('/') == std::string::npos && DecodePercentEscapes(strLevel, strEvent);
}

bool CMqttTopics::ParsePress(const std::string& strTopic, std::string& strRemote,
                             std::string& strButton) const
{
    std::string strLevels;
    if (!TakeBetween(strTopic, m_strRoot + "/", "/press", strLevels))
        return false;
    const std::size_t nSlash = strLevels.find('/');
    if (nSlash == std::string::npos || strLevels.find('/', nSlash + 1) != std::string::npos)
        return false;
    return DecodePercentEscapes(strLevels.substr(0, nSlash), strRemote) &&
           DecodePercentEscapes(strLevels.substr(nSlash + 1), strButton);
}

std::map<std::string, std::string> CMqttTopics::MakeRetained(const CQuorbexDoc* pDoc) const
{
    std::map<std::string, std::string> configs;
    const std::string strSensorId = m_strNodeId + "_next_event";
    configs["homeassistant/sensor/" + strSensorId + "/config"] =
        MakeNextEventConfig(*this, strSensorId);
    if (!pDoc)
        return configs;
    for (const auto& pEvent : *pDoc->m_pEvents | std::views::values)
    {
        const std::string strEvent = ToDisplayText(pEvent->m_strName);
        const std::string strId = kIdPrefix + ("event_" + MakeHubId(m_strNode + "/" + strEvent));
        configs["homeassistant/switch/" + strId + "/config"] =
            MakeEventConfig(*this, strEvent, strId);
        configs[GetEventState(strEvent)] = pEvent->m_bDisabled ? "OFF" : "ON";
    }
    for (const auto& pRemote : *pDoc->m_pRemotes | std::views::values)
    {
        const std::string strRemote = ToDisplayText(pRemote->m_strName);
        for (const auto& pButton : pRemote->m_buttons | std::views::values)
        {
            if (pButton->GetFiringLength() == 0)
                continue;
            const std::string strId = kIdPrefix + MakeHubId(m_strNode + "/" + strRemote + "/" +
                                                            ToDisplayText(pButton->m_strName));
            configs["homeassistant/button/" + strId + "/config"] =
                MakeButtonConfig(*this, strRemote, *pButton, strId);
        }
    }
    return configs;
}

bool CMqttTopics::IsOwnDiscovery(const std::string& strPayload) const
{
    const nlohmann::json config = nlohmann::json::parse(strPayload, nullptr, false);
    return config.is_object() && config.value("availability_topic", "") == GetAvailability();
}

std::string CMqttTopics::MakeStatus(const SControlStatus& status)
{
    nlohmann::json json = {
        {"document",
         status.strDocument.empty() ? nlohmann::json() : nlohmann::json(status.strDocument)},
        {"modified", status.bModified},
        {"device", status.strDevice},
        {"clock", status.strClock},
        {"next_event", nullptr},
        {"firing", status.bFiring},
        {"queued", status.nQueuedFires},
        {"missed", nlohmann::json::array()},
    };
    for (const auto& [strEvent, strTime] : status.missed)
        json["missed"].push_back({{"name", strEvent}, {"time", strTime}});
    if (!status.strArmedName.empty())
        json["next_event"] = {{"name", status.strArmedName},
                              {"time", status.strArmedTime},
                              {"remote", status.strArmedRemote},
                              {"button", status.strArmedButton}};
    // A path need not be UTF-8; what is not shows as U+FFFD.
    return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}
