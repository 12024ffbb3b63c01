#include "ui/CPortDialog.h"

#include "ui/DialogParts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace
{
constexpr int kLastFlag = 2;
// Choice ids: the ports are 0 to 2 (their options), then the simulated unit, then the lirc
// devices in their order.
constexpr int kSimulatedId = kPortCount;
constexpr int kFirstLircId = kSimulatedId + 1;
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
      m_nPortOption(nPortOption)
{
    setObjectName(QStringLiteral("portDialog"));
    setWindowTitle(QStringLiteral("Configure Infrared Unit"));
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(
        new QLabel(QStringLiteral("Which infrared unit does Quorbit send and learn through?")));

    AddChoice(pLayout, kSimulatedId, QStringLiteral("simulated"),
              QStringLiteral("&Simulated infrared unit"),
              QStringLiteral("No hardware: its remote presses the buttons you learn, and what "
                             "it fires goes nowhere."));
    AddPorts(pLayout, availability);
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

    QDialogButtonBox* pButtons = MakeOkCancelButtons(*this);
    pLayout->addWidget(pButtons);
    // About as wide as the port's note was meant to be read, with room for a device's path.
    setMinimumWidth(fontMetrics().averageCharWidth() * 60);
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

void CPortDialog::AddPorts(QVBoxLayout* pLayout, const CAvailability& availability)
{
    pLayout->addSpacing(fontMetrics().height() / 2);
    pLayout->addWidget(new QLabel(QStringLiteral("On a parallel port:")));
    for (int nOption = 0; nOption < kPortCount; ++nOption)
    {
        const auto nIndex = static_cast<std::size_t>(nOption);
        AddChoice(pLayout, nOption, QStringLiteral("port%1").arg(nOption + 1),
                  kPortTable[nIndex].pszCaption, DescribeAvailability(availability[nIndex]));
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
        new QLabel(QStringLiteral("A USB, GPIO or built-in infrared device (lirc):")));
    if (devices.empty())
        AddNote(pLayout, QStringLiteral("None on this computer."), 0)
            ->setObjectName(QStringLiteral("noLirc"));
    for (std::size_t nDevice = 0; nDevice < devices.size(); ++nDevice)
    {
        const SLircAvailability& device = devices[nDevice];
        const int nId = kFirstLircId + static_cast<int>(nDevice);
        AddChoice(pLayout, nId, QStringLiteral("lirc%1").arg(nDevice),
                  QString::fromStdString(device.strPath), DescribeLircDevice(device));
        m_pUnits->button(nId)->setEnabled(device.bUsable);
        m_lircPaths.push_back(device.strPath);
    }
}

void CPortDialog::Choose(int nPortOption, const std::string& strBackend)
{
    int nId = IsValidPort(nPortOption + 1) ? nPortOption : -1;
    if (strBackend == "sim")
        nId = kSimulatedId;
    else if (strBackend.starts_with(kLircPrefix))
    {
        const auto it = std::ranges::find(m_lircPaths, strBackend.substr(kLircPrefix.size()));
        nId = kFirstLircId + static_cast<int>(it - m_lircPaths.begin());
    }
    if (QAbstractButton* pChosen = m_pUnits->button(nId))
        pChosen->setChecked(true);
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
    if (nId >= kFirstLircId)
        return std::string(kLircPrefix) + m_lircPaths[static_cast<std::size_t>(nId - kFirstLircId)];
    return {};
}
