#include "ui/CClockConfigDlg.h"

#include "device/CBiosClock.h"
#include "ui/CSpinField.h"
#include "ui/DialogParts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include <array>

namespace
{
constexpr std::array<const char*, 8> kDayTexts{"Daily",     "Sunday",   "Monday", "Tuesday",
                                               "Wednesday", "Thursday", "Friday", "Saturday"};

// Which clock the program reads, in words a person knows, and what a refresh does with it.
QString DescribeClock(const CClockBackend& backend)
{
    if (backend.IsHardwareClock())
        return QStringLiteral("Quorbit reads the hardware clock, the battery-backed clock of this "
                              "computer, and a refresh sets the system clock from it.");
    if (backend.IsSystemClock())
        return QStringLiteral("No hardware clock can be read here, so Quorbit reads the system "
                              "clock: a refresh would set it from itself and changes nothing.");
    return QStringLiteral("Quorbit runs on a simulated clock: a refresh leaves this computer's "
                          "clock as it is.");
}

QString DescribeRefresh(const CClockBackend& backend)
{
    if (backend.IsHardwareClock())
        return QStringLiteral("The system clock was set from the hardware clock.");
    if (backend.IsSystemClock())
        return QStringLiteral("Nothing to refresh: the system clock is the clock Quorbit reads.");
    return QStringLiteral("The simulated clock was read; this computer's clock was left as it "
                          "was.");
}

} // namespace

CClockConfigDlg::CClockConfigDlg(const SClockSettings& settings, CBiosClock& clock,
                                 QWidget* pParent)
    : QDialog(pParent), m_settings(settings), m_clock(clock)
{
    setObjectName(QStringLiteral("clockConfig"));
    setWindowTitle(QStringLiteral("Configure System Clock"));
    CreateControls();

    m_pMethod->setCurrentIndex(static_cast<int>(m_settings.nMethod));
    m_pHour->SetNumber(m_settings.nHour);
    m_pMinute->SetNumber(m_settings.nMinute);
    m_pDay->setCurrentIndex(static_cast<int>(m_settings.nDay));
    OnMethodChanged();
    connect(m_pMethod, &QComboBox::currentIndexChanged, this, &CClockConfigDlg::OnMethodChanged);
    connect(m_pRefreshNow, &QPushButton::clicked, this, &CClockConfigDlg::OnRefreshNow);
}

void CClockConfigDlg::CreateControls()
{
    m_pMethod = new QComboBox;
    m_pMethod->setObjectName(QStringLiteral("method"));
    m_pMethod->addItems({QStringLiteral("None"), QStringLiteral("From BIOS")});
    m_pRefreshNow = new QPushButton(QStringLiteral("Refresh &Now"));
    m_pRefreshNow->setObjectName(QStringLiteral("refreshNow"));
    m_pRefreshNow->setAutoDefault(false);
    m_pHour = new CSpinField(0, 23);
    m_pHour->setObjectName(QStringLiteral("hour"));
    m_pMinute = new CSpinField(0, 59, 2);
    m_pMinute->setObjectName(QStringLiteral("minute"));
    for (CSpinField* pField : {m_pHour, m_pMinute})
        pField->setWrapping(true);
    m_pDay = new QComboBox;
    m_pDay->setObjectName(QStringLiteral("day"));
    for (const char* pszText : kDayTexts)
        m_pDay->addItem(pszText);
    m_pRefreshResult = MakeWrappedLabel(QString(), "refreshResult");
    m_pRefreshResult->hide();

    // These set when the refresh runs, not the clock itself.
    auto* pTimeLabel = new QLabel(QStringLiteral("Refresh &at:"));
    pTimeLabel->setBuddy(m_pHour);
    auto* pColon = new QLabel(QStringLiteral(":"));
    auto* pDayLabel = new QLabel(QStringLiteral("Refresh &on:"));
    pDayLabel->setBuddy(m_pDay);
    m_schedule = {m_pRefreshNow, pTimeLabel, m_pHour, pColon, m_pMinute, pDayLabel, m_pDay};

    QDialogButtonBox* pButtons = MakeOkCancelButtons(*this);

    auto* pLayout = new QGridLayout(this);
    auto* pMethodLabel = new QLabel(QStringLiteral("Auto Refresh:"));
    pMethodLabel->setBuddy(m_pMethod);
    pLayout->addWidget(pMethodLabel, 0, 0);
    pLayout->addWidget(m_pMethod, 0, 1);
    pLayout->addWidget(m_pRefreshNow, 0, 2);
    pLayout->addWidget(pTimeLabel, 1, 0);
    auto* pTime = new QHBoxLayout;
    pTime->addWidget(m_pHour);
    pTime->addWidget(pColon);
    pTime->addWidget(m_pMinute);
    pTime->addStretch();
    pLayout->addLayout(pTime, 1, 1);
    pLayout->addWidget(pDayLabel, 2, 0);
    pLayout->addWidget(m_pDay, 2, 1);
    pLayout->addWidget(MakeWrappedLabel(DescribeClock(m_clock.GetBackend()), "clockKind"), 3, 0, 1,
                       3);
    pLayout->addWidget(m_pRefreshResult, 4, 0, 1, 3);
    pLayout->addWidget(pButtons, 5, 0, 1, 3);
    pLayout->setColumnStretch(1, 1);
    setMinimumWidth(360);
    pLayout->setSizeConstraint(QLayout::SetFixedSize);
}

void CClockConfigDlg::OnMethodChanged()
{
    const bool bRefresh = m_pMethod->currentIndex() != static_cast<int>(EClockRefreshMethod::None);
    for (QWidget* pWidget : m_schedule)
        pWidget->setEnabled(bRefresh);
}

void CClockConfigDlg::OnRefreshNow()
{
    std::string strError;
    const bool bSet = m_clock.SetClockFromBios(strError);
    m_pRefreshResult->setText(bSet ? DescribeRefresh(m_clock.GetBackend())
                                   : "Not refreshed: " + QString::fromStdString(strError));
    m_pRefreshResult->show();
}

void CClockConfigDlg::accept()
{
    // Enter ends the dialog without leaving the field being typed in; its number counts as it
    // would once the field was left.
    m_pHour->ClampToRange();
    m_pMinute->ClampToRange();
    m_settings.nMethod = static_cast<EClockRefreshMethod>(m_pMethod->currentIndex());
    m_settings.nHour = m_pHour->value();
    m_settings.nMinute = m_pMinute->value();
    m_settings.nDay = static_cast<EClockRefreshDay>(m_pDay->currentIndex());
    QDialog::accept();
}
