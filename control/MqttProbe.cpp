#include "control/MqttProbe.h"

#include <chrono>
#include <cstring>
#include <mutex>

#include <mosquitto.h>
#include <unistd.h>

namespace
{
constexpr int kKeepAliveSeconds = 30;
constexpr int kLoopWaitMs = 100;
constexpr const char* kCaFolder = "/etc/ssl/certs";
constexpr int kNoAnswer = -1;

// The client and the broker's answer to the login, gone with the probe.
class CProbeClient
{
public:
    explicit CProbeClient(const std::string& strNode)
    {
        static std::once_flag once;
        std::call_once(once, [] { mosquitto_lib_init(); });
        // A client id of its own: the one a running Quorbit uses would push that one off.
        const std::string strId = "quorbit-test-" + strNode + "-" + std::to_string(getpid());
        m_pClient = mosquitto_new(strId.c_str(), true, this);
        if (!m_pClient)
            return;
        mosquitto_int_option(m_pClient, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5);
        mosquitto_connect_callback_set(m_pClient, [](mosquitto*, void* pSelf, int nCode)
                                       { static_cast<CProbeClient*>(pSelf)->m_nAnswer = nCode; });
    }
    ~CProbeClient()
    {
        if (m_pClient)
            mosquitto_destroy(m_pClient);
    }
    CProbeClient(const CProbeClient&) = delete;
    CProbeClient& operator=(const CProbeClient&) = delete;

    mosquitto* Get() const { return m_pClient; }
    int GetAnswer() const { return m_nAnswer; }

private:
    mosquitto* m_pClient = nullptr;
    int m_nAnswer = kNoAnswer;
};

// Why the client could not be set up for these settings, or empty when it could.
std::string SetUp(mosquitto* pClient, const SMqttSettings& settings)
{
    if (!pClient)
        return "the MQTT client cannot be made";
    if (!settings.strUser.empty())
        mosquitto_username_pw_set(pClient, settings.strUser.c_str(), settings.strPassword.c_str());
    if (const int nResult = settings.bTls ? mosquitto_tls_set(pClient, nullptr, kCaFolder, nullptr,
                                                              nullptr, nullptr)
                                          : MOSQ_ERR_SUCCESS;
        nResult != MOSQ_ERR_SUCCESS)
        return "TLS cannot be set up with the certificate authorities in " +
               std::string(kCaFolder) + ": " + DescribeMosquittoResult(nResult);
    return {};
}
} // namespace

std::string DescribeMosquittoResult(int nResult)
{
    std::string strText =
        nResult == MOSQ_ERR_ERRNO ? std::strerror(errno) : mosquitto_strerror(nResult);
    if (strText.ends_with('.'))
        strText.pop_back();
    return strText;
}

std::string ProbeMqttBroker(const SMqttSettings& settings, int nTimeoutMs)
{
    const std::string strAddress = settings.GetAddress();
    CProbeClient client(settings.strNode);
    if (const std::string strError = SetUp(client.Get(), settings); !strError.empty())
        return "cannot try " + strAddress + ": " + strError;
    // Without waiting on the connection itself, so that a host that never answers costs the
    // wait given and not the kernel's minutes.
    int nResult = mosquitto_connect_async(client.Get(), settings.strHost.c_str(), settings.nPort,
                                          kKeepAliveSeconds);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(nTimeoutMs);
    while (nResult == MOSQ_ERR_SUCCESS && client.GetAnswer() == kNoAnswer &&
           std::chrono::steady_clock::now() < deadline)
        nResult = mosquitto_loop(client.Get(), kLoopWaitMs, 1);
    // A broker that turns the login down hangs up right after saying so.
    if (client.GetAnswer() == kNoAnswer && nResult != MOSQ_ERR_SUCCESS)
        return "cannot reach " + strAddress + ": " + DescribeMosquittoResult(nResult);
    if (client.GetAnswer() == kNoAnswer)
        return strAddress + " did not answer the login within " +
               std::to_string((nTimeoutMs + 999) / 1000) + " s";
    if (client.GetAnswer() != 0)
        return strAddress + " refused the login: " + mosquitto_reason_string(client.GetAnswer());
    mosquitto_disconnect(client.Get());
    return "connected to " + strAddress +
           (settings.strUser.empty() ? " without a login" : " as " + settings.strUser);
}
