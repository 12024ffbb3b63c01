#include "app/CAppFixture.h"
#include "app/CHearingLink.h"
#include "app/CMainFrame.h"
#include "app/CWindowControl.h"
#include "control/CControlServer.h"
#include "device/CDeviceFactory.h"
#include "device/CSimulatedRemote.h"
#include "device/SamplePeriod.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "engine/CListener.h"
#include "signal/DecodedSignal.h"
#include "signal/SignalDecoder.h"
#include "signal/SignalDurations.h"
#include "ui/CPadButton.h"
#include "ui/CRemotePadDlg.h"

#include <QAction>
#include <QDockWidget>
#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>

#include <functional>
#include <memory>

namespace
{
// A NEC frame as the protocol defines it: a 9 ms mark and 4.5 ms space, then the address, its
// inverse, the command and its inverse, least significant bit first, each bit a 562 us mark
// and a space of 562 us (0) or 1687 us (1), and a closing mark.
std::vector<std::uint32_t> MakeNecFrame(std::uint8_t nAddress, std::uint8_t nCommand)
{
    std::vector<std::uint32_t> durations{9000, 4500};
    for (const std::uint8_t nByte : {nAddress, static_cast<std::uint8_t>(~nAddress), nCommand,
                                     static_cast<std::uint8_t>(~nCommand)})
        for (int nBit = 0; nBit < 8; ++nBit)
            durations.insert(durations.end(), {562, (nByte >> nBit) & 1 ? 1687u : 562u});
    durations.push_back(562);
    return durations;
}

class HeardTest : public CAppFixture
{
protected:
    // Started as the program starts, with the Heard list's Learn tied to the document.
    void StartHearing()
    {
        ASSERT_TRUE(Start());
        m_pHearing = std::make_unique<CHearingLink>(App().GetSession(), m_control, Frame());
    }

    // The unit's remote sends durations, which no button matches; the Heard list's row of it is
    // selected and its Learn clicked, answering the questions: the remote, the button's name;
    // then, when given, then acts on what follows.
    void LearnHeard(
        const std::vector<std::uint32_t>& durations, const QString& strRemote,
        const QString& strButton, const std::function<void()>& then = [] {})
    {
        CInfraredDevice& device = App().GetSession().GetEngine().GetDevice();
        FindSimulatedRemote(device)->PressHeard(durations);
        ASSERT_TRUE(App().GetSession().GetListener().Listen(0));
        auto& list = *Frame().findChild<QTreeWidget*>("heardList");
        list.setCurrentItem(list.topLevelItem(0));
        ASSERT_EQ(list.topLevelItem(0)->text(2), "unknown");
        AnswerInput(strRemote, [strButton, then] { AnswerInput(strButton, then); });
        Frame().findChild<QPushButton*>("heardLearn")->click();
    }

    // Answers the question about to open with strAnswer, then looks to the next.
    static void AnswerInput(const QString& strAnswer, const std::function<void()>& next)
    {
        WhenDialogOpens(
            [strAnswer, next](QDialog& dialog)
            {
                auto* pInput = qobject_cast<QInputDialog*>(&dialog);
                ASSERT_NE(pInput, nullptr) << dialog.windowTitle().toStdString();
                next();
                pInput->setTextValue(strAnswer);
                pInput->accept();
            });
    }

    CControlServer m_server;
    CWindowControl m_control{m_server};
    std::unique_ptr<CHearingLink> m_pHearing;
};

// The simulated unit's remote presses TV's Power, then something no button is: the status bar
// says what was heard, Power's cell lights on the open pad, and the Heard list shows both, with
// Learn offered for the unknown one only.
TEST_F(HeardTest, APressShowsInTheStatusBarThePadAndTheHeardList)
{
    ASSERT_TRUE(Start());
    CRemote& tv = AddRemoteWithButton("TV");
    tv.PlaceButton(*tv.FindButton("Power"), 0, 0);
    Frame().OpenPad(tv);
    CInfraredDevice& device = App().GetSession().GetEngine().GetDevice();
    CSimulatedRemote& remote = *FindSimulatedRemote(device);
    CListener& listener = App().GetSession().GetListener();
    ASSERT_TRUE(listener.CanListen());

    remote.PressHeard(
        ToDurations(tv.FindButton("Power")->m_bits, GetMachineNanosPerSample(device)));
    EXPECT_TRUE(listener.Listen(0));
    EXPECT_EQ(Frame().statusBar()->currentMessage(), "Heard TV/Power");
    const CRemotePadDlg* pPad = CRemotePadDlg::FindPad(tv);
    ASSERT_NE(pPad, nullptr);
    bool bLit = false;
    for (const CPadButton* pCell : pPad->findChildren<CPadButton*>())
        bLit = bLit || (pCell->GetButton() == tv.FindButton("Power") && pCell->isDown());
    EXPECT_TRUE(bLit);

    m_pTicks->Advance(1000);
    remote.PressHeard({3000, 1000, 1200});
    EXPECT_TRUE(listener.Listen(0));
    EXPECT_EQ(Frame().statusBar()->currentMessage(), "Heard a signal of no button");
    auto* pList = Frame().findChild<QTreeWidget*>("heardList");
    ASSERT_NE(pList, nullptr);
    ASSERT_EQ(pList->topLevelItemCount(), 2);
    EXPECT_EQ(pList->topLevelItem(0)->text(2), "unknown");
    EXPECT_EQ(pList->topLevelItem(0)->text(1), "unknown (3 runs)");
    EXPECT_EQ(pList->topLevelItem(1)->text(2), "TV/Power");
    auto* pLearn = Frame().findChild<QPushButton*>("heardLearn");
    pList->setCurrentItem(pList->topLevelItem(1));
    EXPECT_FALSE(pLearn->isEnabled());
    pList->setCurrentItem(pList->topLevelItem(0));
    EXPECT_TRUE(pLearn->isEnabled());
}

// The list closed with its own button comes back from the View menu.
TEST_F(HeardTest, TheClosedHeardListComesBackFromTheViewMenu)
{
    ASSERT_TRUE(Start());
    Frame().show();
    auto& dock = *Frame().findChild<QDockWidget*>("heardDock");
    dock.close();
    QAction* pEntry = nullptr;
    for (QAction* pAction : Frame().menuBar()->actions()[1]->menu()->actions())
        if (pAction->text() == "&Heard List")
            pEntry = pAction;
    ASSERT_NE(pEntry, nullptr);
    EXPECT_FALSE(pEntry->isChecked());
    pEntry->trigger();
    EXPECT_TRUE(dock.isVisible());
}

// An unknown NEC press learned into TV becomes a button whose signal is that press: it decodes
// to the same address and command, and the receiver now hears it as that button.
TEST_F(HeardTest, LearnMakesAButtonOfAnUnknownPress)
{
    StartHearing();
    AddRemoteWithButton("TV");
    AddRemoteWithButton("Radio");
    LearnHeard(MakeNecFrame(0x04, 0x08), "TV", "Volume up");

    const CRemoteButton* pLearned = Doc().FindRemote("TV")->FindButton("Volume up");
    ASSERT_NE(pLearned, nullptr);
    EXPECT_EQ(Doc().FindRemote("Radio")->m_buttons.size(), 1u);
    CInfraredDevice& device = App().GetSession().GetEngine().GetDevice();
    const SDecodedSignal decoded =
        DecodeSignal(ToDurations(pLearned->m_bits, GetMachineNanosPerSample(device)));
    EXPECT_EQ(decoded.eProtocol, EProtocol::kNec);
    EXPECT_EQ(decoded.nAddress, 0x04u);
    EXPECT_EQ(decoded.nCommand, 0x08u);

    m_pTicks->Advance(1000);
    FindSimulatedRemote(device)->PressHeard(MakeNecFrame(0x04, 0x08));
    EXPECT_TRUE(App().GetSession().GetListener().Listen(0));
    EXPECT_EQ(Frame().statusBar()->currentMessage(), "Heard TV/Volume up");
}

// A remote whose pad has no free cell takes no new button: Learn says why and changes nothing.
TEST_F(HeardTest, LearnRefusesAFullPadWithTheReason)
{
    StartHearing();
    CRemote& tv = AddRemoteWithButton("TV");
    for (int nButton = 0; !tv.FindFreeCells().empty(); ++nButton)
    {
        const auto [nColumn, nRow] = tv.FindFreeCells().front();
        tv.PlaceButton(*Doc().AddButton(tv, "B" + std::to_string(nButton), "", false), nColumn,
                       nRow);
    }
    const std::size_t nButtons = tv.m_buttons.size();
    QString strWarning;
    LearnHeard(MakeNecFrame(0x04, 0x08), "TV", "Volume up",
               [&strWarning]
               {
                   WhenDialogOpens(
                       [&strWarning](QDialog& dialog)
                       {
                           auto* pBox = qobject_cast<QMessageBox*>(&dialog);
                           ASSERT_NE(pBox, nullptr);
                           strWarning = pBox->text();
                           pBox->accept();
                       });
               });

    EXPECT_EQ(strWarning, "The remote's pad is full.");
    EXPECT_EQ(tv.m_buttons.size(), nButtons);
    EXPECT_EQ(tv.FindButton("Volume up"), nullptr);
}
} // namespace
