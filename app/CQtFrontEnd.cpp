#include "app/CQtFrontEnd.h"

#include "app/CMainFrame.h"
#include "app/CMessageBox.h"
#include "base/CStringTable.h"
#include "document/CRemote.h"
#include "ui/CQuorbexView.h"
#include "ui/CRemotePadDlg.h"
#include "ui/EventFormat.h"

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <utility>

EAnswer CQtFrontEnd::ShowMessage(int nStringId, const std::string& strArgument, EMessageBox nKind)
{
    // Arguments are names from the document, held in its 8-bit code page.
    const QString strText =
        QString::fromStdString(FormatString(nStringId, ToDisplayString(strArgument).toStdString()));
    if (nKind == EMessageBox::Stop)
    {
        CMessageBox::Show(&m_frame, QMessageBox::Critical, strText, QMessageBox::Ok,
                          QMessageBox::Ok);
        return EAnswer::Ok;
    }
    const QMessageBox::StandardButton nAnswer =
        CMessageBox::Show(&m_frame, QMessageBox::Question, strText,
                          QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return nAnswer == QMessageBox::Yes ? EAnswer::Yes : EAnswer::No;
}

void CQtFrontEnd::PumpWaitMessages(std::uint32_t nMaxWaitMs)
{
    // A quit asked for meanwhile stays pending on the main loop, which ends once the firing
    // returns to it. Between messages the thread sleeps in the event loop until the timer
    // ends the wait; a precise timer, as a coarse one may ring seconds late in a long delay.
    QTimer deadline;
    deadline.setTimerType(Qt::PreciseTimer);
    deadline.setSingleShot(true);
    deadline.start(std::chrono::milliseconds(nMaxWaitMs));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void CQtFrontEnd::AddEventRow(CTimedEvent& event)
{
    m_frame.GetView().AddEventRow(event);
}

void CQtFrontEnd::RemoveEventRow(CTimedEvent& event)
{
    m_frame.GetView().RemoveEventRow(event);
}

void CQtFrontEnd::RemoveAllEventRows()
{
    m_frame.GetView().RemoveAllEventRows();
}

void CQtFrontEnd::SortEvents()
{
    m_frame.GetView().SortEvents();
}

void CQtFrontEnd::RefreshEventRows()
{
    m_frame.GetView().RefreshEventRows();
}

void CQtFrontEnd::AddRemoteMenuEntry(const CRemote& remote)
{
    m_frame.AddRemoteMenuEntry(remote);
}

void CQtFrontEnd::RemoveRemoteMenuEntry(const CRemote& remote)
{
    m_frame.RemoveRemoteMenuEntry(remote);
}

void CQtFrontEnd::OpenPad(CRemote& remote)
{
    if (m_bHoldingPads)
        m_heldPads.push_back(&remote);
    else
        m_frame.OpenPad(remote);
}

void CQtFrontEnd::ReleasePads()
{
    m_bHoldingPads = false;
    for (CRemote* pRemote : std::exchange(m_heldPads, {}))
        m_frame.OpenPad(*pRemote);
}

void CQtFrontEnd::ClosePad(CRemote& remote)
{
    if (CRemotePadDlg* pPad = CRemotePadDlg::FindPad(remote))
        pPad->Close();
}

void CQtFrontEnd::OnModifiedChanged(bool bModified)
{
    m_frame.setWindowModified(bModified);
    m_onModified(bModified);
}

void CQtFrontEnd::OnContentChanged()
{
    if (std::exchange(m_bContentLookDue, true))
        return;
    QTimer::singleShot(0, &m_frame,
                       [this]
                       {
                           m_bContentLookDue = false;
                           m_frame.ShowContentAgain();
                       });
}

void CQtFrontEnd::ShowClockTime(const CTime& now)
{
    m_frame.ShowClockTime(now);
    m_frame.UpdateBackendText();
}

void CQtFrontEnd::EnableCloseCommand(bool /*bEnable*/)
{
    // The window manager's close button cannot be greyed without re-creating the window; the
    // frame refuses the close instead, and its own commands follow the firing depth.
    m_frame.UpdateCommandUI();
}

void CQtFrontEnd::OnHeard(const SHeardPress& press)
{
    m_frame.ShowHeard(press);
}
