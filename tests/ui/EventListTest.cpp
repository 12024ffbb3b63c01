#include "device/CBiosClock.h"
#include "document/CQuorbexDoc.h"
#include "support/CRecordingFrontEnd.h"
#include "support/CScriptedClock.h"
#include "support/TimeZone.h"
#include "ui/CEventListModel.h"
#include "ui/CListCtrlEx.h"
#include "ui/CQuorbexView.h"
#include "ui/SEventListSettings.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QHeaderView>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <ostream>

#include <deque>

namespace
{
struct SEventSpec
{
    const char* pszName;
    int nFrequency;
    CTime time;
    const char* pszRemote = "TV";
    const char* pszButton = "PWR";
    const char* pszDescription = "";
    bool bDisabled = false;
};

// An event list over a document whose clock the test sets; the events live in the test.
class EventListTest : public ::testing::Test
{
protected:
    EventListTest() : m_doc(m_frontEnd, m_clock, SClockSettings())
    {
        m_doc.OnNewDocument();
        m_pView = std::make_unique<CQuorbexView>(m_doc, m_settings);
    }

    CTimedEvent& Add(const SEventSpec& entry)
    {
        CRemote* pRemote = m_doc.FindRemote(entry.pszRemote);
        if (!pRemote)
            pRemote = m_doc.AddRemote(entry.pszRemote, 0);
        CRemoteButton* pButton = pRemote->FindButton(entry.pszButton);
        if (!pButton)
            pButton = m_doc.AddButton(*pRemote, entry.pszButton, entry.pszDescription, false);
        CTimedEvent& event = m_events.emplace_back();
        event.m_strName = entry.pszName;
        event.m_nFrequency = entry.nFrequency;
        event.m_time = entry.time;
        event.m_bDisabled = entry.bDisabled;
        event.m_pRemote = pRemote;
        event.m_pButton = pButton;
        m_pView->AddEventRow(event);
        return event;
    }

    QString Text(int nRow, int nColumn) const
    {
        const CEventListModel& model = m_pView->GetModel();
        return model.data(model.index(nRow, nColumn)).toString();
    }

    // The event names in row order.
    std::vector<std::string> Order() const
    {
        std::vector<std::string> names;
        for (int nRow = 0; nRow < m_pView->GetModel().rowCount(); ++nRow)
            names.push_back(m_pView->GetModel().GetEvent(nRow)->m_strName);
        return names;
    }

    void SortBy(int nColumn, bool bForward)
    {
        m_settings.m_nSortColumn = nColumn;
        m_settings.m_bSortForward = bForward;
        m_pView->SortEvents();
    }

    CScopedTimeZone m_zone{"UTC0"};
    CRecordingFrontEnd m_frontEnd;
    CScriptedClock m_clockBackend{CTime(1998, 6, 1, 9, 59, 0)};
    CBiosClock m_clock{m_clockBackend};
    CQuorbexDoc m_doc;
    SEventListSettings m_settings;
    std::deque<CTimedEvent> m_events;
    std::unique_ptr<CQuorbexView> m_pView;
};

TEST_F(EventListTest, RowsShowTheirEventsInSevenColumns)
{
    Add({"Wake", kFrequencyOnce, CTime(1998, 6, 2, 7, 5, 0), "TV", "PWR", "Power on"});
    Add({"News", kFrequencyWeekdays, CTime(1997, 1, 1, 18, 30, 0), "TV", "CH1"});

    SortBy(CEventListModel::kColumnEvent, true);
    const QStringList news = {"News", "6:30:00 PM", "Monday to Friday", "", "TV", "CH1", "Active"};
    const QStringList wake = {"Wake", "7:05:00 AM", "Once",  "Tuesday, June 2, 1998",
                              "TV",   "Power on",   "Active"};
    for (int nColumn = 0; nColumn < 7; ++nColumn)
    {
        EXPECT_EQ(Text(0, nColumn), news[nColumn]) << nColumn;
        EXPECT_EQ(Text(1, nColumn), wake[nColumn]) << nColumn;
    }
    EXPECT_EQ(m_pView->GetModel().headerData(1, Qt::Horizontal).toString(), "Time");
}

struct SSortCase
{
    const char* pszName;
    int nColumn;
    bool bForward;
    std::vector<std::string> expected;
};

// Test names say which case failed; the case itself need not be printed.
void PrintTo(const SSortCase& test, std::ostream* pStream)
{
    *pStream << test.pszName;
}

class EventSortTest : public EventListTest, public ::testing::WithParamInterface<SSortCase>
{
};

TEST_P(EventSortTest, SortsByTheColumnsKey)
{
    // Now is 1 June 1998, 09:59.
    Add({"b", kFrequencyDaily, CTime(1998, 1, 1, 6, 0, 0), "VCR", "Rec", "Record"});
    Add({"A", kFrequencyOnce, CTime(1998, 6, 1, 8, 0, 0), "Amp", "Vol"});
    Add({"a", kFrequencyOnce, CTime(1998, 6, 2, 7, 0, 0), "TV", "PWR", "Power"});
    Add({"c", kFrequencySunday, CTime(1998, 1, 1, 5, 0, 0), "TV", "PWR", "", true});

    SortBy(GetParam().nColumn, GetParam().bForward);
    EXPECT_EQ(Order(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    EventList, EventSortTest,
    ::testing::Values(
        // Character-code order: capitals first.
        SSortCase{"NameForward", 0, true, {"A", "a", "b", "c"}},
        SSortCase{"NameBackward", 0, false, {"c", "b", "a", "A"}},
        // The frequency first, then the full time of one-time events, then the time of day.
        SSortCase{"TimeForward", 1, true, {"A", "a", "b", "c"}},
        SSortCase{"DateBackward", 3, false, {"c", "b", "a", "A"}},
        SSortCase{"Remote", 4, true, {"A", "a", "c", "b"}},
        SSortCase{"ButtonByDisplayText", 5, true, {"a", "c", "b", "A"}},
        // "Active" < "Disabled" < "Expired": A's minute has passed.
        SSortCase{"Status", 6, true, {"a", "b", "c", "A"}},
        SSortCase{"ColumnOutsideTheListKeepsTheOrder", 7, false, {"A", "a", "b", "c"}}),
    [](const ::testing::TestParamInfo<SSortCase>& info) { return info.param.pszName; });

TEST_F(EventListTest, DailyTimesCompareByTimeOfDayWhateverTheirDate)
{
    Add({"late", kFrequencyDaily, CTime(1990, 1, 1, 23, 0, 0)});
    Add({"early", kFrequencyDaily, CTime(2005, 9, 9, 1, 0, 0)});
    SortBy(CEventListModel::kColumnTime, true);
    EXPECT_EQ(Order(), (std::vector<std::string>{"early", "late"}));
}

struct SClickCase
{
    int nSortedColumn;
    bool bForward;
    int nClicked;
    bool bForwardAfter;
};

class ColumnClickTest : public EventListTest, public ::testing::WithParamInterface<SClickCase>
{
};

TEST_P(ColumnClickTest, ReversesOnlyTheSortedKey)
{
    const SClickCase& test = GetParam();
    SortBy(test.nSortedColumn, test.bForward);
    m_pView->OnColumnClick(test.nClicked);
    EXPECT_EQ(m_settings.m_nSortColumn, test.nClicked);
    EXPECT_EQ(m_settings.m_bSortForward, test.bForwardAfter);
    EXPECT_EQ(m_pView->GetList().header()->sortIndicatorSection(), test.nClicked);
}

INSTANTIATE_TEST_SUITE_P(EventList, ColumnClickTest,
                         ::testing::Values(SClickCase{0, true, 0, false},    // same column
                                           SClickCase{1, true, 3, false},    // Time to Date
                                           SClickCase{2, false, 1, true},    // Frequency to Time
                                           SClickCase{3, false, 4, false},   // Date to Remote
                                           SClickCase{4, true, 1, true},     // Remote to Time
                                           SClickCase{6, false, 0, false})); // keeps direction

struct SStatusCase
{
    const char* pszName;
    CTime now;
    CTime lastFired;
    const char* pszStatus;
};

void PrintTo(const SStatusCase& test, std::ostream* pStream)
{
    *pStream << test.pszName;
}

class EventStatusTest : public EventListTest, public ::testing::WithParamInterface<SStatusCase>
{
};

TEST_P(EventStatusTest, OneTimeEventAtTenExpiresAMinuteLater)
{
    const SStatusCase& test = GetParam();
    CTimedEvent& event = Add({"Ten", kFrequencyOnce, CTime(1998, 6, 1, 10, 0, 0)});
    event.m_lastFired = test.lastFired;
    m_clockBackend.m_now = test.now;
    EXPECT_EQ(Text(0, CEventListModel::kColumnStatus), test.pszStatus);
}

INSTANTIATE_TEST_SUITE_P(
    EventList, EventStatusTest,
    ::testing::Values(
        SStatusCase{"Before", CTime(1998, 6, 1, 9, 59, 0), CTime::NeverFired(), "Active"},
        SStatusCase{"DuringItsMinute", CTime(1998, 6, 1, 10, 0, 30), CTime::NeverFired(), "Active"},
        SStatusCase{"AfterItsMinute", CTime(1998, 6, 1, 10, 1, 0), CTime::NeverFired(), "Expired"},
        SStatusCase{"FiredAndKept", CTime(1998, 6, 1, 10, 0, 30), CTime(1998, 6, 1, 10, 0, 0),
                    "Expired"}),
    [](const ::testing::TestParamInfo<SStatusCase>& info) { return info.param.pszName; });

TEST_F(EventListTest, FiringAndArmedComeBeforeDisabled)
{
    CTimedEvent& event = Add({"Wake", kFrequencyDaily, CTime(1998, 6, 1, 7, 0, 0)});
    event.m_bDisabled = true;
    EXPECT_EQ(Text(0, CEventListModel::kColumnStatus), "Disabled");
    m_doc.m_pArmedEvent = &event;
    EXPECT_EQ(Text(0, CEventListModel::kColumnStatus), "ARMED");
    event.m_nFiring = 1;
    EXPECT_EQ(Text(0, CEventListModel::kColumnStatus), "FIRING");
    m_doc.m_pArmedEvent = nullptr;
    event.m_nFiring = 0;

    // Each status has its own picture on the first column.
    const CEventListModel& model = m_pView->GetModel();
    const auto picture = [&]
    {
        const QIcon icon = model.data(model.index(0, 0), Qt::DecorationRole).value<QIcon>();
        return icon.pixmap(QSize(20, 16)).toImage();
    };
    const QImage disabledPicture = picture();
    ASSERT_EQ(disabledPicture.size(), QSize(20, 16));
    event.m_bDisabled = false;
    EXPECT_NE(picture(), disabledPicture);
    EXPECT_FALSE(model.data(model.index(0, 1), Qt::DecorationRole).isValid());
}

// The headings and cell texts that the list shows shortened, one a line.
std::string GetCutTexts(const CQuorbexView& view)
{
    QStringList cut;
    const CEventListModel& model = view.GetModel();
    const QHeaderView& header = *view.GetList().header();
    for (int nColumn = 0; nColumn < CEventListModel::kColumnCount; ++nColumn)
    {
        if (header.sectionSize(nColumn) < header.sectionSizeHint(nColumn))
            cut << model.headerData(nColumn, Qt::Horizontal).toString();
        for (int nRow = 0; nRow < model.rowCount(); ++nRow)
        {
            const QModelIndex index = model.index(nRow, nColumn);
            if (view.GetList().GetShownText(index) != model.data(index).toString())
                cut << model.data(index).toString();
        }
    }
    return cut.join('\n').toStdString();
}

TEST_F(EventListTest, ColumnsFitTheirHeadingsAndTextsUntilThePersonSetsAWidth)
{
    Add({"Wake up the whole household", kFrequencyOnce, CTime(1998, 6, 2, 7, 5, 0),
         "Living room TV", "PWR", "Power on"});
    Add({"News", kFrequencyWeekdays, CTime(1997, 1, 1, 18, 30, 0), "TV", "CH1"});
    m_pView->resize(1200, 200);
    m_pView->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(GetCutTexts(*m_pView), "");

    // A double-click on a heading's right edge fits a column the person had narrowed.
    QHeaderView& header = *m_pView->GetList().header();
    for (int nColumn = CEventListModel::kColumnCount - 1; nColumn >= 0; --nColumn)
    {
        header.resizeSection(nColumn, 24);
        QTest::mouseDClick(header.viewport(), Qt::LeftButton, Qt::NoModifier,
                           QPoint(header.sectionViewportPosition(nColumn) + 23, 5));
    }
    EXPECT_EQ(GetCutTexts(*m_pView), "");

    // A width the person set stays when the rows change, and so does a stored one.
    header.resizeSection(0, 30);
    Add({"Lights out at midnight", kFrequencyDaily, CTime(1997, 1, 1, 23, 59, 0)});
    QCoreApplication::processEvents();
    EXPECT_EQ(m_pView->GetColumnWidth(0), 30);
    m_settings.m_widths[3] = 140;
    EXPECT_EQ(CQuorbexView(m_doc, m_settings).GetColumnWidth(3), 140);
}

// The last column takes the room the others leave, as the window grows, until the person sets
// its width; only what the person set is kept in the settings.
TEST_F(EventListTest, TheLastColumnFillsTheFreeRoomUntilThePersonSetsIt)
{
    Add({"News", kFrequencyDaily, CTime(1998, 1, 1, 7, 0, 0)});
    m_pView->resize(1200, 200);
    m_pView->show();
    QCoreApplication::processEvents();
    CListCtrlEx& list = m_pView->GetList();
    const int nLast = CEventListModel::kColumnCount - 1;
    const auto columnsRight = [&list, nLast]
    { return list.columnViewportPosition(nLast) + list.columnWidth(nLast); };
    EXPECT_EQ(columnsRight(), list.viewport()->width());
    EXPECT_EQ(m_pView->GetChosenWidth(nLast), SEventListSettings::kNoWidth);

    m_pView->resize(1400, 200);
    QCoreApplication::processEvents();
    EXPECT_EQ(columnsRight(), list.viewport()->width());

    list.header()->resizeSection(nLast, 60);
    m_pView->resize(1500, 200);
    QCoreApplication::processEvents();
    EXPECT_EQ(list.columnWidth(nLast), 60);
    EXPECT_EQ(m_pView->GetChosenWidth(nLast), 60);
}

TEST_F(EventListTest, SelectionFollowsItsEventThroughSortingAndRemoval)
{
    CTimedEvent& b = Add({"b", kFrequencyDaily, CTime(1998, 1, 1, 6, 0, 0)});
    CTimedEvent& a = Add({"a", kFrequencyDaily, CTime(1998, 1, 1, 7, 0, 0)});
    EXPECT_EQ(m_pView->GetSelectedEvent(), nullptr);
    CListCtrlEx& list = m_pView->GetList();
    list.setCurrentIndex(m_pView->GetModel().index(1, 0)); // "b"
    ASSERT_EQ(m_pView->GetSelectedEvent(), &b);

    SortBy(CEventListModel::kColumnEvent, false);
    EXPECT_EQ(m_pView->GetSelectedEvent(), &b);
    m_pView->RemoveEventRow(a);
    EXPECT_EQ(m_pView->GetSelectedEvent(), &b);
    m_pView->RemoveAllEventRows();
    EXPECT_EQ(m_pView->GetSelectedEvent(), nullptr);
}

TEST_F(EventListTest, ModelKeepsItsContractThroughEveryChange)
{
    CEventListModel& model = m_pView->GetModel();
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    CTimedEvent& first = Add({"x", kFrequencyOnce, CTime(1998, 6, 3, 7, 0, 0)});
    Add({"y", kFrequencyDaily, CTime(1998, 6, 1, 8, 0, 0)});
    Add({"z", kFrequencySunday, CTime(1998, 6, 1, 9, 0, 0)});
    for (int nColumn = 0; nColumn < 7; ++nColumn)
        SortBy(nColumn, nColumn % 2 == 0);
    model.RefreshRows();
    m_pView->RemoveEventRow(first);
    EXPECT_EQ(model.rowCount(), 2);
    m_pView->RemoveAllEventRows();
    EXPECT_EQ(model.rowCount(), 0);
}

} // namespace
