#include "app/CWindowControl.h"

#include "app/CDocumentController.h"
#include "app/CMainFrame.h"
#include "base/CStringTable.h"
#include "control/CControlServer.h"
#include "control/ControlProtocol.h"
#include "device/CClockBackend.h"
#include "device/CInfraredDevice.h"
#include "document/CQbFile.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "engine/CQuorbexSession.h"
#include "ui/CButtonRecorderDlg.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>

namespace
{
// How often a request waiting behind a firing looks whether its turn has come.
constexpr int kQueueLookMs = 20;
} // namespace

CWindowControl::CWindowControl(CControlServer& server) : m_serverWatcher(server)
{
    m_queueTimer.setInterval(kQueueLookMs);
    connect(&m_queueTimer, &QTimer::timeout, this,
            [this]
            {
                if (!ServeQueuedFires())
                    m_queueTimer.stop();
            });
}

void CWindowControl::OnFireQueued()
{
    m_queueTimer.start();
}

void CWindowControl::StartServing(CDocumentController& documents, CMainFrame& frame)
{
    m_pDocuments = &documents;
    m_pFrame = &frame;
    m_serverWatcher.Sync();
}

CQuorbexSession& CWindowControl::GetSession() const
{
    return m_pDocuments->GetSession();
}

CQuorbexDoc* CWindowControl::GetControlDocument()
{
    CQuorbexDoc& doc = GetSession().GetDocument();
    // A fresh start without a file has nothing to fire yet.
    if (m_pDocuments->GetPathName().isEmpty() && doc.m_pRemotes->empty())
        return nullptr;
    return &doc;
}

CFiringEngine& CWindowControl::GetControlEngine()
{
    return GetSession().GetEngine();
}

std::string CWindowControl::GetDocumentPath() const
{
    return QFile::encodeName(m_pDocuments->GetPathName()).toStdString();
}

CInfraredDevice& CWindowControl::GetControlDevice()
{
    return GetSession().GetEngine().GetDevice();
}

std::string CWindowControl::GetClockName() const
{
    return GetSession().GetClock().GetBackend().GetName();
}

std::string CWindowControl::GetFiringRefusal() const
{
    // The detector listens while the recorder is open; a firing now would be recorded.
    const QWidgetList windows = QApplication::topLevelWidgets();
    const bool bRecording = std::any_of(windows.begin(), windows.end(),
                                        [](const QWidget* pWindow) {
                                            return pWindow->isVisible() &&
                                                   qobject_cast<const CButtonRecorderDlg*>(pWindow);
                                        });
    return bRecording ? "the Button Recorder is open" : std::string();
}

void CWindowControl::FireFromControl(CRemote& remote, CRemoteButton& button)
{
    m_pFrame->FireFromScript(remote, button);
}

void CWindowControl::OnActionRefused(const std::string& strAction, const SControlResult& result)
{
    m_pFrame->statusBar()->showMessage(
        QStringLiteral("Could not fire %1: %2")
            .arg(QString::fromStdString(strAction), QString::fromStdString(result.strText)));
}

SControlResult CWindowControl::Open(const std::string& strPath)
{
    // The reply goes out before the person is shown a refusal: the script or the second start
    // that asked ends at once instead of waiting for the box to be dismissed.
    const QString strFile = QFile::decodeName(strPath.c_str());
    const std::string strBusy = GetOpenRefusal();
    if (!strBusy.empty())
    {
        ShowAfterReply({StringId::kOpenFailed, strPath + ": " + strBusy});
        return SControlResult::Refused("busy", strBusy);
    }
    m_pFrame->Reveal();
    SQbContent content;
    SOpenRefusal refusal;
    if (!CDocumentController::ReadDocumentFile(strFile, content, refusal))
    {
        ShowAfterReply(refusal);
        return SControlResult::Refused("not-opened",
                                       FormatString(refusal.nStringId, refusal.strArgument));
    }
    // The question about unsaved changes is put once the reply has gone: the program that
    // handed the file over must not wait for the person's answer.
    if (GetSession().GetDocument().IsModified())
    {
        QTimer::singleShot(0, m_pFrame,
                           [this, strFile] { m_pDocuments->OpenDocumentFile(strFile); });
        return SControlResult::Refused(
            "busy", "the changes to " + m_pDocuments->GetTitle().toStdString() +
                        " are not saved; Quorbit asks about them before it opens " + strPath);
    }
    if (!m_pDocuments->ReplaceDocument(strFile, content))
        return SControlResult::Refused("not-opened", "the document open in Quorbit was kept");
    return SControlResult::Done("opened " + QuoteControlWord(GetDocumentPath()));
}

std::string CWindowControl::GetEditRefusal()
{
    // The Event Programmer and the other dialogs work on the document as it was opened to them.
    const QWidget* pModal = QApplication::activeModalWidget();
    if (!pModal)
        return {};
    if (const auto* pQuestion = qobject_cast<const QMessageBox*>(pModal))
        return "Quorbit asks \"" + pQuestion->text().simplified().toStdString() +
               "\"; answer it first";
    return "a dialog is open in Quorbit; close it first";
}

std::string CWindowControl::GetOpenRefusal()
{
    // A dialog works on the document that opening would replace.
    if (std::string strRefusal = GetEditRefusal(); !strRefusal.empty())
        return strRefusal;
    if (GetSession().IsFiring())
        return "a firing is in progress";
    return {};
}

void CWindowControl::ShowAfterReply(const SOpenRefusal& refusal)
{
    QTimer::singleShot(0, m_pFrame, [this, refusal] { m_pDocuments->ShowOpenRefusal(refusal); });
}

SControlResult CWindowControl::Show()
{
    m_pFrame->Reveal();
    return SControlResult::Done();
}
