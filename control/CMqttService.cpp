#include "control/CMqttService.h"

#include "control/CControlHandler.h"
#include "control/CMosquittoLibrary.h"
#include "document/CQuorbexDoc.h"

#include <mqtt_protocol.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>
#include <ranges>
#include <utility>

#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace
{
// "PRESS" presses the button once; {"hold_ms": 800} holds it down that long. False for anything
// else.
bool ParsePressPayload(const std::string& strPayload, std::uint32_t& nHoldMillis)
{
    nHoldMillis = 0;
    if (strPayload == "PRESS")
        return true;
    const nlohmann::json payload = nlohmann::json::parse(strPayload, nullptr, false);
    if (!payload.is_object() || payload.size() != 1 || !payload.contains("hold_ms") ||
        !payload["hold_ms"].is_number_unsigned())
        return false;
    const auto nMillis = payload["hold_ms"].get<std::uint64_t>();
    if (nMillis == 0 || nMillis > UINT32_MAX)
        return false;
    nHoldMillis = static_cast<std::uint32_t>(nMillis);
    return true;
}

constexpr int kKeepAliveSeconds = 30;
constexpr auto kFirstBackOff = std::chrono::seconds(1);
constexpr auto kLongestBackOff = std::chrono::seconds(60);
constexpr const char* kOnline = "online";
constexpr const char* kOffline = "offline";
// The user property naming the client that published "online".
constexpr const char* kClientProperty = "quorbit-client";
// Where the system keeps the certificate authorities it trusts.
constexpr const char* kCaFolder = "/etc/ssl/certs";

// Each run a client id of its own: the broker pushes a client off for another with its id, so
// that two Quorbits with one node name would push each other off in turn.
// The client that published an availability message, if it said.
std::string ReadClient(const CMosquittoLibrary& library, const mosquitto_property* pProperties)
{
    char* pszName = nullptr;
    char* pszValue = nullptr;
    std::string strClient;
    if (library.m_pfnPropertyReadStringPair(pProperties, MQTT_PROP_USER_PROPERTY, &pszName,
                                            &pszValue, false) &&
        std::strcmp(pszName, kClientProperty) == 0)
        strClient = pszValue;
    std::free(pszName);
    std::free(pszValue);
    return strClient;
}

std::string MakeClientId(const std::string& strNode)
{
    std::random_device random;
    char suffix[10];
    std::snprintf(suffix, sizeof(suffix), "-%08x", static_cast<unsigned>(random()));
    return "quorbit-" + strNode + suffix;
}
} // namespace

CMqttService::CMqttService(CControlHandler& handler, SMqttSettings settings)
    : m_handler(handler), m_settings(std::move(settings)), m_topics(m_settings.strNode),
      m_backOff(kFirstBackOff),
      m_infrared(handler, m_topics,
                 [this](const std::string& strTopic, const std::string& strPayload, bool bRetain)
                 {
                     if (m_bJoined)
                         Publish(strTopic, strPayload, bRetain);
                 })
{
}

CMqttService::~CMqttService()
{
    if (!m_pClient)
        return;
    // Going is no news for whoever watched the state.
    m_stateObserver = nullptr;
    if (m_nState == EState::Connected)
    {
        // Said before going, so that the hub does not wait for the will.
        Publish(m_topics.GetAvailability(), kOffline, true);
        m_pLib->m_pfnDisconnect(m_pClient);
        m_pLib->m_pfnLoopWrite(m_pClient, 1);
    }
    m_pLib->m_pfnDestroy(m_pClient);
}

void CMqttService::Start()
{
    std::string strError;
    m_pLib = CMosquittoLibrary::Get(strError);
    if (!m_pLib)
        return SetState(EState::Failed, strError);
    m_infrared.StartHearing();
    m_strClientId = MakeClientId(m_topics.GetNode());
    m_pClient = m_pLib->m_pfnNew(m_strClientId.c_str(), true, this);
    if (!m_pClient)
        return SetState(EState::Failed, "the MQTT client cannot be made");
    // MQTT 5 tells a retained message published while subscribed from a live one.
    m_pLib->m_pfnIntOption(m_pClient, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5);
    m_pLib->m_pfnConnectCallbackSet(m_pClient, OnConnectCallback);
    m_pLib->m_pfnDisconnectCallbackSet(m_pClient, OnDisconnectCallback);
    m_pLib->m_pfnMessageV5CallbackSet(m_pClient, OnMessageCallback);
    m_pLib->m_pfnSubscribeCallbackSet(m_pClient, OnSubscribeCallback);
    m_pLib->m_pfnPublishV5CallbackSet(m_pClient, OnPublishCallback);
    m_pLib->m_pfnLogCallbackSet(m_pClient, OnLogCallback);
    const std::string strAvailability = m_topics.GetAvailability();
    m_pLib->m_pfnWillSet(m_pClient, strAvailability.c_str(),
                         static_cast<int>(std::strlen(kOffline)), kOffline, 1, true);
    if (!m_settings.strUser.empty())
        m_pLib->m_pfnUsernamePwSet(m_pClient, m_settings.strUser.c_str(),
                                   m_settings.strPassword.c_str());
    if (m_settings.bTls)
    {
        // Never the password in the clear instead.
        if (const int nResult =
                m_pLib->m_pfnTlsSet(m_pClient, nullptr, kCaFolder, nullptr, nullptr, nullptr);
            nResult != MOSQ_ERR_SUCCESS)
        {
            m_pLib->m_pfnDestroy(std::exchange(m_pClient, nullptr));
            return SetState(EState::Failed, "TLS cannot be set up with the certificate "
                                            "authorities in " +
                                                std::string(kCaFolder) + ": " +
                                                m_pLib->DescribeResult(nResult));
        }
    }
    if (m_stateObserver)
        m_stateObserver();
    Connect();
}

void CMqttService::Connect()
{
    SetState(EState::Connecting);
    if (CHostLookup::IsAddress(m_settings.strHost))
        return ConnectFound();
    // Connecting looks the name up again, at once now that it is known to be found.
    m_pLookup = std::make_unique<CHostLookup>(m_settings.strHost);
}

void CMqttService::OnLookupDone()
{
    const std::string strError = m_pLookup->GetError();
    m_pLookup.reset();
    if (!strError.empty())
        return Lose(EState::Lost, strError);
    ConnectFound();
}

void CMqttService::ConnectFound()
{
    m_bSocketFailed = false;
    m_bReached = false;
    m_strTlsError.clear();
    // The connection goes on in the background.
    const int nResult = m_bAddressGiven
                            ? m_pLib->m_pfnReconnectAsync(m_pClient)
                            : m_pLib->m_pfnConnectAsync(m_pClient, m_settings.strHost.c_str(),
                                                        m_settings.nPort, kKeepAliveSeconds);
    m_bAddressGiven = true;
    if (nResult != MOSQ_ERR_SUCCESS)
        return Lose(EState::Lost, DescribeFailure(nResult));
    IsAttemptFailed();
}

void CMqttService::Lose(EState nState, const std::string& strReason)
{
    m_nextAttempt = CClock::now() + m_backOff;
    m_backOff = std::min<CClock::duration>(m_backOff * 2, kLongestBackOff);
    m_requests.clear();
    SetState(nState, strReason);
}

void CMqttService::Beat()
{
    if (!m_pClient)
        return;
    if (m_pLookup)
    {
        if (m_pLookup->IsDone())
            OnLookupDone();
        return;
    }
    if (!HasSocket())
    {
        if (CClock::now() >= m_nextAttempt)
            Connect();
        return;
    }
    AfterLoop(m_pLib->m_pfnLoopMisc(m_pClient));
    if (m_nState == EState::Connected)
        PublishChanges();
}

std::string CMqttService::GetStateText() const
{
    const std::string strAddress = m_settings.GetAddress();
    switch (m_nState)
    {
    case EState::Connecting:
        return "connecting to " + strAddress;
    case EState::Connected:
        return "connected to " + strAddress + " as " + m_topics.GetRoot();
    case EState::Refused:
        return strAddress + " refused the login: " + m_strReason;
    case EState::NameTaken:
    case EState::Forbidden:
        return "not joining " + strAddress + ": " + m_strReason + "; trying again";
    case EState::Failed:
        return "cannot join " + strAddress + ": " + m_strReason;
    case EState::Lost:
        break;
    }
    return "cannot reach " + strAddress + ": " + m_strReason + "; trying again";
}

bool CMqttService::HasSocket() const
{
    return m_pClient && m_pLib->m_pfnSocket(m_pClient) >= 0 && !m_bSocketFailed;
}

std::vector<int> CMqttService::GetWatchedDescriptors() const
{
    return HasSocket() ? std::vector<int>{m_pLib->m_pfnSocket(m_pClient)} : std::vector<int>();
}

std::vector<int> CMqttService::GetWritingDescriptors() const
{
    if (!m_pClient || !m_pLib->m_pfnWantWrite(m_pClient))
        return {};
    return GetWatchedDescriptors();
}

void CMqttService::OnReadable(int /*nDescriptor*/)
{
    const int nResult = m_pLib->m_pfnLoopRead(m_pClient, 1);
    if (nResult != MOSQ_ERR_SUCCESS || !IsAttemptFailed())
        AfterLoop(nResult);
}

void CMqttService::OnWritable(int /*nDescriptor*/)
{
    const int nResult = m_pLib->m_pfnLoopWrite(m_pClient, 1);
    if (nResult != MOSQ_ERR_SUCCESS || !IsAttemptFailed())
        AfterLoop(nResult);
}

namespace
{
bool HasPeerTakenBytes(int nSocket)
{
    tcp_info info{};
    socklen_t nSize = sizeof(info);
    return getsockopt(nSocket, IPPROTO_TCP, TCP_INFO, &info, &nSize) == 0 &&
           info.tcpi_bytes_acked > 0;
}
} // namespace

bool CMqttService::IsAttemptFailed()
{
    if (m_nState != EState::Connecting || !HasSocket() || m_bReached)
        return false;
    // Ready, served without a fault, yet with no peer: the connection was never made. Setting
    // up TLS, the library does not see it, and would be handed the socket again at once, for
    // ever; the next attempt closes it.
    const int nSocket = m_pLib->m_pfnSocket(m_pClient);
    sockaddr_storage peer{};
    socklen_t nPeerSize = sizeof(peer);
    m_bReached = getpeername(nSocket, reinterpret_cast<sockaddr*>(&peer), &nPeerSize) == 0;
    if (m_bReached || errno != ENOTCONN)
        return false;
    int nError = 0;
    socklen_t nSize = sizeof(nError);
    getsockopt(nSocket, SOL_SOCKET, SO_ERROR, &nError, &nSize);
    m_bSocketFailed = true;
    // A peer that took bytes and then closed (a plain port handed a TLS greeting) is gone by
    // now too; the kernel still counts what it took.
    if (nError == ECONNRESET || HasPeerTakenBytes(nSocket))
        Lose(EState::Lost, DescribeFailure(MOSQ_ERR_CONN_LOST));
    else
        Lose(EState::Lost, nError != 0 ? std::strerror(nError)
                                       : "no connection came about: nothing takes connections on "
                                         "that port, or the host is out of reach");
    return true;
}

void CMqttService::AfterLoop(int nResult)
{
    // A failed read or write has closed the socket and told OnDisconnected already, unless the
    // connection never came about.
    if (nResult != MOSQ_ERR_SUCCESS && m_nState == EState::Connecting &&
        m_pLib->m_pfnSocket(m_pClient) < 0)
        Lose(EState::Lost, DescribeFailure(nResult));
    AnswerRequests();
}

std::string CMqttService::DescribeFailure(int nResult) const
{
    if (nResult == MOSQ_ERR_TLS &&
        m_strTlsError.find("certificate verify failed") != std::string::npos)
        return "the broker's certificate does not verify: it is not signed by an authority in " +
               std::string(kCaFolder) + ", has expired or is made out to a name other than " +
               m_settings.strHost;
    // The far side hung up on the first words: most often the other protocol's port.
    const bool bHungUp = nResult == MOSQ_ERR_TLS || nResult == MOSQ_ERR_CONN_LOST ||
                         (nResult == MOSQ_ERR_ERRNO && errno == ECONNRESET);
    if (!bHungUp || m_nState != EState::Connecting)
        return m_pLib->DescribeResult(nResult);
    if (m_settings.bTls)
        return "the broker does not answer in TLS (" +
               (m_strTlsError.empty() ? m_pLib->DescribeResult(nResult) : m_strTlsError) +
               "); if that port takes plain MQTT, name the broker mqtt://";
    return "the broker closed the connection before answering; if that port takes TLS, name the "
           "broker mqtts://";
}

void CMqttService::OnLogCallback(mosquitto*, void* pSelf, int nLevel, const char* pszText)
{
    // Why TLS failed is said only here: "OpenSSL Error[0]: error:...:SSL routines::reason".
    const std::string strText = pszText;
    if (nLevel != MOSQ_LOG_ERR || !strText.starts_with("OpenSSL Error"))
        return;
    auto& strTlsError = static_cast<CMqttService*>(pSelf)->m_strTlsError;
    if (strTlsError.empty())
        strTlsError = strText.substr(strText.rfind(':') + 1);
}

void CMqttService::OnConnectCallback(mosquitto*, void* pSelf, int nCode)
{
    static_cast<CMqttService*>(pSelf)->OnConnected(nCode);
}

void CMqttService::OnDisconnectCallback(mosquitto*, void* pSelf, int nCode)
{
    static_cast<CMqttService*>(pSelf)->OnDisconnected(nCode);
}

void CMqttService::OnMessageCallback(mosquitto*, void* pSelf, const mosquitto_message* pMessage,
                                     const mosquitto_property* pProperties)
{
    static_cast<CMqttService*>(pSelf)->OnMessage(*pMessage, pProperties);
}

void CMqttService::OnSubscribeCallback(mosquitto*, void* pSelf, int nMessageId, int, const int*)
{
    static_cast<CMqttService*>(pSelf)->OnSubscribed(nMessageId);
}

void CMqttService::OnPublishCallback(mosquitto*, void* pSelf, int nMessageId, int nReason,
                                     const mosquitto_property*)
{
    static_cast<CMqttService*>(pSelf)->OnPublished(nMessageId, nReason);
}

void CMqttService::OnConnected(int nCode)
{
    if (nCode != 0)
        return Lose(EState::Refused, m_pLib->m_pfnReasonString(nCode));
    // A broker that restarted without persistence holds nothing of ours.
    m_published.clear();
    m_strStatus.clear();
    m_bJoined = false;
    // The broker answers a subscription in order, so the retained availability is here before
    // the second one is acknowledged.
    Subscribe(m_topics.GetAvailability(), 1);
    Subscribe(m_topics.GetStatus(), 1, &m_nJoinMessageId);
}

void CMqttService::OnSubscribed(int nMessageId)
{
    if (!m_bJoined && nMessageId == m_nJoinMessageId && m_nState == EState::Connecting)
        Join();
}

void CMqttService::OnPublished(int nMessageId, int nReason)
{
    // An access list that does not give this login the node's topics lets it connect and then
    // drops everything it publishes: without a word the hub would never see the node while the
    // run said it was connected. "online" goes first, and the broker answers why it dropped it.
    if (nMessageId != m_nOnlineMessageId || !m_bJoined)
        return;
    // Only now is the node on the broker; until then each attempt waits longer.
    if (nReason < MQTT_RC_UNSPECIFIED)
    {
        m_backOff = kFirstBackOff;
        return;
    }
    m_bJoined = false;
    m_pLib->m_pfnDisconnect(m_pClient);
    const std::string strUser =
        m_settings.strUser.empty() ? "an anonymous login" : m_settings.strUser;
    Lose(EState::Forbidden,
         "the broker does not let " + strUser + " publish on " + m_topics.GetAvailability() + " (" +
             m_pLib->m_pfnReasonString(nReason) + "); its access list must give that login " +
             m_topics.GetRoot() + "/# (a pattern with %u wants the node name as the user)");
}

void CMqttService::Join()
{
    m_bJoined = true;
    PublishOnline();
    for (const std::string& strFilter :
         {m_topics.GetPressFilter(), m_topics.GetEnableFilter(), m_topics.GetEventStateFilter(),
          m_infrared.GetCommandTopic()})
        Subscribe(strFilter, 1);
    Subscribe(m_topics.GetDiscoveryFilter(), 0);
    for (const std::string& strOld : CMqttTopics::GetOldDiscoveryFilters())
        Subscribe(strOld, 0);
    SetState(EState::Connected);
    PublishChanges();
}

void CMqttService::Subscribe(const std::string& strFilter, int nQos, int* pMessageId)
{
    // As published, so that a retained request is known for one whenever it comes.
    m_pLib->m_pfnSubscribeV5(m_pClient, pMessageId, strFilter.c_str(), nQos,
                             MQTT_SUB_OPT_RETAIN_AS_PUBLISHED, nullptr);
}

void CMqttService::OnDisconnected(int nCode)
{
    // A refusal said why already; the broker closes the connection after it. A connection
    // found lost is reported again, as "not connected", when the writing side of its socket is
    // served after the reading side: the first reason stands, and the back-off grows once.
    if (m_nState == EState::Refused || m_nState == EState::NameTaken ||
        m_nState == EState::Forbidden || m_nState == EState::Lost)
        return;
    Lose(EState::Lost, nCode == MOSQ_ERR_SUCCESS ? "disconnected" : DescribeFailure(nCode));
}

void CMqttService::OnMessage(const mosquitto_message& message,
                             const mosquitto_property* pProperties)
{
    const std::string strTopic = message.topic ? message.topic : "";
    const std::string strPayload(static_cast<const char*>(message.payload),
                                 static_cast<std::size_t>(std::max(0, message.payloadlen)));
    if (strTopic == m_topics.GetAvailability())
        OnAvailability(strPayload, ReadClient(*m_pLib, pProperties));
    else if (strTopic.starts_with("homeassistant/") || strTopic == m_topics.GetStatus() ||
             m_topics.IsEventState(strTopic))
        OnKept(strTopic, strPayload, message.retain);
    else if (message.retain && message.payloadlen == 0)
    {
        // Someone cleared a retained request, which is what its refusal asks for: no request.
    }
    else if (strTopic == m_infrared.GetCommandTopic())
        m_infrared.OnCommand(strPayload, message.retain);
    else
        OnRequest(strTopic, strPayload, message.retain);
}

void CMqttService::OnAvailability(const std::string& strPayload, const std::string& strClient)
{
    // Said by this client, in this connection or an earlier one of this run.
    if (strPayload == kOnline && strClient == m_strClientId)
        return;
    if (m_bJoined)
    {
        // Someone else said this node is gone, or cleared what says it is here.
        if (strPayload != kOnline)
            return PublishOnline();
        // Another Quorbit went online under this name at the same moment: the one whose
        // client id sorts first stays. One that does not say is not a Quorbit.
        if (strClient.empty() || strClient > m_strClientId)
        {
            if (!strClient.empty())
                PublishOnline();
            return;
        }
    }
    else if (strPayload != kOnline)
        return;
    m_bJoined = false;
    // Cleanly, so that the broker does not publish the will over the other's "online".
    m_pLib->m_pfnDisconnect(m_pClient);
    Lose(EState::NameTaken, "another Quorbit is online as node " + m_topics.GetNode() + " (" +
                                m_topics.GetAvailability() +
                                " says online); give each its own node name");
}

void CMqttService::PublishOnline()
{
    // Says who, so that two Quorbits that went online under one name at once tell each other.
    mosquitto_property* pProperties = nullptr;
    m_pLib->m_pfnPropertyAddStringPair(&pProperties, MQTT_PROP_USER_PROPERTY, kClientProperty,
                                       m_strClientId.c_str());
    const std::string strTopic = m_topics.GetAvailability();
    m_pLib->m_pfnPublishV5(m_pClient, &m_nOnlineMessageId, strTopic.c_str(),
                           static_cast<int>(std::strlen(kOnline)), kOnline, 1, true, pProperties);
    m_pLib->m_pfnPropertyFreeAll(&pProperties);
}

void CMqttService::OnKept(const std::string& strTopic, const std::string& strPayload,
                          bool bRetained)
{
    if (!m_bJoined)
        return;
    if (strTopic == m_topics.GetStatus())
    {
        if (strPayload != m_strStatus)
            Publish(strTopic, m_strStatus, true);
        return;
    }
    if (const auto it = m_published.find(strTopic); it != m_published.end())
    {
        if (strPayload != it->second)
            Publish(strTopic, it->second, true);
        return;
    }
    // What this node published before for buttons, remotes or events gone since.
    const bool bOwn =
        m_topics.IsEventState(strTopic) || m_topics.IsOwnDiscovery(strTopic, strPayload);
    if (bRetained && !strPayload.empty() && bOwn)
        Publish(strTopic, {}, true);
}

void CMqttService::OnRequest(const std::string& strTopic, const std::string& strPayload,
                             bool bRetained)
{
    SRequest request;
    const bool bEnable = m_topics.ParseEnable(strTopic, request.strEvent);
    if (!bEnable && !m_topics.ParsePress(strTopic, request.strRemote, request.strButton))
        return PublishError(request,
                            SControlResult::Refused("malformed", "names in a topic write %, "
                                                                 "/, + and # as %XX"));
    // A request left on the broker would be carried out each time Quorbit connects: the TV
    // switched on at night.
    if (bRetained)
        return PublishError(request, SControlResult::Refused("retained",
                                                             "a retained request is never carried "
                                                             "out; publish it without retain"));
    request.bEnable = strPayload == "ON";
    const bool bUnderstood = bEnable ? strPayload == "ON" || strPayload == "OFF"
                                     : ParsePressPayload(strPayload, request.nHoldMillis);
    if (!bUnderstood)
        return PublishError(request, SControlResult::Refused(
                                         "malformed", bEnable ? "an event's topic takes ON or OFF"
                                                              : "a press topic takes PRESS, or "
                                                                "{\"hold_ms\": MILLISECONDS} "
                                                                "to hold the button down"));
    // Carried out once the library has returned: a firing takes a while and serves the loop
    // again.
    m_requests.push_back(std::move(request));
}

void CMqttService::AnswerRequests()
{
    m_infrared.SendCommands();
    if (m_requests.empty())
        return;
    while (!m_requests.empty())
    {
        SRequest request = std::move(m_requests.front());
        m_requests.pop_front();
        if (!request.strEvent.empty())
        {
            AnswerRequest(request, m_handler.Enable(request.strEvent, request.bEnable));
            continue;
        }
        // A press waits its turn behind a firing; the service may be gone by then.
        const std::weak_ptr<CMqttService*> alive = m_pAlive;
        m_handler.RequestFire(
            request.strRemote, request.strButton,
            [alive, request](const SControlResult& result)
            {
                if (const auto pSelf = alive.lock())
                    (*pSelf)->AnswerRequest(request, result);
            },
            request.nHoldMillis);
    }
    // An event turned off shows so at once, not at the next beat.
    if (m_nState == EState::Connected)
        PublishChanges();
}

void CMqttService::AnswerRequest(const SRequest& request, const SControlResult& result)
{
    if (!result.IsOk())
        PublishError(request, result);
}

void CMqttService::PublishChanges()
{
    // The configurations follow the document alone, so they are built again only when it
    // changed; the status is small and is looked at every time.
    const CQuorbexDoc* pDoc = m_handler.GetServedDocument();
    const SDocumentVersion version{pDoc, pDoc ? pDoc->GetChangeCount() : 0};
    if (m_published.empty() || version != m_publishedVersion)
        PublishConfigs(pDoc);
    m_publishedVersion = version;
    if (std::string strStatus = CMqttTopics::MakeStatus(m_handler.GetStatus());
        strStatus != m_strStatus)
    {
        Publish(m_topics.GetStatus(), strStatus, true);
        m_strStatus = std::move(strStatus);
    }
}

void CMqttService::PublishConfigs(const CQuorbexDoc* pDoc)
{
    std::map<std::string, std::string> configs = m_topics.MakeRetained(pDoc);
    m_infrared.AddConfigs(pDoc, configs);
    for (const auto& [strTopic, strPayload] : m_published)
    {
        if (!configs.contains(strTopic))
            Publish(strTopic, {}, true);
    }
    const auto publishChanged = [&](const std::string& strTopic)
    {
        const std::string& strPayload = configs.at(strTopic);
        std::string& strPublished = m_published[strTopic];
        if (strPublished != strPayload)
            Publish(strTopic, strPayload, true);
        strPublished = strPayload;
    };
    // The node's device before the buttons that point at it.
    publishChanged(m_topics.GetNodeDeviceConfig());
    for (const std::string& strTopic : configs | std::views::keys)
        publishChanged(strTopic);
    m_published = std::move(configs);
}

void CMqttService::Publish(const std::string& strTopic, const std::string& strPayload, bool bRetain)
{
    m_pLib->m_pfnPublish(m_pClient, nullptr, strTopic.c_str(), static_cast<int>(strPayload.size()),
                         strPayload.data(), 1, bRetain);
}

void CMqttService::PublishError(const SRequest& request, const SControlResult& result)
{
    nlohmann::json error = request.strEvent.empty() ? nlohmann::json{{"remote", request.strRemote},
                                                                     {"button", request.strButton}}
                                                    : nlohmann::json{{"event", request.strEvent}};
    error["code"] = result.strCode;
    error["message"] = result.strText;
    Publish(m_topics.GetError(),
            error.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace), false);
}

void CMqttService::SetState(EState nState, const std::string& strReason)
{
    const std::string strBefore = GetStateText();
    m_nState = nState;
    m_strReason = strReason;
    if (m_stateObserver && GetStateText() != strBefore)
        m_stateObserver();
}
