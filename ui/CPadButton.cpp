#include "ui/CPadButton.h"

#include "document/CRemoteButton.h"
#include "ui/EventFormat.h"
#include "ui/SignalText.h"

#include <QStyle>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace
{
// The longest tooltip a cell shows. Descriptions are shorter; one from a damaged file is cut.
constexpr int kMaxToolTip = 79;
// Pixels between a cell's edge and its name.
constexpr int kTextInset = 3;
// A name too wide for its cell is tried once more in a font this much smaller.
constexpr double kSmallerFont = 0.8;

// An ampersand in a name is a character, not a mnemonic.
QString EscapeMnemonics(QString strText)
{
    return strText.replace('&', "&&");
}

// Adds a line below the text; an empty line adds nothing.
void AppendLine(QString& strText, const QString& strLine)
{
    if (strLine.isEmpty())
        return;
    if (!strText.isEmpty())
        strText += '\n';
    strText += strLine;
}
} // namespace

CPadButton::CPadButton(int nColumn, int nRow, QWidget* pParent)
    : QPushButton(pParent), m_nColumn(nColumn), m_nRow(nRow)
{
    setObjectName(GetObjectName(GetId()));
    setFont(MakeCellFont(font()));
    // Enter must not fire whichever cell last had the focus.
    setAutoDefault(false);
}

void CPadButton::Bind(CRemoteButton* pButton, bool bChoosingCell, double dNanosPerSample,
                      int nPrefixLength)
{
    m_pButton = pButton;
    m_strShortName = pButton ? ToDisplayString(pButton->m_strName).mid(nPrefixLength) : QString();
    setVisible(bChoosingCell || pButton);
    setEnabled(bChoosingCell || (pButton && pButton->GetFiringLength() != 0));
    if (!pButton)
    {
        setText(QString());
        setToolTip(QString());
        return;
    }
    const QString strName = ToDisplayString(pButton->m_strName);
    setText(EscapeMnemonics(strName));
    // A cut name is given whole in the tooltip, above the description, and what the recording
    // carries comes below it. A cell that cannot fire is greyed already: "not learned" would
    // only repeat that.
    QString strToolTip;
    if (GetShownText() != strName)
        AppendLine(strToolTip, strName);
    AppendLine(strToolTip, ToDisplayString(pButton->m_strDescription));
    strToolTip.truncate(kMaxToolTip);
    if (pButton->m_bits.GetLength() != 0)
        AppendLine(strToolTip, DescribeButtonSignal(*pButton, dNanosPerSample));
    setToolTip(strToolTip);
}

// The style's margins are meant for wide buttons; a cell keeps only a narrow border.
int CPadButton::GetTextRoom() const
{
    return width() - 2 * kTextInset;
}

CPadButton::SShownName CPadButton::GetShownName() const
{
    const QString& strName = m_strShortName;
    const int nRoom = GetTextRoom();
    if (fontMetrics().horizontalAdvance(strName) <= nRoom)
        return {strName, font()};
    QFont smaller = font();
    smaller.setPointSizeF(smaller.pointSizeF() * kSmallerFont);
    return {QFontMetrics(smaller).elidedText(strName, Qt::ElideMiddle, nRoom), smaller};
}

void CPadButton::SetSending(bool bSending)
{
    m_bSending = bSending;
    // Painted at once: sending a plain button keeps the windows still until it is done.
    repaint();
}

void CPadButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    if (m_bSending)
    {
        option.state |= QStyle::State_Sunken | QStyle::State_On;
        option.palette.setBrush(QPalette::Button, option.palette.highlight());
        option.palette.setBrush(QPalette::ButtonText, option.palette.highlightedText());
    }
    painter.drawControl(QStyle::CE_PushButtonBevel, option);
    const SShownName shown = GetShownName();
    painter.setFont(shown.font);
    // Drawn as it is: an ampersand in a name is a character, not a mnemonic.
    style()->drawItemText(&painter, rect().adjusted(kTextInset, 0, -kTextInset, 0), Qt::AlignCenter,
                          option.palette, isEnabled(), shown.strText, QPalette::ButtonText);
}

QFont CPadButton::MakeCellFont(QFont font)
{
    font.setPointSizeF(font.pointSizeF() * 0.7);
    return font;
}

int CPadButton::GetCellWidthFor(const QFont& font, const QString& strName)
{
    return QFontMetrics(font).horizontalAdvance(strName) + 2 * kTextInset;
}

QString CPadButton::GetObjectName(int nId)
{
    return QStringLiteral("cell%1").arg(nId);
}

QString FindSharedPrefix(const QStringList& names)
{
    if (names.size() < 2)
        return {};
    qsizetype nShared = names.front().size();
    for (const QString& strName : names)
    {
        qsizetype nSame = 0;
        while (nSame < nShared && nSame < strName.size() && strName[nSame] == names.front()[nSame])
            ++nSame;
        nShared = nSame;
    }
    while (nShared > 0 && names.front()[nShared - 1].isLetterOrNumber())
        --nShared;
    for (const QString& strName : names)
    {
        if (strName.size() <= nShared)
            return {};
    }
    return names.front().left(nShared);
}
