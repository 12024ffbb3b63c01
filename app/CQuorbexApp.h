#pragma once

#include "app/CSettings.h"
#include "app/cli/CLastFiredStore.h"

#include <QString>

#include <memory>
#include <string>

class CBiosClock;
class CClockBackend;
class CFiringEngine;
class CInfraredDevice;
class CMainFrame;
class CQtFrontEnd;
class CQuorbexDoc;
class CScheduler;
class CTickSource;
class QSessionManager;
struct SOpenRefusal;
struct SQbContent;

// The window program: runs the start-up and the event loop; the exit code for main().
int RunQuorbitApp(int argc, char** argv);

// The application object: the settings, the device and clock, the firing engine and scheduler,
// the one document and the main frame. Start-up and exit run in a fixed order; the document's
// file commands (New, Open, Save, Save As, the recent files) live here, as does its path.
class CQuorbexApp
{
public:
    // strDevice: the infrared backend ("" for the best this machine offers); pClockBackend: the
    // clock every schedule reads; pTicks: the millisecond count that megabutton waits and the
    // clock-jump check measure with.
    CQuorbexApp(std::string strDevice, std::unique_ptr<CClockBackend> pClockBackend,
                std::unique_ptr<CTickSource> pTicks);
    ~CQuorbexApp();
    CQuorbexApp(const CQuorbexApp&) = delete;
    CQuorbexApp& operator=(const CQuorbexApp&) = delete;

    // Reads the settings, builds everything, opens strFile (or starts an empty document) and
    // shows the main window. False when start-up failed (the reason has been shown).
    bool InitInstance(const QString& strFile);
    // Writes the settings back; after a normal end of the event loop.
    void ExitInstance();

    // Opens a document in place of the current one, asking first whether to save changes.
    // Refused while a button fires: emptying the document would pull it from under the firing.
    // A file that is refused leaves the current document as it was, and nothing is asked.
    bool OpenDocumentFile(const QString& strPath);
    // The same in two steps, for a caller that answers before the refusal is shown: reads and
    // checks the file (false with the refusal, the document untouched), then replaces the
    // document with what was read, asking about unsaved changes first.
    static bool ReadDocumentFile(const QString& strPath, SQbContent& content,
                                 SOpenRefusal& refusal);
    void ShowOpenRefusal(const SOpenRefusal& refusal);
    bool ReplaceDocument(const QString& strPath, SQbContent& content);
    // The same for an entry of the recent-file list, which loses the entry when it fails. The
    // path is a copy: saving the changes first reorders the list it was read from.
    void OpenRecentFile(QString strPath);
    void OnFileNew();
    void OnFileOpen();
    bool OnFileSave();
    bool OnFileSaveAs();
    // Asks "Save changes to ...?" for a modified document. False when the person cancelled or
    // the save failed: whatever was about to replace or close the document must not go ahead.
    bool SaveModified();

    // The document's name for titles and questions: its file name, or "Untitled".
    QString GetTitle() const;
    const QString& GetPathName() const { return m_strPathName; }

    CSettings& GetSettings() { return m_settings; }
    CQuorbexDoc& GetDocument() const { return *m_pDoc; }
    CFiringEngine& GetEngine() const { return *m_pEngine; }
    CScheduler& GetScheduler() const { return *m_pScheduler; }
    CMainFrame& GetMainFrame() const { return *m_pFrame; }
    CInfraredDevice& GetDevice() const { return *m_pDevice; }
    CClockBackend& GetClockBackend() const { return *m_pClockBackend; }
    CBiosClock& GetClock() const { return *m_pClock; }

    // Moves the infrared unit to port 1, 2 or 3 with the interrupt-masking flag; another port
    // number changes nothing. The device is opened afresh, as the best this machine offers for
    // the port. False, with the reason, when the port could not be had: the unit then stays on
    // the port it was on. Only while nothing fires or records.
    bool SelectPort(int nPort, bool bMaskInterrupts, std::string& strError);
    // Moves to another infrared unit: strBackend "sim", "lirc:/dev/lircN", or "" for the unit
    // on the parallel port nPort (through the port backend asked for at start, if any). False,
    // with the reason, when it could not be had: the unit in use then stays.
    bool SelectDevice(const std::string& strBackend, int nPort, bool bMaskInterrupts,
                      std::string& strError);

    // The desktop session asks whether it may end.
    void OnCommitDataRequest(QSessionManager& manager);

private:
    bool CreateDevice();
    // bRefused: the file was refused (as against the person keeping the current document).
    bool OpenCheckedFile(const QString& strPath, bool& bRefused);
    void TimeSimulatedPresses();
    void CreateWindowsAndDocument();
    bool IsFiring() const;
    void StartNewDocument();
    bool DoSave(const QString& strPath);
    void SetPathName(const QString& strPath);

    // The backend asked for at start ("" when none was), and the one in use now.
    std::string m_strStartBackend;
    std::string m_strDeviceBackend;
    CSettings m_settings;
    QString m_strPathName;
    // When the document's events fired, which a firing keeps here rather than in the document.
    CLastFiredStore m_lastFired;

    std::unique_ptr<CClockBackend> m_pClockBackend;
    std::unique_ptr<CBiosClock> m_pClock;
    std::unique_ptr<CInfraredDevice> m_pDevice;
    std::unique_ptr<CTickSource> m_pTicks;
    std::unique_ptr<CQtFrontEnd> m_pFrontEnd;
    std::unique_ptr<CQuorbexDoc> m_pDoc;
    std::unique_ptr<CFiringEngine> m_pEngine;
    std::unique_ptr<CScheduler> m_pScheduler;
    // Last, so that it goes first: its view points into the document.
    std::unique_ptr<CMainFrame> m_pFrame;
};
