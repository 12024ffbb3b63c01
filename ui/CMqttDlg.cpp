#include "ui/CMqttDlg.h"

#include "ui/DialogParts.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace
{
constexpr std::string_view kScheme = "://";

QLineEdit* MakeField(const QString& strText, const QString& strHint, const char* pszName)
{
    auto* pField = new QLineEdit(strText);
    pField->setObjectName(pszName);
    pField->setPlaceholderText(strHint);
    pField->setMinimumWidth(300);
    return pField;
}

// Where the user sits in a broker's address: after the scheme, up to the last '@' before the
// path. Empty when there is none.
std::pair<qsizetype, qsizetype> FindUser(const QString& strBroker)
{
    const qsizetype nStart = strBroker.indexOf(QLatin1StringView(kScheme));
    if (nStart < 0)
        return {0, 0};
    const qsizetype nUser = nStart + static_cast<qsizetype>(kScheme.size());
    const qsizetype nAt = strBroker.left(strBroker.indexOf('/', nUser)).lastIndexOf('@');
    return {nUser, nAt < nUser ? nUser : nAt};
}

// "mqtt://living-room@broker.lan" shows as the user "living-room" and "mqtt://broker.lan".
QString TakeUser(QString& strBroker)
{
    const auto [nUser, nAt] = FindUser(strBroker);
    if (nAt == nUser)
        return QString();
    const QString strUser = QUrl::fromPercentEncoding(strBroker.mid(nUser, nAt - nUser).toUtf8());
    strBroker.remove(nUser, nAt - nUser + 1);
    return strUser;
}

QString PutUser(const QString& strBroker, const QString& strUser)
{
    const auto [nUser, nAt] = FindUser(strBroker);
    if (strUser.isEmpty() || nAt != nUser || nUser == 0)
        return strBroker;
    return strBroker.left(nUser) + QString::fromUtf8(QUrl::toPercentEncoding(strUser)) + '@' +
           strBroker.mid(nUser);
}
} // namespace

CMqttDlg::CMqttDlg(const SMqttConfig& config, const QString& strHostNode, SHelpers helpers,
                   const QString& strDefaultPasswordFile, QWidget* pParent)
    : QDialog(pParent), m_config(config), m_helpers(std::move(helpers)),
      m_strDefaultPasswordFile(strDefaultPasswordFile)
{
    setObjectName(QStringLiteral("mqttConfig"));
    setWindowTitle(QStringLiteral("Configure MQTT"));
    CreateControls(strHostNode);
    ShowConfig();
}

void CMqttDlg::CreateControls(const QString& strHostNode)
{
    m_pBroker = MakeField(QString(), QStringLiteral("mqtt://broker.lan:1883"), "broker");
    m_pUser = MakeField(QString(), QStringLiteral("none"), "user");
    m_pPassword = MakeField(QString(), QStringLiteral("none"), "password");
    m_pPassword->setEchoMode(QLineEdit::Password);
    m_pPasswordFile = MakeField(QString(), m_strDefaultPasswordFile, "passwordFile");
    m_pNode = MakeField(QString(), strHostNode, "node");
    auto* pBrowse = new QPushButton(QStringLiteral("Brow&se..."));
    pBrowse->setObjectName(QStringLiteral("browse"));
    pBrowse->setAutoDefault(false);
    connect(pBrowse, &QPushButton::clicked, this, &CMqttDlg::OnBrowse);
    m_pTest = new QPushButton(QStringLiteral("&Test"));
    m_pTest->setObjectName(QStringLiteral("test"));
    m_pTest->setAutoDefault(false);
    connect(m_pTest, &QPushButton::clicked, this, &CMqttDlg::OnTest);
    m_pTestResult = MakeWrappedLabel(QString(), "testResult");
    // A result is of what was tried; a change to the fields leaves it saying nothing.
    for (QLineEdit* pField : {m_pBroker, m_pUser, m_pPassword, m_pPasswordFile, m_pNode})
        connect(pField, &QLineEdit::textChanged, m_pTestResult, &QLabel::clear);
    m_pRefusal = MakeRefusalLabel();

    auto* pPasswordFile = new QHBoxLayout;
    pPasswordFile->addWidget(m_pPasswordFile, 1);
    pPasswordFile->addWidget(pBrowse);
    auto* pFields = new QFormLayout;
    pFields->addRow(MakeBuddyLabel(QStringLiteral("&Broker:"), m_pBroker), m_pBroker);
    pFields->addRow(MakeBuddyLabel(QStringLiteral("&User name:"), m_pUser), m_pUser);
    pFields->addRow(MakeBuddyLabel(QStringLiteral("&Password:"), m_pPassword), m_pPassword);
    pFields->addRow(MakeBuddyLabel(QStringLiteral("Password &file:"), m_pPasswordFile),
                    pPasswordFile);
    pFields->addRow(MakeBuddyLabel(QStringLiteral("&Node name:"), m_pNode), m_pNode);
    auto* pTestRow = new QHBoxLayout;
    pTestRow->addWidget(m_pTest, 0, Qt::AlignTop);
    pTestRow->addWidget(m_pTestResult, 1);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(MakeWrappedLabel(
        // The word joiner keeps the topic on one line.
        QStringLiteral("On the broker every button that can fire has a press topic under "
                       "quorbit/\u2060NODE, and a home-automation hub finds them by itself. "
                       "Leave the broker empty to keep Quorbit off MQTT. The password is kept "
                       "in its file, private to you, and never in the settings."),
        "explanation"));
    pLayout->addLayout(pFields);
    pLayout->addLayout(pTestRow);
    pLayout->addWidget(m_pRefusal);
    QDialogButtonBox* pButtons = MakeOkCancelButtons(*this);
    pLayout->addWidget(pButtons);
    setMinimumWidth(460);
    FitOnScreen(*this, pButtons);
}

void CMqttDlg::ShowConfig()
{
    QString strBroker = m_config.m_strBroker;
    m_pUser->setText(TakeUser(strBroker));
    m_pBroker->setText(strBroker);
    m_pPasswordFile->setText(m_config.m_strPasswordFile);
    if (!m_config.m_strPasswordFile.isEmpty() && m_helpers.readPassword)
        m_pPassword->setText(m_helpers.readPassword(m_config.m_strPasswordFile));
    m_pNode->setText(m_config.m_strNode);
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

void CMqttDlg::OnTest()
{
    const SMqttConfig config = ReadFields();
    QString strResult = config.IsOff() ? QStringLiteral("name the broker to try") : QString();
    if (strResult.isEmpty())
        strResult = m_helpers.check(config);
    m_pTestResult->setText(QStringLiteral("Trying the broker\u2026"));
    m_pTestResult->repaint();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (strResult.isEmpty())
        strResult = m_helpers.test(config, m_pPassword->text());
    QApplication::restoreOverrideCursor();
    // A result that begins with the address typed ("mqtt://...: ...") keeps it as typed.
    if (!strResult.section(QLatin1Char(' '), 0, 0).contains(QLatin1Char(':')))
        strResult[0] = strResult[0].toUpper();
    ShowGrown(*m_pTestResult, strResult + '.');
}

SMqttConfig CMqttDlg::ReadFields() const
{
    return {PutUser(m_pBroker->text().trimmed(), m_pUser->text().trimmed()),
            m_pPasswordFile->text().trimmed(), m_pNode->text().trimmed()};
}

bool CMqttDlg::KeepPassword(SMqttConfig& config)
{
    if (!m_pPassword->isModified())
        return true;
    if (m_pPassword->text().isEmpty())
    {
        config.m_strPasswordFile.clear();
        return true;
    }
    if (config.m_strPasswordFile.isEmpty())
        config.m_strPasswordFile = m_strDefaultPasswordFile;
    const QString strError = m_helpers.keepPassword(config.m_strPasswordFile, m_pPassword->text());
    if (!strError.isEmpty())
    {
        ShowGrown(*m_pRefusal, QStringLiteral("The password cannot be kept: %1.").arg(strError));
        return false;
    }
    m_pPassword->setModified(false);
    m_pPasswordFile->setText(config.m_strPasswordFile);
    return true;
}

void CMqttDlg::accept()
{
    SMqttConfig config = ReadFields();
    if (!KeepPassword(config))
        return;
    const QString strRefusal = config.IsOff() ? QString() : m_helpers.check(config);
    if (!strRefusal.isEmpty())
    {
        ShowGrown(*m_pRefusal,
                  QStringLiteral("Quorbit cannot join that broker: %1.").arg(strRefusal));
        return;
    }
    m_config = config;
    QDialog::accept();
}
