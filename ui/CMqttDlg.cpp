#include "ui/CMqttDlg.h"

#include "ui/DialogParts.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{
QLineEdit* MakeField(const QString& strText, const QString& strHint, const char* pszName)
{
    auto* pField = new QLineEdit(strText);
    pField->setObjectName(pszName);
    pField->setPlaceholderText(strHint);
    pField->setMinimumWidth(300);
    return pField;
}
} // namespace

CMqttDlg::CMqttDlg(const SMqttConfig& config, const QString& strHostNode, CChecker check,
                   QWidget* pParent)
    : QDialog(pParent), m_config(config), m_check(std::move(check))
{
    setObjectName(QStringLiteral("mqttConfig"));
    setWindowTitle(QStringLiteral("Configure MQTT"));
    CreateControls(strHostNode);
}

void CMqttDlg::CreateControls(const QString& strHostNode)
{
    m_pBroker = MakeField(m_config.m_strBroker, QStringLiteral("mqtt://broker.lan:1883"), "broker");
    m_pPasswordFile = MakeField(m_config.m_strPasswordFile, QStringLiteral("none"), "passwordFile");
    m_pNode = MakeField(m_config.m_strNode, strHostNode, "node");
    auto* pBrowse = new QPushButton(QStringLiteral("&Browse..."));
    pBrowse->setObjectName(QStringLiteral("browse"));
    pBrowse->setAutoDefault(false);
    connect(pBrowse, &QPushButton::clicked, this, &CMqttDlg::OnBrowse);
    m_pRefusal = MakeWrappedLabel(QString(), "refusal");
    m_pRefusal->setStyleSheet(QStringLiteral("color: #b00000"));
    m_pRefusal->hide();

    QDialogButtonBox* pButtons = MakeOkCancelButtons(*this);

    auto* pPassword = new QHBoxLayout;
    pPassword->addWidget(m_pPasswordFile, 1);
    pPassword->addWidget(pBrowse);
    auto* pPasswordLabel = new QLabel(QStringLiteral("&Password file:"));
    pPasswordLabel->setBuddy(m_pPasswordFile);
    auto* pFields = new QFormLayout;
    pFields->addRow(QStringLiteral("B&roker:"), m_pBroker);
    pFields->addRow(pPasswordLabel, pPassword);
    pFields->addRow(QStringLiteral("&Node name:"), m_pNode);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(MakeWrappedLabel(
        // The word joiner keeps the topic on one line.
        QStringLiteral("On the broker every button that can fire has a press topic under "
                       "quorbit/\u2060NODE, and a home-automation hub finds them by itself. "
                       "Leave the broker empty to keep Quorbit off MQTT. A password file must be "
                       "private to you (chmod 600)."),
        "explanation"));
    pLayout->addLayout(pFields);
    pLayout->addWidget(m_pRefusal);
    pLayout->addWidget(pButtons);
    setMinimumWidth(460);
}

void CMqttDlg::OnBrowse()
{
    const QString strCurrent = m_pPasswordFile->text();
    const QString strFolder =
        strCurrent.isEmpty() ? QDir::homePath() : QFileInfo(strCurrent).absolutePath();
    const QString strPath =
        QFileDialog::getOpenFileName(this, QStringLiteral("Password File"), strFolder);
    if (!strPath.isEmpty())
        m_pPasswordFile->setText(strPath);
}

void CMqttDlg::accept()
{
    const SMqttConfig config{m_pBroker->text().trimmed(), m_pPasswordFile->text().trimmed(),
                             m_pNode->text().trimmed()};
    const QString strRefusal = config.IsOff() ? QString() : m_check(config);
    if (!strRefusal.isEmpty())
    {
        m_pRefusal->setText(QStringLiteral("Quorbit cannot join that broker: %1.").arg(strRefusal));
        m_pRefusal->show();
        return;
    }
    m_config = config;
    QDialog::accept();
}
