#include "ui/CEventListModel.h"

#include "base/CTimeSource.h"
#include "document/CQuorbexDoc.h"
#include "ui/EventFormat.h"

#include <algorithm>

namespace
{
const char* const kHeadings[CEventListModel::kColumnCount] = {
    "Event", "Time", "Frequency", "Date", "Remote", "Button", "Status"};

template <typename T> int Sign(T nValue)
{
    return nValue < 0 ? -1 : (nValue > 0 ? 1 : 0);
}

// Names compare by character code, case-sensitive, so "A" < "a" < "b".
int CompareText(const std::string& strLeft, const std::string& strRight)
{
    return Sign(strLeft.compare(strRight));
}

const std::string& GetRemoteName(const CTimedEvent& event)
{
    static const std::string strNone;
    return event.m_pRemote ? event.m_pRemote->m_strName : strNone;
}

const std::string& GetButtonText(const CTimedEvent& event)
{
    static const std::string strNone;
    return event.m_pButton ? event.m_pButton->GetDisplayText() : strNone;
}

// Time, Frequency and Date share one key: the frequency first, then for two one-time events
// their full times, then the time of day.
int CompareWhen(const CTimedEvent& left, const CTimedEvent& right)
{
    if (left.m_nFrequency != right.m_nFrequency)
        return Sign(left.m_nFrequency - right.m_nFrequency);
    if (left.m_nFrequency == kFrequencyOnce && left.m_time != right.m_time)
        return left.m_time < right.m_time ? -1 : 1;
    const auto minuteOfDay = [](const CTime& time)
    { return time.GetHour() * 60 + time.GetMinute(); };
    return Sign(minuteOfDay(left.m_time) - minuteOfDay(right.m_time));
}

int CompareEvents(const CTimedEvent& left, const CTimedEvent& right, int nColumn, const CTime& now)
{
    switch (nColumn)
    {
    case CEventListModel::kColumnEvent:
        return CompareText(left.m_strName, right.m_strName);
    case CEventListModel::kColumnRemote:
        return CompareText(GetRemoteName(left), GetRemoteName(right));
    case CEventListModel::kColumnButton:
        return CompareText(GetButtonText(left), GetButtonText(right));
    case CEventListModel::kColumnStatus:
        return Sign(static_cast<int>(GetSteadyEventStatus(left, now)) -
                    static_cast<int>(GetSteadyEventStatus(right, now)));
    default:
        return CompareWhen(left, right);
    }
}

bool IsRightAligned(int nColumn)
{
    return nColumn == CEventListModel::kColumnTime || nColumn == CEventListModel::kColumnDate;
}
} // namespace

CEventListModel::CEventListModel(const CQuorbexDoc& doc, QObject* pParent)
    : QAbstractTableModel(pParent), m_doc(doc), m_icons(MakeStatusIcons())
{
}

int CEventListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_events.size());
}

int CEventListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CEventListModel::data(const QModelIndex& index, int nRole) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const CTimedEvent& event = *m_events[static_cast<std::size_t>(index.row())];
    switch (nRole)
    {
    case Qt::DisplayRole:
        return GetText(event, index.column());
    case Qt::DecorationRole:
        if (index.column() != kColumnEvent)
            return {};
        return m_icons[static_cast<std::size_t>(
            GetEventStatus(m_doc, event, m_doc.GetClock().GetBiosTime()))];
    case Qt::TextAlignmentRole:
        return int((IsRightAligned(index.column()) ? Qt::AlignRight : Qt::AlignLeft) |
                   Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant CEventListModel::headerData(int nSection, Qt::Orientation nOrientation, int nRole) const
{
    if (nOrientation != Qt::Horizontal || nSection < 0 || nSection >= kColumnCount)
        return {};
    if (nRole == Qt::DisplayRole)
        return QString(kHeadings[nSection]);
    if (nRole == Qt::TextAlignmentRole)
        return int((IsRightAligned(nSection) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    return {};
}

QString CEventListModel::GetText(const CTimedEvent& event, int nColumn) const
{
    switch (nColumn)
    {
    case kColumnEvent:
        return ToDisplayString(event.m_strName);
    case kColumnTime:
        return FormatTimeOfDay(event.m_time);
    case kColumnFrequency:
        if (event.m_nFrequency < 0 || event.m_nFrequency >= kFrequencyCount)
            return {};
        return kFrequencyTexts[static_cast<std::size_t>(event.m_nFrequency)];
    case kColumnDate:
        return event.m_nFrequency == kFrequencyOnce ? FormatLongDate(event.m_time) : QString();
    case kColumnRemote:
        return ToDisplayString(GetRemoteName(event));
    case kColumnButton:
        return ToDisplayString(GetButtonText(event));
    default:
        // Only the status needs the clock; reading it for every cell would cost a clock
        // reading per cell and repaint.
        return GetStatusText(event);
    }
}

QString CEventListModel::GetStatusText(const CTimedEvent& event) const
{
    const EEventStatus nStatus = GetEventStatus(m_doc, event, m_doc.GetClock().GetBiosTime());
    const QString strText = GetEventStatusText(nStatus);
    if (nStatus != EEventStatus::Missed)
        return strText;
    return strText + " " + FormatTimeOfDay(event.m_lastMissed);
}

void CEventListModel::InsertEvent(int nRow, CTimedEvent& event)
{
    nRow = std::clamp(nRow, 0, rowCount());
    beginInsertRows(QModelIndex(), nRow, nRow);
    m_events.insert(m_events.begin() + nRow, &event);
    endInsertRows();
}

void CEventListModel::RemoveEvent(const CTimedEvent& event)
{
    const int nRow = FindRow(event);
    if (nRow < 0)
        return;
    beginRemoveRows(QModelIndex(), nRow, nRow);
    m_events.erase(m_events.begin() + nRow);
    endRemoveRows();
}

void CEventListModel::RemoveAllEvents()
{
    beginResetModel();
    m_events.clear();
    endResetModel();
}

void CEventListModel::SortEvents(int nColumn, bool bForward)
{
    if (nColumn < 0 || nColumn >= kColumnCount)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<const CTimedEvent*> persistentEvents;
    for (const QModelIndex& index : before)
        persistentEvents.push_back(m_events[static_cast<std::size_t>(index.row())]);

    const CTime now = m_doc.GetClock().GetBiosTime();
    std::stable_sort(m_events.begin(), m_events.end(),
                     [&](const CTimedEvent* pLeft, const CTimedEvent* pRight)
                     {
                         const int nOrder = CompareEvents(*pLeft, *pRight, nColumn, now);
                         return bForward ? nOrder < 0 : nOrder > 0;
                     });

    QModelIndexList after;
    for (qsizetype nAt = 0; nAt < before.size(); ++nAt)
        after.append(
            index(FindRow(*persistentEvents[static_cast<std::size_t>(nAt)]), before[nAt].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CEventListModel::RefreshRows()
{
    if (!m_events.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
}

CTimedEvent* CEventListModel::GetEvent(int nRow) const
{
    if (nRow < 0 || nRow >= rowCount())
        return nullptr;
    return m_events[static_cast<std::size_t>(nRow)];
}

int CEventListModel::FindRow(const CTimedEvent& event) const
{
    const auto it = std::find(m_events.begin(), m_events.end(), &event);
    return it == m_events.end() ? -1 : static_cast<int>(it - m_events.begin());
}
