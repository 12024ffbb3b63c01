#pragma once

#include <QWidget>

class CEventListModel;
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
    // nDialogBaseUnit: the average character width; a column without a stored width is ten of
    // them wide.
    CQuorbexView(const CQuorbexDoc& doc, SEventListSettings& settings, int nDialogBaseUnit,
                 QWidget* pParent = nullptr);

    void AddEventRow(CTimedEvent& event);
    void RemoveEventRow(const CTimedEvent& event);
    void RemoveAllEventRows();
    void SortEvents();
    void RefreshEventRows();
    CTimedEvent* GetSelectedEvent() const;
    int GetColumnWidth(int nColumn) const;

    // A click on a column heading: the sorted column, or another of Time, Frequency and Date
    // while one of them is sorted, reverses the order; any other column sorts in the current
    // direction.
    void OnColumnClick(int nColumn);

    CListCtrlEx& GetList() const { return *m_pList; }
    CEventListModel& GetModel() const { return *m_pModel; }

signals:
    // Enter or a double-click in the list: the Event Programmer is wanted.
    void EventProgrammerRequested();

private:
    void SetUpColumns(int nDialogBaseUnit);
    void ShowSortIndicator();

    SEventListSettings& m_settings;
    CEventListModel* m_pModel;
    CListCtrlEx* m_pList;
};
