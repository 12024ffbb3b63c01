#include "ui/CPadButton.h"
#include "ui/CPadFixture.h"
#include "ui/CRemotePadDlg.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTest>

#include <array>
#include <set>
#include <utility>
#include <vector>

namespace
{
using RemotePadTest = CPadFixture;

std::set<int> GetCellIds(const CRemotePadDlg& pad)
{
    std::set<int> ids;
    for (const CPadButton* pCell : pad.findChildren<CPadButton*>())
        ids.insert(pCell->GetId());
    return ids;
}

void DeleteClosedPads()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class PadStyleTest : public CPadFixture, public ::testing::WithParamInterface<int>
{
};

TEST_P(PadStyleTest, CellsAreTheStylesRowsAndColumnsNumberedDownEachColumn)
{
    const int nStyle = GetParam();
    m_pRemote->m_nStyle = nStyle;
    CRemotePadDlg pad(*m_pRemote, CRemotePadDlg::kAssignMode, m_doc, m_engine);

    std::set<int> expected;
    for (int nColumn = 0; nColumn < kRemoteStyles[nStyle].nColumns; ++nColumn)
        for (int nRow = 0; nRow < kRemoteStyles[nStyle].nRows; ++nRow)
            expected.insert(1049 + 15 * nColumn + nRow);
    EXPECT_EQ(GetCellIds(pad), expected);

    // Square cells, and the close bar under the bottom row.
    const CPadButton* pCorner = FindCell(pad, *expected.rbegin());
    EXPECT_EQ(pCorner->width(), pCorner->height());
    const auto* pCloseBar = pad.findChild<QPushButton*>("closeBar");
    EXPECT_GT(pCloseBar->y(), pCorner->geometry().bottom());
    EXPECT_LE(pCloseBar->geometry().bottom(), pad.height());
}

INSTANTIATE_TEST_SUITE_P(AllStyles, PadStyleTest, ::testing::Range(0, kStyleCount));

struct SAssignCase
{
    int nId;
    int nColumn;
    int nRow;
};

class AssignModeTest : public CPadFixture, public ::testing::WithParamInterface<SAssignCase>
{
};

TEST_P(AssignModeTest, ClickOnAnyCellEndsWithItsColumnAndRow)
{
    const SAssignCase& test = GetParam();
    CRemotePadDlg pad(*m_pRemote, CRemotePadDlg::kAssignMode, m_doc, m_engine);
    pad.show();

    // The grid is empty: every cell is offered all the same.
    QTest::mouseClick(FindCell(pad, test.nId), Qt::LeftButton);

    EXPECT_EQ(pad.result(), QDialog::Accepted);
    EXPECT_EQ(pad.GetChosenColumn(), test.nColumn);
    EXPECT_EQ(pad.GetChosenRow(), test.nRow);
    EXPECT_FALSE(m_pRemote->m_bPadOpen);
}

INSTANTIATE_TEST_SUITE_P(Style0, AssignModeTest,
                         ::testing::Values(SAssignCase{1123, 4, 14}, SAssignCase{1109, 4, 0},
                                           SAssignCase{1094, 3, 0}, SAssignCase{1049, 0, 0}));

struct SCellCase
{
    int nId;
    bool bVisible;
    bool bEnabled;
    const char* pszText;
    const char* pszToolTip;
};

TEST_F(RemotePadTest, FirePadShowsPlacedButtonsAndGreysThoseThatCannotFire)
{
    CRemoteButton& power = PlacePlain("Power", 0, 0, 4, "Switch on or off");
    CRemoteButton& mute = PlacePlain("Mute", 1, 2, 0);
    PlaceMega("Movie", 2, 0, {&power, &mute}); // one step cannot fire
    PlaceMega("Both", 4, 14, {&power, &power});
    const CRemotePadDlg& pad = ShowPad();

    const SCellCase cases[] = {
        {1049, true, true, "Power", "Switch on or off\nno signal"},
        {1066, true, false, "Mute", ""},
        {1079, true, false, "Movie", ""},
        {1123, true, true, "Both", ""},
        {1050, false, false, "", ""}, // empty
    };
    for (const SCellCase& test : cases)
    {
        SCOPED_TRACE(test.nId);
        const CPadButton* pCell = FindCell(pad, test.nId);
        EXPECT_EQ(pCell->isVisible(), test.bVisible);
        EXPECT_EQ(pCell->isEnabled(), test.bEnabled);
        EXPECT_EQ(pCell->text(), test.pszText);
        // A name the cell cannot show whole comes first in the tooltip (below).
        if (pCell->GetShownText() == test.pszText)
        {
            EXPECT_EQ(pCell->toolTip(), test.pszToolTip);
        }
    }
    EXPECT_EQ(pad.windowTitle(), "TV");
}

TEST_F(RemotePadTest, CutNamesAreMarkedAndGivenWholeInTheTooltip)
{
    PlacePlain("Television set", 0, 0, 4, "Switch on");
    PlacePlain("Radio&Tape deck", 1, 0, 4);
    PlacePlain("A", 2, 0, 4, "Aux");
    const CRemotePadDlg& pad = ShowPad();
    // Below the name and the description: what the recording (here silence) carries.
    // Cut in the middle: the end tells "Volume up" from "Volume down".
    for (const auto& [nId, pszToolTip] : {std::pair{1049, "Television set\nSwitch on\nno signal"},
                                          std::pair{1064, "Radio&Tape deck\nno signal"}})
    {
        const QString strShown = FindCell(pad, nId)->GetShownText();
        EXPECT_TRUE(strShown.contains(QChar(0x2026)) && !strShown.endsWith(QChar(0x2026)) &&
                    strShown.back() == QString(pszToolTip).section('\n', 0, 0).back())
            << nId << strShown.toStdString();
        EXPECT_EQ(FindCell(pad, nId)->toolTip(), pszToolTip);
    }
    EXPECT_EQ(FindCell(pad, 1079)->GetShownText(), "A");
    EXPECT_EQ(FindCell(pad, 1079)->toolTip(), "Aux\nno signal");

    // A narrow pad's title bar has no room for the name: the pad shows it, cut to fit if need be.
    const CRemotePadDlg narrow(*m_doc.AddRemote("Living room TV", 7), CRemotePadDlg::kAssignMode,
                               m_doc, m_engine);
    const auto* pName = narrow.findChild<QLabel*>("remoteName");
    ASSERT_NE(pName, nullptr);
    EXPECT_TRUE(pName->text() == "Living room TV" || pName->text().endsWith(QChar(0x2026)));
    EXPECT_LE(pName->fontMetrics().horizontalAdvance(pName->text()), pName->contentsRect().width());
    EXPECT_EQ(pName->toolTip(), "Living room TV");
    EXPECT_EQ(narrow.findChild<QPushButton*>("closeBar")->text(), "Close");
}

TEST(SharedPrefixTest, OnlyAWholeWordEveryNameSharesIsLeftOut)
{
    struct SCase
    {
        QStringList names;
        const char* pszPrefix;
    };
    const SCase cases[] = {
        {{"KEY_POWER", "KEY_MUTE", "KEY_VOLUMEUP"}, "KEY_"},
        {{"KEY_VOLUMEUP", "KEY_VOLUMEDOWN"}, "KEY_"}, // not "KEY_VOLUME"
        {{"tv-on", "tv-off"}, "tv-"},
        {{"Power", "Play"}, ""},  // a shared letter is no word
        {{"KEY_POWER"}, ""},      // one name shares with nothing
        {{"KEY_", "KEY_UP"}, ""}, // a name would be left empty
        {{"KEY_UP", "key_DOWN"}, ""},
        {{"BTN_A", "KEY_A"}, ""},
        {{}, ""},
    };
    for (const SCase& test : cases)
        EXPECT_EQ(FindSharedPrefix(test.names), test.pszPrefix)
            << test.names.join(',').toStdString();
}

// Names as the LIRC files of imported remotes give them: the cells leave out what every button
// shares, and the tooltip still names the button whole.
TEST_F(RemotePadTest, CellsLeaveOutThePrefixEveryButtonShares)
{
    PlacePlain("KEY_UP", 0, 0, 4);
    PlacePlain("KEY_OK", 1, 0, 4);
    m_pRemote->AddButton(std::make_unique<CRemoteButton>("KEY_EXIT", false)); // not placed
    const CRemotePadDlg& pad = ShowPad();
    EXPECT_EQ(FindCell(pad, 1049)->GetShownText(), "UP");
    EXPECT_EQ(FindCell(pad, 1064)->GetShownText(), "OK");
    EXPECT_TRUE(FindCell(pad, 1049)->toolTip().startsWith("KEY_UP\n"));
}

// A pad the person makes larger has larger cells, where long names read whole.
TEST_F(RemotePadTest, ASizedPadGrowsItsCellsAndSaysSo)
{
    m_pRemote->m_nStyle = 7;
    PlacePlain("Volumedown", 0, 0, 4);
    PlacePlain("Mute", 2, 2, 4);
    CRemotePadDlg& pad = ShowPad();
    QCoreApplication::processEvents();
    ASSERT_NE(FindCell(pad, 1049)->GetShownText(), "Volumedown") << "cut at the template's size";
    std::vector<QSize> told;
    QObject::connect(&pad, &CRemotePadDlg::Resized,
                     [&told](const QSize& size) { told.push_back(size); });
    const QSize cell = FindCell(pad, 1049)->size();

    pad.resize(pad.size() * 3);
    QCoreApplication::processEvents();

    const QRect grown = FindCell(pad, 1049)->geometry();
    EXPECT_GE(grown.width(), 3 * cell.width() - 3);
    EXPECT_EQ(grown.width(), grown.height());
    EXPECT_EQ(FindCell(pad, 1049)->GetShownText(), "Volumedown");
    EXPECT_TRUE(pad.rect().contains(FindCell(pad, 1081)->geometry()));
    EXPECT_TRUE(pad.rect().contains(pad.findChild<QPushButton*>("closeBar")->geometry()));
    EXPECT_EQ(told, std::vector<QSize>{pad.size()});
}

// A scale factor of 2 doubles the font against the screen: the tallest pad must still fit, with
// every cell and the close bar in reach.
TEST_F(RemotePadTest, TheTallestPadFitsTheScreenAtTwiceTheFont)
{
    const QFont previous = QApplication::font();
    QFont doubled = previous;
    doubled.setPointSizeF(previous.pointSizeF() * 2);
    QApplication::setFont(doubled);
    CRemotePadDlg& pad = ShowPad();
    QApplication::setFont(previous);
    QCoreApplication::processEvents();

    EXPECT_TRUE(
        QGuiApplication::primaryScreen()->availableGeometry().contains(pad.frameGeometry()));
    const std::vector<QWidget*> parts{FindCell(pad, 1049), FindCell(pad, 1123),
                                      pad.findChild<QPushButton*>("closeBar")};
    for (const QWidget* pPart : parts)
        EXPECT_TRUE(pad.rect().contains(pPart->geometry())) << pPart->objectName().toStdString();
}

// A short name reads whole at the person's font, and Tab goes through the cells row by row.
TEST_F(RemotePadTest, ShortNamesReadWholeAndTabGoesRowByRow)
{
    PlacePlain("Power", 0, 0, 4);
    PlacePlain("Input", 1, 0, 4);
    PlacePlain("Mute", 0, 1, 4);
    const CRemotePadDlg& pad = ShowPad();
    EXPECT_EQ(FindCell(pad, 1049)->GetShownText(), "Power");
    EXPECT_EQ(FindCell(pad, 1064)->GetShownText(), "Input");
    // Empty cells of a fire-mode pad are hidden and take no focus.
    QWidget* pNext = FindCell(pad, 1049)->nextInFocusChain();
    while (pNext && !pNext->isVisible())
        pNext = pNext->nextInFocusChain();
    EXPECT_EQ(pNext, FindCell(pad, 1064));
}

TEST_F(RemotePadTest, ClickFiresTheCellsButton)
{
    CRemoteButton& power = PlacePlain("Power", 0, 0, 2);
    power.m_bits.SetByte(0, 0xF0);
    PlacePlain("Mute", 0, 1, 0);
    CRemotePadDlg& pad = ShowPad();

    QTest::mouseClick(FindCell(pad, 1049), Qt::LeftButton);
    QTest::mouseClick(FindCell(pad, 1050), Qt::LeftButton); // greyed

    ASSERT_EQ(m_device.m_sent.size(), 1u);
    EXPECT_EQ(m_device.m_sent[0].bytes, (std::vector<std::uint8_t>{0xF0, 0x00}));
}

// Where a saved coordinate ends up: where it was, or pulled in so that the frame touches the
// screen's near (left, top) or far (right, bottom) edge.
enum class EEdge
{
    Kept,
    Near,
    Far,
};

struct SPositionCase
{
    const char* pszName;
    QPoint saved; // the inner corner, from the screen's top-left corner
    EEdge nX;
    EEdge nY;
};

class PadPositionTest : public CPadFixture, public ::testing::WithParamInterface<SPositionCase>
{
};

int GetExpectedEdge(EEdge nEdge, int nSaved, int nNear, int nFar)
{
    return nEdge == EEdge::Kept ? nSaved : (nEdge == EEdge::Near ? nNear : nFar);
}

TEST_P(PadPositionTest, SavedPositionIsPulledOntoTheScreen)
{
    const SPositionCase& test = GetParam();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint saved = screen.topLeft() + test.saved;
    m_pRemote->m_nPadX = saved.x();
    m_pRemote->m_nPadY = saved.y();

    const CRemotePadDlg& pad = ShowPad();
    QCoreApplication::processEvents();

    const QRect frame = pad.frameGeometry();
    const QPoint inner = pad.geometry().topLeft();
    EXPECT_EQ(
        test.nX == EEdge::Kept ? inner.x() : frame.x(),
        GetExpectedEdge(test.nX, saved.x(), screen.left(), screen.right() - frame.width() + 1));
    EXPECT_EQ(
        test.nY == EEdge::Kept ? inner.y() : frame.y(),
        GetExpectedEdge(test.nY, saved.y(), screen.top(), screen.bottom() - frame.height() + 1));
    EXPECT_TRUE(screen.contains(frame));
    // Opening changes nothing in the document: a place off this screen is kept for the next.
    EXPECT_EQ(QPoint(m_pRemote->m_nPadX, m_pRemote->m_nPadY), saved);
    EXPECT_FALSE(m_doc.IsModified());
}

INSTANTIATE_TEST_SUITE_P(
    Positions, PadPositionTest,
    ::testing::Values(SPositionCase{"Inside", {100, 120}, EEdge::Kept, EEdge::Kept},
                      SPositionCase{"PastRightEdge", {5000, 30}, EEdge::Far, EEdge::Kept},
                      SPositionCase{"AboveAndLeft", {-40, -10}, EEdge::Near, EEdge::Near}),
    [](const auto& info) { return std::string(info.param.pszName); });

TEST_F(RemotePadTest, MovingThePadStoresItsPositionAndMarksTheDocument)
{
    // Never placed before: placing it over its owner is no move of the person's.
    CRemotePadDlg& pad = ShowPad();
    QCoreApplication::processEvents();
    ASSERT_FALSE(m_doc.IsModified());
    ASSERT_EQ(m_pRemote->m_nPadX, kNoPadPosition);

    pad.move(QGuiApplication::primaryScreen()->availableGeometry().topLeft() + QPoint(150, 90));
    QCoreApplication::processEvents();

    EXPECT_EQ(QPoint(m_pRemote->m_nPadX, m_pRemote->m_nPadY), pad.geometry().topLeft());
    EXPECT_TRUE(m_doc.IsModified());
}

// A window manager frames a pad once it is shown, keeping its frame where the pad asked for its
// inside; the inside then moves by the frame's width. That is no move of the person's.
TEST_F(RemotePadTest, TheWindowManagerFramingAPadLeavesTheDocumentUnchanged)
{
    for (const int nSavedX : {kNoPadPosition, 200})
    {
        m_pRemote->m_nPadX = nSavedX;
        m_pRemote->m_nPadY = nSavedX == kNoPadPosition ? kNoPadPosition : 100;
        CRemotePadDlg& pad = ShowPad();
        QCoreApplication::processEvents();
        const QPoint inner = pad.geometry().topLeft();
        pad.move(inner);
        QCoreApplication::processEvents();
        ASSERT_NE(pad.geometry().topLeft(), inner) << "the frame has a width";
        EXPECT_FALSE(m_doc.IsModified()) << nSavedX;
        EXPECT_EQ(m_pRemote->m_nPadX, nSavedX);
        pad.Close();
        DeleteClosedPads();
    }
}

enum class EClose
{
    CloseBar,
    Escape,
    WindowClose,
    FromElsewhere,
};

class PadCloseTest : public CPadFixture, public ::testing::WithParamInterface<EClose>
{
};

TEST_P(PadCloseTest, ClosedFirePadLeavesTheRemoteAndIsDeleted)
{
    CRemotePadDlg& pad = ShowPad();
    const QPointer<CRemotePadDlg> pPad(&pad);
    switch (GetParam())
    {
    case EClose::CloseBar:
        QTest::mouseClick(pad.findChild<QPushButton*>("closeBar"), Qt::LeftButton);
        break;
    case EClose::Escape:
        QTest::keyClick(&pad, Qt::Key_Escape);
        break;
    case EClose::WindowClose:
        pad.close();
        break;
    case EClose::FromElsewhere:
        pad.Close();
        break;
    }
    EXPECT_FALSE(m_pRemote->m_bPadOpen);
    ASSERT_TRUE(pPad);
    EXPECT_FALSE(pPad->isVisible());
    DeleteClosedPads();
    EXPECT_FALSE(pPad);
}

std::string GetCloseName(const ::testing::TestParamInfo<EClose>& info)
{
    constexpr std::array<const char*, 4> kNames{"CloseBar", "Escape", "WindowClose",
                                                "FromElsewhere"};
    return kNames[static_cast<std::size_t>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Ways, PadCloseTest,
                         ::testing::Values(EClose::CloseBar, EClose::Escape, EClose::WindowClose,
                                           EClose::FromElsewhere),
                         GetCloseName);

// The Remote Builder closes the pad of a remote whose buttons it changes, even while that pad's
// own click handler is still playing a megabutton.
TEST_F(RemotePadTest, PadClosedWhileItsMegabuttonPlaysLivesUntilTheFiringReturns)
{
    CRemoteButton& power = PlacePlain("Power", 0, 0, 2);
    PlaceMega("Twice", 0, 1, {&power, &power});
    CRemotePadDlg& pad = ShowPad();
    const QPointer<CRemotePadDlg> pPad(&pad);
    QPointer<CRemotePadDlg> pReopened;
    m_frontEnd.m_onPump = [&]
    {
        if (!pReopened)
        {
            pad.Close();
            DeleteClosedPads();
            QCoreApplication::processEvents();
            EXPECT_TRUE(pPad); // its handler is still on the stack
            EXPECT_FALSE(m_pRemote->m_bPadOpen);
            pReopened = &ShowPad(); // the View menu meanwhile opens a fresh pad
        }
        m_ticks.Advance(600);
    };

    QTest::mouseClick(FindCell(pad, 1050), Qt::LeftButton);

    EXPECT_EQ(m_device.m_sent.size(), 2u);
    ASSERT_TRUE(pReopened);
    EXPECT_NE(pReopened.data(), pPad.data());
    EXPECT_EQ(CRemotePadDlg::FindPad(*m_pRemote), pReopened.data());
    DeleteClosedPads();
    EXPECT_FALSE(pPad);
    EXPECT_TRUE(pReopened);
}
} // namespace
