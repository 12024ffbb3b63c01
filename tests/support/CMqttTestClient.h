#pragma once

#include "support/CMosquittoBroker.h"

#include <string>
#include <vector>

struct mosquitto;

// The other side of the broker, as the hub or a person's script is: it connects, subscribes,
// publishes and keeps every message it receives.
class CMqttTestClient
{
public:
    struct SMessage
    {
        std::string strTopic;
        std::string strPayload;
        bool bRetained = false;
    };

    // Connects to the broker on the loopback port, as user "hub" unless told otherwise.
    explicit CMqttTestClient(int nPort, const std::string& strUser = "hub",
                             const std::string& strPassword = CMosquittoBroker::kHubPassword);
    ~CMqttTestClient();
    CMqttTestClient(const CMqttTestClient&) = delete;
    CMqttTestClient& operator=(const CMqttTestClient&) = delete;

    bool IsConnected() const { return m_bConnected; }
    void Subscribe(const std::string& strFilter);
    void Publish(const std::string& strTopic, const std::string& strPayload, bool bRetain);
    // Handles the traffic of at most nMilliseconds.
    void Pump(int nMilliseconds);

    // The last message on the topic, or null.
    const SMessage* FindLast(const std::string& strTopic) const;
    std::vector<SMessage> m_messages;

private:
    mosquitto* m_pClient;
    bool m_bConnected = false;
};
