#pragma once

#include "app/CInfraredUnit.h"
#include "app/CSettings.h"
#include "app/CSettingsFile.h"

#include <QString>

#include <memory>
#include <string>

class CClockBackend;
class CDocumentController;
class CLircSystem;
class CMainFrame;
class CQtFrontEnd;
class CQuorbexSession;
class CRecoveryKeeper;
class CTickSource;
class QSessionManager;
struct SCommandLine;

// The window program on the arguments main() read: runs the start-up and the event loop; the
// exit code for main(). argv goes to the window toolkit.
int RunQuorbitApp(int argc, char** argv, const SCommandLine& commandLine);

// The application object composes the window program: the settings, the infrared unit, the
// session (clock, document, firing engine, scheduler), the document's file commands and the
// main frame. Start-up and exit run in a fixed order.
class CQuorbexApp
{
public:
    // strDevice: the infrared backend ("" for the best this machine offers); pClockBackend: the
    // clock every schedule reads; pTicks: the millisecond count that megabutton waits and the
    // clock-jump check measure with; lirc: the calls the lirc devices are driven through.
    CQuorbexApp(std::string strDevice, std::unique_ptr<CClockBackend> pClockBackend,
                std::unique_ptr<CTickSource> pTicks, CLircSystem& lirc);
    ~CQuorbexApp();
    CQuorbexApp(const CQuorbexApp&) = delete;
    CQuorbexApp& operator=(const CQuorbexApp&) = delete;

    // Reads the settings, builds everything, opens strFile (or starts an empty document),
    // shows the main window and offers the unsaved changes a previous run left. False when
    // start-up failed (the reason has been shown).
    bool InitInstance(const QString& strFile);
    // Writes the settings back; after the end of the event loop.
    void ExitInstance();
    // A signal ends the program: the unsaved changes go to a recovery copy and the settings
    // to their file, before the event loop ends.
    void OnEndSignal();
    // Writes the settings when they changed.
    void SaveSettings();

    CSettings& GetSettings() { return m_settings; }
    CInfraredUnit& GetUnit() { return m_unit; }
    CQuorbexSession& GetSession() const { return *m_pSession; }
    CDocumentController& GetDocuments() const { return *m_pDocuments; }
    CMainFrame& GetMainFrame() const { return *m_pFrame; }
    CRecoveryKeeper& GetRecovery() const { return *m_pRecovery; }

    // The desktop session asks whether it may end.
    void OnCommitDataRequest(QSessionManager& manager);

private:
    void CreateWindowsAndDocument();

    CSettings m_settings;
    CSettingsFile m_settingsFile;
    std::unique_ptr<CClockBackend> m_pClockBackend;
    std::unique_ptr<CTickSource> m_pTicks;
    CInfraredUnit m_unit;
    std::unique_ptr<CQtFrontEnd> m_pFrontEnd;
    std::unique_ptr<CQuorbexSession> m_pSession;
    std::unique_ptr<CDocumentController> m_pDocuments;
    std::unique_ptr<CRecoveryKeeper> m_pRecovery;
    // Made first, as the front end's way to the windows; last here, so that it goes first:
    // its view points into the document.
    std::unique_ptr<CMainFrame> m_pFrame;
};
