#include "app/CAppFixture.h"
#include "app/CFileDialog.h"
#include "app/CMainFrame.h"
#include "app/CMessageBox.h"
#include "device/CBiosClock.h"
#include "device/CDeviceFactory.h"
#include "device/CPortDevice.h"
#include "device/CSimulatedPort.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "support/CRecordingFrontEnd.h"
#include "support/CScriptedClock.h"
#include "ui/CButtonRecorderDlg.h"
#include "ui/CPadButton.h"
#include "ui/CRemoteBuilderDlg.h"
#include "ui/CRemotePadDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <tuple>
#include <vector>

namespace
{
using CBytes = std::vector<std::uint8_t>;

CBytes GetBits(const CRemoteButton& button)
{
    const std::span<const std::uint8_t> bytes = button.m_bits.GetBytes();
    return CBytes(bytes.begin(), bytes.end());
}

// Runs once the recorder waits: in the first pass of its message pump.
void WhileRecorderWaits(std::function<void(CButtonRecorderDlg&)> act)
{
    QTimer::singleShot(0,
                       [act]
                       {
                           for (QWidget* pWindow : QApplication::topLevelWidgets())
                           {
                               auto* pRecorder = qobject_cast<CButtonRecorderDlg*>(pWindow);
                               if (pRecorder && pRecorder->isVisible())
                                   return act(*pRecorder);
                           }
                           ADD_FAILURE() << "no recorder waiting";
                       });
}

// The whole program on the simulated unit, with the remote TV: Power (learned, described, in
// the top-left cell) and Mute (never learned, not placed).
class RemoteBuilderTest : public CAppFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start());
        m_pTv = &AddRemoteWithButton("TV");
        m_pPower = m_pTv->FindButton("Power");
        m_pPower->m_strDescription = "TV on/off";
        m_pTv->PlaceButton(*m_pPower, 0, 0);
        m_pMute = Doc().AddButton(*m_pTv, "Mute", "", false);
        Doc().SetModifiedFlag(false);
        CMessageBox::TakeShownTexts();
    }

    CRemoteBuilderDlg& OpenBuilder()
    {
        CSettings& settings = App().GetSettings();
        m_pBuilder = std::make_unique<CRemoteBuilderDlg>(
            Doc(), App().GetEngine(), App().GetDevice(),
            SBuilderPlaces{settings.m_builderPos.nLeft, settings.m_builderPos.nTop,
                           settings.m_recorderPos.nLeft, settings.m_recorderPos.nTop},
            &Frame());
        m_pBuilder->show();
        return *m_pBuilder;
    }

    template <typename TWidget = QPushButton> TWidget* Find(const char* pszName) const
    {
        return m_pBuilder->findChild<TWidget*>(pszName);
    }
    void Click(const char* pszName) const { QTest::mouseClick(Find(pszName), Qt::LeftButton); }
    // Replaces the Button box's text as the person would, key by key.
    void TypeButtonName(const QString& strName) const
    {
        QLineEdit* pEdit = Find<QComboBox>("buttonBox")->lineEdit();
        QTest::keyClick(pEdit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(pEdit, Qt::Key_Backspace);
        QTest::keyClicks(pEdit, strName);
    }
    // Learn with the hand-held remote pressed once the recorder waits.
    void LearnPressed() const
    {
        WhileRecorderWaits([this](CButtonRecorderDlg&)
                           { m_pTicks->Advance(CSimulatedRemote::kPressDelayMs); });
        Click("learn");
    }

    CRemote* m_pTv = nullptr;
    CRemoteButton* m_pPower = nullptr;
    CRemoteButton* m_pMute = nullptr;
    std::unique_ptr<CRemoteBuilderDlg> m_pBuilder;
};

struct STypedCase
{
    const char* pszTyped;
    const char* pszMatch; // the button the text names, or null
    bool bAddOffered;
    bool bTestOffered;
};

class TypedNameTest : public RemoteBuilderTest, public ::testing::WithParamInterface<STypedCase>
{
};

TEST_P(TypedNameTest, TheTextNamesAButtonLetterCaseAside)
{
    const STypedCase& test = GetParam();
    OpenBuilder();
    TypeButtonName(test.pszTyped);

    const CRemoteButton* pMatch = test.pszMatch ? m_pTv->FindButton(test.pszMatch) : nullptr;
    EXPECT_EQ(m_pBuilder->FindTypedButton(), pMatch);
    EXPECT_EQ(m_pBuilder->GetCurrentButton(), pMatch);
    EXPECT_EQ(Find("add")->isEnabled(), test.bAddOffered);
    EXPECT_EQ(Find("megaButton")->isEnabled(), test.bAddOffered);
    for (const char* pszCommand : {"remove", "learn", "assign"})
        EXPECT_EQ(Find(pszCommand)->isEnabled(), pMatch != nullptr) << pszCommand;
    EXPECT_EQ(Find("test")->isEnabled(), test.bTestOffered);
    if (pMatch)
    {
        EXPECT_EQ(Find<QLineEdit>("description")->text().toStdString(), pMatch->m_strDescription);
    }
}

INSTANTIATE_TEST_SUITE_P(Names, TypedNameTest,
                         ::testing::Values(STypedCase{"power", "Power", false, true},
                                           STypedCase{"MUTE", "Mute", false, false},
                                           STypedCase{"Pow", nullptr, true, false},
                                           STypedCase{"Power ", nullptr, true, false},
                                           STypedCase{"", nullptr, false, false}));

TEST_F(RemoteBuilderTest, RemoveTakesTheMatchedButtonAndItsCellAndOffersTheNameAnew)
{
    OpenBuilder();
    TypeButtonName("power");
    CMessageBox::QueueAnswer(QMessageBox::Yes);
    Click("remove");

    EXPECT_EQ(CMessageBox::TakeShownTexts(),
              QStringList{"TV on/off:  Are you sure you want to remove this button?"});
    EXPECT_EQ(m_pTv->FindButton("Power"), nullptr);
    EXPECT_EQ(m_pTv->m_grid[0], nullptr);
    EXPECT_EQ(Find<QComboBox>("buttonBox")->currentText(), "power");
    EXPECT_EQ(Find<QComboBox>("buttonBox")->count(), 1);
    EXPECT_TRUE(Find("add")->isEnabled());
    EXPECT_TRUE(Doc().IsModified());
}

TEST_F(RemoteBuilderTest, RemoveRefusesAButtonThatAMegabuttonOfAnotherRemotePlays)
{
    CRemote& hifi = *Doc().AddRemote("HiFi", 7);
    Doc().AddButton(hifi, "Party", "", true)->m_steps.push_back(CMegaStep{m_pTv, m_pPower, 0});
    Doc().SetModifiedFlag(false);
    OpenBuilder();
    auto* pRemoteBox = Find<QComboBox>("remoteBox");
    pRemoteBox->setCurrentIndex(pRemoteBox->findText("TV"));
    TypeButtonName("Power");
    Click("remove");

    EXPECT_EQ(CMessageBox::TakeShownTexts(),
              QStringList{"TV on/off:  This button is being used in one or more programmed "
                          "events or megabuttons.\n\nPlease adjust or remove the event(s) or "
                          "megabuttons(s)  before removing this button."});
    EXPECT_EQ(m_pTv->FindButton("Power"), m_pPower);
    EXPECT_EQ(Find<QComboBox>("buttonBox")->count(), 2);
    EXPECT_FALSE(Doc().IsModified());
}

struct SAssignCase
{
    const char* pszName;
    const char* pszButton;
    int nColumn, nRow;           // the cell chosen on the pad
    int nPowerColumn, nPowerRow; // where Power ends up
    int nMuteColumn, nMuteRow;   // where Mute ends up
};

class AssignTest : public RemoteBuilderTest, public ::testing::WithParamInterface<SAssignCase>
{
};

// The grid and the buttons' cells agree after every assignment, and the file saved from them
// loads again.
TEST_P(AssignTest, PlacesTheButtonOnTheChosenCellAndKeepsOneButtonPerCell)
{
    const SAssignCase& test = GetParam();
    m_pTv->PlaceButton(*m_pMute, 1, 1);
    Frame().OpenPad(*m_pTv);
    OpenBuilder();
    TypeButtonName(test.pszButton);
    WhenDialogOpens(
        [&test](QDialog& pad)
        {
            const int nId = CPadButton::kFirstId + test.nColumn * kGridRows + test.nRow;
            QTest::mouseClick(pad.findChild<CPadButton*>(CPadButton::GetObjectName(nId)),
                              Qt::LeftButton);
        });
    Click("assign");

    EXPECT_EQ(m_pTv->m_pPad, nullptr) << "the pad showing the old grid closed";
    const QString strPath = GetTempPath("assigned.qb");
    ASSERT_TRUE(Doc().OnSaveDocument(strPath.toStdString()));
    ASSERT_TRUE(App().OpenDocumentFile(strPath));
    const CRemote& tv = *Doc().FindRemote("TV");
    for (const auto& [pszName, nColumn, nRow] :
         {std::tuple{"Power", test.nPowerColumn, test.nPowerRow},
          std::tuple{"Mute", test.nMuteColumn, test.nMuteRow}})
    {
        const CRemoteButton& button = *tv.FindButton(pszName);
        EXPECT_EQ(button.m_nColumn, nColumn) << pszName;
        EXPECT_EQ(button.m_nRow, nRow) << pszName;
        if (button.IsPlaced())
        {
            EXPECT_EQ(tv.m_grid[button.GetCell()], &button) << pszName;
        }
    }
    EXPECT_EQ(std::count(tv.m_grid.begin(), tv.m_grid.end(), nullptr),
              kGridCells - (test.nPowerColumn < 5) - (test.nMuteColumn < 5));
}

INSTANTIATE_TEST_SUITE_P(Cells, AssignTest,
                         ::testing::Values(SAssignCase{"EmptyCell", "Power", 2, 3, 2, 3, 1, 1},
                                           SAssignCase{"OwnCell", "Power", 0, 0, 5, 15, 1, 1},
                                           SAssignCase{"OccupiedCell", "Mute", 0, 0, 5, 15, 0, 0}),
                         [](const auto& info) { return std::string(info.param.pszName); });

struct SWaitEndCase
{
    const char* pszName;
    void (*pAct)(CButtonRecorderDlg& recorder);
    bool bCancels;
};

class RecorderWaitTest : public RemoteBuilderTest,
                         public ::testing::WithParamInterface<SWaitEndCase>
{
};

// While the recorder waits, the builder refuses to close and its editing controls are off; a
// way out of the wait either cancels, leaving everything as it was, or lets the press come.
TEST_P(RecorderWaitTest, LocksTheBuilderUntilTheWaitEndsOnlyByCancelOrASignal)
{
    const SWaitEndCase& test = GetParam();
    OpenBuilder();
    TypeButtonName("Power");
    const CBytes oldBits = GetBits(*m_pPower);
    const char* const locked[] = {"remove", "learn", "test", "assign", "close"};
    std::vector<bool> lockedEnabled;
    bool bBuilderClosed = true;
    WhileRecorderWaits(
        [&](CButtonRecorderDlg& recorder)
        {
            for (const char* pszName : locked)
                lockedEnabled.push_back(Find(pszName)->isEnabled());
            for (QWidget* pBox : {Find<QWidget>("remoteBox"), Find<QWidget>("buttonBox"),
                                  Find<QWidget>("description")})
                lockedEnabled.push_back(pBox->isEnabled());
            EXPECT_TRUE(Find("advanced")->isEnabled());
            m_pBuilder->reject();
            bBuilderClosed = m_pBuilder->close() || !m_pBuilder->isVisible();
            test.pAct(recorder);
            m_pTicks->Advance(CSimulatedRemote::kPressDelayMs);
        });
    Click("learn");

    EXPECT_EQ(lockedEnabled, std::vector<bool>(8, false));
    EXPECT_FALSE(bBuilderClosed);
    EXPECT_EQ(m_pBuilder->GetRecorder(), nullptr);
    for (const char* pszName : locked)
        EXPECT_TRUE(Find(pszName)->isEnabled()) << pszName;
    EXPECT_EQ(GetBits(*m_pPower) == oldBits, test.bCancels);
    EXPECT_EQ(Doc().IsModified(), !test.bCancels);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, RecorderWaitTest,
    ::testing::Values(SWaitEndCase{"CancelButton",
                                   [](CButtonRecorderDlg& recorder) {
                                       QTest::mouseClick(recorder.findChild<QPushButton*>("cancel"),
                                                         Qt::LeftButton);
                                   },
                                   true},
                      SWaitEndCase{"Escape",
                                   [](CButtonRecorderDlg& recorder)
                                   { QTest::keyClick(&recorder, Qt::Key_Escape); },
                                   true},
                      SWaitEndCase{"WindowClose",
                                   [](CButtonRecorderDlg& recorder) { recorder.close(); }, true},
                      SWaitEndCase{"Enter",
                                   [](CButtonRecorderDlg& recorder) {
                                       QTest::keyClick(recorder.findChild<QPushButton*>("cancel"),
                                                       Qt::Key_Return);
                                   },
                                   false}),
    [](const auto& info) { return std::string(info.param.pszName); });

TEST_F(RemoteBuilderTest, RecorderOpensCentredOverTheBuilderFirstThenWhereItWasLeft)
{
    OpenBuilder();
    m_pBuilder->move(100, 80);
    TypeButtonName("Power");
    QRect firstShown;
    WhileRecorderWaits(
        [&firstShown](CButtonRecorderDlg& recorder)
        {
            firstShown = recorder.frameGeometry();
            recorder.move(30, 40);
            recorder.reject();
        });
    Click("learn");
    const QRect builder = m_pBuilder->frameGeometry();
    EXPECT_EQ(firstShown.topLeft(),
              QPoint(builder.left() + (builder.width() - firstShown.width()) / 2,
                     builder.top() + (builder.height() - firstShown.height()) / 2));
    const CSettings::SPosition& stored = App().GetSettings().m_recorderPos;
    EXPECT_EQ(QPoint(stored.nLeft, stored.nTop), QPoint(30, 40));

    QPoint shownAgain;
    WhileRecorderWaits(
        [&shownAgain](CButtonRecorderDlg& recorder)
        {
            shownAgain = recorder.pos();
            recorder.reject();
        });
    Click("learn");
    EXPECT_EQ(shownAgain, QPoint(30, 40));
}

// Counts the requests to quit that reach the application, and keeps them from ending the tests.
class CQuitCounter : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* pEvent) override
    {
        m_nQuits += pEvent->type() == QEvent::Quit;
        return pEvent->type() == QEvent::Quit;
    }
    int m_nQuits = 0;
};

TEST_F(RemoteBuilderTest, AQuitAskedForWhileTheRecorderWaitsComesOnceTheRecordingIsOver)
{
    CQuitCounter counter;
    QCoreApplication::instance()->installEventFilter(&counter);
    OpenBuilder();
    TypeButtonName("Power");
    int nQuitsWhileWaiting = -1;
    WhileRecorderWaits(
        [&](CButtonRecorderDlg&)
        {
            QEvent quit(QEvent::Quit);
            QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
            QCoreApplication::processEvents();
            nQuitsWhileWaiting = counter.m_nQuits;
            m_pTicks->Advance(CSimulatedRemote::kPressDelayMs);
        });
    Click("learn");
    QCoreApplication::sendPostedEvents();
    QCoreApplication::instance()->removeEventFilter(&counter);

    EXPECT_EQ(nQuitsWhileWaiting, 0);
    EXPECT_EQ(counter.m_nQuits, 1);
    EXPECT_TRUE(Doc().IsModified()) << "the wait went on to a recording";
}

// The samples of infrared at the start of a recording.
std::uint32_t GetLeadingMark(const CRemoteButton& button)
{
    std::uint32_t nSample = 0;
    while (nSample < button.m_bits.GetLength() * 8 &&
           (button.m_bits[nSample / 8] >> (7 - nSample % 8)) & 1)
        ++nSample;
    return nSample;
}

struct SLeadInCase
{
    const char* pszName;
    CSimulatedRemote::CRuns leadIn; // no infrared, infrared, ... before the frame's header
    bool bPressedAtOnce;            // already pressed when the recorder first reads the line
};

class RecorderStartTest : public RemoteBuilderTest,
                          public ::testing::WithParamInterface<SLeadInCase>
{
};

// Sampling starts right after the fall of the line: of the header's mark only the read that
// saw the fall is missing from the recording. A line low at the start is first awaited high.
TEST_P(RecorderStartTest, TheRecordingStartsWithTheSampleAfterTheFall)
{
    const SLeadInCase& test = GetParam();
    CSimulatedRemote::CRuns runs = test.leadIn;
    const CSimulatedRemote::CRuns frame = CSimulatedRemote::MakeFrame(0x04, 0x21);
    runs.insert(runs.end(), frame.begin() + 1, frame.end());
    FindSimulatedRemote(App().GetDevice())->QueueSignal(runs);
    OpenBuilder();
    TypeButtonName("Mute");
    if (test.bPressedAtOnce)
    {
        m_pTicks->m_nStepPerRead = CSimulatedRemote::kPressDelayMs;
        Click("learn");
    }
    else
        LearnPressed();

    EXPECT_EQ(GetLeadingMark(*m_pMute), frame[1] - 1);
    EXPECT_TRUE(Find("test")->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    LeadIns, RecorderStartTest,
    ::testing::Values(SLeadInCase{"Idle", {CSimulatedRemote::kIdleSamples}, false},
                      SLeadInCase{"LowAtStart", {0, 500, 700}, true}),
    [](const auto& info) { return std::string(info.param.pszName); });

using RemoteBuilderRoadTest = CAppFixture;

// What a person without a unit does first: a remote, a button learned from the simulated
// remote, tested, placed, saved, opened again and fired from the pad.
TEST_F(RemoteBuilderRoadTest, AddLearnTestAssignSaveReopenAndFireFromThePad)
{
    ASSERT_TRUE(Start());
    CSimulatedPort& port =
        dynamic_cast<CPortDevice<CSimulatedPort>&>(App().GetDevice()).GetPortBackend();
    const int nCell = CPadButton::kFirstId + 1 * kGridRows + 2;
    WhenDialogOpens(
        [](QDialog& dlg)
        {
            QTest::keyClicks(dlg.findChild<QLineEdit*>("name"), "Amp");
            QTest::mouseClick(dlg.findChild<QPushButton*>("ok"), Qt::LeftButton);
        });
    Frame().OnCommand(CMainFrame::kCmdAddRemote);
    CBytes learned;
    std::uint64_t nTestSamples = 0;
    WhenDialogOpens(
        [&](QDialog& builder)
        {
            const auto click = [&builder](const char* pszName)
            { QTest::mouseClick(builder.findChild<QPushButton*>(pszName), Qt::LeftButton); };
            QTest::keyClicks(builder.findChild<QComboBox*>("buttonBox")->lineEdit(), "Power");
            QTest::keyClicks(builder.findChild<QLineEdit*>("description"), "Amplifier on/off");
            click("add");
            WhileRecorderWaits([this](CButtonRecorderDlg&)
                               { m_pTicks->Advance(CSimulatedRemote::kPressDelayMs); });
            click("learn");
            learned = GetBits(*Doc().FindRemote("Amp")->FindButton("Power"));
            port.ClearEmitterRecord();
            click("test");
            nTestSamples = port.GetEmitterWriteCount();
            WhenDialogOpens(
                [nCell](QDialog& pad)
                {
                    QTest::mouseClick(pad.findChild<CPadButton*>(CPadButton::GetObjectName(nCell)),
                                      Qt::LeftButton);
                });
            click("assign");
            click("close");
        });
    Frame().OnCommand(CMainFrame::kCmdRemoteBuilder);
    ASSERT_FALSE(learned.empty());
    EXPECT_EQ(nTestSamples, learned.size() * 8 + 1);
    const QString strPath = GetTempPath("amp.qb");
    CFileDialog::QueuePath(strPath);
    Frame().OnCommand(CMainFrame::kCmdFileSaveAs);

    CScriptedClock clockBackend;
    CBiosClock clock(clockBackend);
    CRecordingFrontEnd frontEnd;
    CQuorbexDoc saved(frontEnd, clock, SClockSettings{});
    ASSERT_TRUE(saved.OnOpenDocument(strPath.toStdString()));
    const CRemoteButton* pSaved = saved.FindRemote("Amp")->FindButton("Power");
    ASSERT_NE(pSaved, nullptr);
    EXPECT_EQ(pSaved->m_strDescription, "Amplifier on/off");
    EXPECT_EQ(pSaved->GetCell(), nCell - CPadButton::kFirstId);
    EXPECT_EQ(GetBits(*pSaved), learned);

    Frame().OnCommand(CMainFrame::kCmdFileNew);
    CFileDialog::QueuePath(strPath);
    Frame().OnCommand(CMainFrame::kCmdFileOpen);
    CRemote* pAmp = Doc().FindRemote("Amp");
    ASSERT_NE(pAmp, nullptr);
    Frame().OnCommand(pAmp->m_nMenuId);
    port.ClearEmitterRecord();
    QTest::mouseClick(pAmp->m_pPad->findChild<CPadButton*>(CPadButton::GetObjectName(nCell)),
                      Qt::LeftButton);
    const std::vector<std::uint8_t> sent = port.GetEmitterRecord();
    ASSERT_EQ(sent.size(), learned.size() * 8 + 1);
    for (std::size_t nSample = 0; nSample + 1 < sent.size(); ++nSample)
        ASSERT_EQ(sent[nSample], (learned[nSample / 8] >> (7 - nSample % 8)) & 1) << nSample;
}
} // namespace
