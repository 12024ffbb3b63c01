#include "support/CMqttTestClient.h"

#include <mosquitto.h>

#include <algorithm>

namespace
{
mosquitto* MakeClient(void* pSelf)
{
    static const int nInit = mosquitto_lib_init();
    return nInit == MOSQ_ERR_SUCCESS ? mosquitto_new(nullptr, true, pSelf) : nullptr;
}
} // namespace

CMqttTestClient::CMqttTestClient(int nPort, const std::string& strUser,
                                 const std::string& strPassword)
    : m_pClient(MakeClient(this))
{
    mosquitto_username_pw_set(m_pClient, strUser.c_str(), strPassword.c_str());
    mosquitto_message_callback_set(
        m_pClient,
        [](mosquitto*, void* pSelf, const mosquitto_message* pMessage)
        {
            const char* pPayload = static_cast<const char*>(pMessage->payload);
            static_cast<CMqttTestClient*>(pSelf)->m_messages.push_back(
                {pMessage->topic, std::string(pPayload, pPayload + pMessage->payloadlen),
                 pMessage->retain});
        });
    m_bConnected = mosquitto_connect(m_pClient, "127.0.0.1", nPort, 30) == MOSQ_ERR_SUCCESS;
}

CMqttTestClient::~CMqttTestClient()
{
    mosquitto_disconnect(m_pClient);
    mosquitto_destroy(m_pClient);
}

void CMqttTestClient::Subscribe(const std::string& strFilter)
{
    mosquitto_subscribe(m_pClient, nullptr, strFilter.c_str(), 1);
}

void CMqttTestClient::Publish(const std::string& strTopic, const std::string& strPayload,
                              bool bRetain)
{
    mosquitto_publish(m_pClient, nullptr, strTopic.c_str(), static_cast<int>(strPayload.size()),
                      strPayload.data(), 1, bRetain);
}

void CMqttTestClient::Pump(int nMilliseconds)
{
    mosquitto_loop(m_pClient, nMilliseconds, 1);
}

const CMqttTestClient::SMessage* CMqttTestClient::FindLast(const std::string& strTopic) const
{
    const auto it =
        std::find_if(m_messages.rbegin(), m_messages.rend(),
                     [&](const SMessage& message) { return message.strTopic == strTopic; });
    return it == m_messages.rend() ? nullptr : &*it;
}
