#include "ui/CListHostDlg.h"

CListHostDlg::CListHostDlg(QWidget* pParent, Qt::WindowFlags nFlags) : QDialog(pParent, nFlags) {}

CListHostDlg::CListPos CListHostDlg::FirstItem(int /*nListId*/)
{
    return 0;
}

bool CListHostDlg::NextItem(int /*nListId*/, CListPos& nPos, CListItem& pItem)
{
    nPos = 0;
    pItem = nullptr;
    return false;
}

void CListHostDlg::ItemSelected(int /*nListId*/, CListItem /*pItem*/) {}

void CListHostDlg::ItemText(int /*nListId*/, CListItem /*pItem*/, int /*nColumn*/,
                            QString& /*strText*/)
{
}
