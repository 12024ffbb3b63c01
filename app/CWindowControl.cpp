#include "app/CWindowControl.h"

#include "app/CMainFrame.h"
#include "app/CQuorbexApp.h"
#include "app/cli/CControlServer.h"
#include "device/CClockBackend.h"
#include "device/CInfraredDevice.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "ui/CButtonRecorderDlg.h"

#include <QApplication>
#include <QFile>
#include <QSocketNotifier>

#include <algorithm>

CWindowControl::CWindowControl(CQuorbexApp& app, CControlServer& server)
    : m_app(app), m_server(server)
{
}

void CWindowControl::StartServing()
{
    WatchServerSockets();
}

CQuorbexDoc* CWindowControl::GetControlDocument()
{
    CQuorbexDoc& doc = m_app.GetDocument();
    // A fresh start without a file has nothing to fire yet.
    if (m_app.GetPathName().isEmpty() && doc.m_pRemotes->empty())
        return nullptr;
    return &doc;
}

CFiringEngine& CWindowControl::GetControlEngine()
{
    return m_app.GetEngine();
}

std::string CWindowControl::GetDocumentPath() const
{
    return QFile::encodeName(m_app.GetPathName()).toStdString();
}

CInfraredDevice& CWindowControl::GetControlDevice()
{
    return m_app.GetDevice();
}

std::string CWindowControl::GetClockName() const
{
    return m_app.GetClockBackend().GetName();
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
    m_app.GetMainFrame().FireFromScript(remote, button);
}

std::string CWindowControl::OpenFromControl(const std::string& strPath)
{
    // A dialog works on the document that opening would replace.
    if (QApplication::activeModalWidget())
        return FormatControlError("busy", "a dialog is open in Quorbit; close it first");
    if (m_app.GetEngine().GetFiringDepth() != 0)
        return FormatControlError("busy", "a firing is in progress");
    m_app.GetMainFrame().Reveal();
    if (!m_app.OpenDocumentFile(QFile::decodeName(strPath.c_str())))
        return FormatControlError("not-opened", "the document was not opened (Quorbit shows why)");
    return FormatControlOk("opened " + QuoteControlWord(GetDocumentPath()));
}

std::string CWindowControl::ShowFromControl()
{
    m_app.GetMainFrame().Reveal();
    return FormatControlOk();
}

void CWindowControl::OnReadable(int nDescriptor)
{
    m_server.OnReadable(nDescriptor);
    WatchServerSockets();
}

void CWindowControl::OnWritable(int nDescriptor)
{
    m_server.OnWritable(nDescriptor);
    WatchServerSockets();
}

void CWindowControl::WatchServerSockets()
{
    Watch(m_readNotifiers, m_server.GetWatchedDescriptors(), false);
    Watch(m_writeNotifiers, m_server.GetWritingDescriptors(), true);
}

void CWindowControl::Watch(CNotifiers& notifiers, const std::vector<int>& watched, bool bWrite)
{
    for (auto it = notifiers.begin(); it != notifiers.end();)
    {
        if (std::find(watched.begin(), watched.end(), it->first) != watched.end())
        {
            ++it;
            continue;
        }
        // The notifier may be the one whose signal is being handled; disabled, it is harmless
        // until it goes, even when its descriptor number comes back for a new connection.
        it->second->setEnabled(false);
        it->second->deleteLater();
        it = notifiers.erase(it);
    }
    for (const int nDescriptor : watched)
    {
        if (notifiers.contains(nDescriptor))
            continue;
        auto* pNotifier = new QSocketNotifier(
            nDescriptor, bWrite ? QSocketNotifier::Write : QSocketNotifier::Read, this);
        connect(pNotifier, &QSocketNotifier::activated, this,
                [this, nDescriptor, bWrite]
                { bWrite ? OnWritable(nDescriptor) : OnReadable(nDescriptor); });
        notifiers[nDescriptor] = pNotifier;
    }
}
