#include "ui/CDeleteRemoteDlg.h"

#include "ui/CDisplayOrder.h"
#include "ui/DialogParts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>

CDeleteRemoteDlg::CDeleteRemoteDlg(const CRemoteMap& remotes, QWidget* pParent)
    : QDialog(pParent), m_pNameList(new QComboBox(this))
{
    setWindowTitle(QStringLiteral("Delete Remote"));

    m_pNameList->setObjectName(QStringLiteral("name"));
    const CDisplayOrder order;
    order.FillList(*m_pNameList, order.GetSortedNames(remotes));
    m_pNameList->setCurrentIndex(0);

    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* pOkButton = pButtons->button(QDialogButtonBox::Ok);
    QPushButton* pCancelButton = pButtons->button(QDialogButtonBox::Cancel);
    pOkButton->setObjectName(QStringLiteral("ok"));
    pOkButton->setAutoDefault(false);
    pCancelButton->setObjectName(QStringLiteral("cancel"));
    pCancelButton->setDefault(true);
    connect(pButtons, &QDialogButtonBox::accepted, this, &CDeleteRemoteDlg::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &CDeleteRemoteDlg::reject);

    auto* pLayout = new QFormLayout(this);
    pLayout->addRow(QStringLiteral("&Name:"), m_pNameList);
    pLayout->addRow(pButtons);
    // "Delete Remote" in full in the title bar, rather than only as wide as the list.
    KeepTitleWhole(*this);
}

void CDeleteRemoteDlg::accept()
{
    // The list is never empty: the command is offered only while there is a remote.
    m_strName = GetListName(*m_pNameList, m_pNameList->currentIndex());
    QDialog::accept();
}
