#pragma once

#include "ui/CListCtrlEx.h"
#include "ui/CListHostDlg.h"

#include <vector>

class CHostedListModel;

// A report list whose rows are items of its host dialog: the host lists the items, supplies
// every cell's text when the list draws it, and hears which item the person chose. A click
// chooses a row with the Shift and Ctrl rules of a multiple-selection list; the current row is
// the one last chosen by a click or the keyboard, whatever the selection holds.
class CHostedListCtrl : public CListCtrlEx
{
    Q_OBJECT

public:
    explicit CHostedListCtrl(QWidget* pParent = nullptr);

    void Setup(CListHostDlg& host, int nListId);
    // A column with an empty heading.
    void AddColumn(int nWidth, Qt::Alignment nAlign);
    // Takes every item from the host again, first item on top; no row is current after it.
    void Refill();
    // The host's items moved in memory without changing order or number: take them again,
    // keeping rows, selection and current row.
    void RenewItems();
    // A row for pItem at nIndex; the rows from there on, and the current row, move down.
    void InsertRow(int nIndex, CListHostDlg::CListItem pItem);
    // The rows below move up; a deleted current row leaves no row current.
    void DeleteRow(int nIndex);

    int GetCurrent() const { return m_nCurrent; }
    int GetAnchor() const { return m_nAnchor; }
    CListHostDlg::CListItem GetItem(int nRow) const;

protected:
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseDoubleClickEvent(QMouseEvent* pEvent) override;

private:
    std::vector<CListHostDlg::CListItem> CollectItems() const;
    void ApplyClickRule(int nRow, Qt::KeyboardModifiers nKeys);
    void OnSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);

    CListHostDlg* m_pHost = nullptr;
    CHostedListModel* m_pModel = nullptr;
    int m_nListId = 0;
    int m_nAnchor = -1;
    int m_nCurrent = -1;
    bool m_bSelecting = false;
};
