#include "app/CQuorbexApp.h"

#include "app/CDesktopRegistration.h"
#include "app/CFileDialog.h"
#include "app/CMainFrame.h"
#include "app/CMessageBox.h"
#include "app/CQtFrontEnd.h"
#include "app/CWindowControl.h"
#include "app/cli/CCommandLine.h"
#include "control/CControlServer.h"
#include "control/RunningQuorbit.h"
#include "base/CStringTable.h"
#include "device/CBiosClock.h"
#include "device/CDeviceFactory.h"
#include "device/CSimulatedRemote.h"
#include "device/PortTable.h"
#include "document/CQbFile.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "engine/CScheduler.h"
#include "engine/CTickSource.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QSessionManager>
#include <QSettings>

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

namespace
{
QSettings OpenSettingsStore()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Dorn", "Quorbit");
}

std::string ToLocalPath(const QString& strPath)
{
    return QFile::encodeName(strPath).toStdString();
}

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

void ShowStartRefusal(int argc, char** argv, const std::string& strRefusal)
{
    QApplication application(argc, argv);
    CMessageBox::Show(nullptr, QMessageBox::Warning, QString::fromStdString(strRefusal),
                      QMessageBox::Ok, QMessageBox::Ok);
}
} // namespace

int RunQuorbitApp(int argc, char** argv)
{
    SCommandLine commandLine;
    std::string strError;
    if (!ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), commandLine, strError))
    {
        std::fprintf(stderr, "quorbit: %s\n\n%s", strError.c_str(), GetUsage());
        return 2;
    }
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
                    std::make_unique<CSteadyTickSource>());
    QObject::connect(&application, &QGuiApplication::commitDataRequest,
                     [&app](QSessionManager& manager) { app.OnCommitDataRequest(manager); });
    // Listening before the start-up, so that a program started meanwhile waits for its answer
    // instead of finding no one; requests are answered once the window is up.
    CWindowControl control(app, server);
    if (!server.Listen(control, strError) && server.IsClaimed())
        std::fprintf(stderr, "quorbit: other programs cannot reach this Quorbit: %s\n",
                     strError.c_str());
    if (!app.InitInstance(QFile::decodeName(strStartFile.c_str())))
        return 1;
    control.StartServing();
    nExitCode = QApplication::exec();
    app.ExitInstance();
    return nExitCode;
}

CQuorbexApp::CQuorbexApp(std::string strDevice, std::unique_ptr<CClockBackend> pClockBackend,
                         std::unique_ptr<CTickSource> pTicks)
    : m_strStartBackend(std::move(strDevice)), m_pClockBackend(std::move(pClockBackend)),
      m_pClock(std::make_unique<CBiosClock>(*m_pClockBackend)), m_pTicks(std::move(pTicks))
{
}

CQuorbexApp::~CQuorbexApp() = default;

bool CQuorbexApp::InitInstance(const QString& strFile)
{
    QSettings store = OpenSettingsStore();
    m_settings.Read(store);
    if (!CreateDevice())
        return false;
    m_pDevice->SelectPort(m_settings.m_nParallelPort, m_settings.m_bDisableInterrupts);
    RegisterDocumentType(QCoreApplication::applicationFilePath());
    // Every window, the pads and dialogs included, shows the program's icon.
    QApplication::setWindowIcon(QIcon(":/icons/quorbit.svg"));
    CreateWindowsAndDocument();

    // A file named at start that cannot be opened ends the program once its message is shown.
    if (strFile.isEmpty())
        StartNewDocument();
    else if (!OpenDocumentFile(strFile))
        return false;
    m_pFrame->setAcceptDrops(true);
    m_pFrame->RestorePlacement();
    return true;
}

bool CQuorbexApp::CreateDevice()
{
    std::string strError;
    // A unit asked for at start must be had; the one chosen last time may be unplugged since,
    // and then the program goes on with what this machine offers.
    m_strDeviceBackend = m_strStartBackend.empty() ? m_settings.m_strInfraredDevice.toStdString()
                                                   : m_strStartBackend;
    m_pDevice = CreateInfraredDevice(m_strDeviceBackend, m_settings.m_nParallelPort, strError);
    if (!m_pDevice && m_strStartBackend.empty())
    {
        std::fprintf(stderr, "quorbit: %s; going on without it\n", strError.c_str());
        m_strDeviceBackend.clear();
        m_pDevice = CreateInfraredDevice(m_strDeviceBackend, m_settings.m_nParallelPort, strError);
    }
    if (!m_pDevice)
    {
        std::fprintf(stderr, "quorbit: %s\n", strError.c_str());
        return false;
    }
    TimeSimulatedPresses();
    return true;
}

void CQuorbexApp::TimeSimulatedPresses()
{
    // Someone trying the program without a unit sees the Button Recorder wait, and may cancel,
    // before the simulated remote is pressed.
    if (CSimulatedRemote* pRemote = FindSimulatedRemote(*m_pDevice))
        pRemote->SetMillisecondCount([this] { return m_pTicks->GetTickCount(); });
}

bool CQuorbexApp::SelectPort(int nPort, bool bMaskInterrupts, std::string& strError)
{
    if (!IsValidPort(nPort))
        return true;
    return SelectDevice(m_strDeviceBackend, nPort, bMaskInterrupts, strError);
}

bool CQuorbexApp::SelectDevice(const std::string& strBackend, int nPort, bool bMaskInterrupts,
                               std::string& strError)
{
    // Only the port backends asked for at start reach ports their own way.
    const bool bPortBackend = m_strStartBackend == "ppdev" || m_strStartBackend == "direct";
    const std::string strNewBackend =
        strBackend.empty() && bPortBackend ? m_strStartBackend : strBackend;
    // The kernel lends a port to one holder at a time: the device in use lets go of its port
    // before the new one is opened, also when the port stays the same.
    const int nOldPort = m_pDevice->GetPort();
    m_pDevice.reset();
    m_pDevice =
        CreateInfraredDevice(strNewBackend, IsValidPort(nPort) ? nPort : nOldPort, strError);
    const bool bSelected = m_pDevice != nullptr;
    if (bSelected)
        m_strDeviceBackend = strNewBackend;
    else
    {
        std::string strIgnored;
        m_pDevice = CreateInfraredDevice(m_strDeviceBackend, nOldPort, strIgnored);
        if (!m_pDevice)
            m_pDevice = CreateInfraredDevice("sim", nOldPort, strIgnored);
    }
    m_pDevice->SelectPort(m_pDevice->GetPort(), bMaskInterrupts);
    TimeSimulatedPresses();
    m_pEngine->SetDevice(*m_pDevice);
    return bSelected;
}

void CQuorbexApp::CreateWindowsAndDocument()
{
    // The frame object comes first as the document's way to the windows; its windows are
    // built once the document, the engine and the scheduler they show and drive exist.
    m_pFrame = std::make_unique<CMainFrame>(*this);
    m_pFrontEnd = std::make_unique<CQtFrontEnd>(*m_pFrame);
    m_pDoc = std::make_unique<CQuorbexDoc>(*m_pFrontEnd, *m_pClock, m_settings.m_clock);
    m_pEngine = std::make_unique<CFiringEngine>(*m_pDevice, *m_pFrontEnd, *m_pTicks);
    m_pScheduler = std::make_unique<CScheduler>(*m_pDoc, *m_pEngine, *m_pTicks, *m_pClock);
    m_pScheduler->SetFiredObserver(
        [this](const CTimedEvent& event)
        {
            std::string strError;
            if (!m_strPathName.isEmpty() &&
                !m_lastFired.Remember(ToLocalPath(m_strPathName), event, strError))
                std::fprintf(stderr, "quorbit: cannot keep when an event fired: %s\n",
                             strError.c_str());
        });
    m_pFrame->Create();
}

void CQuorbexApp::ExitInstance()
{
    QSettings store = OpenSettingsStore();
    m_settings.Write(store);
}

bool CQuorbexApp::IsFiring() const
{
    return m_pEngine->GetFiringDepth() != 0;
}

bool CQuorbexApp::OpenDocumentFile(const QString& strPath)
{
    bool bRefused = false;
    return OpenCheckedFile(strPath, bRefused);
}

void CQuorbexApp::OpenRecentFile(QString strPath)
{
    bool bRefused = false;
    if (!OpenCheckedFile(strPath, bRefused) && bRefused)
    {
        m_settings.RemoveRecentFile(strPath);
        m_pFrame->OnDocumentChanged();
    }
}

bool CQuorbexApp::OpenCheckedFile(const QString& strPath, bool& bRefused)
{
    if (IsFiring())
        return false;
    SQbContent content;
    SOpenRefusal refusal;
    bRefused = !ReadDocumentFile(strPath, content, refusal);
    if (bRefused)
    {
        ShowOpenRefusal(refusal);
        return false;
    }
    return ReplaceDocument(strPath, content);
}

bool CQuorbexApp::ReadDocumentFile(const QString& strPath, SQbContent& content,
                                   SOpenRefusal& refusal)
{
    return CQuorbexDoc::ReadDocumentFile(ToLocalPath(QFileInfo(strPath).absoluteFilePath()),
                                         content, refusal);
}

void CQuorbexApp::ShowOpenRefusal(const SOpenRefusal& refusal)
{
    m_pFrontEnd->ShowMessage(refusal.nStringId, refusal.strArgument, EMessageBox::Stop);
}

bool CQuorbexApp::ReplaceDocument(const QString& strPath, SQbContent& content)
{
    // The file is known to be good before the person is asked to give up the changes.
    if (IsFiring() || !SaveModified())
        return false;
    const QString strAbsolute = QFileInfo(strPath).absoluteFilePath();
    m_pDoc->TakeDocumentContent(content);
    m_lastFired.Apply(ToLocalPath(strAbsolute), *m_pDoc);
    m_pDoc->ArmNextEvent();
    SetPathName(strAbsolute);
    m_settings.AddRecentFile(strAbsolute);
    m_pFrame->OnDocumentChanged();
    return true;
}

void CQuorbexApp::StartNewDocument()
{
    m_pDoc->OnNewDocument();
    SetPathName(QString());
    m_pFrame->OnDocumentChanged();
}

void CQuorbexApp::OnFileNew()
{
    if (!IsFiring() && SaveModified())
        StartNewDocument();
}

void CQuorbexApp::OnFileOpen()
{
    if (IsFiring())
        return;
    const QString strPath = CFileDialog::GetOpenPath(m_pFrame.get());
    if (!strPath.isEmpty())
        OpenDocumentFile(strPath);
}

bool CQuorbexApp::OnFileSave()
{
    return m_strPathName.isEmpty() ? OnFileSaveAs() : DoSave(m_strPathName);
}

bool CQuorbexApp::OnFileSaveAs()
{
    const QString strProposed = m_strPathName.isEmpty() ? GetTitle() + ".qb" : m_strPathName;
    const QString strPath = CFileDialog::GetSavePath(m_pFrame.get(), strProposed);
    return !strPath.isEmpty() && DoSave(strPath);
}

bool CQuorbexApp::DoSave(const QString& strPath)
{
    const QString strAbsolute = QFileInfo(strPath).absoluteFilePath();
    if (!m_pDoc->OnSaveDocument(ToLocalPath(strAbsolute)))
        return false;
    SetPathName(strAbsolute);
    m_settings.AddRecentFile(strAbsolute);
    m_pFrame->OnDocumentChanged();
    return true;
}

bool CQuorbexApp::SaveModified()
{
    if (!m_pDoc->IsModified())
        return true;
    const QMessageBox::StandardButton nAnswer = CMessageBox::Show(
        m_pFrame.get(), QMessageBox::Warning, QStringLiteral("Save changes to %1?").arg(GetTitle()),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (nAnswer == QMessageBox::Yes)
        return OnFileSave();
    return nAnswer == QMessageBox::No;
}

QString CQuorbexApp::GetTitle() const
{
    return m_strPathName.isEmpty() ? QStringLiteral("Untitled")
                                   : QFileInfo(m_strPathName).fileName();
}

void CQuorbexApp::SetPathName(const QString& strPath)
{
    m_strPathName = strPath;
}

void CQuorbexApp::OnCommitDataRequest(QSessionManager& manager)
{
    const bool bMayAsk = manager.allowsInteraction();
    if (!m_pFrame->QueryEndSession(bMayAsk))
        manager.cancel();
    if (bMayAsk)
        manager.release();
}
