#include "ui/CNewFromCodeDlg.h"

#include "signal/ExchangeText.h"
#include "signal/ProtocolTable.h"
#include "ui/DialogParts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace
{
// False when the field holds no number. One beyond 32 bits fits no protocol's field: it is
// read as a number too wide (bTooWide), not as no number.
bool ReadNumber(const QLineEdit& field, std::uint32_t& nValue, bool& bTooWide)
{
    std::uint64_t nWide = 0;
    const std::string strText = field.text().trimmed().toStdString();
    if (!ParseNumber(strText, nWide, false))
        return false;
    bTooWide = bTooWide || nWide > 0xFFFFFFFFu;
    nValue = static_cast<std::uint32_t>(nWide);
    return true;
}

QString FormatNumber(std::uint32_t nValue)
{
    return QStringLiteral("0x") + QString::number(nValue, 16).toUpper().rightJustified(2, '0');
}

QLineEdit* AddField(QFormLayout& layout, const char* pszLabel, const char* pszName,
                    const QString& strText)
{
    auto* pField = new QLineEdit(strText);
    pField->setObjectName(QString::fromLatin1(pszName));
    layout.addRow(QString::fromLatin1(pszLabel), pField);
    return pField;
}
} // namespace

CNewFromCodeDlg::CNewFromCodeDlg(QWidget* pParent) : QDialog(pParent)
{
    setObjectName(QStringLiteral("newFromCode"));
    setWindowTitle(QStringLiteral("New from Code"));
    auto* pLayout = new QFormLayout(this);
    m_pProtocol = new QComboBox;
    m_pProtocol->setObjectName(QStringLiteral("protocol"));
    for (const SProtocolForm& form : GetProtocolForms())
        m_pProtocol->addItem(QString::fromLatin1(form.pRow->pszName),
                             static_cast<int>(form.pRow->eProtocol));
    pLayout->addRow(QStringLiteral("&Protocol:"), m_pProtocol);
    m_pAddress = AddField(*pLayout, "&Address:", "address", QStringLiteral("0x00"));
    m_pCommand = AddField(*pLayout, "&Command:", "command", QStringLiteral("0x00"));
    m_pMaker = AddField(*pLayout, "&Maker (Kaseikyo):", "maker", QStringLiteral("0x2002"));
    m_pProblem = new QLabel;
    m_pProblem->setObjectName(QStringLiteral("problem"));
    m_pProblem->setWordWrap(true);
    pLayout->addRow(m_pProblem);
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    pLayout->addRow(pButtons);
    connect(pButtons, &QDialogButtonBox::accepted, this, &CNewFromCodeDlg::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &CNewFromCodeDlg::reject);
}

void CNewFromCodeDlg::StartFrom(const SDecodedSignal& code)
{
    const int nIndex = m_pProtocol->findData(static_cast<int>(code.eProtocol));
    if (code.eProtocol == EProtocol::kUnknown || nIndex < 0)
        return;
    m_pProtocol->setCurrentIndex(nIndex);
    m_pAddress->setText(FormatNumber(code.nAddress));
    m_pCommand->setText(FormatNumber(code.nCommand));
    if (code.eProtocol == EProtocol::kKaseikyo)
        m_pMaker->setText(FormatNumber(code.nMaker));
}

bool CNewFromCodeDlg::AskSignal(SEncodedSignal& encoded)
{
    if (exec() != QDialog::Accepted)
        return false;
    encoded = m_encoded;
    return true;
}

// The dialog stays open, saying what is wrong, until the code fits its protocol.
void CNewFromCodeDlg::accept()
{
    SDecodedSignal code;
    code.eProtocol = static_cast<EProtocol>(m_pProtocol->currentData().toInt());
    const SProtocolForm& form = *FindProtocolForm(code.eProtocol);
    const bool bKaseikyo = code.eProtocol == EProtocol::kKaseikyo;
    bool bTooWide = false;
    if (!ReadNumber(*m_pAddress, code.nAddress, bTooWide) ||
        !ReadNumber(*m_pCommand, code.nCommand, bTooWide) ||
        (bKaseikyo && !ReadNumber(*m_pMaker, code.nMaker, bTooWide)))
    {
        ShowGrown(*m_pProblem, QStringLiteral("Give numbers, decimal or 0x hexadecimal."));
        return;
    }
    // An address wider than the device field is the protocol's extended form.
    code.bExtended = form.pRow->cSubdeviceDefault != 0 && code.nAddress >> form.nDeviceBits != 0;
    if (bTooWide || !EncodeSignal(code, m_encoded))
    {
        ShowGrown(*m_pProblem, QStringLiteral("The address or command is too wide for %1.")
                                   .arg(QString::fromLatin1(form.pRow->pszName)));
        return;
    }
    m_code = code;
    QDialog::accept();
}
