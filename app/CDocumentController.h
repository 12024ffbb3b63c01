#pragma once

#include "common/CLastFiredStore.h"
#include "document/FileStamp.h"

#include <QString>

#include <functional>

class CFrontEnd;
class CQuorbexSession;
class CSettings;
class QWidget;
struct SOpenRefusal;
struct SQbContent;

// The window program's one document as a file: its path, New, Open, Save, Save As and the
// recent files, and when its events last fired. Nothing replaces the document while a button
// fires, and a modified document is offered for saving before it is replaced.
class CDocumentController
{
public:
    // window: the parent of the file dialogs and the questions.
    CDocumentController(CQuorbexSession& session, CFrontEnd& frontEnd, CSettings& settings,
                        QWidget& window);

    // Called whenever the path, the title or the recent-file list may have changed.
    void SetChangedObserver(std::function<void()> onChanged) { m_onChanged = std::move(onChanged); }
    // Called when the person chose not to save the document's changes.
    void SetDiscardedObserver(std::function<void()> onDiscarded)
    {
        m_onDiscarded = std::move(onDiscarded);
    }

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
    // The same for a recovery copy of unsaved changes: the document becomes what was read,
    // modified, to be saved at strPath ("" for an untitled document).
    bool RecoverDocument(const QString& strPath, SQbContent& content);
    // The same for an entry of the recent-file list, which loses the entry when it fails. The
    // path is a copy: saving the changes first reorders the list it was read from.
    void OpenRecentFile(QString strPath);
    // An empty, unnamed document.
    void StartNewDocument();
    void OnFileNew();
    void OnFileOpen();
    bool OnFileSave();
    bool OnFileSaveAs();
    // Asks "Save changes to ...?" for a modified document. False when the person cancelled or
    // the save failed: whatever was about to replace or close the document must not go ahead.
    bool SaveModified();
    // For when the window comes to the front: a file another program changed since it was
    // read or saved here is offered for reloading, once for each change.
    void CheckFileOnDisk();

    // The document's name for titles and questions: its file name, or "Untitled".
    QString GetTitle() const;
    const QString& GetPathName() const { return m_strPathName; }
    CQuorbexSession& GetSession() const { return m_session; }

private:
    // bRefused: the file was refused (as against the person keeping the current document).
    bool OpenCheckedFile(const QString& strPath, bool& bRefused);
    bool DoSave(const QString& strPath);
    // Whether the file at strLocal may be saved over: not while another program changes it,
    // and, when another program changed it since it was read here, only if the person says so
    // (bOverwrite) or after the file was reloaded instead (false).
    bool MaySaveOver(const std::string& strLocal, bool& bOverwrite);
    // Reads the document's file again, dropping what was changed here; false when it is
    // refused or a button fires.
    bool ReloadFile();
    // Makes the read content the document, from the file strPath.
    void TakeFile(const QString& strPath, SQbContent& content);
    void RememberFired(const CTimedEvent& event) const;

    CQuorbexSession& m_session;
    CFrontEnd& m_frontEnd;
    CSettings& m_settings;
    QWidget& m_window;
    QString m_strPathName;
    // When the document's events fired, which a firing keeps here rather than in the document.
    CLastFiredStore m_lastFired;
    // The file's stamp when the person last declined to reload it.
    SFileStamp m_declinedStamp;
    std::function<void()> m_onChanged = [] {};
    std::function<void()> m_onDiscarded = [] {};
};
