#include "ui/CQuorbexView.h"

#include "ui/CEventListModel.h"
#include "ui/CListCtrlEx.h"
#include "ui/SEventListSettings.h"

#include <QHeaderView>
#include <QResizeEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace
{
bool IsWhenColumn(int nColumn)
{
    return nColumn >= CEventListModel::kColumnTime && nColumn <= CEventListModel::kColumnDate;
}
} // namespace

CQuorbexView::CQuorbexView(const CQuorbexDoc& doc, SEventListSettings& settings, QWidget* pParent)
    : QWidget(pParent), m_settings(settings), m_pModel(new CEventListModel(doc, this)),
      m_pList(new CListCtrlEx(this))
{
    m_pList->setObjectName("eventList");
    m_pList->setModel(m_pModel);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->addWidget(m_pList);
    SetUpColumns();

    connect(m_pList->header(), &QHeaderView::sectionClicked, this, &CQuorbexView::OnColumnClick);
    connect(m_pList, &CListCtrlEx::EnterPressed, this, &CQuorbexView::EventProgrammerRequested);
    connect(m_pList, &CListCtrlEx::DoubleClicked, this, &CQuorbexView::EventProgrammerRequested);
    connect(m_pList, &CListCtrlEx::DeletePressed, this, &CQuorbexView::RemoveEventRequested);
}

void CQuorbexView::SetUpColumns()
{
    QHeaderView* pHeader = m_pList->header();
    pHeader->setSectionsClickable(true);
    pHeader->setSortIndicatorShown(true);
    ShowSortIndicator();
    for (int nColumn = 0; nColumn < CEventListModel::kColumnCount; ++nColumn)
    {
        const int nStored = m_settings.m_widths[static_cast<std::size_t>(nColumn)];
        m_fitting[static_cast<std::size_t>(nColumn)] = nStored == SEventListSettings::kNoWidth;
        if (nStored != SEventListSettings::kNoWidth)
            m_pList->setColumnWidth(nColumn, nStored);
    }
    FitColumns();

    connect(pHeader, &QHeaderView::sectionResized, this,
            [this](int nColumn) { OnSectionResized(nColumn); });
    // Rows come in one at a time while a document loads: the columns fit once they are all in.
    for (const auto pSignal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_pModel, pSignal, this, &CQuorbexView::ScheduleFitColumns);
    connect(m_pModel, &QAbstractItemModel::modelReset, this, &CQuorbexView::ScheduleFitColumns);
}

void CQuorbexView::ScheduleFitColumns()
{
    if (m_bFitPending)
        return;
    m_bFitPending = true;
    QMetaObject::invokeMethod(this, &CQuorbexView::FitColumns, Qt::QueuedConnection);
}

void CQuorbexView::FitColumns()
{
    m_bFitPending = false;
    m_bFittingNow = true;
    int nOthers = 0;
    for (int nColumn = 0; nColumn < CEventListModel::kColumnCount; ++nColumn)
    {
        if (m_fitting[static_cast<std::size_t>(nColumn)])
            m_pList->resizeColumnToContents(nColumn);
        if (nColumn != kLastColumn)
            nOthers += m_pList->columnWidth(nColumn);
    }
    // The last column takes the room the others leave free.
    if (m_fitting[static_cast<std::size_t>(kLastColumn)])
        m_pList->setColumnWidth(kLastColumn, std::max(m_pList->columnWidth(kLastColumn),
                                                      m_pList->viewport()->width() - nOthers));
    m_bFittingNow = false;
}

// A width the person chose stays; the last column then fills what is left again.
void CQuorbexView::OnSectionResized(int nColumn)
{
    if (m_bFittingNow || nColumn < 0 || nColumn >= CEventListModel::kColumnCount)
        return;
    m_fitting[static_cast<std::size_t>(nColumn)] = false;
    ScheduleFitColumns();
}

int CQuorbexView::GetChosenWidth(int nColumn) const
{
    return m_fitting[static_cast<std::size_t>(nColumn)] ? SEventListSettings::kNoWidth
                                                        : GetColumnWidth(nColumn);
}

void CQuorbexView::resizeEvent(QResizeEvent* pEvent)
{
    QWidget::resizeEvent(pEvent);
    ScheduleFitColumns();
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
