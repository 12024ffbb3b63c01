#include "app/CAppFixture.h"
#include "app/CMainFrame.h"
#include "device/CDeviceFactory.h"
#include "device/CSimulatedRemote.h"
#include "device/SamplePeriod.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "engine/CListener.h"
#include "signal/SignalDurations.h"
#include "ui/CPadButton.h"
#include "ui/CRemotePadDlg.h"

#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>

namespace
{
using HeardTest = CAppFixture;

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
} // namespace
