#pragma once

#include "ui/ProgramIcons.h"

#include <QAbstractTableModel>

#include <vector>

class CQuorbexDoc;
class CTimedEvent;

// The rows of the event list: each row only points at its event; every text and icon is worked
// out when the list asks for it, from the event and the current clock time, so a repaint always
// shows the live status.
class CEventListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum EColumn
    {
        kColumnEvent,
        kColumnTime,
        kColumnFrequency,
        kColumnDate,
        kColumnRemote,
        kColumnButton,
        kColumnStatus,
        kColumnCount
    };

    explicit CEventListModel(const CQuorbexDoc& doc, QObject* pParent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int nRole = Qt::DisplayRole) const override;
    QVariant headerData(int nSection, Qt::Orientation nOrientation,
                        int nRole = Qt::DisplayRole) const override;

    void InsertEvent(int nRow, CTimedEvent& event);
    void RemoveEvent(const CTimedEvent& event);
    void RemoveAllEvents();
    // Orders the rows by a column's key; a column outside the seven leaves them as they are.
    void SortEvents(int nColumn, bool bForward);
    // Texts and icons follow the clock and the armed event: ask the list to fetch them again.
    void RefreshRows();

    CTimedEvent* GetEvent(int nRow) const;
    int FindRow(const CTimedEvent& event) const;

private:
    QString GetText(const CTimedEvent& event, int nColumn) const;
    // The status, with the minute of a missed occurrence.
    QString GetStatusText(const CTimedEvent& event) const;

    const CQuorbexDoc& m_doc;
    std::vector<CTimedEvent*> m_events;
    std::array<QIcon, kStatusCount> m_icons;
};
