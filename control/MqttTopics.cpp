#include "control/MqttTopics.h"

#include "base/TextEncoding.h"
#include "control/CControlHandler.h"
#include "document/CQuorbexDoc.h"
#include "document/CRemote.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <ranges>

namespace
{
constexpr const char* kPress = "PRESS";
constexpr const char* kIdPrefix = "quorbit_";
constexpr const char* kNextEvent = "next_event";

bool IsTopicSafe(unsigned char c)
{
    return c >= 0x20 && c != 0x7F && c != '%' && c != '/' && c != '+' && c != '#';
}

// What MakeHubId keeps as it is; _ is not among them, so that it starts every escape.
bool IsIdCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
}

// Every byte the test does not take as %XX, or with the letter, as _XX.
std::string EscapeBytes(const std::string& strText, bool (*isKept)(unsigned char), char cMark)
{
    std::string strEscaped;
    for (const char c : strText)
    {
        const auto nByte = static_cast<unsigned char>(c);
        if (isKept(nByte))
        {
            strEscaped += c;
            continue;
        }
        char escape[4];
        std::snprintf(escape, sizeof(escape), "%c%02X", cMark, nByte);
        strEscaped += escape;
    }
    return strEscaped;
}

// A text field of a configuration anyone may have written: missing or of another type, none.
std::string ReadTextField(const nlohmann::json& config, const char* pszKey)
{
    const auto it = config.find(pszKey);
    return it != config.end() && it->is_string() ? it->get<std::string>() : std::string();
}

// The levels of a topic between its slashes.
std::vector<std::string> SplitLevels(const std::string& strTopic)
{
    std::vector<std::string> levels;
    for (const auto level : std::views::split(strTopic, '/'))
        levels.emplace_back(level.begin(), level.end());
    return levels;
}

// A name written as EscapeTopicLevel writes it, and only so.
bool DecodeTopicLevel(const std::string& strLevel, std::string& strName)
{
    return DecodePercentEscapes(strLevel, strName) && EscapeTopicLevel(strName) == strLevel;
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
         {{"identifiers", {topics.GetNodeId() + "__" + MakeHubId(strRemote)}},
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
    return EscapeBytes(strName, IsTopicSafe, '%');
}

std::string MakeHubId(const std::string& strText)
{
    return EscapeBytes(
        strText, [](unsigned char c) { return IsIdCharacter(static_cast<char>(c)); }, '_');
}

CMqttTopics::CMqttTopics(const std::string& strNode)
    : m_strNode(strNode), m_strRoot("quorbit/" + strNode),
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

bool CMqttTopics::IsEventState(const std::string& strTopic) const
{
    std::string strLevel;
    return TakeBetween(strTopic, m_strRoot + "/events/", "/state", strLevel) &&
           strLevel.find('/') == std::string::npos;
}

bool CMqttTopics::ParseEnable(const std::string& strTopic, std::string& strEvent) const
{
    std::string strLevel;
    return TakeBetween(strTopic, m_strRoot + "/events/", "/set", strLevel) &&
           strLevel.find('/') == std::string::npos && DecodeTopicLevel(strLevel, strEvent);
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
    return DecodeTopicLevel(strLevels.substr(0, nSlash), strRemote) &&
           DecodeTopicLevel(strLevels.substr(nSlash + 1), strButton);
}

std::string CMqttTopics::GetDiscovery(const std::string& strComponent,
                                      const std::string& strObject) const
{
    return "homeassistant/" + strComponent + "/" + m_strNode + "/" + strObject + "/config";
}

std::string CMqttTopics::GetDiscoveryFilter() const
{
    return GetDiscovery("+", "+");
}

std::string CMqttTopics::GetNodeDeviceConfig() const
{
    return GetDiscovery("sensor", kNextEvent);
}

std::map<std::string, std::string> CMqttTopics::MakeRetained(const CQuorbexDoc* pDoc) const
{
    std::map<std::string, std::string> configs;
    configs[GetNodeDeviceConfig()] = MakeNextEventConfig(*this, m_strNodeId + "__" + kNextEvent);
    if (!pDoc)
        return configs;
    for (const auto& pEvent : *pDoc->m_pEvents | std::views::values)
    {
        const std::string strEvent = ToDisplayText(pEvent->m_strName);
        const std::string strObject = MakeHubId(strEvent);
        configs[GetDiscovery("switch", strObject)] =
            MakeEventConfig(*this, strEvent, m_strNodeId + "__" + strObject);
        configs[GetEventState(strEvent)] = pEvent->m_bDisabled ? "OFF" : "ON";
    }
    for (const auto& pRemote : *pDoc->m_pRemotes | std::views::values)
    {
        const std::string strRemote = ToDisplayText(pRemote->m_strName);
        for (const auto& pButton : pRemote->m_buttons | std::views::values)
        {
            if (pButton->GetFiringLength() == 0)
                continue;
            const std::string strObject =
                MakeHubId(strRemote) + "__" + MakeHubId(ToDisplayText(pButton->m_strName));
            configs[GetDiscovery("button", strObject)] =
                MakeButtonConfig(*this, strRemote, *pButton, m_strNodeId + "__" + strObject);
        }
    }
    return configs;
}

bool CMqttTopics::IsOwnDiscovery(const std::string& strTopic, const std::string& strPayload) const
{
    const nlohmann::json config = nlohmann::json::parse(strPayload, nullptr, false);
    if (!config.is_object() || ReadTextField(config, "availability_topic") != GetAvailability())
        return false;
    const std::vector<std::string> levels = SplitLevels(strTopic);
    if (levels.size() == 5)
        return levels[2] == m_strNode &&
               ReadTextField(config, "unique_id") == m_strNodeId + "__" + levels[3];
    // The earlier layout: quorbit_NODE_... and quorbit_event_NODE_..., with no node level.
    return levels.size() == 4 && (levels[2].starts_with(kIdPrefix + m_strNode + "_") ||
                                  levels[2].starts_with(kIdPrefix + ("event_" + m_strNode) + "_"));
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
