#pragma once

#include <QDialog>

#include <cstddef>

// A dialog that hosts lists filled, labelled and reported on through four hooks: the list asks
// its host for the items and their texts and tells it which item the person chose. Each hook
// receives the id of the asking list first; these versions do nothing.
class CListHostDlg : public QDialog
{
    Q_OBJECT

public:
    using CListPos = std::size_t; // 0: no item
    using CListItem = void*;

    explicit CListHostDlg(QWidget* pParent = nullptr, Qt::WindowFlags nFlags = {});

    // The position of the first item; 0 when there is none.
    virtual CListPos FirstItem(int nListId);
    // The item at nPos and, in nPos, the position after it (0 after the last). True when an
    // item was produced.
    virtual bool NextItem(int nListId, CListPos& nPos, CListItem& pItem);
    // The person chose pItem; null when no item is chosen.
    virtual void ItemSelected(int nListId, CListItem pItem);
    // The text of pItem's cell in column nColumn.
    virtual void ItemText(int nListId, CListItem pItem, int nColumn, QString& strText);
};
