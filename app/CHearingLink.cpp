#include "app/CHearingLink.h"

#include "app/CMainFrame.h"
#include "base/TextEncoding.h"
#include "common/ImportPlan.h"
#include "common/SignalStore.h"
#include "control/CControlHandler.h"
#include "device/CInfraredDevice.h"
#include "device/SamplePeriod.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "engine/CListener.h"
#include "engine/CQuorbexSession.h"
#include "ui/CHeardDock.h"

#include <QInputDialog>
#include <QMessageBox>

namespace
{
constexpr int kBeatMs = 1000;
// A signal a driver ends with silence rather than a report is over this long after its last
// mark arrived.
constexpr int kSilenceLookMs = 150;
} // namespace

CHearingLink::CHearingLink(CQuorbexSession& session, CControlHandler& control, CMainFrame& frame)
    : m_session(session), m_frame(frame)
{
    session.GetListener().AddObserver([&control](const SHeardPress& press)
                                      { control.TellHeard(press); });
    frame.GetHeardDock().SetLearn([this](const std::vector<std::uint32_t>& durations)
                                  { Learn(durations); });
    m_beat.setInterval(kBeatMs);
    connect(&m_beat, &QTimer::timeout, this,
            [this]
            {
                WatchDescriptor();
                Listen();
            });
    m_beat.start();
    WatchDescriptor();
}

void CHearingLink::Listen()
{
    m_session.GetListener().Listen(0);
}

void CHearingLink::WatchDescriptor()
{
    const int nFd = m_session.GetEngine().GetDevice().GetHearingDescriptor();
    if (m_pNotifier && m_pNotifier->socket() == nFd)
        return;
    m_pNotifier.reset();
    if (nFd < 0)
        return;
    m_pNotifier = std::make_unique<QSocketNotifier>(nFd, QSocketNotifier::Read);
    connect(m_pNotifier.get(), &QSocketNotifier::activated, this,
            [this]
            {
                Listen();
                QTimer::singleShot(kSilenceLookMs, this, [this] { Listen(); });
            });
}

void CHearingLink::Learn(const std::vector<std::uint32_t>& durations)
{
    CQuorbexDoc& doc = m_session.GetDocument();
    QStringList remotes;
    for (const auto& [strName, pRemote] : *doc.m_pRemotes)
        remotes << QString::fromStdString(ToDisplayText(strName));
    if (remotes.isEmpty())
        return void(QMessageBox::information(&m_frame, QStringLiteral("Learn"),
                                             QStringLiteral("Add a remote first.")));
    bool bOk = false;
    const QString strRemote = QInputDialog::getItem(
        &m_frame, QStringLiteral("Learn"), QStringLiteral("Remote:"), remotes, 0, false, &bOk);
    if (!bOk)
        return;
    const QString strButton =
        QInputDialog::getText(&m_frame, QStringLiteral("Learn"), QStringLiteral("Button name:"),
                              QLineEdit::Normal, {}, &bOk);
    std::string strName;
    std::string strRemoteName;
    std::string strReason;
    if (!bOk || !ToDocumentName(strRemote.toStdString(), strRemoteName, strReason) ||
        !ToDocumentName(strButton.toStdString(), strName, strReason))
    {
        if (!strReason.empty())
            QMessageBox::warning(&m_frame, QStringLiteral("Learn"),
                                 QString::fromStdString(strReason));
        return;
    }
    CRemote* pRemote = doc.FindRemote(strRemoteName);
    if (const std::string strRefusal = pRemote ? FindSignalRefusal(*pRemote, strName) : "";
        !strRefusal.empty() || !pRemote ||
        (CountFreeCells(*pRemote) == 0 && !pRemote->FindButton(strName)))
    {
        QMessageBox::warning(
            &m_frame, QStringLiteral("Learn"),
            QString::fromStdString(strRefusal.empty() ? "The remote's pad is full." : strRefusal));
        return;
    }
    const std::vector<SExchangeCode> codes{{strName, durations}};
    ApplyPlan(doc, *pRemote, PlanPlaces(*doc.m_pRemotes, *pRemote, pRemote->m_nStyle, codes), codes,
              GetMachineNanosPerSample(m_session.GetEngine().GetDevice()));
}
