#pragma once

#include <map>
#include <string>
#include <vector>

class CQuorbexDoc;
struct SControlStatus;

// The topics Quorbit uses on a broker, all under quorbit/NODE/, and what it publishes for the
// hub's discovery under homeassistant/. Names are UTF-8.

// A name as one topic level: %, /, + and # and control characters become %XX, so that any
// remote or button name is one valid level and DecodePercentEscapes gives it back.
std::string EscapeTopicLevel(const std::string& strName);

// The identifier the hub keys an entity or device by: letters, digits, _ and -, with a hash of
// the exact text when anything had to be replaced, so that "Ch+" and "Ch-" stay apart.
std::string MakeHubId(const std::string& strText);

class CMqttTopics
{
public:
    explicit CMqttTopics(const std::string& strNode);

    const std::string& GetNode() const { return m_strNode; }
    // What the hub knows the node's own device by.
    const std::string& GetNodeId() const { return m_strNodeId; }
    // quorbit/NODE
    const std::string& GetRoot() const { return m_strRoot; }
    std::string GetAvailability() const { return m_strRoot + "/availability"; }
    std::string GetStatus() const { return m_strRoot + "/status"; }
    std::string GetError() const { return m_strRoot + "/error"; }
    // What the press topics of every button match.
    std::string GetPressFilter() const { return m_strRoot + "/+/+/press"; }
    std::string GetPress(const std::string& strRemote, const std::string& strButton) const;
    // The remote and button of a press topic; false for any other topic.
    bool ParsePress(const std::string& strTopic, std::string& strRemote,
                    std::string& strButton) const;

    // What the enable topics of every event match.
    std::string GetEnableFilter() const { return m_strRoot + "/events/+/set"; }
    // Takes ON or OFF; the state topic says which the event is.
    std::string GetEnable(const std::string& strEvent) const;
    std::string GetEventState(const std::string& strEvent) const;
    // The event of an enable topic; false for any other topic.
    bool ParseEnable(const std::string& strTopic, std::string& strEvent) const;

    // What the hub's discovery topics of the kinds this node publishes match; other programs'
    // configurations are there too.
    static std::vector<std::string> GetDiscoveryFilters()
    {
        return {"homeassistant/button/+/config", "homeassistant/sensor/+/config",
                "homeassistant/switch/+/config"};
    }
    // Every retained message this node publishes for the document (null for none), by topic:
    // the hub's discovery configurations (JSON) of a button for each one that can fire, with
    // one device per remote, and on the node's own device a sensor for the next event and a
    // switch for each event; and each event's state, ON or OFF.
    std::map<std::string, std::string> MakeRetained(const CQuorbexDoc* pDoc) const;
    // Whether a discovery payload is one this node published: it names this node's
    // availability topic.
    bool IsOwnDiscovery(const std::string& strPayload) const;

    // The retained status: document, device, clock, next event, firing.
    static std::string MakeStatus(const SControlStatus& status);

private:
    std::string m_strNode;
    std::string m_strRoot;
    std::string m_strNodeId;
};
