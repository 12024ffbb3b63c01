#pragma once

#include <QMainWindow>
#include <QString>

#include <functional>
#include <map>
#include <memory>

class CDocumentController;
class CInfraredUnit;
class CMqttLink;
class CHeardDock;
class CQuorbexSession;
struct SHeardPress;
class CQuorbexView;
class CRecentFileMenu;
class CSchedulerHeartbeat;
class CSettings;
class CTime;
class QTimer;
class CRemote;
class CRemoteButton;
class QLabel;

// The program's one top-level window: menus, toolbar, status bar with the clock and MQTT panes,
// the event list as its client, the scheduler's heartbeat and the remote entries of the View menu.
// It greys what must not run while a button fires, and refuses to close or to let the session
// end during a firing.
class CMainFrame : public QMainWindow
{
    Q_OBJECT

public:
    // Command ids of the menus, the toolbar and the keys.
    enum ECommand
    {
        kCmdAddRemote = 32771,
        kCmdDeleteRemote = 32772,
        kCmdRemoteBuilder = 32773,
        kCmdEventProgrammer = 32774,
        kCmdParallelPort = 32779,
        kCmdSystemClock = 32780,
        kCmdImport = 32781,
        kCmdMqtt = 32782,
        kCmdFileNew = 57600,
        kCmdFileOpen = 57601,
        kCmdFileSave = 57603,
        kCmdFileSaveAs = 57604,
        kCmdRecentFile = 57616, // the first of four
        kCmdAbout = 57664,
        kCmdHelp = 57670,
        kCmdExit = 57665,
        kCmdViewToolbar = 59392,
        kCmdViewStatusBar = 59393,
    };

    // settings: what the dialogs show and change, and where the window's place is kept; unit:
    // what the Configure dialog moves.
    CMainFrame(CSettings& settings, CInfraredUnit& unit);
    ~CMainFrame() override;

    // Builds the menus, toolbar, status bar and view over the session's document, the file
    // commands over documents, and starts the scheduler's heartbeat. The frame itself is built
    // before the session, as the document's windows.
    void Create(CQuorbexSession& session, CDocumentController& documents);
    // Places the window as it was left at the last exit, pulled back onto the screen, and
    // shows it.
    void RestorePlacement();
    // Keeps the window's place and the event list's columns in the settings.
    void StorePlacement();
    // Called whenever the settings may have changed: after each command, and a moment after the
    // window, its bars or the event list's columns were moved, sized or sorted.
    void SetSettingsObserver(std::function<void()> onChanged)
    {
        m_onSettingsChanged = std::move(onChanged);
    }

    // Runs a command by id, as its menu entry would, when its enabling rule allows it.
    // Returns false for an id that is not a command.
    bool OnCommand(int nId);
    bool IsCommandEnabled(int nId) const;
    // Brings every command's enabled state and check mark up to date.
    void UpdateCommandUI();
    QAction* FindCommand(int nId) const;

    void AddRemoteMenuEntry(const CRemote& remote);
    // Opens the remote's pad, or brings it forward when it is open.
    void OpenPad(CRemote& remote);
    // After a change of the document: the event rows and the open pads' cells show it anew.
    void ShowContentAgain();
    void RemoveRemoteMenuEntry(const CRemote& remote);
    QMenu* GetViewMenu() const { return m_pViewMenu; }

    // Title, recent-file list and commands after the document was replaced or saved.
    void OnDocumentChanged();
    void ShowClockTime(const CTime& now);
    // Follows the infrared unit being unplugged and plugged back in.
    void UpdateBackendText();
    QString GetClockText() const;
    // Configure > MQTT changes what the link joins; without a link it is greyed.
    void SetMqttLink(CMqttLink* pLink);
    // The MQTT pane's text; empty hides the pane.
    void SetMqttText(const QString& strText);
    // A press heard: the status bar says which, its pad's cell lights, the Heard list shows it.
    void ShowHeard(const SHeardPress& press);
    CHeardDock& GetHeardDock() const { return *m_pHeardDock; }
    QString GetMqttText() const;
    // The status bar says what is being sent ("TV: Power") while a button fires; it is painted
    // at once, since sending a plain button keeps the windows still until it is done.
    void ShowSending(const QString& strButton);
    // A firing ended: once nothing fires any more, the message says what was sent, for a while.
    void OnFiringEnded();
    // A script asked for the button: it is sent as a pad would send it.
    void FireFromScript(CRemote& remote, CRemoteButton& button);
    // Shows the window in front of the others, as when another start of Quorbit asks for it.
    void Reveal();

    // The session asks whether it may end: not with unsaved changes the person keeps, and not
    // while a button fires. bMayAsk: questions may be put to the person.
    bool QueryEndSession(bool bMayAsk);

    CQuorbexView& GetView() const { return *m_pView; }
    QTimer& GetSchedulerTimer();
    int GetOpenMenuCount() const { return m_nOpenMenus; }

protected:
    void closeEvent(QCloseEvent* pEvent) override;
    void moveEvent(QMoveEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    // A new window state is kept with the placement; coming to the front, the window looks
    // whether another program changed the file.
    void changeEvent(QEvent* pEvent) override;
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dragMoveEvent(QDragMoveEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;
    // The main window's shortcuts do not reach a modal dialog: F1 pressed there is seen here.
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    QAction* AddCommand(QMenu* pMenu, int nId);
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void WatchMenu(QMenu* pMenu);
    void OnMenuShown();
    void OnMenuHidden();
    void OnRecentFile(int nEntry);
    void OnRemoteCommand(int nId);
    void OnAddRemote();
    void OnDeleteRemote();
    void OnRemoteBuilder();
    void OnEventProgrammer();
    void OnSystemClock();
    void OnParallelPort();
    void OnMqtt();
    QString GetBackendText() const;
    void ShowAbout();
    void ShowHelp();
    void WatchPlacement();
    void KeepSettings();
    bool IsFiring() const;
    bool AcceptDocumentDrop(QDropEvent& event) const;
    void UpdateTitle();

    CSettings& m_settings;
    CInfraredUnit& m_unit;
    CQuorbexSession* m_pSession = nullptr;
    CDocumentController* m_pDocuments = nullptr;
    CQuorbexView* m_pView = nullptr;
    QToolBar* m_pToolBar = nullptr;
    QLabel* m_pBackendPane = nullptr;
    QLabel* m_pClockPane = nullptr;
    QLabel* m_pMqttPane = nullptr;
    QString m_strMqttText; // as given; the pane may show it cut
    CHeardDock* m_pHeardDock = nullptr;
    CMqttLink* m_pMqtt = nullptr;
    QMenu* m_pFileMenu = nullptr;
    QMenu* m_pViewMenu = nullptr;
    std::unique_ptr<CRecentFileMenu> m_pRecentFiles;
    std::map<int, QAction*> m_commands;
    std::unique_ptr<CSchedulerHeartbeat> m_pHeartbeat;
    // Runs once the window has stopped moving, so that a drag writes the settings once.
    QTimer* m_pPlacementTimer = nullptr;
    std::function<void()> m_onSettingsChanged = [] {};
    int m_nOpenMenus = 0;
    bool m_bSending = false; // the status bar shows what a firing sends
    QString m_strSent;       // the button it names
};
