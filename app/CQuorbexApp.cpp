#include "app/CQuorbexApp.h"

#include "app/CDesktopRegistration.h"
#include "app/CDocumentController.h"
#include "app/CEndSignals.h"
#include "app/CHearingLink.h"
#include "app/CMainFrame.h"
#include "app/CMessageBox.h"
#include "app/CMqttLink.h"
#include "app/CQtFrontEnd.h"
#include "app/CRecoveryKeeper.h"
#include "app/CWindowControl.h"
#include "base/CStringTable.h"
#include "common/SCommandLine.h"
#include "control/CControlServer.h"
#include "control/MqttSettings.h"
#include "control/RunningQuorbit.h"
#include "device/CDeviceFactory.h"
#include "device/CInfraredDevice.h"
#include "device/CLircSystem.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "engine/CQuorbexSession.h"
#include "engine/CTickSource.h"
#include "ui/CQuorbexStyle.h"
#include "ui/ProgramIcons.h"

#include <QApplication>
#include <QFile>
#include <QSessionManager>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

namespace
{
// Without a display Qt would abort; say why instead.
bool HasDisplay()
{
    for (const char* pszName : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
    {
        const char* pszValue = std::getenv(pszName);
        if (pszValue && *pszValue)
            return true;
    }
    return false;
}

// The broker named on the command line, for this run only; else the one kept in the settings.
SMqttConfig ChooseMqttConfig(const SCommandLine& commandLine, const CSettings& settings)
{
    if (commandLine.strMqtt.empty())
        return settings.m_mqtt;
    return {QString::fromStdString(commandLine.strMqtt),
            QFile::decodeName(commandLine.strMqttPasswordFile.c_str()),
            QString::fromStdString(commandLine.strMqttNode)};
}

// Minutes late an event may still fire: --late for this run, else the settings' value.
int ChooseLateMinutes(const SCommandLine& commandLine, const CSettings& settings)
{
    if (!commandLine.strLate.empty())
        return GetLateMinutes(commandLine);
    return std::clamp(settings.m_nLateMinutes, 0, kMaxLateMinutes);
}

// An earlier version kept a password typed into the broker's address in the settings; it serves
// this run, and is not kept again.
void ForgetKeptMqttPassword(CSettings& settings, QWidget* pParent)
{
    const std::string strBroker = settings.m_mqtt.m_strBroker.toStdString();
    const std::string strKept = RemoveUrlPassword(strBroker);
    if (strKept == strBroker)
        return;
    settings.m_mqtt.m_strBroker = QString::fromStdString(strKept);
    CMessageBox::Show(pParent, QMessageBox::Warning,
                      QStringLiteral("The MQTT broker's address in Quorbit's settings holds a "
                                     "password, which Quorbit no longer keeps there. It serves "
                                     "this run; for the next, put it in a password file in "
                                     "File > Configure > MQTT..."),
                      QMessageBox::Ok, QMessageBox::Ok);
}

void ShowStartRefusal(int argc, char** argv, const std::string& strRefusal)
{
    QApplication application(argc, argv);
    CMessageBox::Show(nullptr, QMessageBox::Warning, QString::fromStdString(strRefusal),
                      QMessageBox::Ok, QMessageBox::Ok);
}

// A device the person may not open is not passed over in silence: timed events would fire
// into nothing. No, the default, ends the start so that the group can be joined first.
bool AskForSimulatedUnit(const std::string& strReason)
{
    QString strText = QStringLiteral("%1.\n\nGo on with the simulated infrared unit? Nothing "
                                     "it fires reaches an appliance.")
                          .arg(QString::fromStdString(strReason));
    strText[0] = strText[0].toUpper();
    return CMessageBox::Show(nullptr, QMessageBox::Question, strText,
                             QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::No) == QMessageBox::Yes;
}
} // namespace

int RunQuorbitApp(int argc, char** argv, const SCommandLine& commandLine)
{
    std::string strError;
    // One Quorbit per user: a second start hands its file to the first and ends.
    CControlServer server;
    const std::string strStartFile = commandLine.files.empty() ? "" : commandLine.files.front();
    int nExitCode = 0;
    std::string strRefusal;
    if (!ClaimOrHandOver(server, strStartFile, nExitCode, strRefusal))
    {
        // Started from the file manager, the person would not see stderr; in a terminal the
        // reason is there already, and the command ends at once.
        if (!strRefusal.empty() && HasDisplay() && !isatty(STDERR_FILENO))
            ShowStartRefusal(argc, argv, strRefusal);
        return nExitCode;
    }
    if (!HasDisplay())
    {
        std::fprintf(stderr, "quorbit: there is no display to show the window on; the "
                             "commands of --help work without one\n");
        return 1;
    }
    std::unique_ptr<CClockBackend> pClockBackend =
        CreateClockBackend(commandLine.strClockStart, strError);
    if (!pClockBackend)
    {
        std::fprintf(stderr, "quorbit: %s\n", strError.c_str());
        return 2;
    }

    QApplication application(argc, argv);
    QApplication::setOrganizationName("Dorn");
    QApplication::setApplicationName(LoadString(StringId::kAppName));
    QApplication::setApplicationVersion(QUORBIT_VERSION);
    CQuorbexApp app(commandLine.strDevice, std::move(pClockBackend),
                    std::make_unique<CSteadyTickSource>(), GetKernelLircSystem());
    QObject::connect(&application, &QGuiApplication::commitDataRequest,
                     [&app](QSessionManager& manager) { app.OnCommitDataRequest(manager); });
    // Listening before the start-up, so that a program started meanwhile waits for its answer
    // instead of finding no one; requests are answered once the window is up.
    CWindowControl control(server);
    if (!server.Listen(control, strError) && server.IsClaimed())
        std::fprintf(stderr, "quorbit: other programs cannot reach this Quorbit: %s\n",
                     strError.c_str());
    if (!app.InitInstance(QFile::decodeName(strStartFile.c_str())))
        return 1;
    CQuorbexDoc& doc = app.GetSession().GetDocument();
    doc.SetLateMinutes(ChooseLateMinutes(commandLine, app.GetSettings()));
    doc.ArmNextEvent();
    // A logout or a kill ends the program as Exit would, keeping what Exit would ask to save.
    const CEndSignals endSignals(
        [&app](int)
        {
            app.OnEndSignal();
            QCoreApplication::exit(0);
        });
    control.StartServing(app.GetDocuments(), app.GetMainFrame());
    CMainFrame& frame = app.GetMainFrame();
    const CHearingLink hearing(app.GetSession(), control, frame);
    // Goes before the control it fires through, saying "offline" on the broker.
    CMqttLink mqtt(control, [&frame](const QString& strState) { frame.SetMqttText(strState); });
    frame.SetMqttLink(&mqtt);
    mqtt.Join(ChooseMqttConfig(commandLine, app.GetSettings()), &frame);
    ForgetKeptMqttPassword(app.GetSettings(), &frame);
    nExitCode = QApplication::exec();
    frame.SetMqttLink(nullptr);
    app.ExitInstance();
    return nExitCode;
}

CQuorbexApp::CQuorbexApp(std::string strDevice, std::unique_ptr<CClockBackend> pClockBackend,
                         std::unique_ptr<CTickSource> pTicks, CLircSystem& lirc)
    : m_pClockBackend(std::move(pClockBackend)), m_pTicks(std::move(pTicks)),
      m_unit(std::move(strDevice), *m_pTicks, lirc)
{
}

CQuorbexApp::~CQuorbexApp() = default;

bool CQuorbexApp::InitInstance(const QString& strFile)
{
    // Every window, the pads and dialogs included, shows the program's icon. It is for the
    // window manager, not part of any window's picture: read once the first window is up, in
    // the first turn of whichever event loop runs first (a question at start, or the program's).
    QTimer::singleShot(0, qApp, [] { QApplication::setWindowIcon(MakeProgramIcon()); });
    m_settingsFile.Read(m_settings);
    if (!m_unit.Open(m_settings.m_strInfraredDevice.toStdString(), m_settings.m_nParallelPort,
                     &AskForSimulatedUnit))
        return false;
    m_unit.GetDevice().SelectPort(m_settings.m_nParallelPort, m_settings.m_bDisableInterrupts);
    RegisterDocumentType(QCoreApplication::applicationFilePath());
    // Before the first window, which asks the style for its pictures.
    if (!dynamic_cast<CQuorbexStyle*>(QApplication::style()))
        QApplication::setStyle(new CQuorbexStyle(QApplication::style()->name()));
    CreateWindowsAndDocument();

    // A file named at start that cannot be opened ends the program once its message is shown.
    m_pFrontEnd->HoldPads();
    if (strFile.isEmpty())
        m_pDocuments->StartNewDocument();
    else if (!m_pDocuments->OpenDocumentFile(strFile))
        return false;
    m_pFrame->setAcceptDrops(true);
    m_pFrame->RestorePlacement();
    m_pFrontEnd->ReleasePads();
    m_pRecovery->OfferCopies();
    return true;
}

void CQuorbexApp::CreateWindowsAndDocument()
{
    // The frame object comes first as the document's way to the windows; its windows are
    // built once the session and the file commands they show and drive exist.
    m_pFrame = std::make_unique<CMainFrame>(m_settings, m_unit);
    m_pFrontEnd = std::make_unique<CQtFrontEnd>(*m_pFrame);
    m_pSession = std::make_unique<CQuorbexSession>(
        *m_pFrontEnd, *m_pClockBackend, m_settings.m_clock, m_unit.GetDevice(), *m_pTicks);
    m_unit.SetMovedObserver([this](CInfraredDevice& device)
                            { m_pSession->GetEngine().SetDevice(device); });
    m_pDocuments =
        std::make_unique<CDocumentController>(*m_pSession, *m_pFrontEnd, m_settings, *m_pFrame);
    m_pDocuments->SetChangedObserver(
        [this]
        {
            m_pFrame->OnDocumentChanged();
            SaveSettings();
        });
    m_pRecovery = std::make_unique<CRecoveryKeeper>(*m_pDocuments, *m_pFrame);
    m_pDocuments->SetDiscardedObserver([this] { m_pRecovery->Discard(); });
    m_pFrontEnd->SetModifiedObserver([this](bool bModified)
                                     { m_pRecovery->OnModifiedChanged(bModified); });
    m_pFrame->SetSettingsObserver([this] { SaveSettings(); });
    m_pFrame->Create(*m_pSession, *m_pDocuments);
}

void CQuorbexApp::ExitInstance()
{
    SaveSettings();
}

void CQuorbexApp::OnEndSignal()
{
    m_pRecovery->WriteCopy();
    m_pFrame->StorePlacement();
    SaveSettings();
}

void CQuorbexApp::SaveSettings()
{
    m_settingsFile.Write(m_settings);
}

void CQuorbexApp::OnCommitDataRequest(QSessionManager& manager)
{
    const bool bMayAsk = manager.allowsInteraction();
    // Without a question the changes cannot be saved; the copy keeps them for the next start.
    if (!bMayAsk)
        m_pRecovery->WriteCopy();
    if (!m_pFrame->QueryEndSession(bMayAsk))
        manager.cancel();
    if (bMayAsk)
        manager.release();
}
