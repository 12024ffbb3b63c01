#pragma once

#include <map>
#include <string>
#include <vector>

class CQuorbexDoc;
struct SControlStatus;

// The topics Quorbit uses on a broker, all under quorbit/NODE/, and what it publishes for the
// hub's discovery under homeassistant/COMPONENT/NODE/, so that an access list can give each node
// its own. Names are UTF-8; a node name is letters, digits, - and _ (see MakeMqttSettings).

// A name as one topic level: %, /, + and # and control characters become %XX, so that any
// remote or button name is one valid level and DecodePercentEscapes gives it back.
std::string EscapeTopicLevel(const std::string& strName);

// The identifier the hub keys an entity or device by, and the object level of a discovery
// topic: letters, digits and - as they are, every other byte as _XX, so that different names
// never share one ("Ch+" and "Ch-", "A/B" and "A_2FB") and "__" can join names.
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
    // The remote and button of a press topic; false for any other topic, and for a name not
    // written as GetPress writes it (%54V for TV), which would slip past an access list on the
    // button's own topic.
    bool ParsePress(const std::string& strTopic, std::string& strRemote,
                    std::string& strButton) const;

    // What the enable topics of every event match.
    std::string GetEnableFilter() const { return m_strRoot + "/events/+/set"; }
    // What the state topics of every event match, and whether a topic is one.
    std::string GetEventStateFilter() const { return m_strRoot + "/events/+/state"; }
    bool IsEventState(const std::string& strTopic) const;
    // Takes ON or OFF; the state topic says which the event is.
    std::string GetEnable(const std::string& strEvent) const;
    std::string GetEventState(const std::string& strEvent) const;
    // The event of an enable topic; false for any other topic.
    bool ParseEnable(const std::string& strTopic, std::string& strEvent) const;

    // What this node's discovery topics match: homeassistant/+/NODE/+/config.
    std::string GetDiscoveryFilter() const;
    // What the topics of an earlier Quorbit matched, which had no node level.
    static std::vector<std::string> GetOldDiscoveryFilters()
    {
        return {"homeassistant/button/+/config", "homeassistant/sensor/+/config",
                "homeassistant/switch/+/config"};
    }
    // The configuration that carries the node's own device, which the others point at through
    // via_device and which therefore goes first.
    std::string GetNodeDeviceConfig() const;
    // Every retained message this node publishes for the document (null for none), by topic:
    // the hub's discovery configurations (JSON) of a button for each one that can fire, with
    // one device per remote, and on the node's own device a sensor for the next event and a
    // switch for each event; and each event's state, ON or OFF.
    std::map<std::string, std::string> MakeRetained(const CQuorbexDoc* pDoc) const;
    // Whether a retained discovery configuration is one this node published, now or in an
    // earlier run or version: under its node level with the unique id this node gives that
    // topic, or in the earlier layout named after the node; and naming its availability topic.
    bool IsOwnDiscovery(const std::string& strTopic, const std::string& strPayload) const;

    // The retained status: document, device, clock, next event, firing.
    static std::string MakeStatus(const SControlStatus& status);

private:
    std::string GetDiscovery(const std::string& strComponent, const std::string& strObject) const;

    std::string m_strNode;
    std::string m_strRoot;
    std::string m_strNodeId;
};
