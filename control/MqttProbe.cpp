#include "control/MqttProbe.h"

#include "control/CMosquittoLibrary.h"

#include <chrono>

#include <mqtt_protocol.h>
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
    CProbeClient(const CMosquittoLibrary& lib, const std::string& strNode) : m_lib(lib)
    {
        // A client id of its own: the one a running Quorbit uses would push that one off.
        const std::string strId = "quorbit-test-" + strNode + "-" + std::to_string(getpid());
        m_pClient = m_lib.m_pfnNew(strId.c_str(), true, this);
        if (!m_pClient)
            return;
        m_lib.m_pfnIntOption(m_pClient, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5);
        m_lib.m_pfnConnectCallbackSet(m_pClient, [](mosquitto*, void* pSelf, int nCode)
                                      { static_cast<CProbeClient*>(pSelf)->m_nAnswer = nCode; });
    }
    ~CProbeClient()
    {
        if (m_pClient)
            m_lib.m_pfnDestroy(m_pClient);
    }
    CProbeClient(const CProbeClient&) = delete;
    CProbeClient& operator=(const CProbeClient&) = delete;

    mosquitto* Get() const { return m_pClient; }
    int GetAnswer() const { return m_nAnswer; }

private:
    const CMosquittoLibrary& m_lib;
    mosquitto* m_pClient = nullptr;
    int m_nAnswer = kNoAnswer;
};

// Why the client could not be set up for these settings, or empty when it could.
std::string SetUp(const CMosquittoLibrary& lib, mosquitto* pClient, const SMqttSettings& settings)
{
    if (!pClient)
        return "the MQTT client cannot be made";
    if (!settings.strUser.empty())
        lib.m_pfnUsernamePwSet(pClient, settings.strUser.c_str(), settings.strPassword.c_str());
    if (const int nResult =
            settings.bTls ? lib.m_pfnTlsSet(pClient, nullptr, kCaFolder, nullptr, nullptr, nullptr)
                          : MOSQ_ERR_SUCCESS;
        nResult != MOSQ_ERR_SUCCESS)
        return "TLS cannot be set up with the certificate authorities in " +
               std::string(kCaFolder) + ": " + lib.DescribeResult(nResult);
    return {};
}
} // namespace

std::string ProbeMqttBroker(const SMqttSettings& settings, int nTimeoutMs)
{
    const std::string strAddress = settings.GetAddress();
    std::string strLoadError;
    const CMosquittoLibrary* pLib = CMosquittoLibrary::Get(strLoadError);
    if (!pLib)
        return "cannot try " + strAddress + ": " + strLoadError;
    const CMosquittoLibrary& lib = *pLib;
    CProbeClient client(lib, settings.strNode);
    if (const std::string strError = SetUp(lib, client.Get(), settings); !strError.empty())
        return "cannot try " + strAddress + ": " + strError;
    // Without waiting on the connection itself, so that a host that never answers costs the
    // wait given and not the kernel's minutes.
    int nResult = lib.m_pfnConnectAsync(client.Get(), settings.strHost.c_str(), settings.nPort,
                                        kKeepAliveSeconds);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(nTimeoutMs);
    while (nResult == MOSQ_ERR_SUCCESS && client.GetAnswer() == kNoAnswer &&
           std::chrono::steady_clock::now() < deadline)
        nResult = lib.m_pfnLoop(client.Get(), kLoopWaitMs, 1);
    // A broker that turns the login down hangs up right after saying so.
    if (client.GetAnswer() == kNoAnswer && nResult != MOSQ_ERR_SUCCESS)
        return "cannot reach " + strAddress + ": " + lib.DescribeResult(nResult);
    if (client.GetAnswer() == kNoAnswer)
        return strAddress + " did not answer the login within " +
               std::to_string((nTimeoutMs + 999) / 1000) + " s";
    if (client.GetAnswer() != 0)
        return strAddress + " refused the login: " + lib.m_pfnReasonString(client.GetAnswer());
    lib.m_pfnDisconnect(client.Get());
    return "connected to " + strAddress +
           (settings.strUser.empty() ? " without a login" : " as " + settings.strUser);
}
