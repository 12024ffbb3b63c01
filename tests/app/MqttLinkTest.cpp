#include "app/CAppFixture.h"
#include "app/CMainFrame.h"
#include "app/CMessageBox.h"
#include "app/CMqttLink.h"
#include "app/CWindowControl.h"
#include "control/CControlServer.h"
#include "control/ControlAnswers.h"
#include "support/CLoopbackPort.h"
#include "ui/CDialogDriver.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFile>

#include <optional>

namespace
{
// The window program with its control handler and the link to a broker, built after the
// handler and gone before it, as the program has them; Configure > MQTT works on the link.
class MqttLinkTest : public CAppFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start());
        m_control.StartServing(App().GetDocuments(), Frame());
        m_link.emplace(m_control,
                       [this](const QString& strState) { Frame().SetMqttText(strState); });
        Frame().SetMqttLink(&*m_link);
    }

    // Configure > MQTT with the broker typed in and OK pressed.
    void Configure(const QString& strBroker)
    {
        WhenDialogOpens(
            [strBroker](QDialog& dialog)
            {
                const CDialogDriver ui(dialog);
                ui.Type("broker", strBroker);
                ui.Type("node", "living-room");
                ui.Click("ok");
            });
        Frame().OnCommand(CMainFrame::kCmdMqtt);
    }

    // What STATUS says of MQTT.
    std::string GetStatusLine()
    {
        std::string strReply;
        AnswerControlLine(m_control, "STATUS",
                          [&strReply](const std::string& strAnswer) { strReply = strAnswer; });
        const std::size_t nStart = strReply.find("MQTT ");
        return strReply.substr(nStart, strReply.find('\n', nStart) - nStart);
    }

    // No broker answers there.
    CLoopbackPort m_port;
    CControlServer m_server;
    CWindowControl m_control{m_server};
    std::optional<CMqttLink> m_link;
};

// Configure > MQTT keeps the broker and joins it at once; the pane and STATUS follow the service
// from connecting to losing the broker as the event loop finds it gone, and say nothing once
// MQTT is turned off again.
TEST_F(MqttLinkTest, ConfiguredBrokerIsJoinedAndItsStateShown)
{
    const QString strAddress = QStringLiteral("127.0.0.1:%1").arg(m_port.GetPort());
    Configure("mqtt://" + strAddress);
    EXPECT_EQ(App().GetSettings().m_mqtt, (SMqttConfig{"mqtt://" + strAddress, "", "living-room"}));
    const QString strConnecting = "MQTT: connecting to " + strAddress;
    EXPECT_EQ(Frame().GetMqttText(), strConnecting);
    EXPECT_EQ(GetStatusLine(), "MQTT \"connecting to " + strAddress.toStdString() + "\"");

    m_port.Close();
    const QDeadlineTimer patience(10000);
    while (Frame().GetMqttText() == strConnecting && !patience.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_TRUE(Frame().GetMqttText().startsWith("MQTT: cannot reach " + strAddress))
        << qPrintable(Frame().GetMqttText());
    EXPECT_TRUE(GetStatusLine().starts_with("MQTT \"cannot reach")) << GetStatusLine();

    Configure("");
    EXPECT_TRUE(App().GetSettings().m_mqtt.IsOff());
    EXPECT_EQ(Frame().GetMqttText(), "");
    EXPECT_EQ(GetStatusLine(), "MQTT none");
}

// A broker the service refuses at start (here for a password file others may read) is named to
// the person with the reason, and the program goes on without MQTT, keeping the entry for
// Configure > MQTT to mend.
TEST_F(MqttLinkTest, RefusedSettingsAreShownAndTheProgramGoesOnWithoutMqtt)
{
    const QString strOpenFile = WriteTempFile("password", "secret\n");
    ASSERT_TRUE(QFile::setPermissions(strOpenFile, QFile::ReadOwner | QFile::ReadOther));
    const SMqttConfig config{"mqtt://broker.lan", strOpenFile, ""};
    EXPECT_FALSE(m_link->Join(config, &Frame()));
    const QString strShown = CMessageBox::TakeShownTexts().join('\n');
    EXPECT_TRUE(strShown.startsWith("Quorbit cannot join the MQTT broker: " + strOpenFile +
                                    ": a password file must be yours and private to you"))
        << qPrintable(strShown);
    EXPECT_EQ(Frame().GetMqttText(), "");
    EXPECT_EQ(m_link->GetConfig(), config);
}
} // namespace
