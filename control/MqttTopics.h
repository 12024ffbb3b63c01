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

    // What the hub's discovery topics of the kinds this node publishes match; other programs'
    // configurations are there too.
    static std::vector<std::string> GetDiscoveryFilters()
    {
        return {"homeassistant/button/+/config", "homeassistant/sensor/+/config"};
    }
    // Every discovery configuration this node publishes for the document (none for null): a
    // button for each one that can fire, one device per remote, a sensor for the next event on
    // the node's own device. By topic; the payloads are JSON.
    std::map<std::string, std::string> MakeDiscovery(const CQuorbexDoc* pDoc) const;
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
