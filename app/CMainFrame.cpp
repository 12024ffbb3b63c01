#include "app/CMainFrame.h"

#include "app/BackendNames.h"
#include "app/CDocumentController.h"
#include "app/CFramePlacement.h"
#include "app/CInfraredUnit.h"
#include "app/CMessageBox.h"
#include "app/CMqttLink.h"
#include "app/CRecentFileMenu.h"
#include "app/CSchedulerHeartbeat.h"
#include "app/CSettings.h"
#include "app/CodeImport.h"
#include "base/CStringTable.h"
#include "base/TextEncoding.h"
#include "device/CBiosClock.h"
#include "device/CClockBackend.h"
#include "device/CInfraredDevice.h"
#include "device/CLircDevice.h"
#include "device/CLircSystem.h"
#include "device/PortAvailability.h"
#include "device/PortTable.h"
#include "document/CQuorbexDoc.h"
#include "document/SHeardPress.h"
#include "engine/CFiringEngine.h"
#include "engine/CListener.h"
#include "engine/CQuorbexSession.h"
#include "engine/CScheduler.h"
#include "ui/CAddRemoteDlg.h"
#include "ui/CClockConfigDlg.h"
#include "ui/CDeleteRemoteDlg.h"
#include "ui/CEventProgrammerDlg.h"
#include "ui/CHeardDock.h"
#include "ui/CHelpWindow.h"
#include "ui/CListCtrlEx.h"
#include "ui/CMqttDlg.h"
#include "ui/CPortDialog.h"
#include "ui/CQuorbexView.h"
#include "ui/CRemoteBuilderDlg.h"
#include "ui/CRemotePadDlg.h"
#include "ui/EventFormat.h"
#include "ui/ProgramIcons.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QStyle>
#include <QTime>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <array>
#include <utility>

namespace
{
// How long the status bar says what was sent, once it is out.
constexpr int kSentMessageMs = 5000;
// How long the status bar tells of a press heard.
constexpr int kHeardShownMs = 3000;

struct SCommandInfo
{
    int nId;
    const char* pszText;
    // Status-bar prompt, then the tooltip after a line break; a string id when pszPrompt is
    // null and nPromptId is set.
    const char* pszPrompt;
    int nPromptId;
};

constexpr std::array<SCommandInfo, 17> kCommandInfo{{
    {CMainFrame::kCmdFileNew, "&New\tCtrl+N", "Start a new, empty document\nNew", 0},
    {CMainFrame::kCmdFileOpen, "&Open...\tCtrl+O", "Open a document from a file\nOpen", 0},
    {CMainFrame::kCmdFileSave, "&Save\tCtrl+S", "Save the document\nSave", 0},
    {CMainFrame::kCmdFileSaveAs, "Save &As...", "Save the document under a new name\nSave As", 0},
    {CMainFrame::kCmdAddRemote, "Add &Remote...", nullptr, StringId::kAddRemotePrompt},
    {CMainFrame::kCmdDeleteRemote, "&Delete Remote...", nullptr, StringId::kDeleteRemotePrompt},
    {CMainFrame::kCmdImport, "&Import Codes...",
     "Bring a file of codes from another tool into a remote\nImport Codes", 0},
    {CMainFrame::kCmdParallelPort, "&Infrared Unit...",
     "Choose the infrared unit: simulated, on a parallel port, or a lirc device\nInfrared Unit", 0},
    {CMainFrame::kCmdSystemClock, "S&ystem Clock...",
     "Choose when the system clock is set from the battery clock\nSystem Clock", 0},
    {CMainFrame::kCmdMqtt, "&MQTT...",
     "Choose the MQTT broker through which a home-automation hub presses the buttons\nMQTT", 0},
    {CMainFrame::kCmdExit, "E&xit", "Quit the program, offering to save changes\nExit", 0},
    {CMainFrame::kCmdEventProgrammer, "&Event Programmer", nullptr,
     StringId::kEventProgrammerPrompt},
    {CMainFrame::kCmdRemoteBuilder, "&Remote Builder", nullptr, StringId::kRemoteBuilderPrompt},
    {CMainFrame::kCmdViewToolbar, "&Toolbar", "Show or hide the toolbar\nToolbar", 0},
    {CMainFrame::kCmdViewStatusBar, "&Status Bar", "Show or hide the status bar\nStatus Bar", 0},
    {CMainFrame::kCmdHelp, "Quorbit &Help", "Open Quorbit's manual\nQuorbit Help", 0},
    {CMainFrame::kCmdAbout, "&About Quorbit...", "Show the program's name and version\nAbout", 0},
}};

const SCommandInfo& FindCommandInfo(int nId)
{
    for (const SCommandInfo& info : kCommandInfo)
    {
        if (info.nId == nId)
            return info;
    }
    return kCommandInfo.back();
}

QString GetPrompt(const SCommandInfo& info)
{
    return info.pszPrompt ? QString(info.pszPrompt) : QString(LoadString(info.nPromptId));
}

// The first line of the document template's text: the program's window title.
QString GetAppTitle()
{
    return QString(LoadString(StringId::kTemplate)).section('\n', 0, 0);
}

bool IsRecentFileCommand(int nId)
{
    return nId >= CMainFrame::kCmdRecentFile &&
           nId < CMainFrame::kCmdRecentFile + CSettings::kRecentFiles;
}

QString GetFirstLocalFile(const QMimeData* pMime)
{
    if (!pMime || !pMime->hasUrls())
        return {};
    for (const QUrl& url : pMime->urls())
    {
        if (url.isLocalFile())
            return url.toLocalFile();
    }
    return {};
}

// A tool bar button's picture from the images Qt's styles draw when the desktop has no icon
// theme, in 16 and 32 pixels; the style's icon, from the theme, only when Qt lacks the image.
// Looking the six up in the icon theme took some 30 ms of the start, as long as a bare window
// takes to appear.
QIcon LoadToolBarIcon(const QStyle& style, const char* pszImage, QStyle::StandardPixmap nIcon)
{
    const QString strPath =
        QStringLiteral(":/qt-project.org/styles/commonstyle/images/%1-%2.png").arg(pszImage);
    if (!QFile::exists(strPath.arg(16)))
        return style.standardIcon(nIcon);
    return ReadPngIcon({strPath.arg(16), strPath.arg(32)});
}

// The MQTT pane's widest text, in average characters.
constexpr int kMqttPaneChars = 32;

// The clock pane's time of day to the minute, in the locale's short form: a pane that showed
// seconds would redraw every second, the only drawing an idle window does.
QString FormatClockTime(const CTime& time)
{
    // Some locales, C among them, give seconds even in their short form; they would stand at
    // ":00". They go with the separator before them ("HH:mm:ss" gives "HH:mm").
    QString strFormat;
    for (const QChar c : QLocale().timeFormat(QLocale::ShortFormat))
    {
        if (c != u's')
            strFormat += c;
        else if (!strFormat.isEmpty() && !QStringView(u"hHmaApPs ").contains(strFormat.back()))
            strFormat.chop(1);
    }
    return QLocale().toString(QTime(time.GetHour(), time.GetMinute()), strFormat);
}

} // namespace

CMainFrame::CMainFrame(CSettings& settings, CInfraredUnit& unit)
    : m_settings(settings), m_unit(unit), m_pPlacementTimer(new QTimer(this))
{
    setObjectName("mainFrame");
    resize(760, 420);
    m_pPlacementTimer->setSingleShot(true);
    m_pPlacementTimer->setInterval(1000);
    connect(m_pPlacementTimer, &QTimer::timeout, this, &CMainFrame::KeepSettings);
    QCoreApplication::instance()->installEventFilter(this);
}

CMainFrame::~CMainFrame() = default;

bool CMainFrame::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pEvent->type() == QEvent::KeyPress && QApplication::activeModalWidget() &&
        static_cast<QKeyEvent*>(pEvent)->matches(QKeySequence::HelpContents))
    {
        ShowHelp();
        return true;
    }
    return QMainWindow::eventFilter(pWatched, pEvent);
}

void CMainFrame::Create(CQuorbexSession& session, CDocumentController& documents)
{
    m_pSession = &session;
    m_pDocuments = &documents;
    m_pView = new CQuorbexView(session.GetDocument(), m_settings.m_eventList, this);
    setCentralWidget(m_pView);
    connect(m_pView, &CQuorbexView::EventProgrammerRequested, this,
            [this] { OnCommand(kCmdEventProgrammer); });
    // As Remove in the Event Programmer: asked first, refused while the event fires.
    connect(m_pView, &CQuorbexView::RemoveEventRequested, this,
            [this]
            {
                if (CTimedEvent* pEvent = m_pView->GetSelectedEvent())
                    m_pSession->GetDocument().RemoveEvent(*pEvent);
            });
    m_pHeardDock = new CHeardDock(this);
    addDockWidget(Qt::RightDockWidgetArea, m_pHeardDock);
    m_pHeardDock->setVisible(session.GetListener().CanListen());
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    WatchPlacement();
    // No context menu on the bars: the View menu shows and hides them.
    setContextMenuPolicy(Qt::NoContextMenu);
    UpdateTitle();
    UpdateCommandUI();

    m_pHeartbeat = std::make_unique<CSchedulerHeartbeat>(
        session.GetScheduler(), [this](const QString& strButton) { ShowSending(strButton); },
        [this] { OnFiringEnded(); });
    m_pHeartbeat->Start();
}

QAction* CMainFrame::AddCommand(QMenu* pMenu, int nId)
{
    const SCommandInfo& info = FindCommandInfo(nId);
    const QString strPrompt = GetPrompt(info);
    QAction* pAction = pMenu->addAction(info.pszText);
    pAction->setStatusTip(strPrompt.section('\n', 0, 0));
    pAction->setToolTip(strPrompt.section('\n', 1, 1));
    connect(pAction, &QAction::triggered, this, [this, nId] { OnCommand(nId); });
    m_commands[nId] = pAction;
    return pAction;
}

void CMainFrame::CreateMenus()
{
    m_pFileMenu = menuBar()->addMenu("&File");
    // The file keys work from every window of the program, the pads too.
    for (const auto& [nId, pszKey] :
         {std::pair{kCmdFileNew, "Ctrl+N"}, std::pair{kCmdFileOpen, "Ctrl+O"},
          std::pair{kCmdFileSave, "Ctrl+S"}})
    {
        QAction* pAction = AddCommand(m_pFileMenu, nId);
        pAction->setShortcut(QKeySequence(pszKey));
        pAction->setShortcutContext(Qt::ApplicationShortcut);
    }
    AddCommand(m_pFileMenu, kCmdFileSaveAs);
    m_pFileMenu->addSeparator();
    AddCommand(m_pFileMenu, kCmdAddRemote);
    AddCommand(m_pFileMenu, kCmdDeleteRemote);
    AddCommand(m_pFileMenu, kCmdImport);
    m_pFileMenu->addSeparator();
    QMenu* pConfigureMenu = m_pFileMenu->addMenu("&Configure");
    AddCommand(pConfigureMenu, kCmdParallelPort);
    AddCommand(pConfigureMenu, kCmdSystemClock);
    AddCommand(pConfigureMenu, kCmdMqtt);
    m_pFileMenu->addSeparator();
    QAction* pRecentEnd = m_pFileMenu->addSeparator();
    AddCommand(m_pFileMenu, kCmdExit);

    m_pViewMenu = menuBar()->addMenu("&View");
    AddCommand(m_pViewMenu, kCmdEventProgrammer)->setShortcut(QKeySequence("Ctrl+E"));
    AddCommand(m_pViewMenu, kCmdRemoteBuilder)->setShortcut(QKeySequence("Ctrl+B"));
    m_pViewMenu->addSeparator();
    AddCommand(m_pViewMenu, kCmdViewToolbar)->setCheckable(true);
    AddCommand(m_pViewMenu, kCmdViewStatusBar)->setCheckable(true);
    // The Heard list closes with its own button; it comes back from here.
    QAction* pHeard = m_pHeardDock->toggleViewAction();
    pHeard->setText("&Heard List");
    pHeard->setStatusTip("Show or hide the signals the receiver heard");
    pHeard->setEnabled(m_pSession->GetListener().CanListen());
    m_pViewMenu->addAction(pHeard);
    m_pViewMenu->addSeparator();

    QMenu* pHelpMenu = menuBar()->addMenu("&Help");
    // F1 opens the manual from every window of the program.
    QAction* pHelp = AddCommand(pHelpMenu, kCmdHelp);
    pHelp->setShortcut(QKeySequence::HelpContents);
    pHelp->setShortcutContext(Qt::ApplicationShortcut);
    pHelpMenu->addSeparator();
    AddCommand(pHelpMenu, kCmdAbout);

    for (QMenu* pMenu : {m_pFileMenu, pConfigureMenu, m_pViewMenu, pHelpMenu})
        WatchMenu(pMenu);
    m_pRecentFiles = std::make_unique<CRecentFileMenu>(
        *m_pFileMenu, *pRecentEnd, m_settings.m_recentFiles,
        [this](int nEntry) { OnCommand(kCmdRecentFile + nEntry); });
    m_pRecentFiles->Rebuild(IsFiring());
}

void CMainFrame::CreateToolBar()
{
    m_pToolBar = addToolBar("Toolbar");
    m_pToolBar->setObjectName("toolbar");
    m_pToolBar->setIconSize(QSize(16, 16));
    const auto addButton = [this](int nId, const char* pszImage, QStyle::StandardPixmap nIcon)
    {
        QAction* pAction = m_commands.at(nId);
        pAction->setIcon(LoadToolBarIcon(*style(), pszImage, nIcon));
        m_pToolBar->addAction(pAction);
    };
    addButton(kCmdFileNew, "file", QStyle::SP_FileIcon);
    addButton(kCmdFileOpen, "standardbutton-open", QStyle::SP_DialogOpenButton);
    addButton(kCmdFileSave, "standardbutton-save", QStyle::SP_DialogSaveButton);
    m_pToolBar->addSeparator();
    addButton(kCmdEventProgrammer, "viewdetailed", QStyle::SP_FileDialogDetailedView);
    addButton(kCmdRemoteBuilder, "computer", QStyle::SP_ComputerIcon);
    m_pToolBar->addSeparator();
    addButton(kCmdAbout, "standardbutton-help", QStyle::SP_DialogHelpButton);
}

void CMainFrame::ShowHeard(const SHeardPress& press)
{
    m_pHeardDock->AddPress(press);
    if (!press.pButton)
        return statusBar()->showMessage(QStringLiteral("Heard a signal of no button"),
                                        kHeardShownMs);
    statusBar()->showMessage(
        QStringLiteral("Heard %1/%2")
            .arg(QString::fromStdString(ToDisplayText(press.pRemote->m_strName)),
                 QString::fromStdString(ToDisplayText(press.pButton->GetDisplayText()))),
        kHeardShownMs);
    if (CRemotePadDlg* pPad = CRemotePadDlg::FindPad(*press.pRemote))
        pPad->LightButton(*press.pButton);
}

void CMainFrame::CreateStatusBar()
{
    statusBar()->addWidget(new QLabel("Ready"), 1);
    // The panes beside it may leave a message too little room: hovering shows it whole.
    connect(statusBar(), &QStatusBar::messageChanged, statusBar(), &QWidget::setToolTip);
    m_pBackendPane = new QLabel(GetBackendText());
    m_pBackendPane->setObjectName("backendPane");
    m_pBackendPane->setToolTip("What Quorbit sends through, and the clock its events follow");
    statusBar()->addPermanentWidget(m_pBackendPane);
    m_pMqttPane = new QLabel;
    m_pMqttPane->setObjectName("mqttPane");

    m_pMqttPane->hide();
    statusBar()->addPermanentWidget(m_pMqttPane);

    // Wide enough for any time of day in the locale's format; it shows the time from the start.
    const QFontMetrics metrics = fontMetrics();
    const int nWidest =
        std::max(metrics.horizontalAdvance(LoadString(StringId::kClockPaneSizer)),
                 metrics.horizontalAdvance(FormatClockTime(CTime(2000, 1, 1, 23, 58, 0))));
    m_pClockPane = new QLabel(FormatClockTime(m_pSession->GetClock().GetBiosTime()));
    m_pClockPane->setObjectName("clockPane");
    m_pClockPane->setAlignment(Qt::AlignCenter);
    m_pClockPane->setMinimumWidth(nWidest + 12);
    statusBar()->addPermanentWidget(m_pClockPane);
}

// "Simulated infrared unit · system clock".
QString CMainFrame::GetBackendText() const
{
    QString strText = DescribeInfraredBackend(m_unit.GetDevice().GetBackendName()) +
                      QStringLiteral(" \u00b7 ") +
                      DescribeClockBackend(m_pSession->GetClock().GetBackend().GetName());
    strText[0] = strText[0].toUpper();
    return strText;
}

void CMainFrame::WatchPlacement()
{
    const auto watch = [this](auto* pSender, auto signal)
    { connect(pSender, signal, m_pPlacementTimer, qOverload<>(&QTimer::start)); };
    QHeaderView* pHeader = m_pView->GetList().header();
    watch(pHeader, &QHeaderView::sectionResized);
    watch(pHeader, &QHeaderView::sectionClicked);
    watch(m_pToolBar, &QToolBar::topLevelChanged);
    watch(m_pToolBar, &QToolBar::orientationChanged);
}

void CMainFrame::WatchMenu(QMenu* pMenu)
{
    connect(pMenu, &QMenu::aboutToShow, this, &CMainFrame::OnMenuShown);
    connect(pMenu, &QMenu::aboutToHide, this, &CMainFrame::OnMenuHidden);
}

// While any menu is open no event fires: the person may be about to change what would fire.
void CMainFrame::OnMenuShown()
{
    if (m_nOpenMenus++ == 0)
        m_pSession->GetScheduler().HoldForMenu();
    UpdateCommandUI();
}

void CMainFrame::OnMenuHidden()
{
    if (m_nOpenMenus > 0 && --m_nOpenMenus == 0)
        m_pSession->GetScheduler().ReleaseMenuHold();
}

bool CMainFrame::IsFiring() const
{
    return m_pSession->IsFiring();
}

bool CMainFrame::IsCommandEnabled(int nId) const
{
    const CQuorbexDoc& doc = m_pSession->GetDocument();
    const bool bHasRemotes = doc.m_pRemotes && !doc.m_pRemotes->empty();
    switch (nId)
    {
    case kCmdDeleteRemote:
        return bHasRemotes && !IsFiring();
    case kCmdImport:
        // Import Codes can make the first remote.
        return !IsFiring();
    case kCmdRemoteBuilder:
    case kCmdEventProgrammer:
        return bHasRemotes;
    case kCmdMqtt:
        // Rebuilding the service while a press it read fires would pull it from under itself.
        return m_pMqtt && !IsFiring();
    case kCmdParallelPort:
    case kCmdFileNew:
    case kCmdFileOpen:
    case kCmdExit:
        return !IsFiring();
    default:
        return !IsRecentFileCommand(nId) || !IsFiring();
    }
}

void CMainFrame::UpdateCommandUI()
{
    if (!m_pView)
        return;
    for (const auto& [nId, pAction] : m_commands)
        pAction->setEnabled(IsCommandEnabled(nId));
    m_commands.at(kCmdViewToolbar)->setChecked(!m_pToolBar->isHidden());
    m_commands.at(kCmdViewStatusBar)->setChecked(!statusBar()->isHidden());

    const CQuorbexDoc& doc = m_pSession->GetDocument();
    for (QAction* pAction : m_pViewMenu->actions())
    {
        const int nId = pAction->data().toInt();
        if (!doc.IsRemoteCommand(nId))
            continue;
        const CRemote* pRemote = doc.FindRemoteByMenuId(nId);
        pAction->setChecked(pRemote && pRemote->m_bPadOpen);
    }
    if (IsFiring() != m_pRecentFiles->IsCollapsed())
        m_pRecentFiles->Rebuild(IsFiring());
}

QAction* CMainFrame::FindCommand(int nId) const
{
    const auto it = m_commands.find(nId);
    return it == m_commands.end() ? nullptr : it->second;
}

bool CMainFrame::OnCommand(int nId)
{
    CQuorbexDoc& doc = m_pSession->GetDocument();
    if (doc.IsRemoteCommand(nId))
    {
        OnRemoteCommand(nId);
        return true;
    }
    if (!m_commands.count(nId) && !IsRecentFileCommand(nId))
        return false;
    if (!IsCommandEnabled(nId))
        return true;
    switch (nId)
    {
    case kCmdFileNew:
        m_pDocuments->OnFileNew();
        break;
    case kCmdFileOpen:
        m_pDocuments->OnFileOpen();
        break;
    case kCmdFileSave:
        m_pDocuments->OnFileSave();
        break;
    case kCmdFileSaveAs:
        m_pDocuments->OnFileSaveAs();
        break;
    case kCmdExit:
        close();
        break;
    case kCmdAddRemote:
        OnAddRemote();
        break;
    case kCmdDeleteRemote:
        OnDeleteRemote();
        break;
    case kCmdImport:
        ImportCodesInto(this, doc, m_unit.GetDevice(), m_settings);
        KeepSettings();
        break;
    case kCmdRemoteBuilder:
        OnRemoteBuilder();
        break;
    case kCmdEventProgrammer:
        OnEventProgrammer();
        break;
    case kCmdParallelPort:
        OnParallelPort();
        break;
    case kCmdSystemClock:
        OnSystemClock();
        break;
    case kCmdMqtt:
        OnMqtt();
        break;
    case kCmdViewToolbar:
        m_pToolBar->setVisible(m_pToolBar->isHidden());
        break;
    case kCmdViewStatusBar:
        statusBar()->setVisible(statusBar()->isHidden());
        break;
    case kCmdAbout:
        ShowAbout();
        break;
    case kCmdHelp:
        ShowHelp();
        break;
    default:
        OnRecentFile(nId - kCmdRecentFile);
        break;
    }
    UpdateCommandUI();
    KeepSettings();
    return true;
}

void CMainFrame::OnEventProgrammer()
{
    // While the programmer is open a one-time event that fires is kept, so that the person
    // does not see it vanish from under the dialog.
    CQuorbexDoc& doc = m_pSession->GetDocument();
    doc.m_bEventsDialogOpen = true;
    CSettings::SPosition& position = m_settings.m_programmerPos;
    CEventProgrammerDlg dlg(doc, m_pView->GetSelectedEvent(), position.nLeft, position.nTop, this);
    dlg.exec();
    doc.m_bEventsDialogOpen = false;
}

void CMainFrame::OnSystemClock()
{
    CClockConfigDlg dlg(m_settings.m_clock, m_pSession->GetClock(), this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    m_settings.m_clock = dlg.GetSettings();
    CQuorbexDoc& doc = m_pSession->GetDocument();
    doc.m_clockSettings = m_settings.m_clock;
    doc.SetupClockRefresh();
}

void CMainFrame::OnParallelPort()
{
    CPortDialog::CAvailability availability;
    for (int nPort = 1; nPort <= kPortCount; ++nPort)
        availability[static_cast<std::size_t>(nPort - 1)] = ProbePort(nPort);
    // The dialog shows the unit in use, which may differ from the one last chosen: one asked
    // for at start, or what stood in for a device that was unplugged.
    CPortDialog dlg(m_settings.m_nParallelPort - 1, m_settings.m_bDisableInterrupts ? 1 : 0,
                    availability, this, ProbeLircDevices(m_unit.GetLircSystem()),
                    m_unit.GetBackendInUse());
    if (dlg.exec() != QDialog::Accepted)
        return;
    // No port chosen stores 0, which leaves the port in use as it is.
    m_settings.m_nParallelPort = dlg.GetPortOption() + 1;
    m_settings.m_bDisableInterrupts = dlg.GetInterruptFlag() != 0;
    const std::string strBackend = dlg.GetBackend();
    m_settings.m_strInfraredDevice = QString::fromStdString(strBackend);
    std::string strError;
    const bool bSelected = strBackend.empty()
                               ? m_unit.SelectPort(m_settings.m_nParallelPort,
                                                   m_settings.m_bDisableInterrupts, strError)
                               : m_unit.SelectDevice(strBackend, m_settings.m_nParallelPort,
                                                     m_settings.m_bDisableInterrupts, strError);
    if (!bSelected)
    {
        const QString strText =
            QStringLiteral("Quorbit cannot use that infrared unit: %1.\n\nIt "
                           "goes on with the %2.")
                .arg(QString::fromStdString(strError))
                .arg(DescribeInfraredBackend(m_unit.GetDevice().GetBackendName()));
        CMessageBox::Show(this, QMessageBox::Warning, strText, QMessageBox::Ok, QMessageBox::Ok);
    }
    m_pBackendPane->setText(GetBackendText());
}

void CMainFrame::OnMqtt()
{
    CMqttDlg dlg(m_pMqtt->GetConfig(), CMqttLink::GetDefaultNode(), CMqttLink::GetDialogHelpers(),
                 CMqttLink::GetDefaultPasswordFile(), this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    m_settings.m_mqtt = dlg.GetConfig();
    m_pMqtt->Join(m_settings.m_mqtt, this);
}

void CMainFrame::OnRemoteBuilder()
{
    CRemoteBuilderDlg dlg(m_pSession->GetDocument(), m_pSession->GetEngine(), m_unit.GetDevice(),
                          m_settings.GetBuilderPlaces(), this);
    dlg.exec();
}

void CMainFrame::OnRemoteCommand(int nId)
{
    // The entry's id names its remote; ids of deleted remotes are never handed out again.
    if (CRemote* pRemote = m_pSession->GetDocument().FindRemoteByMenuId(nId))
        OpenPad(*pRemote);
}

void CMainFrame::ShowContentAgain()
{
    GetView().RefreshEventRows();
    for (CRemotePadDlg* pPad : findChildren<CRemotePadDlg*>(Qt::FindDirectChildrenOnly))
        pPad->ShowCellsAgain();
}

void CMainFrame::OpenPad(CRemote& remote)
{
    const CSettings::CPadKey key{m_pDocuments->GetPathName(), ToDisplayString(remote.m_strName)};
    const auto itSize = m_settings.m_padSizes.find(key);
    const bool bNew = !CRemotePadDlg::FindPad(remote);
    CRemotePadDlg& pad =
        CRemotePadDlg::ShowPad(remote, m_pSession->GetDocument(), m_pSession->GetEngine(), this,
                               itSize == m_settings.m_padSizes.end() ? QSize() : itSize->second);
    // Kept in the settings, which are written once the person has stopped sizing it.
    if (bNew)
        connect(&pad, &CRemotePadDlg::Resized, this,
                [this, key](const QSize& size)
                {
                    m_settings.m_padSizes[key] = size;
                    m_pPlacementTimer->start();
                });
    connect(&pad, &CRemotePadDlg::FiringStarted, this, &CMainFrame::ShowSending,
            Qt::UniqueConnection);
    connect(&pad, &CRemotePadDlg::FiringEnded, this, &CMainFrame::OnFiringEnded,
            Qt::UniqueConnection);
    UpdateCommandUI();
}

void CMainFrame::OnAddRemote()
{
    CQuorbexDoc& doc = m_pSession->GetDocument();
    CAddRemoteDlg dlg(*doc.m_pRemotes, this);
    if (dlg.exec() == QDialog::Accepted)
        doc.AddRemote(dlg.GetName(), dlg.GetStyle());
}

void CMainFrame::OnDeleteRemote()
{
    CQuorbexDoc& doc = m_pSession->GetDocument();
    CDeleteRemoteDlg dlg(*doc.m_pRemotes, this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    if (CRemote* pRemote = doc.FindRemote(dlg.GetName()))
        doc.DeleteRemote(*pRemote);
}

void CMainFrame::ShowAbout()
{
    CMessageBox::Show(this, QMessageBox::Information,
                      GetAppTitle() + "\nVersion " + QUORBIT_VERSION, QMessageBox::Ok,
                      QMessageBox::Ok);
}

// The manual is the README: where the program is installed, where it was to be installed, or,
// run from its build folder, in the sources it was built from.
void CMainFrame::ShowHelp()
{
    const QString strProgramDir = QCoreApplication::applicationDirPath();
    const QStringList places{strProgramDir + "/../" QUORBIT_DOC_DIR "/README.md",
                             QUORBIT_INSTALL_PREFIX "/" QUORBIT_DOC_DIR "/README.md",
                             QUORBIT_SOURCE_DIR "/README.md"};
    const QString strManual = CHelpWindow::FindManual(places);
    if (strManual.isEmpty())
    {
        CMessageBox::Show(this, QMessageBox::Warning,
                          "Quorbit's manual was not found. It was looked for as:\n" +
                              places.join('\n'),
                          QMessageBox::Ok, QMessageBox::Ok);
        return;
    }
    // Over a modal dialog the manual belongs to the dialog: a window of the main window's would
    // take no input until the dialog closed.
    QWidget* pModal = QApplication::activeModalWidget();
    CHelpWindow::ShowManual(strManual, pModal ? pModal : this);
}

void CMainFrame::AddRemoteMenuEntry(const CRemote& remote)
{
    QString strText = ToDisplayString(remote.m_strName);
    QAction* pAction = m_pViewMenu->addAction(strText.replace('&', "&&"));
    pAction->setData(remote.m_nMenuId);
    pAction->setCheckable(true);
    pAction->setStatusTip(LoadString(StringId::kRemoteMenuPrompt));
    const int nId = remote.m_nMenuId;
    connect(pAction, &QAction::triggered, this, [this, nId] { OnCommand(nId); });
    UpdateCommandUI();
}

void CMainFrame::RemoveRemoteMenuEntry(const CRemote& remote)
{
    for (QAction* pAction : m_pViewMenu->actions())
    {
        if (pAction->data().isValid() && pAction->data().toInt() == remote.m_nMenuId)
            delete pAction;
    }
    UpdateCommandUI();
}

void CMainFrame::OnRecentFile(int nEntry)
{
    const QStringList& files = m_settings.m_recentFiles;
    if (nEntry < 0 || nEntry >= files.size())
        return;
    m_pDocuments->OpenRecentFile(files[nEntry]);
}

void CMainFrame::OnDocumentChanged()
{
    UpdateTitle();
    m_pRecentFiles->Rebuild(IsFiring());
    UpdateCommandUI();
}

void CMainFrame::UpdateTitle()
{
    setWindowTitle(m_pDocuments->GetTitle() + "[*] - " + GetAppTitle());
    setWindowModified(m_pSession->GetDocument().IsModified());
}

QTimer& CMainFrame::GetSchedulerTimer()
{
    return m_pHeartbeat->GetTimer();
}

void CMainFrame::UpdateBackendText()
{
    m_unit.GetDevice().Revive();
    const QString strText = GetBackendText();
    if (m_pBackendPane->text() != strText)
        m_pBackendPane->setText(strText);
}

void CMainFrame::ShowClockTime(const CTime& now)
{
    // The label repaints only when its text changes, once a minute.
    m_pClockPane->setText(FormatClockTime(now));
}

QString CMainFrame::GetClockText() const
{
    return m_pClockPane->text();
}

void CMainFrame::SetMqttLink(CMqttLink* pLink)
{
    m_pMqtt = pLink;
    UpdateCommandUI();
}

void CMainFrame::SetMqttText(const QString& strText)
{
    m_strMqttText = strText;
    // A broker's refusal may run long; cut, it leaves the bar room for "Sending…" and "Sent".
    m_pMqttPane->setText(m_pMqttPane->fontMetrics().elidedText(
        strText, Qt::ElideRight, kMqttPaneChars * m_pMqttPane->fontMetrics().averageCharWidth()));
    // The whole text is there on hover.
    m_pMqttPane->setToolTip(
        QStringLiteral("Whether a home-automation hub reaches Quorbit through the broker:\n%1")
            .arg(strText));
    m_pMqttPane->setVisible(!strText.isEmpty());
}

QString CMainFrame::GetMqttText() const
{
    return m_strMqttText;
}

void CMainFrame::FireFromScript(CRemote& remote, CRemoteButton& button)
{
    ShowSending(FormatButtonName(remote, button));
    m_pSession->GetEngine().Fire(button);
    OnFiringEnded();
}

void CMainFrame::Reveal()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void CMainFrame::ShowSending(const QString& strButton)
{
    statusBar()->showMessage(QStringLiteral("Sending %1\u2026").arg(strButton));
    statusBar()->repaint();
    m_strSent = strButton;
    m_bSending = true;
}

// Other messages (the prompts of the menu entries) are left alone. A plain button is sent in a
// moment: what went out stays a while, so that the person sees it.
void CMainFrame::OnFiringEnded()
{
    if (!m_bSending || IsFiring())
        return;
    statusBar()->showMessage(QStringLiteral("Sent %1").arg(m_strSent), kSentMessageMs);
    m_bSending = false;
}

bool CMainFrame::QueryEndSession(bool bMayAsk)
{
    if (bMayAsk && !m_pDocuments->SaveModified())
        return false;
    if (!IsFiring())
        return true;
    if (bMayAsk)
        CMessageBox::Show(this, QMessageBox::Critical, LoadString(StringId::kShutdownWhileFiring),
                          QMessageBox::Ok, QMessageBox::Ok);
    return false;
}

void CMainFrame::StorePlacement()
{
    for (int nColumn = 0; nColumn < SEventListSettings::kColumns; ++nColumn)
        m_settings.m_eventList.m_widths[static_cast<std::size_t>(nColumn)] =
            m_pView->GetChosenWidth(nColumn);
    CFramePlacement::Store(*this, m_settings);
}

void CMainFrame::KeepSettings()
{
    // Before the window is first shown its place is not yet the one it was left in.
    if (isVisible())
        StorePlacement();
    m_onSettingsChanged();
}

void CMainFrame::RestorePlacement()
{
    CFramePlacement::Restore(*this, m_settings);
    UpdateCommandUI();
}

void CMainFrame::changeEvent(QEvent* pEvent)
{
    QMainWindow::changeEvent(pEvent);
    if (pEvent->type() == QEvent::WindowStateChange)
        m_pPlacementTimer->start();
    if (pEvent->type() != QEvent::ActivationChange || !isActiveWindow() || !m_pDocuments)
        return;
    // Asked once the activation is done, and never over a dialog or an open menu.
    QTimer::singleShot(0, this,
                       [this]
                       {
                           if (!QApplication::activeModalWidget() && m_nOpenMenus == 0)
                               m_pDocuments->CheckFileOnDisk();
                       });
}

void CMainFrame::closeEvent(QCloseEvent* pEvent)
{
    // Closing under a firing would pull the document and the windows from under it.
    if (IsFiring())
    {
        pEvent->ignore();
        return;
    }
    StorePlacement();
    // The person may still cancel at the save question; the program then runs on with its
    // scheduler, so the timer stops only once the close really goes ahead.
    if (!m_pDocuments->SaveModified())
    {
        pEvent->ignore();
        return;
    }
    m_pHeartbeat->Stop();
    pEvent->accept();
}

void CMainFrame::moveEvent(QMoveEvent* pEvent)
{
    QMainWindow::moveEvent(pEvent);
    m_pPlacementTimer->start();
}

void CMainFrame::resizeEvent(QResizeEvent* pEvent)
{
    QMainWindow::resizeEvent(pEvent);
    m_pPlacementTimer->start();
}

// A dropped document is opened, never taken: a source that is told "moved" may delete its
// file. The drop is accepted as a copy, or as a link when the source offers no copy, and
// refused when it offers only to move.
bool CMainFrame::AcceptDocumentDrop(QDropEvent& event) const
{
    const Qt::DropActions actions = event.possibleActions();
    const Qt::DropAction nAction = (actions & Qt::CopyAction)   ? Qt::CopyAction
                                   : (actions & Qt::LinkAction) ? Qt::LinkAction
                                                                : Qt::IgnoreAction;
    if (nAction == Qt::IgnoreAction || IsFiring() || GetFirstLocalFile(event.mimeData()).isEmpty())
    {
        event.ignore();
        return false;
    }
    event.setDropAction(nAction);
    event.accept();
    return true;
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* pEvent)
{
    AcceptDocumentDrop(*pEvent);
}

void CMainFrame::dragMoveEvent(QDragMoveEvent* pEvent)
{
    AcceptDocumentDrop(*pEvent);
}

void CMainFrame::dropEvent(QDropEvent* pEvent)
{
    if (!AcceptDocumentDrop(*pEvent))
        return;
    const QString strPath = GetFirstLocalFile(pEvent->mimeData());
    activateWindow();
    // Opened once the drop has finished: the questions and messages of opening must not run
    // inside the drag and drop exchange.
    QTimer::singleShot(0, this, [this, strPath] { m_pDocuments->OpenDocumentFile(strPath); });
}
