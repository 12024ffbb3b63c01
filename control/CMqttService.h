#pragma once

#include "control/CHostLookup.h"
#include "control/CWatchedSource.h"
#include "control/MqttInfrared.h"
#include "control/MqttSettings.h"
#include "control/MqttTopics.h"
#include "control/SControlResult.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>

class CControlHandler;
class CMosquittoLibrary;
class CQuorbexDoc;
struct mosquitto;
struct mosquitto_message;
struct mqtt5__property;
using mosquitto_property = mqtt5__property;

// Quorbit on an MQTT broker: every button that can fire has a press topic and a discovery
// configuration for the hub, every event a switch, the status is kept retained, and a press
// fires through the same handler and refusals as FIRE on the control socket. It never blocks: the
// broker's name is looked up aside, the event loop watches its descriptor, and Beat, once a second,
// keeps the connection alive, reconnects with a growing back-off when the broker went away, and
// republishes what changed in the document.
class CMqttService : public CWatchedSource
{
public:
    enum class EState
    {
        Connecting,
        Connected,
        Refused,   // the broker turned the login down
        NameTaken, // another Quorbit is online under this node name; tried again later
        Forbidden, // logged in, but kept off the node's topics by the broker; tried again later
        Lost,      // unreachable or gone; a reconnect is due later
        Failed,    // cannot even try; nothing is tried again
    };

    // The handler must outlive the service.
    CMqttService(CControlHandler& handler, SMqttSettings settings);
    ~CMqttService() override;
    CMqttService(const CMqttService&) = delete;
    CMqttService& operator=(const CMqttService&) = delete;

    // Begins connecting; the state says how it goes.
    void Start();
    void Beat();

    EState GetState() const { return m_nState; }
    // Whether Beat has work each second: while connecting, or waiting to try again. Connected,
    // a beat every few seconds keeps the connection alive.
    bool WantsEveryBeat() const { return m_pClient && m_nState != EState::Connected; }
    // For the status bar and STATUS: "connected to HOST:PORT" and the like.
    std::string GetStateText() const;
    const CMqttTopics& GetTopics() const { return m_topics; }
    // Called whenever the state text changes.
    void SetStateObserver(std::function<void()> observer) { m_stateObserver = std::move(observer); }

    std::vector<int> GetWatchedDescriptors() const override;
    void OnReadable(int nDescriptor) override;
    std::vector<int> GetWritingDescriptors() const override;
    void OnWritable(int nDescriptor) override;

private:
    // A press of a button, or an event turned on or off.
    struct SRequest
    {
        std::string strRemote, strButton;
        std::string strEvent; // empty for a press
        bool bEnable = false;
        std::uint32_t nHoldMillis = 0; // a press holding the button down
    };
    using CClock = std::chrono::steady_clock;

    static void OnConnectCallback(mosquitto* pClient, void* pSelf, int nCode);
    static void OnDisconnectCallback(mosquitto* pClient, void* pSelf, int nCode);
    static void OnMessageCallback(mosquitto* pClient, void* pSelf,
                                  const mosquitto_message* pMessage, const mosquitto_property*);
    static void OnLogCallback(mosquitto* pClient, void* pSelf, int nLevel, const char* pszText);
    static void OnSubscribeCallback(mosquitto* pClient, void* pSelf, int nMessageId, int,
                                    const int*);
    static void OnPublishCallback(mosquitto* pClient, void* pSelf, int nMessageId, int nReason,
                                  const mosquitto_property*);
    void OnConnected(int nCode);
    // Goes online once the broker has handed over what the availability topic holds.
    void OnSubscribed(int nMessageId);
    // The broker's answer to a message of quality 1: a refusal of "online" keeps the node off.
    void OnPublished(int nMessageId, int nReason);
    void Join();
    void OnDisconnected(int nCode);
    void OnMessage(const mosquitto_message& message, const mosquitto_property* pProperties);
    void OnRequest(const std::string& strTopic, const std::string& strPayload, bool bRetained);
    // strClient: the client id the message says it came from, if any.
    void OnAvailability(const std::string& strPayload, const std::string& strClient);
    void PublishOnline();
    // A message on a topic this node keeps: what it holds there is put back.
    void OnKept(const std::string& strTopic, const std::string& strPayload, bool bRetained);
    void Subscribe(const std::string& strFilter, int nQos, int* pMessageId = nullptr);

    void Connect();
    void OnLookupDone();
    void ConnectFound();
    // Records why the connection is gone and when to try again.
    void Lose(EState nState, const std::string& strReason);
    // After a loop call: a failure closed the socket, and the requests it read are answered.
    void AfterLoop(int nResult);
    // Whether the socket the event loop found ready, and the library served without a fault, is
    // an attempt to connect that failed.
    bool IsAttemptFailed();
    // Whether there is a connection under way or made to serve.
    bool HasSocket() const;
    // Why an attempt failed, in words that say what to change where the library can tell.
    std::string DescribeFailure(int nResult) const;
    void AnswerRequests();
    void PublishChanges();
    void PublishConfigs(const CQuorbexDoc* pDoc);
    void Publish(const std::string& strTopic, const std::string& strPayload, bool bRetain);
    void PublishError(const SRequest& request, const SControlResult& result);
    void AnswerRequest(const SRequest& request, const SControlResult& result);
    void SetState(EState nState, const std::string& strReason = {});

    CControlHandler& m_handler;
    SMqttSettings m_settings;
    CMqttTopics m_topics;
    const CMosquittoLibrary* m_pLib = nullptr; // once started
    mosquitto* m_pClient = nullptr;
    std::string m_strClientId;
    std::unique_ptr<CHostLookup> m_pLookup; // while the broker's name is looked up
    bool m_bAddressGiven = false;           // the library keeps it for reconnecting
    bool m_bSocketFailed = false;           // the attempt failed; its socket waits for the next
    bool m_bReached = false;                // the attempt found the broker's port
    std::string m_strTlsError;              // OpenSSL's reason for the attempt's failure
    EState m_nState = EState::Connecting;
    std::string m_strReason;
    CClock::duration m_backOff;
    CClock::time_point m_nextAttempt;
    std::deque<SRequest> m_requests;
    // Which document, at which change, the published configurations show.
    struct SDocumentVersion
    {
        const CQuorbexDoc* pDoc = nullptr;
        std::uint64_t nChanges = 0;
        bool operator==(const SDocumentVersion&) const = default;
    };
    SDocumentVersion m_publishedVersion;
    // Held by the replies of presses that wait in the handler's queue, which may outlive this.
    std::shared_ptr<CMqttService*> m_pAlive = std::make_shared<CMqttService*>(this);
    // Until the availability topic was read, this node is not online, nor takes requests.
    bool m_bJoined = false;
    int m_nJoinMessageId = -1;
    int m_nOnlineMessageId = -1;
    // What the broker holds from this connection: discovery payloads by topic, the status.
    std::map<std::string, std::string> m_published;
    std::string m_strStatus;
    std::function<void()> m_stateObserver;
    CMqttInfrared m_infrared;
};
