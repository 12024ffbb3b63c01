#include "app/CMqttLink.h"

#include "app/CMessageBox.h"
#include "app/CSourceWatcher.h"
#include "control/CControlHandler.h"
#include "control/CMqttService.h"
#include "control/MqttProbe.h"
#include "control/MqttSettings.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace
{
constexpr int kBeatMs = 1000;
// A broker on the network answers a login within a second or two.
constexpr int kTestWaitMs = 5000;

bool MakeSettings(const SMqttConfig& config, SMqttSettings& settings, std::string& strError)
{
    return MakeMqttSettings(config.m_strBroker.toStdString(),
                            QFile::encodeName(config.m_strPasswordFile).toStdString(),
                            config.m_strNode.toStdString(), settings, strError);
}
} // namespace

CMqttLink::CMqttLink(CControlHandler& handler, std::function<void(const QString&)> showState)
    : m_handler(handler), m_showState(std::move(showState))
{
    m_beat.setInterval(kBeatMs);
    // With the scheduler's beat, on the whole second.
    m_beat.setTimerType(Qt::VeryCoarseTimer);
    QObject::connect(&m_beat, &QTimer::timeout, [this] { Beat(); });
}

CMqttLink::~CMqttLink()
{
    Leave();
}

QString CMqttLink::Check(const SMqttConfig& config)
{
    SMqttSettings settings;
    std::string strError;
    if (!MakeSettings(config, settings, strError))
        return QString::fromStdString(strError);
    // What the dialog takes is kept in the settings file.
    if (const std::string strBroker = config.m_strBroker.toStdString();
        RemoveUrlPassword(strBroker) != strBroker)
        return QStringLiteral("%1: a password in the broker's address would be kept in the "
                              "settings; put it in a password file instead")
            .arg(config.m_strBroker);
    return QString();
}

QString CMqttLink::GetDefaultNode()
{
    return QString::fromStdString(GetHostNodeName());
}

QString CMqttLink::Test(const SMqttConfig& config, const QString& strPassword)
{
    SMqttConfig tried = config;
    if (!strPassword.isEmpty())
        tried.m_strPasswordFile.clear();
    SMqttSettings settings;
    std::string strError;
    if (!MakeSettings(tried, settings, strError))
        return QString::fromStdString(strError);
    if (!strPassword.isEmpty())
        settings.strPassword = strPassword.toStdString();
    return QString::fromStdString(ProbeMqttBroker(settings, kTestWaitMs));
}

CMqttDlg::SHelpers CMqttLink::GetDialogHelpers()
{
    return {&CMqttLink::Check, &CMqttLink::Test,
            [](const QString& strPath, const QString& strPassword)
            {
                std::string strError;
                WriteMqttPasswordFile(QFile::encodeName(strPath).toStdString(),
                                      strPassword.toStdString(), strError);
                return QString::fromStdString(strError);
            },
            [](const QString& strPath)
            {
                std::string strPassword;
                std::string strError;
                ReadMqttPasswordFile(QFile::encodeName(strPath).toStdString(), strPassword,
                                     strError);
                return QString::fromStdString(strPassword);
            }};
}

QString CMqttLink::GetDefaultPasswordFile()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("quorbit/mqtt-password"));
}

bool CMqttLink::Join(const SMqttConfig& config, QWidget* pParent)
{
    Leave();
    m_config = config;
    if (config.IsOff())
        return true;
    SMqttSettings settings;
    std::string strError;
    if (!MakeSettings(config, settings, strError))
    {
        CMessageBox::Show(pParent, QMessageBox::Warning,
                          QStringLiteral("Quorbit cannot join the MQTT broker: %1.\n\nIt goes on "
                                         "without MQTT; Configure > MQTT sets the broker.")
                              .arg(QString::fromStdString(strError)),
                          QMessageBox::Ok, QMessageBox::Ok);
        return false;
    }
    m_pService = std::make_unique<CMqttService>(m_handler, std::move(settings));
    m_pService->SetStateObserver([this] { ShowState(); });
    m_pWatcher = std::make_unique<CSourceWatcher>(*m_pService);
    m_handler.SetMqttStateSource([pService = m_pService.get()]
                                 { return pService->GetStateText(); });
    m_pService->Start();
    m_pWatcher->Sync();
    ShowState();
    m_beat.start();
    return true;
}

void CMqttLink::Leave()
{
    m_beat.stop();
    m_handler.SetMqttStateSource({});
    m_pWatcher.reset();
    m_pService.reset();
    ShowState();
}

void CMqttLink::Beat()
{
    m_pService->Beat();
    m_pWatcher->Sync();
}

void CMqttLink::ShowState()
{
    m_showState(m_pService ? "MQTT: " + QString::fromStdString(m_pService->GetStateText())
                           : QString());
}
