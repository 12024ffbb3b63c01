#include "ui/CDeleteRemoteDlg.h"

#include "ui/EventFormat.h"

#include <QCollator>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>

#include <algorithm>
#include <vector>

namespace
{
// Names in the order a person reads them: letter case aside, by the locale's rules.
std::vector<std::string> GetSortedNames(const CRemoteMap& remotes)
{
    std::vector<std::string> names;
    for (const auto& [strName, pRemote] : remotes)
        names.push_back(strName);
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(),
              [&collator](const std::string& a, const std::string& b)
              {
                  const int nOrder = collator.compare(ToDisplayString(a), ToDisplayString(b));
                  return nOrder != 0 ? nOrder < 0 : a < b;
              });
    return names;
}
} // namespace

CDeleteRemoteDlg::CDeleteRemoteDlg(const CRemoteMap& remotes, QWidget* pParent)
    : QDialog(pParent), m_pNameList(new QComboBox(this))
{
    setWindowTitle(QStringLiteral("Delete Remote"));

    m_pNameList->setObjectName(QStringLiteral("name"));
    for (const std::string& strName : GetSortedNames(remotes))
        m_pNameList->addItem(ToDisplayString(strName), QByteArray::fromStdString(strName));
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
    pLayout->setSizeConstraint(QLayout::SetFixedSize);
}

void CDeleteRemoteDlg::accept()
{
    // The list is never empty: the command is offered only while there is a remote.
    m_strName = m_pNameList->currentData().toByteArray().toStdString();
    QDialog::accept();
}
