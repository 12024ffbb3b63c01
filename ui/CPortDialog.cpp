#include "ui/CPortDialog.h"

#include "ui/DialogParts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace
{
constexpr int kLastFlag = 2;
// Choice ids: the ports are 0 to 2 (their options), then the simulated unit, then the lirc
// devices.
constexpr int kSimulatedId = kPortCount;
constexpr int kLircId = kSimulatedId + 1;
constexpr std::string_view kLircPrefix = CLircDevice::kBackendPrefix;

QString DescribeAvailability(const SPortAvailability& availability)
{
    const QString strDevice = QString::fromStdString(availability.strDevice);
    switch (availability.nState)
    {
    case EPortAvailability::Available:
        return QStringLiteral("Served here by %1.").arg(strDevice);
    case EPortAvailability::NoPermission:
        return QStringLiteral("%1 is here, but you may not open it: join the group %2 and log "
                              "in again.")
            .arg(strDevice, QString::fromStdString(availability.strGroup));
    case EPortAvailability::NoDevice:
        return QStringLiteral("The kernel drives this port, but %1 is missing: load the ppdev "
                              "module.")
            .arg(strDevice);
    case EPortAvailability::NoPort:
        return QStringLiteral("No parallel port at this address here.");
    case EPortAvailability::NoDriver:
        break;
    }
    return QStringLiteral("No parallel port here: no parallel port driver is loaded "
                          "(parport_pc).");
}

QString DescribeLircDevice(const SLircAvailability& device)
{
    if (!device.bUsable)
    {
        QString strReason = QString::fromStdString(device.strReason);
        strReason[0] = strReason[0].toUpper();
        return strReason + '.';
    }
    if (device.bCanSend && device.bCanReceive)
        return QStringLiteral("Sends and receives: buttons can be learned and fired.");
    return device.bCanSend
               ? QStringLiteral("Sends only: buttons can be fired, not learned, through it.")
               : QStringLiteral("Receives only: buttons can be learned, not fired, through it.");
}

QLabel* AddNote(QVBoxLayout* pLayout, const QString& strText, int nIndent)
{
    auto* pNote = new QLabel(strText);
    pNote->setWordWrap(true);
    pNote->setIndent(nIndent);
    pLayout->addWidget(pNote);
    return pNote;
}
} // namespace

CPortDialog::CPortDialog(int nPortOption, int nInterruptFlag, const CAvailability& availability,
                         QWidget* pParent, const std::vector<SLircAvailability>& lircDevices,
                         const std::string& strBackend)
    : QDialog(pParent), m_pUnits(new QButtonGroup(this)), m_pInterrupts(nullptr),
      m_nPortOption(nPortOption), m_availability(availability)
{
    setObjectName(QStringLiteral("portDialog"));
    setWindowTitle(QStringLiteral("Configure Infrared Unit"));
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(MakeWrappedLabel(
        QStringLiteral("Which infrared unit does Quorbit send and learn through?"), "question"));

    AddChoice(pLayout, kSimulatedId, QStringLiteral("simulated"),
              QStringLiteral("&Simulated infrared unit"),
              QStringLiteral("No hardware: its remote presses the buttons you learn, and what "
                             "it fires goes nowhere."));
    AddPorts(pLayout);
    AddLircDevices(pLayout, lircDevices);
    Choose(nPortOption, strBackend);

    m_pInterrupts = new QCheckBox(QStringLiteral("&Disable interrupts during port I/O"));
    m_pInterrupts->setObjectName(QStringLiteral("interrupts"));
    m_pInterrupts->setTristate(true);
    m_pInterrupts->setCheckState(nInterruptFlag >= 0 && nInterruptFlag <= kLastFlag
                                     ? static_cast<Qt::CheckState>(nInterruptFlag)
                                     : Qt::Unchecked);
    m_pInterrupts->setEnabled(false);
    m_pInterrupts->hide();
    pLayout->addWidget(m_pInterrupts);
    m_pRefusal = MakeRefusalLabel();
    pLayout->addWidget(m_pRefusal);

    QDialogButtonBox* pButtons = MakeOkCancelButtons(*this);
    pLayout->addWidget(pButtons);
    // About as wide as the port's note was meant to be read, with room for a device's path.
    setMinimumWidth(fontMetrics().averageCharWidth() * 60);
    FitOnScreen(*this, pButtons);
}

void CPortDialog::AddChoice(QVBoxLayout* pLayout, int nId, const QString& strName,
                            const QString& strCaption, const QString& strNote)
{
    auto* pRadio = new QRadioButton(strCaption);
    pRadio->setObjectName(strName);
    m_pUnits->addButton(pRadio, nId);
    pLayout->addWidget(pRadio);
    AddNote(pLayout, strNote, pRadio->sizeHint().height())->setObjectName(strName + "Device");
}

void CPortDialog::AddPorts(QVBoxLayout* pLayout)
{
    pLayout->addSpacing(fontMetrics().height() / 2);
    pLayout->addWidget(new QLabel(QStringLiteral("On a parallel port:")));
    for (int nOption = 0; nOption < kPortCount; ++nOption)
    {
        const auto nIndex = static_cast<std::size_t>(nOption);
        AddChoice(pLayout, nOption, QStringLiteral("port%1").arg(nOption + 1),
                  kPortTable[nIndex].pszCaption, DescribeAvailability(m_availability[nIndex]));
    }
    AddNote(pLayout,
            QStringLiteral("The LPT number of a port may vary from one computer to another. If "
                           "in doubt, choose by the port's address in brackets: the kernel lists "
                           "the address of each port it drives in /proc/sys/dev/parport."),
            0);
}

void CPortDialog::AddLircDevices(QVBoxLayout* pLayout,
                                 const std::vector<SLircAvailability>& devices)
{
    pLayout->addSpacing(fontMetrics().height() / 2);
    pLayout->addWidget(
        new QLabel(QStringLiteral("USB, GPIO or built-in infrared devices (lirc):")));
    if (devices.empty())
        AddNote(pLayout, QStringLiteral("None on this computer."), 0)
            ->setObjectName(QStringLiteral("noLirc"));
    for (std::size_t nDevice = 0; nDevice < devices.size(); ++nDevice)
    {
        const SLircAvailability& device = devices[nDevice];
        AddNote(pLayout,
                QStringLiteral("%1: %2").arg(QString::fromStdString(device.strPath),
                                             DescribeLircDevice(device)),
                0)
            ->setObjectName(QStringLiteral("lirc%1Device").arg(nDevice));
    }
    auto* pRadio = new QRadioButton(QStringLiteral("&Lirc devices, the emitter firing and the "
                                                   "receiver learning:"));
    pRadio->setObjectName(QStringLiteral("lirc"));
    m_pUnits->addButton(pRadio, kLircId);
    pLayout->addWidget(pRadio);
    m_pEmitter = AddRoleList(pLayout, QStringLiteral("&Emitter:"), "emitter", devices, true);
    m_pReceiver = AddRoleList(pLayout, QStringLiteral("&Receiver:"), "receiver", devices, false);
    pRadio->setEnabled(m_pEmitter->isEnabled() || m_pReceiver->isEnabled());
}

// The usable devices that can take the role, the first chosen as the command line's plain
// "lirc" chooses it; choosing one chooses the lirc devices as the unit.
QComboBox* CPortDialog::AddRoleList(QVBoxLayout* pLayout, const QString& strCaption,
                                    const char* pszName,
                                    const std::vector<SLircAvailability>& devices, bool bSender)
{
    auto* pList = new QComboBox;
    pList->setObjectName(pszName);
    for (const SLircAvailability& device : devices)
        if (device.bUsable && (bSender ? device.bCanSend : device.bCanReceive))
            pList->addItem(QString::fromStdString(device.strPath));
    if (pList->count() == 0)
    {
        pList->addItem(bSender ? QStringLiteral("none: buttons cannot be fired")
                               : QStringLiteral("none: buttons cannot be learned"));
        pList->setEnabled(false);
    }
    connect(pList, &QComboBox::activated, this, [this] { m_pUnits->button(kLircId)->click(); });
    auto* pRow = new QFormLayout;
    pRow->setContentsMargins(QRadioButton().sizeHint().height(), 0, 0, 0);
    auto* pLabel = new QLabel(strCaption);
    pLabel->setBuddy(pList);
    pRow->addRow(pLabel, pList);
    pLayout->addLayout(pRow);
    return pList;
}

void CPortDialog::Choose(int nPortOption, const std::string& strBackend)
{
    int nId = IsValidPort(nPortOption + 1) ? nPortOption : -1;
    if (strBackend == "sim")
        nId = kSimulatedId;
    else if (strBackend.starts_with(kLircPrefix))
    {
        nId = kLircId;
        ChooseLircDevices(strBackend.substr(kLircPrefix.size()));
    }
    if (QAbstractButton* pChosen = m_pUnits->button(nId))
        pChosen->setChecked(true);
}

// "EMITTER,RECEIVER", or one device doing what it can.
void CPortDialog::ChooseLircDevices(const std::string& strPaths)
{
    const std::size_t nComma = strPaths.find(',');
    const QString strEmitter = QString::fromStdString(strPaths.substr(0, nComma));
    const QString strReceiver = nComma == std::string::npos
                                    ? strEmitter
                                    : QString::fromStdString(strPaths.substr(nComma + 1));
    for (auto [pList, strPath] : {std::pair{m_pEmitter, strEmitter}, {m_pReceiver, strReceiver}})
        if (const int nIndex = pList->findText(strPath); nIndex >= 0)
            pList->setCurrentIndex(nIndex);
}

int CPortDialog::GetPortOption() const
{
    const int nId = m_pUnits->checkedId();
    return nId < kPortCount ? nId : m_nPortOption;
}

int CPortDialog::GetInterruptFlag() const
{
    return static_cast<int>(m_pInterrupts->checkState());
}

std::string CPortDialog::GetBackend() const
{
    const int nId = m_pUnits->checkedId();
    if (nId == kSimulatedId)
        return "sim";
    if (nId != kLircId)
        return {};
    QStringList paths;
    if (m_pEmitter->isEnabled())
        paths << m_pEmitter->currentText();
    if (m_pReceiver->isEnabled() && !paths.contains(m_pReceiver->currentText()))
        paths << m_pReceiver->currentText();
    const QString strPaths = paths.join(',');
    return std::string(kLircPrefix) + strPaths.toStdString();
}

// A port that is not there would be kept and quietly passed over at the next start.
void CPortDialog::accept()
{
    const int nId = m_pUnits->checkedId();
    if (nId >= 0 && nId < kPortCount)
    {
        const SPortAvailability& port = m_availability[static_cast<std::size_t>(nId)];
        if (port.nState != EPortAvailability::Available)
        {
            const QString strPort =
                QString(kPortTable[static_cast<std::size_t>(nId)].pszCaption).remove('&');
            ShowGrown(*m_pRefusal, QStringLiteral("%1 cannot be chosen: %2")
                                       .arg(strPort.simplified(), DescribeAvailability(port)));
            return;
        }
    }
    QDialog::accept();
}
