#include "app/CAppFixture.h"
#include "app/CMainFrame.h"
#include "app/CMessageBox.h"
#include "app/CMqttLink.h"
#include "app/CWindowControl.h"
#include "control/CControlServer.h"
#include "ui/CDialogDriver.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFile>

#include <optional>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
// A loopback port no broker answers on: refused while bound alone, and while listening it takes
// a connection into its backlog and never speaks. Closed, it resets what it took.
class CSilentPort
{
public:
    CSilentPort() : m_nSocket(socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t nLength = sizeof(address);
        auto* pAddress = reinterpret_cast<sockaddr*>(&address);
        if (bind(m_nSocket, pAddress, nLength) == 0 && getsockname(m_nSocket, pAddress, &nLength) == 0)
            m_nPort = ntohs(address.sin_port);
    }
    ~CSilentPort() { Close(); }
    CSilentPort(const CSilentPort&) = delete;
    CSilentPort& operator=(const CSilentPort&) = delete;

    bool Listen() { return listen(m_nSocket, 1) == 0; }
    void Close()
    {
        if (m_nSocket >= 0)
            close(m_nSocket);
        m_nSocket = -1;
    }
    QString GetAddress() const { return QStringLiteral("127.0.0.1:%1").arg(m_nPort); }

private:
    int m_nSocket;
    int m_nPort = 0;
};

// The window program with its control handler and the link to a broker, built after the
// handler and gone before it, as the program has them.
class MqttLinkTest : public CAppFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start());
        m_control.StartServing(App().GetDocuments(), Frame());
        m_link.emplace(m_control, [this](const QString& strState) { Frame().SetMqttText(strState); });
    }

    void TearDown() override
    {
        Frame().SetMqttLink(nullptr);
        m_link.reset();
    }

    // What STATUS says of MQTT.
    std::string GetStatusLine()
    {
        const std::string strReply = m_control.Answer("STATUS");
        const std::size_t nStart = strReply.find("MQTT ");
        return nStart == std::string::npos ? strReply
                                           : strReply.substr(nStart, strReply.find('\n', nStart) - nStart);
    }

    // Lets the event loop serve the link until the pane stops saying strText.
    void WaitWhileShown(const QString& strText)
    {
        const QDeadlineTimer patience(10000);
        while (Frame().GetMqttText() == strText && !patience.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }

    CSilentPort m_port;
    CControlServer m_server;
    CWindowControl m_control{m_server};
    std::optional<CMqttLink> m_link;
};

// The pane and STATUS say what the service is doing, from connecting to losing the broker as the
// event loop finds it gone, and say nothing once MQTT is turned off.
TEST_F(MqttLinkTest, PaneAndStatusFollowTheServiceState)
{
    ASSERT_TRUE(m_port.Listen());
    ASSERT_TRUE(m_link->Join({"mqtt://" + m_port.GetAddress(), "", "living-room"}, &Frame()));
    const QString strConnecting = "MQTT: connecting to " + m_port.GetAddress();
    EXPECT_EQ(Frame().GetMqttText(), strConnecting);
    EXPECT_EQ(GetStatusLine(), "MQTT \"connecting to " + m_port.GetAddress().toStdString() + "\"");

    m_port.Close();
    WaitWhileShown(strConnecting);
    EXPECT_TRUE(Frame().GetMqttText().startsWith("MQTT: cannot reach " + m_port.GetAddress()))
        << qPrintable(Frame().GetMqttText());
    EXPECT_TRUE(GetStatusLine().starts_with("MQTT \"cannot reach")) << GetStatusLine();

    ASSERT_TRUE(m_link->Join({}, &Frame()));
    EXPECT_EQ(Frame().GetMqttText(), "");
    EXPECT_EQ(GetStatusLine(), "MQTT none");
}

// A broker the service refuses is named to the person with the reason, and the program goes
// on without MQTT, keeping the entry for Configure > MQTT to mend.
TEST_F(MqttLinkTest, RefusedSettingsAreShownAndTheProgramGoesOnWithoutMqtt)
{
    const QString strOpenFile = WriteTempFile("password", "secret\n");
    ASSERT_TRUE(QFile::setPermissions(strOpenFile, QFile::ReadOwner | QFile::WriteOwner |
                                                       QFile::ReadOther));
    const std::pair<SMqttConfig, const char*> cases[] = {
        {{"broker.lan", "", ""}, "a broker is named mqtt://"},
        {{"mqtt://broker.lan", strOpenFile, ""}, "must be yours and private to you"},
    };
    for (const auto& [config, pszReason] : cases)
    {
        EXPECT_FALSE(m_link->Join(config, &Frame()));
        const QStringList shown = CMessageBox::TakeShownTexts();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_TRUE(shown.front().contains("cannot join the MQTT broker")) << qPrintable(shown.front());
        EXPECT_TRUE(shown.front().contains(pszReason)) << qPrintable(shown.front());
        EXPECT_EQ(Frame().GetMqttText(), "");
        EXPECT_EQ(GetStatusLine(), "MQTT none");
        EXPECT_EQ(m_link->GetConfig(), config);
    }
}

// Configure > MQTT keeps the broker for the next start and joins it at once.
TEST_F(MqttLinkTest, ConfigureMqttKeepsTheBrokerAndJoinsIt)
{
    Frame().SetMqttLink(&*m_link);
    const QString strBroker = "mqtt://" + m_port.GetAddress();
    WhenDialogOpens(
        [&strBroker](QDialog& dialog)
        {
            const CDialogDriver ui(dialog);
            ui.Type("broker", strBroker);
            ui.Type("node", "living-room");
            ui.Click("ok");
        });
    ASSERT_TRUE(Frame().OnCommand(CMainFrame::kCmdMqtt));

    const SMqttConfig expected{strBroker, "", "living-room"};
    EXPECT_EQ(App().GetSettings().m_mqtt, expected);
    EXPECT_EQ(m_link->GetConfig(), expected);
    EXPECT_TRUE(Frame().GetMqttText().startsWith("MQTT: ")) << qPrintable(Frame().GetMqttText());
}
} // namespace
