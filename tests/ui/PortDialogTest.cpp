#include "app/CAppFixture.h"
#include "app/CMainFrame.h"
#include "app/CMessageBox.h"
#include "device/CInfraredDevice.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "ui/CDialogDriver.h"
#include "ui/CPortDialog.h"

#include <QCheckBox>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <ostream>

namespace
{
struct SRoundTripCase
{
    const char* pszName;
    int nOption;     // handed in
    int nFlag;       // handed in
    int nChoose;     // the radio clicked before OK, -1 for none
    int nShown;      // the radio checked at first, -1 for none
    int nOptionBack; // what the dialog hands back
    int nFlagBack;
};

void PrintTo(const SRoundTripCase& test, std::ostream* pStream)
{
    *pStream << test.pszName;
}

class PortDialogTest : public ::testing::TestWithParam<SRoundTripCase>
{
};

const char* kRadios[] = {"port1", "port2", "port3"};

TEST_P(PortDialogTest, CarriesThePortAndTheHiddenFlagThrough)
{
    const SRoundTripCase& test = GetParam();
    CPortDialog dlg(test.nOption, test.nFlag, {});
    dlg.show();
    const CDialogDriver ui(dlg);
    for (int nOption = 0; nOption < kPortCount; ++nOption)
        EXPECT_EQ(ui.Find<QRadioButton>(kRadios[nOption]).isChecked(), nOption == test.nShown)
            << nOption;
    EXPECT_FALSE(ui.Find<QCheckBox>("interrupts").isVisible());

    if (test.nChoose >= 0)
        ui.Click(kRadios[test.nChoose]);
    ui.Click("ok");

    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.GetPortOption(), test.nOptionBack);
    EXPECT_EQ(dlg.GetInterruptFlag(), test.nFlagBack);
}

INSTANTIATE_TEST_SUITE_P(PortDialog, PortDialogTest,
                         ::testing::Values(SRoundTripCase{"Kept", 1, 1, -1, 1, 1, 1},
                                           SRoundTripCase{"Chosen", 1, 0, 2, 1, 2, 0},

                                           SRoundTripCase{"FlagOutOfRange", 0, 5, -1, 0, 0, 0},
                                           SRoundTripCase{"PortOutOfRange", 3, 1, -1, -1, -1, 1},
                                           SRoundTripCase{"NoPortYetThenChosen", -1, 1, 0, -1, 0,
                                                          1}),
                         [](const ::testing::TestParamInfo<SRoundTripCase>& info)
                         { return info.param.pszName; });

TEST(PortDialogDeviceTest, SaysWhatServesEachAddress)
{
    CPortDialog::CAvailability availability;
    availability[0] = {EPortAvailability::NoPermission, "/dev/parport1", "lp"};
    availability[1] = {EPortAvailability::Available, "/dev/parport0", ""};
    availability[2] = {EPortAvailability::NoDevice, "/dev/parport2", ""};
    CPortDialog dlg(0, 1, availability);
    const CDialogDriver ui(dlg);
    EXPECT_EQ(ui.Find<QRadioButton>("port3").text(), "LPT&3  (03bc)");
    EXPECT_EQ(ui.Text("port1Device").toStdString(),
              "/dev/parport1 is here, but you may not open it: join the group lp and log in "
              "again.");
    EXPECT_EQ(ui.Text("port2Device").toStdString(), "Served here by /dev/parport0.");
    EXPECT_EQ(ui.Text("port3Device").toStdString(),
              "The kernel drives this port, but /dev/parport2 is missing: load the ppdev module.");
}

// Each lirc device is a choice saying what it can do, one that cannot be used is greyed with
// the reason; the choice comes back as the unit's backend and leaves the port setting alone.
TEST(PortDialogDeviceTest, ChoosesAmongTheSimulatedUnitThePortsAndTheLircDevices)
{
    const std::vector<SLircAvailability> devices{
        {"/dev/lirc0", true, true, true, ""},
        {"/dev/lirc1", true, true, false, ""},
        {"/dev/lirc2", false, false, false, "you may not open /dev/lirc2: join the group video"}};
    CPortDialog dlg(1, 1, {}, nullptr, devices, "lirc:/dev/lirc1");
    dlg.show();
    const CDialogDriver ui(dlg);
    EXPECT_TRUE(ui.Find<QRadioButton>("lirc1").isChecked());
    EXPECT_EQ(ui.Text("lirc1Device").toStdString(),
              "Sends only: buttons can be fired, not learned, through it.");
    EXPECT_FALSE(ui.Find<QRadioButton>("lirc2").isEnabled());
    EXPECT_EQ(ui.Text("lirc2Device").toStdString(),
              "You may not open /dev/lirc2: join the group video.");
    ui.Click("lirc0");
    ui.Click("ok");
    EXPECT_EQ(dlg.GetBackend(), "lirc:/dev/lirc0");
    EXPECT_EQ(dlg.GetPortOption(), 1);

    CPortDialog simulated(0, 1, {}, nullptr, {}, "sim");
    simulated.show();
    const CDialogDriver simulatedUi(simulated);
    EXPECT_TRUE(simulatedUi.Find<QRadioButton>("simulated").isChecked());
    EXPECT_EQ(simulatedUi.Text("noLirc").toStdString(), "None on this computer.");
    simulatedUi.Click("port3");
    simulatedUi.Click("ok");
    EXPECT_EQ(simulated.GetBackend(), "");
    EXPECT_EQ(simulated.GetPortOption(), 2);
}

using PortCommandTest = CAppFixture;

// The firing engine plays through the device the port command made: a reference to the one
// it replaced would point at freed memory.
TEST_F(PortCommandTest, OkMovesTheInfraredUnitToTheChosenPort)
{
    StoreSettings([](CSettings& settings) { settings.m_nParallelPort = 2; });
    ASSERT_TRUE(Start());
    CRemote& tv = AddRemoteWithButton("TV");
    const auto choose = [this](const char* pszButton)
    {
        WhenDialogOpens(
            [pszButton](QDialog& dlg)
            {
                const CDialogDriver ui(dlg);
                EXPECT_TRUE(ui.Find<QRadioButton>("port2").isChecked());
                ui.Click("port3");
                ui.Click(pszButton);
            });
        Frame().OnCommand(CMainFrame::kCmdParallelPort);
    };

    choose("cancel");
    EXPECT_EQ(App().GetSettings().m_nParallelPort, 2);
    EXPECT_EQ(App().GetUnit().GetDevice().GetPort(), 2);

    choose("ok");
    EXPECT_EQ(App().GetSettings().m_nParallelPort, 3);
    EXPECT_EQ(App().GetUnit().GetDevice().GetPort(), 3);
    EXPECT_TRUE(App().GetUnit().GetDevice().GetMaskInterrupts());
    App().GetSession().GetEngine().Fire(*tv.FindButton("Power"));
    EXPECT_TRUE(CMessageBox::TakeShownTexts().isEmpty());
}

TEST_F(PortCommandTest, TheSimulatedUnitChosenIsKeptForTheNextStart)
{
    ASSERT_TRUE(Start());
    WhenDialogOpens(
        [](QDialog& dlg)
        {
            const CDialogDriver ui(dlg);
            ui.Click("simulated");
            ui.Click("ok");
        });
    Frame().OnCommand(CMainFrame::kCmdParallelPort);
    EXPECT_EQ(App().GetSettings().m_strInfraredDevice, "sim");
    EXPECT_EQ(App().GetSettings().m_nParallelPort, 1);
    EXPECT_STREQ(App().GetUnit().GetDevice().GetBackendName(), "simulated");
}

TEST_F(PortCommandTest, NoPortChosenLeavesThePortInUse)
{
    StoreSettings([](CSettings& settings) { settings.m_nParallelPort = 0; });
    ASSERT_TRUE(Start());
    WhenDialogOpens([](QDialog& dlg) { CDialogDriver(dlg).Click("ok"); });
    Frame().OnCommand(CMainFrame::kCmdParallelPort);
    EXPECT_EQ(App().GetSettings().m_nParallelPort, 0);
    EXPECT_EQ(App().GetUnit().GetDevice().GetPort(), 1);
}
} // namespace
