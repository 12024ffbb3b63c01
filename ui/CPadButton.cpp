#include "ui/CPadButton.h"

#include "document/CRemoteButton.h"
#include "ui/EventFormat.h"

#include <QStyleOptionButton>
#include <QStylePainter>

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
    cellFont.setPointSizeF(cellFont.pointSizeF() * 0.7);
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

void CPadButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    // A name wider than its small cell shows as many of its first letters as fit, rather than
    // its middle clipped at both ends; an ellipsis would take the room of the letters.
    const int nRoom = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).width();
    while (option.text.size() > 1 && option.fontMetrics.horizontalAdvance(option.text) > nRoom)
        option.text.chop(1);
    painter.drawControl(QStyle::CE_PushButton, option);
}

QString CPadButton::GetObjectName(int nId)
{
    return QStringLiteral("cell%1").arg(nId);
}
