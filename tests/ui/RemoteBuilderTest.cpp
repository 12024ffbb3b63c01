#include "app/CAppFixture.h"
#include "app/CFileDialog.h"
#include "app/CMainFrame.h"
#include "app/CMessageBox.h"
#include "device/CDeviceFactory.h"
#include "device/CLircDevice.h"
#include "device/CPortDevice.h"
#include "device/CSimulatedPort.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "signal/SignalDurations.h"
#include "support/CFakeLircSystem.h"
#include "support/CTempFolder.h"
#include "ui/CButtonRecorderDlg.h"
#include "ui/CDialogDriver.h"
#include "ui/CEventProgrammerDlg.h"
#include "ui/CNewFromCodeDlg.h"
#include "ui/CPadButton.h"
#include "ui/CRemoteBuilderDlg.h"
#include "ui/CRemotePadDlg.h"
#include "ui/PlaceWindowOnScreen.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <fstream>
#include <map>
#include <vector>

namespace
{
using CBytes = std::vector<std::uint8_t>;

CBytes GetBits(const CRemoteButton& button)
{
    const std::span<const std::uint8_t> bytes = button.m_bits.GetBytes();
    return CBytes(bytes.begin(), bytes.end());
}

// What the simulated emitter sent since its record was cleared, packed as a bitstream is.
CBytes GetSentBits(const CSimulatedPort& port)
{
    const std::vector<std::uint8_t> samples = port.GetEmitterRecord();
    CBytes bits((samples.size() + 6) / 8);
    for (std::size_t nSample = 0; nSample + 1 < samples.size(); ++nSample)
        bits[nSample / 8] |= static_cast<std::uint8_t>((samples[nSample] & 1) << (7 - nSample % 8));
    return bits;
}

QString GetCellName(int nColumn, int nRow)
{
    return CPadButton::GetObjectName(CPadButton::kFirstId + nColumn * kGridRows + nRow);
}

void ClickCell(const QWidget& pad, int nColumn, int nRow)
{
    CDialogDriver(pad).Click(GetCellName(nColumn, nRow).toLatin1().constData());
}

// Runs once the recorder waits, in the first pass of its message pump.
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

    void OpenBuilder()
    {
        CSettings& settings = App().GetSettings();
        m_pBuilder = std::make_unique<CRemoteBuilderDlg>(Doc(), App().GetSession().GetEngine(),
                                                         App().GetUnit().GetDevice(),
                                                         settings.GetBuilderPlaces(), &Frame());
        m_pBuilder->show();
    }

    CDialogDriver Builder() const { return CDialogDriver(*m_pBuilder); }

    // Learn, with the hand-held remote pressed once the recorder waits.
    void LearnPressed() const
    {
        WhileRecorderWaits([this](CButtonRecorderDlg&)
                           { m_pTicks->Advance(CSimulatedRemote::kPressDelayMs); });
        Builder().Click("learn");
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
    // The matched button's; a text without a match starts without one.
    const char* pszDescription;
};

class TypedNameTest : public RemoteBuilderTest, public ::testing::WithParamInterface<STypedCase>
{
};

TEST_P(TypedNameTest, TheTextNamesAButtonLetterCaseAside)
{
    const STypedCase& test = GetParam();
    OpenBuilder();
    Builder().Type("buttonBox", test.pszTyped);

    const CRemoteButton* pMatch = test.pszMatch ? m_pTv->FindButton(test.pszMatch) : nullptr;
    EXPECT_EQ(m_pBuilder->FindTypedButton(), pMatch);
    EXPECT_EQ(m_pBuilder->GetCurrentButton(), pMatch);
    EXPECT_EQ(Builder().IsEnabled("add"), test.bAddOffered);
    EXPECT_EQ(Builder().IsEnabled("megaButton"), test.bAddOffered);
    for (const char* pszCommand : {"remove", "learn", "assign"})
        EXPECT_EQ(Builder().IsEnabled(pszCommand), pMatch != nullptr) << pszCommand;
    EXPECT_EQ(Builder().IsEnabled("test"), test.bTestOffered);
    EXPECT_EQ(Builder().Find<QLineEdit>("description").text(), test.pszDescription);
}

INSTANTIATE_TEST_SUITE_P(Names, TypedNameTest,
                         ::testing::Values(STypedCase{"power", "Power", false, true, "TV on/off"},
                                           STypedCase{"MUTE", "Mute", false, false, ""},
                                           STypedCase{"Pow", nullptr, true, false, ""},
                                           STypedCase{"Power ", nullptr, true, false, ""},
                                           STypedCase{"", nullptr, false, false, ""}));

// What is typed there is the named button's once the field is left or Enter is pressed, and
// never the next new button's.
TEST_F(RemoteBuilderTest, TheDescriptionIsStoredForTheNamedButtonWhenLeftOrEntered)
{
    OpenBuilder();
    Builder().Type("buttonBox", "mute");
    Builder().Type("description", "Sound off");
    QTest::keyClick(&Builder().Find<QLineEdit>("description"), Qt::Key_Return);
    EXPECT_EQ(m_pMute->m_strDescription, "Sound off");
    EXPECT_TRUE(Doc().IsModified());

    Builder().Type("description", "Lamp on/off");
    Builder().Leave("description");
    EXPECT_EQ(m_pMute->m_strDescription, "Lamp on/off");

    Builder().Type("buttonBox", "Dim");
    EXPECT_EQ(Builder().Find<QLineEdit>("description").text(), "");
    Builder().Click("add");
    EXPECT_EQ(m_pTv->FindButton("Dim")->m_strDescription, "");
}

// Imported names are long: the Button box's list shows them whole however narrow the box, and
// each entry's tooltip names it.
TEST_F(RemoteBuilderTest, TheButtonListShowsLongNamesWhole)
{
    Doc().AddButton(*m_pTv, "KEY_VOLUMEDOWN", "", false);
    OpenBuilder();
    auto& box = Builder().Find<QComboBox>("buttonBox");
    const int nIndex = box.findText("KEY_VOLUMEDOWN");
    ASSERT_GE(nIndex, 0);
    box.showPopup();
    QAbstractItemView& view = *box.view();
    const QRect entry = view.visualRect(box.model()->index(nIndex, 0));
    EXPECT_GE(entry.width(), view.fontMetrics().horizontalAdvance("KEY_VOLUMEDOWN"));
    EXPECT_GT(view.width(), box.width());
    EXPECT_EQ(view.textElideMode(), Qt::ElideMiddle);
    EXPECT_EQ(box.itemData(nIndex, Qt::ToolTipRole).toString(), "KEY_VOLUMEDOWN");
    box.hidePopup();
}

// The field stops at what a file keeps, and says so before and when it stops.
TEST_F(RemoteBuilderTest, TheDescriptionSaysItHoldsThirtyOneCharacters)
{
    OpenBuilder();
    auto& description = Builder().Find<QLineEdit>("description");
    description.clear();
    EXPECT_TRUE(description.placeholderText().contains("31 characters"));
    description.setFocus();
    QTest::keyClicks(&description, QString(35, 'x'));
    EXPECT_EQ(description.text().size(), 31);
    EXPECT_EQ(QToolTip::text(), "A description holds 31 characters at most.");
    QToolTip::hideText();
}

// The letter after the ampersand, or nothing.
QChar GetMnemonic(const QString& strText)
{
    const qsizetype nAt = strText.indexOf('&');
    return nAt < 0 || nAt + 1 >= strText.size() ? QChar() : strText[nAt + 1].toLower();
}

// Every button and every label of a field is reached with Alt and its own letter.
TEST_F(RemoteBuilderTest, EveryLabelAndButtonHasAMnemonicOfItsOwn)
{
    OpenBuilder();
    int nLeft = CEventProgrammerDlg::kNoPosition;
    int nTop = 0;
    const CEventProgrammerDlg programmer(Doc(), nullptr, nLeft, nTop);
    for (const QWidget* pDialog :
         std::initializer_list<const QWidget*>{m_pBuilder.get(), &programmer})
    {
        std::map<QChar, QString> taken;
        const auto check = [&taken](const QString& strText)
        {
            const QChar letter = GetMnemonic(strText);
            EXPECT_FALSE(letter.isNull()) << strText.toStdString();
            const auto [it, bNew] = taken.emplace(letter, strText);
            EXPECT_TRUE(bNew || letter.isNull())
                << strText.toStdString() << " and " << it->second.toStdString();
        };
        for (const QAbstractButton* pButton : pDialog->findChildren<QAbstractButton*>())
            check(pButton->text());
        for (const QLabel* pLabel : pDialog->findChildren<QLabel*>())
        {
            if (pLabel->buddy())
                check(pLabel->text());
        }
    }
}

struct SRemoveCase
{
    const char* pszName;
    bool bPlayedByMegabuttonElsewhere;
    const char* pszShown;
};

class RemoveTest : public RemoteBuilderTest, public ::testing::WithParamInterface<SRemoveCase>
{
};

TEST_P(RemoveTest, RemovesTheNamedButtonWithItsCellUnlessAnotherRemotePlaysIt)
{
    const SRemoveCase& test = GetParam();
    if (test.bPlayedByMegabuttonElsewhere)
    {
        CRemote& hifi = *Doc().AddRemote("HiFi", 7);
        Doc().AddButton(hifi, "Party", "", true)->m_steps.push_back(CMegaStep{m_pTv, m_pPower, 0});
        Doc().SetModifiedFlag(false);
    }
    OpenBuilder();
    Builder().Find<QComboBox>("remoteBox").setCurrentText("TV");
    Builder().Type("buttonBox", "power");
    CMessageBox::QueueAnswer(QMessageBox::Yes);
    Builder().Click("remove");

    const bool bRemoved = !test.bPlayedByMegabuttonElsewhere;
    EXPECT_EQ(CMessageBox::TakeShownTexts(), QStringList{test.pszShown});
    EXPECT_EQ(m_pTv->FindButton("Power") == nullptr, bRemoved);
    EXPECT_EQ(m_pTv->m_grid[0] == nullptr, bRemoved);
    EXPECT_EQ(Doc().IsModified(), bRemoved);
    // The name stays in the box as typed, and may be added anew once its button is gone.
    EXPECT_EQ(Builder().Text("buttonBox"), "power");
    EXPECT_EQ(Builder().Find<QComboBox>("buttonBox").count(), bRemoved ? 1 : 2);
    EXPECT_EQ(Builder().IsEnabled("add"), bRemoved);
}

INSTANTIATE_TEST_SUITE_P(
    Uses, RemoveTest,
    ::testing::Values(SRemoveCase{"Unused", false,
                                  "TV on/off:  Are you sure you want to remove this button?"},
                      SRemoveCase{"PlayedByMegabuttonOfAnotherRemote", true,
                                  "TV on/off (used by HiFi: Party):  This button is being used in "
                                  "one or more programmed events or megabuttons.\n\nPlease "
                                  "adjust or remove the event(s) or megabutton(s) before "
                                  "removing this button."}),
    [](const auto& info) { return std::string(info.param.pszName); });

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
    Builder().Type("buttonBox", test.pszButton);
    WhenDialogOpens([&test](QDialog& pad) { ClickCell(pad, test.nColumn, test.nRow); });
    Builder().Click("assign");

    EXPECT_FALSE(m_pTv->m_bPadOpen) << "the pad showing the old grid closed";
    const QString strPath = GetTempPath("assigned.qb");
    ASSERT_TRUE(Doc().OnSaveDocument(strPath.toStdString()));
    ASSERT_TRUE(App().GetDocuments().OpenDocumentFile(strPath));
    const CRemote& tv = *Doc().FindRemote("TV");
    const CRemoteButton& power = *tv.FindButton("Power");
    const CRemoteButton& mute = *tv.FindButton("Mute");
    EXPECT_EQ(std::pair(power.m_nColumn, power.m_nRow),
              std::pair(test.nPowerColumn, test.nPowerRow));
    EXPECT_EQ(std::pair(mute.m_nColumn, mute.m_nRow), std::pair(test.nMuteColumn, test.nMuteRow));
    EXPECT_EQ(std::count(tv.m_grid.begin(), tv.m_grid.end(), nullptr),
              kGridCells - power.IsPlaced() - mute.IsPlaced());
}

INSTANTIATE_TEST_SUITE_P(Cells, AssignTest,
                         ::testing::Values(SAssignCase{"EmptyCell", "Power", 2, 3, 2, 3, 1, 1},
                                           SAssignCase{"OwnCell", "Power", 0, 0, 5, 15, 1, 1},
                                           SAssignCase{"OccupiedCell", "Mute", 0, 0, 5, 15, 0, 0}),
                         [](const auto& info) { return std::string(info.param.pszName); });

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

struct SWaitCase
{
    const char* pszName;
    void (*pAct)(CButtonRecorderDlg& recorder);
    bool bCancels;
    int nQuitsAfter; // quit requests that reach the application once the recording is over
};

class RecorderWaitTest : public RemoteBuilderTest, public ::testing::WithParamInterface<SWaitCase>
{
};

// While the recorder waits, the builder refuses to close and its editing controls are off. A
// cancel leaves everything as it was; anything else lets the press come and be recorded, and
// a quit asked for meanwhile comes only once the recording is over.
TEST_P(RecorderWaitTest, LocksTheBuilderAndEndsOnlyByCancelOrASignal)
{
    const SWaitCase& test = GetParam();
    CQuitCounter quits;
    QCoreApplication::instance()->installEventFilter(&quits);
    OpenBuilder();
    Builder().Type("buttonBox", "Power");
    const CBytes oldBits = GetBits(*m_pPower);
    const char* const locked[] = {"remoteBox", "buttonBox", "description", "remove",
                                  "learn",     "test",      "assign",      "close"};
    std::vector<bool> enabledWhileWaiting;
    int nQuitsWhileWaiting = -1;
    WhileRecorderWaits(
        [&](CButtonRecorderDlg& recorder)
        {
            for (const char* pszName : locked)
                enabledWhileWaiting.push_back(Builder().IsEnabled(pszName));
            m_pBuilder->reject();
            m_pBuilder->close();
            test.pAct(recorder);
            QCoreApplication::processEvents();
            nQuitsWhileWaiting = quits.m_nQuits;
            m_pTicks->Advance(CSimulatedRemote::kPressDelayMs);
        });
    Builder().Click("learn");
    QCoreApplication::sendPostedEvents();
    QCoreApplication::instance()->removeEventFilter(&quits);

    EXPECT_EQ(enabledWhileWaiting, std::vector<bool>(std::size(locked), false));
    EXPECT_TRUE(m_pBuilder->isVisible());
    EXPECT_EQ(m_pBuilder->GetRecorder(), nullptr);
    for (const char* pszName : locked)
        EXPECT_TRUE(Builder().IsEnabled(pszName)) << pszName;
    EXPECT_EQ(GetBits(*m_pPower) == oldBits, test.bCancels);
    EXPECT_EQ(Doc().IsModified(), !test.bCancels);
    EXPECT_EQ(nQuitsWhileWaiting, 0);
    EXPECT_EQ(quits.m_nQuits, test.nQuitsAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, RecorderWaitTest,
    ::testing::Values(
        SWaitCase{"CancelButton", [](CButtonRecorderDlg& r) { CDialogDriver(r).Click("cancel"); },
                  true, 0},
        SWaitCase{"Escape", [](CButtonRecorderDlg& r) { QTest::keyClick(&r, Qt::Key_Escape); },
                  true, 0},
        SWaitCase{"WindowClose", [](CButtonRecorderDlg& r) { r.close(); }, true, 0},
        SWaitCase{"Enter",
                  [](CButtonRecorderDlg& r)
                  { QTest::keyClick(&CDialogDriver(r).Find<QWidget>("cancel"), Qt::Key_Return); },
                  false, 0},
        SWaitCase{"Quit",
                  [](CButtonRecorderDlg&)
                  {
                      QEvent quit(QEvent::Quit);
                      QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
                  },
                  false, 1}),
    [](const auto& info) { return std::string(info.param.pszName); });

TEST_F(RemoteBuilderTest, RecorderOpensCentredOverTheBuilderFirstThenWhereItWasLeft)
{
    OpenBuilder();
    m_pBuilder->move(100, 80);
    Builder().Type("buttonBox", "Power");
    std::vector<QRect> shown;
    for (int nRecording = 0; nRecording < 2; ++nRecording)
    {
        WhileRecorderWaits(
            [&shown](CButtonRecorderDlg& recorder)
            {
                shown.push_back(recorder.geometry());
                recorder.setGeometry(QRect(QPoint(30, 40), recorder.size()));
                recorder.reject();
            });
        Builder().Click("learn");
    }
    const QRect builder = m_pBuilder->geometry();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].topLeft(),
              QPoint(builder.left() + (builder.width() - shown[0].width()) / 2,
                     builder.top() + (builder.height() - shown[0].height()) / 2));
    EXPECT_EQ(shown[1].topLeft(), QPoint(30, 40));
    const CSettings::SPosition& stored = App().GetSettings().m_recorderPos;
    EXPECT_EQ(QPoint(stored.nLeft, stored.nTop), QPoint(30, 40));
}

struct SLeadInCase
{
    const char* pszName;
    CSimulatedRemote::CRuns leadIn; // no infrared, infrared, ... before the frame's header
    bool bPressedAtOnce;            // already pressed when the recorder first reads the line
};

// On a lirc device the recorder sleeps on the device between passes of its message pump: a
// press three seconds off costs a few hundred polls, not millions.
TEST_F(RemoteBuilderTest, RecorderWaitsOnALircDeviceWithoutSpinning)
{
    constexpr const char* kPath = "/dev/lirc0";
    const std::vector<std::uint32_t> frame{9000, 4500, 560, 1690, 560, 560, 560};
    CFakeLircSystem system;
    CFakeLircSystem::SDevice& fake = system.AddDevice(kPath);
    std::string strError;
    const auto pDevice = CLircDevice::Open(system, kPath, strError);
    ASSERT_NE(pDevice, nullptr) << strError;
    fake.arrivals.push_back({system.m_nMicros + 3000000, CFakeLircSystem::ToValues(frame)});
    CFiringEngine& engine = App().GetSession().GetEngine();
    CInfraredDevice& unit = engine.GetDevice();
    engine.SetDevice(*pDevice);
    int nLeft = kNoStoredPosition;
    int nTop = 0;
    CButtonRecorderDlg recorder(*m_pMute, engine, *pDevice, nLeft, nTop, &Frame());
    const bool bRecorded = recorder.RecordButton();
    engine.SetDevice(unit);

    EXPECT_TRUE(bRecorded);
    EXPECT_EQ(ToDurations(m_pMute->m_bits, 1000), frame);
    EXPECT_LE(fake.nPolls, 1000u);
}

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
    FindSimulatedRemote(App().GetUnit().GetDevice())->QueueSignal(runs);
    OpenBuilder();
    Builder().Type("buttonBox", "Mute");
    if (test.bPressedAtOnce)
    {
        m_pTicks->m_nStepPerRead = CSimulatedRemote::kPressDelayMs;
        Builder().Click("learn");
    }
    else
        LearnPressed();

    std::uint32_t nMark = 0;
    while (((m_pMute->m_bits[nMark / 8] >> (7 - nMark % 8)) & 1) != 0)
        ++nMark;
    EXPECT_EQ(nMark, frame[1] - 1);
    EXPECT_TRUE(Builder().IsEnabled("test"));
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
        dynamic_cast<CPortDevice<CSimulatedPort>&>(App().GetUnit().GetDevice()).GetPortBackend();
    WhenDialogOpens(
        [](QDialog& dlg)
        {
            CDialogDriver(dlg).Type("name", "Amp");
            CDialogDriver(dlg).Click("ok");
        });
    Frame().OnCommand(CMainFrame::kCmdAddRemote);
    CBytes learned;
    CBytes tested;
    QString strDecoded;
    WhenDialogOpens(
        [&](QDialog& dlg)
        {
            const CDialogDriver builder(dlg);
            builder.Type("buttonBox", "Power");
            builder.Type("description", "Amplifier on/off");
            builder.Click("add");
            WhileRecorderWaits([this](CButtonRecorderDlg&)
                               { m_pTicks->Advance(CSimulatedRemote::kPressDelayMs); });
            builder.Click("learn");
            learned = GetBits(*Doc().FindRemote("Amp")->FindButton("Power"));
            strDecoded = builder.Find<QLineEdit>("decodedSignal").text();
            port.ClearEmitterRecord();
            builder.Click("test");
            tested = GetSentBits(port);
            WhenDialogOpens([](QDialog& pad) { ClickCell(pad, 1, 2); });
            builder.Click("assign");
            builder.Click("close");
        });
    Frame().OnCommand(CMainFrame::kCmdRemoteBuilder);
    ASSERT_FALSE(learned.empty());
    EXPECT_EQ(tested, learned);
    // The simulated remote's frame, read at its nominal microsecond a sample.
    EXPECT_TRUE(strDecoded.startsWith("NEC address 0x04 command 0x")) << strDecoded.toStdString();
    // What the button keeps beside its samples: the unit's period and NEC's carrier.
    EXPECT_TRUE(strDecoded.endsWith("; 1.000 µs a sample, carrier 38 kHz"))
        << strDecoded.toStdString();
    const QString strPath = GetTempPath("amp.qb");
    CFileDialog::QueuePath(strPath);
    Frame().OnCommand(CMainFrame::kCmdFileSaveAs);

    // What opens again is what the file holds.
    Frame().OnCommand(CMainFrame::kCmdFileNew);
    CFileDialog::QueuePath(strPath);
    Frame().OnCommand(CMainFrame::kCmdFileOpen);
    CRemote* pAmp = Doc().FindRemote("Amp");
    ASSERT_NE(pAmp, nullptr);
    const CRemoteButton* pPower = pAmp->GetButtonAt(1, 2);
    ASSERT_NE(pPower, nullptr);
    EXPECT_EQ(pPower->m_strName, "Power");
    EXPECT_EQ(pPower->m_strDescription, "Amplifier on/off");
    EXPECT_EQ(GetBits(*pPower), learned);
    Frame().OnCommand(pAmp->m_nMenuId);
    EXPECT_TRUE(CRemotePadDlg::FindPad(*pAmp)
                    ->findChild<CPadButton*>(GetCellName(1, 2))
                    ->toolTip()
                    .endsWith("Amplifier on/off\n" + strDecoded.section("; ", 0, 0)));
    port.ClearEmitterRecord();
    ClickCell(*CRemotePadDlg::FindPad(*pAmp), 1, 2);
    EXPECT_EQ(GetSentBits(port), learned);
}
} // namespace

namespace
{
// Runs once the code dialog is up: fills it and chooses OK.
void WhenCodeAsked(const char* pszProtocol, const char* pszAddress, const char* pszCommand)
{
    QTimer::singleShot(0,
                       [=]
                       {
                           auto* pAsk =
                               qobject_cast<CNewFromCodeDlg*>(QApplication::activeModalWidget());
                           ASSERT_NE(pAsk, nullptr);
                           const CDialogDriver ask(*pAsk);
                           auto* pProtocol = pAsk->findChild<QComboBox*>("protocol");
                           pProtocol->setCurrentIndex(pProtocol->findText(pszProtocol));
                           ask.Type("address", pszAddress);
                           ask.Type("command", pszCommand);
                           pAsk->accept();
                       });
}

// A code typed as protocol, address and command makes a new button's signal, or replaces a
// plain button's; the Signal line reads it back. A megabutton takes no code.
TEST_F(RemoteBuilderTest, NewFromCodeMakesTheButtonsSignal)
{
    Doc().AddButton(*m_pTv, "Movie", "", true);
    OpenBuilder();
    const auto signalText = [this]
    { return m_pBuilder->findChild<QLineEdit*>("decodedSignal")->text().toStdString(); };
    Builder().Type("buttonBox", "Guide");
    ASSERT_TRUE(Builder().IsEnabled("fromCode"));
    WhenCodeAsked("NEC", "0x04", "0x12");
    Builder().Click("fromCode");
    const CRemoteButton* pGuide = m_pTv->FindButton("Guide");
    ASSERT_NE(pGuide, nullptr);
    EXPECT_EQ(signalText(), "NEC address 0x04 command 0x12; 1.000 µs a sample, carrier 38 kHz, "
                            "made from NEC address 0x04 command 0x12");
    EXPECT_TRUE(Builder().IsEnabled("test"));

    Builder().Type("buttonBox", "Mute");
    WhenCodeAsked("Sony 15-bit", "0x97", "21");
    Builder().Click("fromCode");
    EXPECT_EQ(signalText(), "Sony 15-bit address 0x97 command 0x15, repeated 2 times; 1.000 µs a "
                            "sample, carrier 40 kHz, made from Sony 15-bit address 0x97 command "
                            "0x15");
    EXPECT_EQ(m_pTv->FindButton("Mute")->m_facts.code->strProtocol, "Sony15");
    EXPECT_TRUE(Doc().IsModified());

    Builder().Type("buttonBox", "Movie");
    EXPECT_FALSE(Builder().IsEnabled("fromCode"));
}

// A learned button's code is where New from code starts, and its signal is replaced only when
// the person says so.
TEST_F(RemoteBuilderTest, NewFromCodeStartsFromTheButtonsCodeAndAsksBeforeReplacingIt)
{
    OpenBuilder();
    Builder().Type("buttonBox", "Mute");
    WhenCodeAsked("NEC", "0x04", "0x12");
    Builder().Click("fromCode");
    ASSERT_TRUE(CMessageBox::TakeShownTexts().isEmpty()) << "nothing to replace yet";
    const CBytes necBits = GetBits(*m_pMute);

    for (const QMessageBox::StandardButton nAnswer : {QMessageBox::No, QMessageBox::Yes})
    {
        std::vector<std::string> started;
        QTimer::singleShot(
            0,
            [&started]
            {
                auto* pAsk = qobject_cast<CNewFromCodeDlg*>(QApplication::activeModalWidget());
                ASSERT_NE(pAsk, nullptr);
                const CDialogDriver ask(*pAsk);
                started = {pAsk->findChild<QComboBox*>("protocol")->currentText().toStdString(),
                           ask.Find<QLineEdit>("address").text().toStdString(),
                           ask.Find<QLineEdit>("command").text().toStdString()};
                ask.Type("command", "0x13");
                pAsk->accept();
            });
        CMessageBox::QueueAnswer(nAnswer);
        Builder().Click("fromCode");
        EXPECT_EQ(started, (std::vector<std::string>{"NEC", "0x04", "0x12"}));
        EXPECT_EQ(CMessageBox::TakeShownTexts(),
                  QStringList{"Mute:  This button has a signal already.  Replace it with the "
                              "new code?"});
        EXPECT_EQ(GetBits(*m_pMute) == necBits, nAnswer == QMessageBox::No);
        if (nAnswer == QMessageBox::Yes)
        {
            // The code first; what the button keeps of how it is sent follows, longer than the
            // line's box: the tooltip has it whole.
            const auto& signal = *m_pBuilder->findChild<QLineEdit*>("decodedSignal");
            EXPECT_TRUE(signal.text().startsWith("NEC address 0x04 command 0x13;"));
            EXPECT_EQ(signal.toolTip(), signal.text());
        }
    }
}
} // namespace

namespace
{
// "When heard, fire:" offers every button of the document; the choice goes straight into the
// document, shows again for its button, and goes when its target is removed.
TEST_F(RemoteBuilderTest, WhenHeardFireChoosesTheButtonHearingThisOneFires)
{
    OpenBuilder();
    auto& action = Builder().Find<QComboBox>("whenHeard");
    Builder().Type("buttonBox", "power");
    ASSERT_TRUE(action.isEnabled());
    EXPECT_EQ(action.currentText(), "nothing");
    EXPECT_EQ(action.count(), 3) << "nothing, TV: Mute, TV: Power";

    QTest::keyClick(&action, Qt::Key_Down);
    EXPECT_EQ(action.currentText(), "TV: Mute");
    EXPECT_EQ(m_pPower->m_pActionButton, m_pMute);
    EXPECT_EQ(m_pPower->m_pActionRemote, m_pTv);
    EXPECT_TRUE(Doc().IsModified());

    // Each button shows its own.
    Builder().Type("buttonBox", "mute");
    EXPECT_EQ(action.currentText(), "nothing");
    Builder().Type("buttonBox", "power");
    EXPECT_EQ(action.currentText(), "TV: Mute");

    // A name of no button has no action to choose.
    Builder().Type("buttonBox", "volume");
    EXPECT_FALSE(action.isEnabled());

    // The target removed, its button's action is gone, and so is its entry.
    Builder().Type("buttonBox", "mute");
    CMessageBox::QueueAnswer(QMessageBox::Yes);
    Builder().Click("remove");
    ASSERT_EQ(m_pTv->FindButton("Mute"), nullptr);
    EXPECT_EQ(m_pPower->m_pActionButton, nullptr);
    EXPECT_EQ(m_pPower->m_pActionRemote, nullptr);
    Builder().Type("buttonBox", "power");
    EXPECT_EQ(action.currentText(), "nothing");
    EXPECT_EQ(action.count(), 2);
}
} // namespace
