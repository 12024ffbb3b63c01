#include "ui/CQuorbexView.h"

#include "ui/CEventListModel.h"
#include "ui/CListCtrlEx.h"
#include "ui/SEventListSettings.h"

#include <QHeaderView>
#include <QVBoxLayout>

namespace
{
bool IsWhenColumn(int nColumn)
{
    return nColumn >= CEventListModel::kColumnTime && nColumn <= CEventListModel::kColumnDate;
}
} // namespace

CQuorbexView::CQuorbexView(const CQuorbexDoc& doc, SEventListSettings& settings,
                           int nDialogBaseUnit, QWidget* pParent)
    : QWidget(pParent), m_settings(settings), m_pModel(new CEventListModel(doc, this)),
      m_pList(new CListCtrlEx(this))
{
    m_pList->setObjectName("eventList");
    m_pList->setModel(m_pModel);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->addWidget(m_pList);
    SetUpColumns(nDialogBaseUnit);

    connect(m_pList->header(), &QHeaderView::sectionClicked, this, &CQuorbexView::OnColumnClick);
    connect(m_pList, &CListCtrlEx::EnterPressed, this, &CQuorbexView::EventProgrammerRequested);
    connect(m_pList, &CListCtrlEx::DoubleClicked, this, &CQuorbexView::EventProgrammerRequested);
}

void CQuorbexView::SetUpColumns(int nDialogBaseUnit)
{
    QHeaderView* pHeader = m_pList->header();
    pHeader->setSectionsClickable(true);
    pHeader->setSortIndicatorShown(true);
    for (int nColumn = 0; nColumn < CEventListModel::kColumnCount; ++nColumn)
    {
        const int nStored = m_settings.m_widths[static_cast<std::size_t>(nColumn)];
        m_pList->setColumnWidth(
            nColumn, nStored == SEventListSettings::kNoWidth ? 10 * nDialogBaseUnit : nStored);
    }
    ShowSortIndicator();
}

void CQuorbexView::AddEventRow(CTimedEvent& event)
{
    m_pModel->InsertEvent(m_pModel->rowCount(), event);
    SortEvents();
}

void CQuorbexView::RemoveEventRow(const CTimedEvent& event)
{
    m_pModel->RemoveEvent(event);
}

void CQuorbexView::RemoveAllEventRows()
{
    m_pModel->RemoveAllEvents();
}

void CQuorbexView::SortEvents()
{
    m_pModel->SortEvents(m_settings.m_nSortColumn, m_settings.m_bSortForward);
    ShowSortIndicator();
    m_pList->viewport()->update();
}

void CQuorbexView::ShowSortIndicator()
{
    const int nColumn = m_settings.m_nSortColumn;
    if (nColumn >= 0 && nColumn < CEventListModel::kColumnCount)
        m_pList->header()->setSortIndicator(
            nColumn, m_settings.m_bSortForward ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void CQuorbexView::RefreshEventRows()
{
    m_pModel->RefreshRows();
}

CTimedEvent* CQuorbexView::GetSelectedEvent() const
{
    const QModelIndexList rows = m_pList->selectionModel()->selectedRows();
    return rows.isEmpty() ? nullptr : m_pModel->GetEvent(rows.first().row());
}

int CQuorbexView::GetColumnWidth(int nColumn) const
{
    return m_pList->columnWidth(nColumn);
}

void CQuorbexView::OnColumnClick(int nColumn)
{
    const int nSorted = m_settings.m_nSortColumn;
    if (nColumn == nSorted || (IsWhenColumn(nColumn) && IsWhenColumn(nSorted)))
        m_settings.m_bSortForward = !m_settings.m_bSortForward;
    m_settings.m_nSortColumn = nColumn;
    SortEvents();
}
