#include "ui/CPadButton.h"

#include "document/CRemoteButton.h"
#include "ui/EventFormat.h"

namespace
{
// The longest tooltip a cell shows. Descriptions are shorter; one from a damaged file is cut.
constexpr int kMaxToolTip = 79;
} // namespace

CPadButton::CPadButton(int nColumn, int nRow, QWidget* pParent)
    : QPushButton(pParent), m_nColumn(nColumn), m_nRow(nRow)
{
    setObjectName(GetObjectName(GetId()));
    // A cell is only a little wider than two letters of the window's font.
    QFont cellFont = font();
    cellFont.setPointSizeF(cellFont.pointSizeF() * 0.8);
    setFont(cellFont);
    // Enter must not fire whichever cell last had the focus.
    setAutoDefault(false);
}

void CPadButton::Bind(CRemoteButton* pButton, bool bChoosingCell)
{
    m_pButton = pButton;
    setVisible(bChoosingCell || pButton);
    setEnabled(bChoosingCell || (pButton && pButton->GetFiringLength() != 0));
    // An ampersand in a name is a character, not a mnemonic.
    setText(pButton ? ToDisplayString(pButton->m_strName).replace('&', "&&") : QString());
    setToolTip(pButton ? ToDisplayString(pButton->m_strDescription).left(kMaxToolTip) : QString());
}

QString CPadButton::GetObjectName(int nId)
{
    return QStringLiteral("cell%1").arg(nId);
}
