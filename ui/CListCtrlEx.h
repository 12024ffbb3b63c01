#pragma once

#include <QTreeView>

class QFontMetrics;

// The program's report list: rows are drawn by the control itself, so that a selected row is
// highlighted across all its columns and on to the right edge, texts too wide for their cell
// are shortened with "...", and the selection stays visible in the style's inactive highlight
// while the list does not have the focus. Subclass-free: the model supplies texts, icons and
// alignment.
class CListCtrlEx : public QTreeView
{
    Q_OBJECT

public:
    explicit CListCtrlEx(QWidget* pParent = nullptr);

    // Switches between the list's own full-row drawing and the plain per-cell drawing.
    // Returns whether anything changed.
    bool SetFullRowSel(bool bFullRowSel);
    bool GetFullRowSel() const { return m_bFullRowSel; }
    // Repaints the focused row and every selected row, as a change of focus needs.
    void RepaintSelectedItems();

    // strText as drawn in a cell nWidth pixels wide that keeps nMargin pixels free: unchanged
    // when it fits, else its longest prefix that fits followed by "...", and at least its first
    // character followed by "...".
    static QString MakeShortString(const QFontMetrics& metrics, const QString& strText, int nWidth,
                                   int nMargin);
    // The width that shows strText whole in a cell of column nColumn, without the first column's
    // icon.
    static int GetTextWidth(const QFontMetrics& metrics, int nColumn, const QString& strText);
    // The cell's text as drawn in its column now: shortened when the column is too narrow.
    QString GetShownText(const QModelIndex& index) const;

signals:
    void EnterPressed();
    void DeletePressed();
    // A double-click anywhere in the list, on a row or not.
    void DoubleClicked();

protected:
    void drawRow(QPainter* pPainter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    void focusInEvent(QFocusEvent* pEvent) override;
    void focusOutEvent(QFocusEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;
    void mouseDoubleClickEvent(QMouseEvent* pEvent) override;

private:
    struct SRowColours;
    SRowColours GetRowColours(bool bSelected) const;
    int GetColumnsRight() const;

    bool m_bFullRowSel = true;
    // The highlight of a selected row reaches the right edge of the list, not only the last
    // column's.
    bool m_bClientWidthSel = true;
};
