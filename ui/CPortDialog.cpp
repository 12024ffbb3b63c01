#include "ui/CPortDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace
{
constexpr int kLastFlag = 2;

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
} // namespace

CPortDialog::CPortDialog(int nPortOption, int nInterruptFlag, const CAvailability& availability,
                         QWidget* pParent)
    : QDialog(pParent), m_pPorts(new QButtonGroup(this)), m_pInterrupts(nullptr)
{
    setObjectName(QStringLiteral("portDialog"));
    setWindowTitle(QStringLiteral("Configure Parallel Port"));
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(
        new QLabel(QStringLiteral("Which parallel port is the Halvex connected to?")));

    for (int nOption = 0; nOption < kPortCount; ++nOption)
    {
        const auto nIndex = static_cast<std::size_t>(nOption);
        auto* pRadio = new QRadioButton(kPortTable[nIndex].pszCaption);
        pRadio->setObjectName(QStringLiteral("port%1").arg(nOption + 1));
        m_pPorts->addButton(pRadio, nOption);
        auto* pDevice = new QLabel(DescribeAvailability(availability[nIndex]));
        pDevice->setObjectName(QStringLiteral("port%1Device").arg(nOption + 1));
        pDevice->setWordWrap(true);
        pDevice->setIndent(pRadio->sizeHint().height());
        pLayout->addWidget(pRadio);
        pLayout->addWidget(pDevice);
    }
    if (QAbstractButton* pChosen = m_pPorts->button(nPortOption))
        pChosen->setChecked(true);

    auto* pNote = new QLabel(QStringLiteral(
        "PLEASE NOTE:  The actual LPTx designation may vary from one computer to another.  If in "
        "doubt, refer to the Control Panel setting, and then select the option above with the "
        "appropriate port address in brackets."));
    pNote->setWordWrap(true);
    pLayout->addWidget(pNote);

    m_pInterrupts = new QCheckBox(QStringLiteral("&Disable interrupts during port I/O"));
    m_pInterrupts->setObjectName(QStringLiteral("interrupts"));
    m_pInterrupts->setTristate(true);
    m_pInterrupts->setCheckState(nInterruptFlag >= 0 && nInterruptFlag <= kLastFlag
                                     ? static_cast<Qt::CheckState>(nInterruptFlag)
                                     : Qt::Unchecked);
    m_pInterrupts->setEnabled(false);
    m_pInterrupts->hide();
    pLayout->addWidget(m_pInterrupts);

    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    pButtons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ok"));
    pButtons->button(QDialogButtonBox::Ok)->setDefault(true);
    pButtons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancel"));
    connect(pButtons, &QDialogButtonBox::accepted, this, &CPortDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &CPortDialog::reject);
    pLayout->addWidget(pButtons);
    // About as wide as the port's note was meant to be read, with room for a device's path.
    setMinimumWidth(fontMetrics().averageCharWidth() * 60);
}

int CPortDialog::GetPortOption() const
{
    return m_pPorts->checkedId();
}

int CPortDialog::GetInterruptFlag() const
{
    return static_cast<int>(m_pInterrupts->checkState());
}
