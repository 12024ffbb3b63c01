#include "ui/CHostedListCtrl.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QMouseEvent>

#include <algorithm>

// The rows of a hosted list: each holds an item of the host, and every text is the host's
// answer at the moment the list asks.
class CHostedListModel : public QAbstractTableModel
{
public:
    explicit CHostedListModel(QObject* pParent) : QAbstractTableModel(pParent) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_items.size());
    }

    int columnCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_aligns.size());
    }

    QVariant data(const QModelIndex& index, int nRole) const override
    {
        if (!index.isValid() || !m_pHost)
            return {};
        if (nRole == Qt::TextAlignmentRole)
            return QVariant::fromValue(m_aligns[static_cast<std::size_t>(index.column())]);
        if (nRole != Qt::DisplayRole)
            return {};
        QString strText;
        m_pHost->ItemText(m_nListId, GetItem(index.row()), index.column(), strText);
        return strText;
    }

    QVariant headerData(int /*nSection*/, Qt::Orientation /*nOrientation*/,
                        int nRole) const override
    {
        return nRole == Qt::DisplayRole ? QVariant(QString()) : QVariant();
    }

    CListHostDlg::CListItem GetItem(int nRow) const
    {
        return m_items[static_cast<std::size_t>(nRow)];
    }

    void AddColumn(Qt::Alignment nAlign)
    {
        const int nColumn = static_cast<int>(m_aligns.size());
        beginInsertColumns({}, nColumn, nColumn);
        m_aligns.push_back(nAlign | Qt::AlignVCenter);
        endInsertColumns();
    }

    void ResetItems(std::vector<CListHostDlg::CListItem> items)
    {
        beginResetModel();
        m_items = std::move(items);
        endResetModel();
    }

    void RenewItems(std::vector<CListHostDlg::CListItem> items)
    {
        m_items = std::move(items);
        if (!m_items.empty())
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }

    void InsertItem(int nRow, CListHostDlg::CListItem pItem)
    {
        beginInsertRows({}, nRow, nRow);
        m_items.insert(m_items.begin() + nRow, pItem);
        endInsertRows();
    }

    void RemoveItem(int nRow)
    {
        beginRemoveRows({}, nRow, nRow);
        m_items.erase(m_items.begin() + nRow);
        endRemoveRows();
    }

    CListHostDlg* m_pHost = nullptr;
    int m_nListId = 0;

private:
    std::vector<CListHostDlg::CListItem> m_items;
    std::vector<Qt::Alignment> m_aligns;
};

CHostedListCtrl::CHostedListCtrl(QWidget* pParent)
    : CListCtrlEx(pParent), m_pModel(new CHostedListModel(this))
{
    setModel(m_pModel);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CHostedListCtrl::OnSelectionChanged);
}

void CHostedListCtrl::Setup(CListHostDlg& host, int nListId)
{
    SetFullRowSel(true);
    m_pHost = &host;
    m_nListId = nListId;
    m_pModel->m_pHost = &host;
    m_pModel->m_nListId = nListId;
}

void CHostedListCtrl::AddColumn(int nWidth, Qt::Alignment nAlign)
{
    m_pModel->AddColumn(nAlign);
    setColumnWidth(m_pModel->columnCount() - 1, nWidth);
}

// The host hands its items out from the last to the first; each goes on top.
std::vector<CListHostDlg::CListItem> CHostedListCtrl::CollectItems() const
{
    std::vector<CListHostDlg::CListItem> items;
    CListHostDlg::CListPos nPos = m_pHost->FirstItem(m_nListId);
    while (nPos != 0)
    {
        CListHostDlg::CListItem pItem = nullptr;
        if (m_pHost->NextItem(m_nListId, nPos, pItem))
            items.push_back(pItem);
    }
    std::ranges::reverse(items);
    return items;
}

void CHostedListCtrl::Refill()
{
    m_bSelecting = true;
    m_pModel->ResetItems(CollectItems());
    m_bSelecting = false;
    m_nAnchor = m_nCurrent = -1;
}

void CHostedListCtrl::RenewItems()
{
    m_pModel->RenewItems(CollectItems());
}

void CHostedListCtrl::InsertRow(int nIndex, CListHostDlg::CListItem pItem)
{
    m_pModel->InsertItem(nIndex, pItem);
    if (m_nCurrent >= nIndex)
        ++m_nCurrent;
    if (m_nAnchor >= nIndex)
        ++m_nAnchor;
}

void CHostedListCtrl::DeleteRow(int nIndex)
{
    // The rows below move up under the selection; that is no choice of the person's.
    m_bSelecting = true;
    m_pModel->RemoveItem(nIndex);
    m_bSelecting = false;
    if (m_nAnchor >= nIndex)
        m_nAnchor = std::max(m_nAnchor - 1, -1);
    if (m_nCurrent > nIndex)
        --m_nCurrent;
    else if (m_nCurrent == nIndex)
        m_nCurrent = -1;
}

CListHostDlg::CListItem CHostedListCtrl::GetItem(int nRow) const
{
    return m_pModel->GetItem(nRow);
}

void CHostedListCtrl::mousePressEvent(QMouseEvent* pEvent)
{
    setFocus(Qt::MouseFocusReason);
    if (pEvent->button() != Qt::LeftButton)
        return;
    // Any column names the row; a press below the last row changes nothing.
    const int nRow = indexAt(QPoint(0, pEvent->position().toPoint().y())).row();
    if (nRow < 0 || nRow >= m_pModel->rowCount())
        return;
    ApplyClickRule(nRow, pEvent->modifiers());
    m_pHost->ItemSelected(m_nListId, GetItem(nRow));
}

void CHostedListCtrl::mouseDoubleClickEvent(QMouseEvent* /*pEvent*/) {}

// Without Shift the row alone is chosen and becomes the anchor; with Shift the rows from the
// anchor to it. Ctrl turns the chosen rows over instead of replacing the selection.
void CHostedListCtrl::ApplyClickRule(int nRow, Qt::KeyboardModifiers nKeys)
{
    const bool bRange =
        (nKeys & Qt::ShiftModifier) && selectionMode() != QAbstractItemView::SingleSelection;
    const int nFirst = bRange ? std::min(std::max(m_nAnchor, 0), nRow) : nRow;
    const int nLast = bRange ? std::max(m_nAnchor, nRow) : nRow;
    const QItemSelection rows(m_pModel->index(nFirst, 0),
                              m_pModel->index(nLast, m_pModel->columnCount() - 1));
    m_bSelecting = true;
    const auto nCommand = (nKeys & Qt::ControlModifier) ? QItemSelectionModel::Toggle
                                                        : QItemSelectionModel::ClearAndSelect;
    selectionModel()->select(rows, nCommand | QItemSelectionModel::Rows);
    selectionModel()->setCurrentIndex(m_pModel->index(nRow, 0), QItemSelectionModel::NoUpdate);
    if (!bRange)
        m_nAnchor = nRow;
    m_bSelecting = false;
    m_nCurrent = nRow;
}

// The keyboard moves the selection through the list's own handling; the row it newly selects
// becomes the current row.
void CHostedListCtrl::OnSelectionChanged(const QItemSelection& selected,
                                         const QItemSelection& deselected)
{
    if (m_bSelecting || !m_pHost)
        return;
    if (!selected.isEmpty())
    {
        m_nCurrent = selected.indexes().constLast().row();
        m_pHost->ItemSelected(m_nListId, GetItem(m_nCurrent));
        return;
    }
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (!deselected.isEmpty() && rows.size() == 1)
        m_pHost->ItemSelected(m_nListId, GetItem(rows.front().row()));
}
