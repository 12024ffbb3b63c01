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
      m_pStyleList(new QComboBox(this)), m_pNameInUse(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Add Remote"));

    m_pNameEdit->setObjectName(QStringLiteral("name"));
    m_pNameEdit->setMaxLength(static_cast<int>(kMaxRemoteName));
    m_pNameEdit->setValidator(CreateDocumentTextValidator(m_pNameEdit));
    connect(m_pNameEdit, &QLineEdit::textChanged, this, &CAddRemoteDlg::OnNameChanged);

    m_pStyleList->setObjectName(QStringLiteral("style"));
    for (const SRemoteStyle& style : kRemoteStyles)
        m_pStyleList->addItem(style.pszText);
    m_pStyleList->setCurrentIndex(m_nStyle);

    m_pNameInUse->setObjectName(QStringLiteral("nameInUse"));
    m_pNameInUse->setWordWrap(true);
    m_pNameInUse->hide();

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
    pLayout->addRow(m_pNameInUse);
    pLayout->addRow(pButtons);
    pLayout->setSizeConstraint(QLayout::SetFixedSize);
}

void CAddRemoteDlg::OnNameChanged(const QString& strText)
{
    // A second remote of the same name would take the first one's place in the document.
    const bool bInUse = m_remotes.count(ToDocumentString(strText)) != 0;
    m_pNameInUse->setText(
        QString::fromStdString(FormatString(StringId::kRemoteNameInUse, strText.toStdString())));
    m_pNameInUse->setVisible(bInUse);
    m_pOkButton->setEnabled(!strText.isEmpty() && !bInUse);
}

void CAddRemoteDlg::accept()
{
    m_strName = ToDocumentString(m_pNameEdit->text());
    m_nStyle = m_pStyleList->currentIndex();
    QDialog::accept();
}
