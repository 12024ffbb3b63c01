#include "ui/CListCtrlEx.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace
{
// Room kept free around a cell's text: the first column's label sits closer to its icon. The
// margin is the inset on both sides.
struct STextRoom
{
    int nInset;
    int nMargin;
};

STextRoom GetTextRoom(int nColumn)
{
    return nColumn == 0 ? STextRoom{2, 4} : STextRoom{6, 12};
}

const QString kEllipsis = QStringLiteral("...");

int GetIconWidth(const QModelIndex& index, const QSize& iconSize)
{
    const QVariant icon = index.siblingAtColumn(0).data(Qt::DecorationRole);
    return icon.isValid() && !icon.isNull() ? iconSize.width() : 0;
}

// The room a cell leaves its text: the first column's icon takes its share.
int GetTextCellWidth(const QModelIndex& index, int nCellWidth, const QSize& iconSize)
{
    return index.column() == 0 ? nCellWidth - GetIconWidth(index, iconSize) : nCellWidth;
}

QString ShortenForCell(const QFontMetrics& metrics, const QModelIndex& index, int nTextWidth)
{
    return CListCtrlEx::MakeShortString(metrics, index.data(Qt::DisplayRole).toString(), nTextWidth,
                                        GetTextRoom(index.column()).nMargin);
}

// Draws one cell: the first column's icon, then the text, shortened to fit. A shortened text
// is always drawn left-aligned, so that its start stays readable in any column.
class CShortTextDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* pPainter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const bool bFirst = index.column() == 0;
        QRect cell = option.rect;
        if (bFirst)
            cell.setLeft(cell.left() + PaintIcon(pPainter, option, index));

        const QString strText = index.data(Qt::DisplayRole).toString();
        if (strText.isEmpty())
            return;
        const int nInset = GetTextRoom(index.column()).nInset;
        const QString strShort = ShortenForCell(option.fontMetrics, index, cell.width());
        Qt::Alignment nAlign = Qt::AlignLeft;
        if (!bFirst && strShort == strText)
        {
            const QVariant align = index.data(Qt::TextAlignmentRole);
            if (align.isValid())
                nAlign = Qt::Alignment(align.toInt()) & Qt::AlignHorizontal_Mask;
        }
        const QPalette::ColorRole nRole =
            (option.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text;
        pPainter->setPen(option.palette.color(nRole));
        pPainter->setFont(option.font);
        pPainter->drawText(cell.adjusted(nInset, 0, -nInset, 0),
                           int(nAlign | Qt::AlignVCenter | Qt::TextSingleLine), strShort);
    }

    // Wide enough for the whole text with its margins, so that fitting a column to its contents
    // leaves no text shortened.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const int nIcon = index.column() == 0 ? GetIconWidth(index, option.decorationSize) : 0;
        size.setWidth(nIcon + CListCtrlEx::GetTextWidth(option.fontMetrics, index.column(),
                                                        index.data(Qt::DisplayRole).toString()));
        return size;
    }

private:
    // Returns the width the icon takes from the cell.
    static int PaintIcon(QPainter* pPainter, const QStyleOptionViewItem& option,
                         const QModelIndex& index)
    {
        const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
        if (icon.isNull())
            return 0;
        const QSize size = option.decorationSize;
        const QRect rect(option.rect.left(),
                         option.rect.top() + (option.rect.height() - size.height()) / 2,
                         size.width(), size.height());
        icon.paint(pPainter, rect);
        return size.width();
    }
};
} // namespace

struct CListCtrlEx::SRowColours
{
    QColor text;
    QColor fill;
};

CListCtrlEx::CListCtrlEx(QWidget* pParent) : QTreeView(pParent)
{
    setItemDelegate(new CShortTextDelegate(this));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(20, 16));
    header()->setStretchLastSection(false);
}

bool CListCtrlEx::SetFullRowSel(bool bFullRowSel)
{
    if (m_bFullRowSel == bFullRowSel)
        return false;
    m_bFullRowSel = bFullRowSel;
    viewport()->update();
    return true;
}

void CListCtrlEx::RepaintSelectedItems()
{
    QModelIndexList rows;
    if (currentIndex().isValid())
        rows.append(currentIndex());
    if (selectionModel())
        rows += selectionModel()->selectedIndexes();
    const int nWidth = viewport()->width();
    for (const QModelIndex& index : rows)
    {
        const QRect rect = visualRect(index);
        viewport()->update(QRect(0, rect.top(), nWidth, rect.height()));
    }
}

QString CListCtrlEx::MakeShortString(const QFontMetrics& metrics, const QString& strText,
                                     int nWidth, int nMargin)
{
    if (strText.isEmpty() || metrics.horizontalAdvance(strText) + nMargin <= nWidth)
        return strText;
    // Qt finds the longest prefix that fits beside its own one-character ellipsis; the room it
    // gets is counted for the three dots the list draws instead.
    const QString strQtEllipsis(QChar(0x2026));
    const int nRoom = nWidth - nMargin - metrics.horizontalAdvance(kEllipsis) +
                      metrics.horizontalAdvance(strQtEllipsis);
    QString strPrefix = nRoom > 0 ? metrics.elidedText(strText, Qt::ElideRight, nRoom) : QString();
    // The whole text comes back when it fits beside Qt's ellipsis but not beside the dots.
    if (strPrefix.endsWith(strQtEllipsis) || strPrefix == strText)
        strPrefix.chop(1);
    // Even a cell too narrow for it keeps the first character.
    return (strPrefix.isEmpty() ? strText.left(1) : strPrefix) + kEllipsis;
}

int CListCtrlEx::GetTextWidth(const QFontMetrics& metrics, int nColumn, const QString& strText)
{
    return metrics.horizontalAdvance(strText) + GetTextRoom(nColumn).nMargin;
}

QString CListCtrlEx::GetShownText(const QModelIndex& index) const
{
    return ShortenForCell(fontMetrics(), index,
                          GetTextCellWidth(index, columnWidth(index.column()), iconSize()));
}

CListCtrlEx::SRowColours CListCtrlEx::GetRowColours(bool bSelected) const
{
    const QPalette& pal = palette();
    if (!isEnabled())
        return {pal.color(QPalette::Disabled, QPalette::Text), pal.color(QPalette::Button)};
    if (bSelected && hasFocus())
        return {pal.color(QPalette::Active, QPalette::HighlightedText),
                pal.color(QPalette::Active, QPalette::Highlight)};
    // The style's colours for a selection that is not in use just now: button face on white
    // would leave it nearly invisible.
    if (bSelected)
        return {pal.color(QPalette::Inactive, QPalette::HighlightedText),
                pal.color(QPalette::Inactive, QPalette::Highlight)};
    return {pal.color(QPalette::Text), pal.color(QPalette::Base)};
}

int CListCtrlEx::GetColumnsRight() const
{
    int nRight = 0;
    for (int nColumn = 0; nColumn < header()->count(); ++nColumn)
    {
        if (!isColumnHidden(nColumn))
            nRight = std::max(nRight, columnViewportPosition(nColumn) + columnWidth(nColumn));
    }
    return nRight;
}

void CListCtrlEx::drawRow(QPainter* pPainter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const
{
    if (!m_bFullRowSel)
    {
        QTreeView::drawRow(pPainter, option, index);
        return;
    }
    const bool bSelected =
        selectionModel() && selectionModel()->isRowSelected(index.row(), index.parent());
    const SRowColours colours = GetRowColours(bSelected);
    const int nTop = option.rect.top();
    const int nHeight = option.rect.height();
    pPainter->fillRect(QRect(0, nTop, viewport()->width(), nHeight),
                       palette().color(QPalette::Base));

    // The highlight starts at the first column's label, after its icon, and ends at the last
    // column or, when the columns are narrower than the list, at the list's right edge.
    const int nFirstLeft = columnViewportPosition(0);
    const int nLabelLeft =
        std::min(nFirstLeft + GetIconWidth(index, iconSize()), nFirstLeft + columnWidth(0));
    int nRight = GetColumnsRight();
    if (m_bClientWidthSel)
        nRight = std::max(nRight, viewport()->width());
    const QRect highlight(nLabelLeft, nTop, nRight - nLabelLeft, nHeight);
    pPainter->fillRect(highlight, colours.fill);

    for (int nColumn = 0; nColumn < header()->count(); ++nColumn)
    {
        if (isColumnHidden(nColumn))
            continue;
        const QModelIndex cellIndex = index.siblingAtColumn(nColumn);
        QStyleOptionViewItem cell = option;
        cell.rect = QRect(columnViewportPosition(nColumn), nTop, columnWidth(nColumn), nHeight);
        cell.state &= ~QStyle::State_Selected;
        cell.palette.setColor(QPalette::Text, colours.text);
        cell.decorationSize = iconSize();
        pPainter->save();
        pPainter->setClipRect(cell.rect);
        itemDelegateForIndex(cellIndex)->paint(pPainter, cell, cellIndex);
        pPainter->restore();
    }

    if (hasFocus() && currentIndex().row() == index.row())
    {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = highlight;
        focus.backgroundColor = colours.fill;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, pPainter, this);
    }
}

void CListCtrlEx::focusInEvent(QFocusEvent* pEvent)
{
    QTreeView::focusInEvent(pEvent);
    if (m_bFullRowSel)
        RepaintSelectedItems();
}

void CListCtrlEx::focusOutEvent(QFocusEvent* pEvent)
{
    QTreeView::focusOutEvent(pEvent);
    if (m_bFullRowSel)
        RepaintSelectedItems();
}

void CListCtrlEx::keyPressEvent(QKeyEvent* pEvent)
{
    if (pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter)
    {
        emit EnterPressed();
        pEvent->accept();
        return;
    }
    if (pEvent->key() == Qt::Key_Delete)
    {
        emit DeletePressed();
        pEvent->accept();
        return;
    }
    QTreeView::keyPressEvent(pEvent);
}

void CListCtrlEx::mouseDoubleClickEvent(QMouseEvent* pEvent)
{
    emit DoubleClicked();
    QTreeView::mouseDoubleClickEvent(pEvent);
}
