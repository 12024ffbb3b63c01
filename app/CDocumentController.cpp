#include "app/CDocumentController.h"

#include "app/CFileDialog.h"
#include "app/CMessageBox.h"
#include "app/CSettings.h"
#include "base/CStringTable.h"
#include "document/CDocumentLock.h"
#include "document/CFrontEnd.h"
#include "document/CQbFile.h"
#include "document/CQuorbexDoc.h"
#include "engine/CQuorbexSession.h"
#include "engine/CScheduler.h"

#include <QFileInfo>

#include <cstdio>

namespace
{
std::string ToLocalPath(const QString& strPath)
{
    return QFile::encodeName(strPath).toStdString();
}
} // namespace

CDocumentController::CDocumentController(CQuorbexSession& session, CFrontEnd& frontEnd,
                                         CSettings& settings, QWidget& window)
    : m_session(session), m_frontEnd(frontEnd), m_settings(settings), m_window(window)
{
    m_session.GetScheduler().SetFiredObserver([this](const CTimedEvent& event, bool /*bSent*/)
                                              { RememberFired(event); });
    m_lastFired.SetNoticeObserver([](const std::string& strNotice)
                                  { std::fprintf(stderr, "quorbit: %s\n", strNotice.c_str()); });
}

void CDocumentController::RememberFired(const CTimedEvent& event) const
{
    std::string strError;
    if (!m_strPathName.isEmpty() &&
        !m_lastFired.Remember(ToLocalPath(m_strPathName), event, strError))
        std::fprintf(stderr, "quorbit: cannot keep when an event fired: %s\n", strError.c_str());
}

bool CDocumentController::OpenDocumentFile(const QString& strPath)
{
    bool bRefused = false;
    return OpenCheckedFile(strPath, bRefused);
}

void CDocumentController::OpenRecentFile(QString strPath)
{
    bool bRefused = false;
    if (!OpenCheckedFile(strPath, bRefused) && bRefused)
    {
        m_settings.RemoveRecentFile(strPath);
        m_onChanged();
    }
}

bool CDocumentController::OpenCheckedFile(const QString& strPath, bool& bRefused)
{
    if (m_session.IsFiring())
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

bool CDocumentController::ReadDocumentFile(const QString& strPath, SQbContent& content,
                                           SOpenRefusal& refusal)
{
    return CQuorbexDoc::ReadDocumentFile(ToLocalPath(QFileInfo(strPath).absoluteFilePath()),
                                         content, refusal);
}

void CDocumentController::ShowOpenRefusal(const SOpenRefusal& refusal)
{
    m_frontEnd.ShowMessage(refusal.nStringId, refusal.strArgument, EMessageBox::Stop);
}

bool CDocumentController::ReplaceDocument(const QString& strPath, SQbContent& content)
{
    // The file is known to be good before the person is asked to give up the changes.
    if (m_session.IsFiring() || !SaveModified())
        return false;
    TakeFile(strPath, content);
    return true;
}

void CDocumentController::TakeFile(const QString& strPath, SQbContent& content)
{
    const QString strAbsolute = QFileInfo(strPath).absoluteFilePath();
    CQuorbexDoc& doc = m_session.GetDocument();
    // Named first: the pads that open with the content keep their sizes under the file's name.
    m_strPathName = strAbsolute;
    doc.TakeDocumentContent(content);
    m_lastFired.Apply(ToLocalPath(strAbsolute), doc);
    doc.ArmNextEvent();
    m_settings.AddRecentFile(strAbsolute);
    m_onChanged();
}

bool CDocumentController::ReloadFile()
{
    SQbContent content;
    SOpenRefusal refusal;
    if (m_session.IsFiring())
        return false;
    if (!ReadDocumentFile(m_strPathName, content, refusal))
    {
        ShowOpenRefusal(refusal);
        return false;
    }
    TakeFile(m_strPathName, content);
    return true;
}

bool CDocumentController::RecoverDocument(const QString& strPath, SQbContent& content)
{
    CQuorbexDoc& doc = m_session.GetDocument();
    if (strPath.isEmpty())
    {
        if (m_session.IsFiring() || !SaveModified())
            return false;
        m_strPathName.clear();
        doc.TakeDocumentContent(content);
    }
    else if (!ReplaceDocument(strPath, content))
        return false;
    doc.SetModifiedFlag(true);
    m_onChanged();
    return true;
}

void CDocumentController::CheckFileOnDisk()
{
    const std::string strLocal = ToLocalPath(m_strPathName);
    const SFileStamp stamp = ReadFileStamp(strLocal);
    if (m_strPathName.isEmpty() || m_session.IsFiring() ||
        !m_session.GetDocument().HasChangedOnDisk(strLocal) || stamp == m_declinedStamp)
        return;
    const QString strText =
        m_session.GetDocument().IsModified()
            ? QStringLiteral("Another program changed %1. Reload it, losing the changes made "
                             "here?")
            : QStringLiteral("Another program changed %1. Reload it?");
    if (CMessageBox::Show(&m_window, QMessageBox::Question, strText.arg(GetTitle()),
                          QMessageBox::Yes | QMessageBox::No,
                          QMessageBox::Yes) != QMessageBox::Yes ||
        !ReloadFile())
        m_declinedStamp = stamp;
}

void CDocumentController::StartNewDocument()
{
    m_session.GetDocument().OnNewDocument();
    m_strPathName.clear();
    m_onChanged();
}

void CDocumentController::OnFileNew()
{
    if (!m_session.IsFiring() && SaveModified())
        StartNewDocument();
}

void CDocumentController::OnFileOpen()
{
    if (m_session.IsFiring())
        return;
    const QString strPath = CFileDialog::GetOpenPath(&m_window);
    if (!strPath.isEmpty())
        OpenDocumentFile(strPath);
}

bool CDocumentController::OnFileSave()
{
    return m_strPathName.isEmpty() ? OnFileSaveAs() : DoSave(m_strPathName);
}

bool CDocumentController::OnFileSaveAs()
{
    const QString strProposed = m_strPathName.isEmpty() ? GetTitle() + ".qb" : m_strPathName;
    const QString strPath = CFileDialog::GetSavePath(&m_window, strProposed);
    return !strPath.isEmpty() && DoSave(strPath);
}

bool CDocumentController::MaySaveOver(const std::string& strLocal, bool& bOverwrite)
{
    if (!m_session.GetDocument().HasChangedOnDisk(strLocal))
        return true;
    const QMessageBox::StandardButton nAnswer = CMessageBox::Show(
        &m_window, QMessageBox::Warning,
        QStringLiteral("Another program changed %1 since Quorbit read it.\n\nSave over it? Yes "
                       "overwrites that change; No reloads the file, losing the changes made "
                       "here.")
            .arg(GetTitle()),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel);
    bOverwrite = nAnswer == QMessageBox::Yes;
    if (nAnswer == QMessageBox::No)
        ReloadFile();
    return bOverwrite;
}

bool CDocumentController::DoSave(const QString& strPath)
{
    const QString strAbsolute = QFileInfo(strPath).absoluteFilePath();
    const std::string strLocal = ToLocalPath(strAbsolute);
    bool bOverwrite = false;
    if (!MaySaveOver(strLocal, bOverwrite))
        return false;
    // Held until the saved file is in place, so that a command changing the file meanwhile
    // either finishes first (and the save is refused as stale) or waits for this one.
    CDocumentLock lock;
    std::string strError;
    if (lock.Lock(strLocal, true, CDocumentLock::kWaitMs, strError) !=
        CDocumentLock::EResult::Locked)
    {
        m_frontEnd.ShowMessage(StringId::kSaveFailed, strError, EMessageBox::Stop);
        return false;
    }
    if (!m_session.GetDocument().OnSaveDocument(strLocal, bOverwrite))
        return false;
    m_strPathName = strAbsolute;
    m_settings.AddRecentFile(strAbsolute);
    m_onChanged();
    return true;
}

bool CDocumentController::SaveModified()
{
    if (!m_session.GetDocument().IsModified())
        return true;
    const QMessageBox::StandardButton nAnswer = CMessageBox::Show(
        &m_window, QMessageBox::Warning, QStringLiteral("Save changes to %1?").arg(GetTitle()),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (nAnswer == QMessageBox::Yes)
        return OnFileSave();
    if (nAnswer != QMessageBox::No)
        return false;
    m_onDiscarded();
    return true;
}

QString CDocumentController::GetTitle() const
{
    return m_strPathName.isEmpty() ? QStringLiteral("Untitled")
                                   : QFileInfo(m_strPathName).fileName();
}
