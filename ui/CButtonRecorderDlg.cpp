#include "ui/CButtonRecorderDlg.h"

#include "base/CStringTable.h"
#include "device/CDeviceFactory.h"
#include "device/CInfraredDevice.h"
#include "document/CRemoteButton.h"
#include "engine/CFiringEngine.h"
#include "ui/CDialogMetrics.h"
#include "ui/EventFormat.h"
#include "ui/PlaceWindowOnScreen.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

namespace
{
constexpr Qt::WindowFlags kRecorderFlags = Qt::Dialog | Qt::CustomizeWindowHint |
                                           Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                           Qt::WindowCloseButtonHint;

// The layout in dialog units; the note about the simulated unit adds lines at the bottom.
constexpr QSize kClientSize(186, 61);
constexpr int kSimulatedNoteHeight = 30;
const QRect kPromptRect(10, 5, 170, 17);
const QRect kWaitingRect(10, 30, 170, 8);
const QRect kCancelRect(70, 45, 50, 14);
const QRect kSimulatedNoteRect(10, 63, 170, 24);

// The longest the detector is waited on between two passes of the message pump: the windows
// stay lively. A unit on a port is read in a burst of some milliseconds instead, and the
// line's fall is nearly always read at once rather than after a pass of the pump.
constexpr int kWaitPerPumpMs = 20;

QLabel* AddLabel(QWidget* pParent, const char* pszName, const QString& strText)
{
    auto* pLabel = new QLabel(strText, pParent);
    pLabel->setObjectName(QString::fromLatin1(pszName));
    pLabel->setTextFormat(Qt::PlainText);
    pLabel->setWordWrap(true);
    return pLabel;
}
} // namespace

CButtonRecorderDlg::CButtonRecorderDlg(CRemoteButton& button, CFiringEngine& engine,
                                       CInfraredDevice& device, int& nLeft, int& nTop,
                                       QWidget* pOwner)
    : QDialog(pOwner, kRecorderFlags), m_button(button), m_engine(engine), m_device(device),
      m_nLeft(nLeft), m_nTop(nTop)
{
    setObjectName(QStringLiteral("buttonRecorder"));
    setWindowTitle(QStringLiteral("Button Recorder"));
    CreateControls(FindSimulatedRemote(device) != nullptr);
}

void CButtonRecorderDlg::CreateControls(bool bSimulatedUnit)
{
    const CDialogMetrics units(fontMetrics());
    const int nHeight = kClientSize.height() + (bSimulatedUnit ? kSimulatedNoteHeight : 0);
    setFixedSize(units.ToPixelsX(kClientSize.width()), units.ToPixelsY(nHeight));

    const std::string strPrompt =
        FormatString(StringId::kRecorderPrompt, m_button.GetDisplayText());
    AddLabel(this, "prompt", ToDisplayString(strPrompt))->setGeometry(units.ToPixels(kPromptRect));
    AddLabel(this, "waiting", QStringLiteral("Waiting for infrared signal..."))
        ->setGeometry(units.ToPixels(kWaitingRect));
    if (bSimulatedUnit)
    {
        AddLabel(this, "simulatedNote",
                 QStringLiteral("No infrared unit is attached: the simulated unit's remote "
                                "presses the button for you about a second after this window "
                                "opens."))
            ->setGeometry(units.ToPixels(kSimulatedNoteRect));
    }

    auto* pCancel = new QPushButton(QStringLiteral("Cancel"), this);
    pCancel->setObjectName(QStringLiteral("cancel"));
    // Enter must not end the wait: no button is the default.
    pCancel->setAutoDefault(false);
    pCancel->setGeometry(units.ToPixels(kCancelRect));
    connect(pCancel, &QPushButton::clicked, this, &CButtonRecorderDlg::reject);
}

void CButtonRecorderDlg::showEvent(QShowEvent* pEvent)
{
    QDialog::showEvent(pEvent);
    if (!m_bPlaced)
        PlaceOverOwner();
    m_bPlaced = true;
}

void CButtonRecorderDlg::PlaceOverOwner()
{
    const QWidget* pOwner = parentWidget();
    if (m_nLeft == kNoStoredPosition && pOwner)
    {
        // Inner corners, as every stored position is: the frames are alike.
        const QRect owner = pOwner->geometry();
        const QRect own = geometry();
        m_nLeft = owner.left() + (owner.width() - own.width()) / 2;
        m_nTop = owner.top() + (owner.height() - own.height()) / 2;
    }
    if (m_nLeft != kNoStoredPosition)
        PlaceWindowOnScreen(*this, m_nLeft, m_nTop);
}

bool CButtonRecorderDlg::RecordButton()
{
    show();
    // A quit asked for while the person is pressing is held until the recording is over:
    // closing the windows now would pull the button from under it.
    QCoreApplication::instance()->installEventFilter(this);
    // A line already low is first awaited high, so that the recording starts at a fall. A
    // device that cannot learn, or fails, has told the person so, and the button stays as it was.
    const bool bRecorded = m_engine.EnableDetector(m_button) && WaitForLine(true) &&
                           WaitForLine(false) && m_engine.Learn(m_button, kBitstreamBytes);
    m_engine.EndLearning();
    m_nLeft = geometry().left();
    m_nTop = geometry().top();
    hide();
    QCoreApplication::instance()->removeEventFilter(this);
    if (m_bQuitHeld)
        QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
    return bRecorded;
}

bool CButtonRecorderDlg::WaitForLine(bool bHigh)
{
    m_nState = kWaiting;
    while (m_nState == kWaiting)
    {
        if (m_device.WaitForDetectorLine(bHigh, kWaitPerPumpMs))
            m_nState = kLineSeen;
        // The device failed while watched: the recording says why.
        else if (!m_device.GetLastFault().empty())
            m_nState = kLineSeen;
        else
            m_engine.PumpWaitMessages(0);
    }
    return m_nState == kLineSeen;
}

void CButtonRecorderDlg::reject()
{
    m_nState = kCancelled;
}

bool CButtonRecorderDlg::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pEvent->type() != QEvent::Quit)
        return QDialog::eventFilter(pWatched, pEvent);
    m_bQuitHeld = true;
    return true;
}
