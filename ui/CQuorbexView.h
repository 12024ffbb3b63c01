#pragma once

#include "ui/CEventListModel.h"

#include <QWidget>

#include <array>

class CListCtrlEx;
class CQuorbexDoc;
class CTimedEvent;
struct SEventListSettings;

// The main window's only view: the list of programmed events with their live status, sorted by
// any column. The sort column and direction and the column widths live in the settings it is
// handed.
class CQuorbexView : public QWidget
{
    Q_OBJECT

public:
    // A column without a stored width fits its heading and its texts, and goes on fitting them
    // as rows come and go until the person sets its width; the last one also fills the room
    // the others leave.
    CQuorbexView(const CQuorbexDoc& doc, SEventListSettings& settings, QWidget* pParent = nullptr);

    void AddEventRow(CTimedEvent& event);
    void RemoveEventRow(const CTimedEvent& event);
    void RemoveAllEventRows();
    void SortEvents();
    void RefreshEventRows();
    CTimedEvent* GetSelectedEvent() const;
    int GetColumnWidth(int nColumn) const;
    // The width the person set or was stored for the column; kNoWidth while it fits itself.
    int GetChosenWidth(int nColumn) const;

    // A click on a column heading: the sorted column, or another of Time, Frequency and Date
    // while one of them is sorted, reverses the order; any other column sorts in the current
    // direction.
    void OnColumnClick(int nColumn);

    CListCtrlEx& GetList() const { return *m_pList; }
    CEventListModel& GetModel() const { return *m_pModel; }

signals:
    // Enter or a double-click in the list: the Event Programmer is wanted.
    void EventProgrammerRequested();
    // Delete pressed in the list.
    void RemoveEventRequested();

protected:
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    static constexpr int kLastColumn = CEventListModel::kColumnCount - 1;

    void SetUpColumns();
    void ShowSortIndicator();
    void ScheduleFitColumns();
    void FitColumns();
    void OnSectionResized(int nColumn);

    SEventListSettings& m_settings;
    CEventListModel* m_pModel;
    CListCtrlEx* m_pList;
    // Columns that fit their contents: no width was stored and the person has not set one.
    std::array<bool, CEventListModel::kColumnCount> m_fitting{};
    bool m_bFitPending = false;
    bool m_bFittingNow = false;
};
