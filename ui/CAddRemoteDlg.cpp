#include "ui/CAddRemoteDlg.h"

#include "base/CStringTable.h"
#include "ui/DocumentText.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CAddRemoteDlg::CAddRemoteDlg(const CRemoteMap& remotes, QWidget* pParent)
    : QDialog(pParent), m_pNameEdit(new QLineEdit(this)), m_pOkButton(nullptr), m_remotes(remotes),
      m_pStyleList(new QComboBox(this)), m_pNameProblem(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Add Remote"));

    m_pNameEdit->setObjectName(QStringLiteral("name"));
    connect(m_pNameEdit, &QLineEdit::textChanged, this, &CAddRemoteDlg::OnNameChanged);

    m_pStyleList->setObjectName(QStringLiteral("style"));
    for (const SRemoteStyle& style : kRemoteStyles)
        m_pStyleList->addItem(style.pszText);
    m_pStyleList->setCurrentIndex(m_nStyle);

    m_pNameProblem->setObjectName(QStringLiteral("nameProblem"));
    m_pNameProblem->setTextFormat(Qt::PlainText);
    m_pNameProblem->setWordWrap(true);
    m_pNameProblem->hide();

    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_pOkButton = pButtons->button(QDialogButtonBox::Ok);
    m_pOkButton->setObjectName(QStringLiteral("ok"));
    m_pOkButton->setDefault(true);
    m_pOkButton->setEnabled(false);
    pButtons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancel"));
    connect(pButtons, &QDialogButtonBox::accepted, this, &CAddRemoteDlg::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &CAddRemoteDlg::reject);

    auto* pLayout = new QFormLayout(this);
    pLayout->addRow(QStringLiteral("&Name:"), m_pNameEdit);
    pLayout->addRow(QStringLiteral("&Style:"), m_pStyleList);
    pLayout->addRow(m_pNameProblem);
    pLayout->addRow(pButtons);
    pLayout->setSizeConstraint(QLayout::SetFixedSize);
}

// What is wrong with a name, or nothing. The name is kept as typed, so that the person sees
// what to change.
QString CAddRemoteDlg::GetNameProblem(const QString& strText) const
{
    const QString strUnstorable = FindUnstorableCharacter(strText);
    if (!strUnstorable.isEmpty())
    {
        const QString strShown =
            strUnstorable.front().isPrint()
                ? "\u201c" + strUnstorable + "\u201d"
                : QStringLiteral("U+%1").arg(strUnstorable.toUcs4().front(), 4, 16, QChar('0'));
        return strShown + " cannot be stored in a Quorbit document, whose names hold only "
                          "Western European letters and signs.";
    }
    // A field that stopped taking characters would leave the person guessing why.
    if (strText.size() > static_cast<qsizetype>(kMaxRemoteName))
        return QStringLiteral("Remote names can have up to %1 characters; this one has %2.")
            .arg(kMaxRemoteName)
            .arg(strText.size());
    if (!strText.isEmpty() && strText.trimmed().isEmpty())
        return QStringLiteral("A name of only spaces would show as an empty entry; please type "
                              "a name.");
    // A second remote of the same name would take the first one's place in the document.
    if (m_remotes.count(ToDocumentString(strText)) != 0)
        return QString::fromStdString(
            FormatString(StringId::kRemoteNameInUse, strText.toStdString()));
    return {};
}

void CAddRemoteDlg::OnNameChanged(const QString& strText)
{
    const QString strProblem = GetNameProblem(strText);
    m_pNameProblem->setText(strProblem);
    m_pNameProblem->setVisible(!strProblem.isEmpty());
    m_pOkButton->setEnabled(!strText.isEmpty() && strProblem.isEmpty());
}

void CAddRemoteDlg::accept()
{
    m_strName = ToDocumentString(m_pNameEdit->text());
    m_nStyle = m_pStyleList->currentIndex();
    QDialog::accept();
}
