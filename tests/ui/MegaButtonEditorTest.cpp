#include "app/CAppFixture.h"
#include "app/CMainFrame.h"
#include "app/CMessageBox.h"
#include "app/CQuorbexApp.h"
#include "app/CSettings.h"
#include "base/CStringTable.h"
#include "document/CQuorbexDoc.h"
#include "ui/CDialogDriver.h"
#include "ui/CHostedListCtrl.h"
#include "ui/CMegaButtonDlg.h"
#include "ui/CRemoteBuilderDlg.h"
#include "ui/PlaceWindowOnScreen.h"

#include <QSpinBox>
#include <QTest>

#include <memory>
#include <vector>

namespace
{
using CNames = std::vector<std::string>;

QStringList ToStrings(const CNames& names)
{
    QStringList strings;
    for (const std::string& strName : names)
        strings << QString::fromStdString(strName);
    return strings;
}

QStringList GetEntries(const QComboBox& box)
{
    QStringList entries;
    for (int nIndex = 0; nIndex < box.count(); ++nIndex)
        entries << box.itemText(nIndex);
    return entries;
}

// The megabutton Movie of remote TV under edit, its steps TV Power then TV Mute. Remote Hifi
// holds Volume (plain), Party (a megabutton playing Movie) and Loud (a megabutton playing
// Volume); remote Lobby holds only Welcome, a megabutton playing Party.
class MegaButtonEditorTest : public CAppFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start());
        m_pTv = &AddRemoteWithButton("TV");
        m_pPower = m_pTv->FindButton("Power");
        m_pMute = Doc().AddButton(*m_pTv, "Mute", "Sound off", false);
        m_pMovie = Doc().AddButton(*m_pTv, "Movie", "", true);
        m_pMovie->m_steps = {{m_pTv, m_pPower, 1}, {m_pTv, m_pMute, 0}};
        m_pHifi = Doc().AddRemote("Hifi", 0);
        m_pVolume = Doc().AddButton(*m_pHifi, "Volume", "Louder", false);
        m_pParty = Doc().AddButton(*m_pHifi, "Party", "", true);
        m_pParty->m_steps = {{m_pTv, m_pMovie, 0}};
        m_pLoud = Doc().AddButton(*m_pHifi, "Loud", "Three up", true);
        m_pLoud->m_steps = {{m_pHifi, m_pVolume, 0}};
        CRemote& lobby = *Doc().AddRemote("Lobby", 0);
        Doc().AddButton(lobby, "Welcome", "", true)->m_steps = {{m_pHifi, m_pParty, 0}};
        Doc().SetModifiedFlag(false);
        CMessageBox::TakeShownTexts();
    }

    void OpenEditor()
    {
        CSettings::SPosition& place = App().GetSettings().m_megaPos;
        m_pEditor = std::make_unique<CMegaButtonDlg>(Doc(), *m_pTv, *m_pMovie, place.nLeft,
                                                     place.nTop, &Frame());
        m_pEditor->show();
    }

    CDialogDriver Editor() const { return CDialogDriver(*m_pEditor); }
    CHostedListCtrl& Steps() const { return Editor().Find<CHostedListCtrl>("steps"); }

    void ClickRow(int nRow, Qt::KeyboardModifiers nKeys = {}) const
    {
        CHostedListCtrl& list = Steps();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, nKeys,
                          list.visualRect(list.model()->index(nRow, 0)).center());
    }

    // Chooses the step's button in the boxes, as a person does.
    void Choose(const char* pszRemote, const char* pszButton) const
    {
        Editor().Find<QComboBox>("remoteBox").setCurrentText(QString::fromLatin1(pszRemote));
        Editor().Find<QComboBox>("buttonBox").setCurrentText(QString::fromLatin1(pszButton));
    }

    CNames GetStepNames() const
    {
        CNames names;
        for (const CMegaStep& step : m_pMovie->m_steps)
            names.push_back(step.m_pButton->m_strName);
        return names;
    }

    QStringList GetRowTexts(int nColumn) const
    {
        QStringList texts;
        const QAbstractItemModel& model = *Steps().model();
        for (int nRow = 0; nRow < model.rowCount(); ++nRow)
            texts << model.index(nRow, nColumn).data().toString();
        return texts;
    }

    CRemote* m_pTv = nullptr;
    CRemote* m_pHifi = nullptr;
    CRemoteButton* m_pPower = nullptr;
    CRemoteButton* m_pMute = nullptr;
    CRemoteButton* m_pMovie = nullptr;
    CRemoteButton* m_pVolume = nullptr;
    CRemoteButton* m_pParty = nullptr;
    CRemoteButton* m_pLoud = nullptr;
    std::unique_ptr<CMegaButtonDlg> m_pEditor;
};

// Neither Movie itself nor Party, which plays it, may become a step of Movie; Lobby, whose only
// button leads back to Movie, is not offered at all.
TEST_F(MegaButtonEditorTest, OffersOnlyButtonsThatCannotLeadBack)
{
    OpenEditor();
    EXPECT_EQ(Editor().Text("title"), "Button sequence for Movie");
    const auto& remotes = Editor().Find<QComboBox>("remoteBox");
    EXPECT_EQ(GetEntries(remotes), QStringList({"Hifi", "TV"}));
    EXPECT_EQ(remotes.currentText(), "TV");
    EXPECT_EQ(GetEntries(Editor().Find<QComboBox>("buttonBox")), QStringList({"Mute", "Power"}));
    Editor().Find<QComboBox>("remoteBox").setCurrentText("Hifi");
    EXPECT_EQ(GetEntries(Editor().Find<QComboBox>("buttonBox")), QStringList({"Loud", "Volume"}));
    // The rows come out in firing order, with the delays' fixed-width texts.
    EXPECT_EQ(GetRowTexts(1), QStringList({"Power", "Mute"}));
    EXPECT_EQ(GetRowTexts(3), QStringList({" 1.0s", " 0.5s"}));
    EXPECT_EQ(GetEntries(Editor().Find<QComboBox>("delayBox")),
              QStringList({" 0.5s", " 1.0s", " 5.0s", "30.0s", "60.0s"}));
}

// The Remote Builder's Learn on a megabutton runs the editor on it; the editor keeps its place
// for the next opening.
TEST_F(MegaButtonEditorTest, OpensFromTheBuildersLearn)
{
    CSettings& settings = App().GetSettings();
    CRemoteBuilderDlg builder(Doc(), App().GetSession().GetEngine(), App().GetUnit().GetDevice(),
                              settings.GetBuilderPlaces(), &Frame());
    builder.show();
    CDialogDriver(builder).Find<QComboBox>("remoteBox").setCurrentText("TV");
    CDialogDriver(builder).Type("buttonBox", "Movie");
    QString strTitle;
    WhenDialogOpens(
        [&strTitle](QDialog& editor)
        {
            strTitle = CDialogDriver(editor).Text("title");
            CDialogDriver(editor).Click("insert");
            CDialogDriver(editor).Click("close");
        });
    CDialogDriver(builder).Click("learn");
    EXPECT_EQ(strTitle, "Button sequence for Movie");
    EXPECT_EQ(m_pMovie->m_steps.size(), 3U);
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_NE(settings.m_megaPos.nLeft, CSettings::kNotStored);
}

// The arrow keys choose rows through the list's own handling; the row they reach becomes the
// current row and shows its step in the boxes.
TEST_F(MegaButtonEditorTest, KeyboardChoosesTheCurrentRow)
{
    OpenEditor();
    ClickRow(0);
    EXPECT_EQ(Editor().Text("buttonBox"), "Power");
    QTest::keyClick(&Steps(), Qt::Key_Down);
    EXPECT_EQ(Steps().GetCurrent(), 1);
    EXPECT_EQ(Editor().Text("buttonBox"), "Mute");
    EXPECT_EQ(Editor().Text("description"), "Sound off");
    EXPECT_TRUE(Editor().IsEnabled("delete"));
}

// A plain step may hold its button: the hold typed goes into the step, shows beside its
// description and comes back into the box when its row is chosen. A megabutton step holds
// nothing of its own.
TEST_F(MegaButtonEditorTest, AStepHoldsItsButtonForTheTimeTyped)
{
    OpenEditor();
    QSpinBox& hold = Editor().Find<QSpinBox>("holdBox");
    EXPECT_EQ(hold.text(), "a press");
    Choose("Hifi", "Volume");
    ASSERT_TRUE(hold.isEnabled());
    QTest::keyClick(&hold, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&hold, "800");
    Editor().Click("insert");
    ASSERT_EQ(m_pMovie->m_steps.size(), 3u);
    EXPECT_EQ(m_pMovie->m_steps[2].m_nHoldMillis, 800);
    EXPECT_EQ(m_pMovie->m_steps[2].m_nDelay, 0);
    EXPECT_EQ(GetRowTexts(2), (QStringList{"", "Sound off", "Louder, held 800 ms"}));

    Choose("Hifi", "Loud");
    EXPECT_FALSE(hold.isEnabled());
    Editor().Click("insert");
    ASSERT_EQ(m_pMovie->m_steps.size(), 4u);
    EXPECT_EQ(m_pMovie->m_steps[3].m_nHoldMillis, 0);
    EXPECT_EQ(GetRowTexts(2).back(), "Three up");

    ClickRow(0);
    EXPECT_EQ(hold.value(), 0);
    ClickRow(2);
    EXPECT_EQ(hold.value(), 800);
    EXPECT_EQ(hold.text(), "800 ms");
    EXPECT_TRUE(Doc().IsModified());
}

struct SEditCase
{
    const char* pszName;
    int nCurrent; // the row clicked first; -1 for none
    bool bInsert; // else Delete
    CNames steps;
    int nCurrentAfter;
};

class MegaButtonEditCase : public MegaButtonEditorTest,
                           public ::testing::WithParamInterface<SEditCase>
{
};

// Volume is inserted before the current row, which moves down with its step, or at the end;
// Delete takes the current row's step and leaves no row current.
TEST_P(MegaButtonEditCase, KeepsRowsAndStepsTogether)
{
    const SEditCase& test = GetParam();
    OpenEditor();
    if (test.nCurrent >= 0)
        ClickRow(test.nCurrent);
    Choose("Hifi", "Volume");
    Editor().Click(test.bInsert ? "insert" : "delete");
    EXPECT_EQ(GetStepNames(), test.steps);
    EXPECT_EQ(GetRowTexts(1), ToStrings(test.steps)); // the list shows the steps as they stand
    EXPECT_EQ(Steps().GetCurrent(), test.nCurrentAfter);
    EXPECT_EQ(Editor().IsEnabled("delete"), test.nCurrentAfter >= 0);
    EXPECT_EQ(Doc().IsModified(), test.nCurrent >= 0 || test.bInsert);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, MegaButtonEditCase,
    ::testing::Values(
        SEditCase{"InsertWithoutCurrentRowAppends", -1, true, {"Power", "Mute", "Volume"}, -1},
        SEditCase{"InsertBeforeSecondRow", 1, true, {"Power", "Volume", "Mute"}, 2},
        SEditCase{"InsertBeforeFirstRow", 0, true, {"Volume", "Power", "Mute"}, 1},
        SEditCase{"DeleteFirstRow", 0, false, {"Mute"}, -1},
        SEditCase{"DeleteLastRow", 1, false, {"Power"}, -1},
        SEditCase{"DeleteWithoutCurrentRowDoesNothing", -1, false, {"Power", "Mute"}, -1}),
    [](const auto& info) { return std::string(info.param.pszName); });

enum class ERefusal
{
    Firing,
    NestedTooDeep,
    TooManyPlays,
};

struct SRefusalCase
{
    const char* pszName;
    ERefusal nCause;
    bool bInsert;
    int nMessage;
};

class MegaButtonRefusal : public MegaButtonEditorTest,
                          public ::testing::WithParamInterface<SRefusalCase>
{
protected:
    // Remote Deep: D1 plays Volume, each further Dn plays the one before; D64 nests 64 deep.
    void AddDeepChain()
    {
        CRemote& deep = *Doc().AddRemote("Deep", 0);
        CRemote* pRemote = m_pHifi;
        CRemoteButton* pInner = m_pVolume;
        for (int nLevel = 1; nLevel <= 64; ++nLevel)
        {
            CRemoteButton* pOuter = Doc().AddButton(deep, "D" + std::to_string(nLevel), "", true);
            pOuter->m_steps = {{pRemote, pInner, 0}};
            pRemote = &deep;
            pInner = pOuter;
        }
    }

    // Remote Wide: Many plays Volume 1,000 times, Most plays Many 1,000 times: a million plays.
    void AddWideFan()
    {
        CRemote& wide = *Doc().AddRemote("Wide", 0);
        CRemoteButton* pMany = Doc().AddButton(wide, "Many", "", true);
        pMany->m_steps.assign(1000, CMegaStep{m_pHifi, m_pVolume, 0});
        Doc().AddButton(wide, "Most", "", true)->m_steps.assign(1000, CMegaStep{&wide, pMany, 0});
    }
};

// A refused change leaves the megabutton, its rows and the document as they were.
TEST_P(MegaButtonRefusal, ChangesNothing)
{
    const SRefusalCase& test = GetParam();
    switch (test.nCause)
    {
    case ERefusal::Firing:
        m_pMovie->m_nFiring = 1;
        break;
    case ERefusal::NestedTooDeep:
        AddDeepChain();
        break;
    case ERefusal::TooManyPlays:
        AddWideFan();
        break;
    }
    Doc().SetModifiedFlag(false);
    OpenEditor();
    ClickRow(1);
    if (test.nCause == ERefusal::NestedTooDeep)
        Choose("Deep", "D64");
    else if (test.nCause == ERefusal::TooManyPlays)
        Choose("Wide", "Most");
    Editor().Click(test.bInsert ? "insert" : "delete");
    EXPECT_EQ(CMessageBox::TakeShownTexts(),
              QStringList(QString::fromStdString(FormatString(test.nMessage, "Movie"))));
    EXPECT_EQ(GetStepNames(), CNames({"Power", "Mute"}));
    EXPECT_EQ(GetRowTexts(1), QStringList({"Power", "Mute"}));
    EXPECT_EQ(Steps().GetCurrent(), 1);
    EXPECT_FALSE(Doc().IsModified());
    m_pMovie->m_nFiring = 0;
}

INSTANTIATE_TEST_SUITE_P(
    Steps, MegaButtonRefusal,
    ::testing::Values(
        SRefusalCase{"InsertWhileFiring", ERefusal::Firing, true, StringId::kButtonFiringChange},
        SRefusalCase{"DeleteWhileFiring", ERefusal::Firing, false, StringId::kButtonFiringChange},
        SRefusalCase{"NestedDeeperThanAFileHolds", ERefusal::NestedTooDeep, true,
                     StringId::kMegabuttonStepTooDeep},
        SRefusalCase{"MorePlaysThanAFileHolds", ERefusal::TooManyPlays, true,
                     StringId::kMegabuttonStepTooDeep}),
    [](const auto& info) { return std::string(info.param.pszName); });

struct SDelayCase
{
    const char* pszRemote;
    const char* pszButton;
    bool bDelayOffered;
    const char* pszRowDelay;
};

class MegaButtonDelay : public MegaButtonEditorTest,
                        public ::testing::WithParamInterface<SDelayCase>
{
};

// A megabutton step waits for its own steps' delays: the Delay box is off and its row shows no
// delay.
TEST_P(MegaButtonDelay, IsChosenForPlainButtonsOnly)
{
    const SDelayCase& test = GetParam();
    OpenEditor();
    Choose(test.pszRemote, test.pszButton);
    EXPECT_EQ(Editor().IsEnabled("delayBox"), test.bDelayOffered);
    Editor().Find<QComboBox>("delayBox").setCurrentIndex(3);
    Editor().Click("insert");
    EXPECT_EQ(GetRowTexts(3).back(), test.pszRowDelay);
    // Choosing the row again shows its step in the boxes.
    ClickRow(0);
    ClickRow(2);
    EXPECT_EQ(Editor().Text("buttonBox"), test.pszButton);
    EXPECT_EQ(Editor().IsEnabled("delayBox"), test.bDelayOffered);
}

INSTANTIATE_TEST_SUITE_P(Steps, MegaButtonDelay,
                         ::testing::Values(SDelayCase{"Hifi", "Volume", true, "30.0s"},
                                           SDelayCase{"Hifi", "Loud", false, ""}),
                         [](const auto& info) { return std::string(info.param.pszButton); });

struct SClickCase
{
    const char* pszName;
    std::vector<std::pair<int, Qt::KeyboardModifiers>> clicks;
    std::vector<int> selected;
    int nCurrent;
    int nAnchor;
};

class HostedListClicks : public MegaButtonEditorTest,
                         public ::testing::WithParamInterface<SClickCase>
{
};

// Rows 0 to 3 (two steps more); row 9 lies below the last row.
TEST_P(HostedListClicks, FollowTheShiftAndCtrlRules)
{
    const SClickCase& test = GetParam();
    m_pMovie->m_steps.push_back({m_pHifi, m_pVolume, 0});
    m_pMovie->m_steps.push_back({m_pHifi, m_pLoud, 0});
    OpenEditor();
    CHostedListCtrl& list = Steps();
    const int nRowHeight = list.visualRect(list.model()->index(0, 0)).height();
    for (const auto& [nRow, nKeys] : test.clicks)
        QTest::mouseClick(list.viewport(), Qt::LeftButton, nKeys,
                          QPoint(5, nRow * nRowHeight + nRowHeight / 2));
    std::vector<int> selected;
    for (const QModelIndex& index : list.selectionModel()->selectedRows())
        selected.push_back(index.row());
    std::ranges::sort(selected);
    EXPECT_EQ(selected, test.selected);
    EXPECT_EQ(list.GetCurrent(), test.nCurrent);
    EXPECT_EQ(list.GetAnchor(), test.nAnchor);
}

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;

INSTANTIATE_TEST_SUITE_P(
    Rows, HostedListClicks,
    ::testing::Values(
        SClickCase{"OneRow", {{2, kNone}}, {2}, 2, 2},
        SClickCase{"BelowTheLastRowChangesNothing", {{1, kNone}, {9, kNone}}, {1}, 1, 1},
        SClickCase{"ShiftDownFromTheAnchor", {{1, kNone}, {3, kShift}}, {1, 2, 3}, 3, 1},
        SClickCase{"ShiftUpFromTheAnchor", {{3, kNone}, {1, kShift}}, {1, 2, 3}, 1, 3},
        SClickCase{"ShiftWithoutAnchorStartsAtTheTop", {{2, kShift}}, {0, 1, 2}, 2, -1},
        SClickCase{"CtrlAddsARow", {{0, kNone}, {2, kCtrl}}, {0, 2}, 2, 2},
        SClickCase{
            "CtrlTakesARowOutButLeavesItCurrent", {{0, kNone}, {2, kCtrl}, {0, kCtrl}}, {2}, 0, 0}),
    [](const auto& info) { return std::string(info.param.pszName); });
} // namespace
