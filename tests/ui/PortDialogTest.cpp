#include "app/CAppFixture.h"
#include "app/CMainFrame.h"
#include "app/CMessageBox.h"
#include "device/CInfraredDevice.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "support/CFakeLircSystem.h"
#include "ui/CDialogDriver.h"
#include "ui/CPortDialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QStatusBar>

#include <gtest/gtest.h>

#include <ostream>

namespace
{
constexpr std::uint32_t kReceiveOnly = LIRC_CAN_REC_MODE2 | LIRC_CAN_SET_REC_TIMEOUT;
constexpr std::uint32_t kSendOnly = LIRC_CAN_SEND_PULSE | LIRC_CAN_SET_SEND_CARRIER;

CPortDialog::CAvailability AllPortsHere()
{
    CPortDialog::CAvailability availability;
    for (std::size_t nPort = 0; nPort < availability.size(); ++nPort)
        availability[nPort] = {EPortAvailability::Available, "/dev/parport" + std::to_string(nPort),
                               ""};
    return availability;
}

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
    CPortDialog dlg(test.nOption, test.nFlag, AllPortsHere());
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

// Keeping a port that is not there would leave the unit where it was at the next start
// without a word; the dialog stays open and says why.
TEST(PortDialogDeviceTest, APortThatIsNotThereIsRefusedWithTheReason)
{
    using SCase = std::pair<EPortAvailability, const char*>;
    for (const auto& [nState, pszReason] :
         {SCase{EPortAvailability::NoDriver, "LPT2 (0278) cannot be chosen: No parallel port "
                                             "here: no parallel port driver is loaded "
                                             "(parport_pc)."},
          SCase{EPortAvailability::NoPort,
                "LPT2 (0278) cannot be chosen: No parallel port at this address here."},
          SCase{EPortAvailability::NoPermission,
                "LPT2 (0278) cannot be chosen: /dev/parport1 is here, but you may not open it: "
                "join the group lp and log in again."},
          SCase{EPortAvailability::Available, ""}})
    {
        CPortDialog::CAvailability availability = AllPortsHere();
        availability[1] = {nState, "/dev/parport1", "lp"};
        CPortDialog dlg(0, 0, availability, nullptr, {}, "sim");
        dlg.show();
        const CDialogDriver ui(dlg);
        ui.Click("port2");
        ui.Click("ok");
        const bool bRefused = *pszReason != '\0';
        EXPECT_EQ(dlg.isVisible(), bRefused) << pszReason;
        EXPECT_EQ(ui.Find<QLabel>("refusal").isVisible(), bRefused);
        if (bRefused)
            EXPECT_EQ(ui.Text("refusal").toStdString(), pszReason);
        else
            EXPECT_EQ(dlg.GetPortOption(), 1);
    }
}

// The usual small-board layout: a receiver on lirc0, an emitter on lirc1, and a two-way device
// this user may not open. Built before the program that drives them and gone after it.
struct STwoLircDevices
{
    STwoLircDevices()
    {
        m_lirc.AddDevice("/dev/lirc0").nFeatures = kReceiveOnly;
        m_lirc.AddDevice("/dev/lirc1").nFeatures = kSendOnly;
        CFakeLircSystem::SDevice& locked = m_lirc.AddDevice("/dev/lirc2");
        locked.nOpenError = EACCES;
        locked.strGroup = "video";
    }

    CFakeLircSystem m_lirc;
};

struct SLircChoiceCase
{
    const char* pszName;
    const char* pszInUse;
    const char* pszChecked; // the unit's radio at first
    const char* pszEmitter; // shown at first
    const char* pszReceiver;
    const char* pszChoose;  // "emitter" or "receiver": its entry picked again; null for none
    const char* pszBackend; // handed back after OK
};

void PrintTo(const SLircChoiceCase& test, std::ostream* pStream)
{
    *pStream << test.pszName;
}

class LircChoiceTest : public STwoLircDevices, public ::testing::TestWithParam<SLircChoiceCase>
{
};

// Each device says what it can do; the emitter list holds only devices that send, the receiver
// list only devices that receive, and the choice comes back as a backend that opens both.
TEST_P(LircChoiceTest, ChoosesTheEmitterAndTheReceiver)
{
    const SLircChoiceCase& test = GetParam();
    CPortDialog dlg(0, 0, AllPortsHere(), nullptr, ProbeLircDevices(m_lirc), test.pszInUse);
    dlg.show();
    const CDialogDriver ui(dlg);
    EXPECT_TRUE(ui.Find<QRadioButton>(test.pszChecked).isChecked());
    EXPECT_EQ(ui.Text("emitter"), test.pszEmitter);
    EXPECT_EQ(ui.Text("receiver"), test.pszReceiver);
    EXPECT_EQ(ui.Find<QComboBox>("emitter").count(), 1);
    EXPECT_EQ(ui.Text("lirc0Device").toStdString(),
              "/dev/lirc0: Receives only: buttons can be learned, not fired, through it.");
    EXPECT_EQ(ui.Text("lirc1Device").toStdString(),
              "/dev/lirc1: Sends only: buttons can be fired, not learned, through it.");
    EXPECT_NE(ui.Text("lirc2Device").indexOf("join the group video"), -1);
    if (test.pszChoose)
    {
        // As the list's popup does when the person clicks an entry.
        auto& list = ui.Find<QComboBox>(test.pszChoose);
        emit list.activated(list.currentIndex());
    }
    ui.Click("ok");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.GetBackend(), test.pszBackend);
}

INSTANTIATE_TEST_SUITE_P(
    PortDialog, LircChoiceTest,
    ::testing::Values(SLircChoiceCase{"TheDevicesInUse", "lirc:/dev/lirc1,/dev/lirc0", "lirc",
                                      "/dev/lirc1", "/dev/lirc0", nullptr,
                                      "lirc:/dev/lirc1,/dev/lirc0"},
                      SLircChoiceCase{"PickedFromTheSimulatedUnit", "sim", "simulated",
                                      "/dev/lirc1", "/dev/lirc0", "receiver",
                                      "lirc:/dev/lirc1,/dev/lirc0"},
                      SLircChoiceCase{"OneNamedForBoth", "lirc:/dev/lirc1", "lirc", "/dev/lirc1",
                                      "/dev/lirc0", nullptr, "lirc:/dev/lirc1,/dev/lirc0"}),
    [](const ::testing::TestParamInfo<SLircChoiceCase>& info) { return info.param.pszName; });

// With a receiver alone there is no emitter to choose, and the unit is that one device.
TEST(PortDialogDeviceTest, AReceiverAloneIsTheUnitWithoutAnEmitter)
{
    const std::vector<SLircAvailability> devices{{"/dev/lirc0", true, false, true, ""}};
    CPortDialog dlg(0, 0, AllPortsHere(), nullptr, devices, "lirc:/dev/lirc0");
    dlg.show();
    const CDialogDriver ui(dlg);
    EXPECT_FALSE(ui.IsEnabled("emitter"));
    EXPECT_EQ(ui.Text("emitter"), "none: buttons cannot be fired");
    ui.Click("ok");
    EXPECT_EQ(dlg.GetBackend(), "lirc:/dev/lirc0");

    CPortDialog none(0, 0, AllPortsHere(), nullptr, {}, "sim");
    const CDialogDriver noneUi(none);
    EXPECT_EQ(noneUi.Text("noLirc").toStdString(), "None on this computer.");
    EXPECT_FALSE(noneUi.IsEnabled("lirc"));
}

// The window program on the lirc devices of the fake, started without a unit asked for.
class LircCommandTest : public STwoLircDevices, public CAppFixture
{
protected:
    bool StartOnLirc()
    {
        m_strDevice.clear();
        m_pLirc = &m_lirc;
        return StartAgain();
    }
};

// Started on the emitter and the receiver the machine has, the status bar names both, the
// dialog opens on them, and OK keeps them for the next start.
TEST_F(LircCommandTest, TheDialogShowsTheDevicesInUseAndKeepsThemForTheNextStart)
{
    ASSERT_TRUE(StartOnLirc());
    EXPECT_NE(Frame()
                  .findChild<QLabel*>("backendPane")
                  ->text()
                  .indexOf("Infrared devices /dev/lirc1 (send), /dev/lirc0 (receive)"),
              -1)
        << Frame().findChild<QLabel*>("backendPane")->text().toStdString();
    WhenDialogOpens(
        [](QDialog& dlg)
        {
            const CDialogDriver ui(dlg);
            EXPECT_TRUE(ui.Find<QRadioButton>("lirc").isChecked());
            EXPECT_EQ(ui.Text("emitter"), "/dev/lirc1");
            EXPECT_EQ(ui.Text("receiver"), "/dev/lirc0");
            ui.Click("ok");
        });
    Frame().OnCommand(CMainFrame::kCmdParallelPort);
    EXPECT_EQ(App().GetSettings().m_strInfraredDevice, "lirc:/dev/lirc1,/dev/lirc0");
    App().SaveSettings();

    // Next time each device does both, so that without the choice lirc0 alone would be taken.
    m_lirc.GetDevice("/dev/lirc0").nFeatures = CFakeLircSystem::kFullFeatures;
    m_lirc.GetDevice("/dev/lirc1").nFeatures = CFakeLircSystem::kFullFeatures;
    ASSERT_TRUE(StartAgain());
    EXPECT_STREQ(App().GetUnit().GetDevice().GetBackendName(),
                 "lirc /dev/lirc1 (send), /dev/lirc0 (receive)");
}

// A device there that this user may not open is named with the group to join, and the
// simulated unit stands in only when the person says so.
TEST_F(LircCommandTest, ADeviceThatMayNotBeOpenedIsNamedAndTheSimulatedUnitOffered)
{
    m_lirc.GetDevice("/dev/lirc0").nOpenError = EACCES;
    m_lirc.GetDevice("/dev/lirc1").nOpenError = EACCES;
    CMessageBox::QueueAnswer(QMessageBox::No);
    EXPECT_FALSE(StartOnLirc());
    const QStringList shown = CMessageBox::TakeShownTexts();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_NE(shown[0].indexOf("you may not open /dev/lirc0: join the group plugdev (sudo adduser "
                               "$USER plugdev) and log in again"),
              -1)
        << shown[0].toStdString();
    EXPECT_NE(shown[0].indexOf("Go on with the simulated infrared unit?"), -1);

    CMessageBox::QueueAnswer(QMessageBox::Yes);
    ASSERT_TRUE(StartAgain());
    EXPECT_EQ(CMessageBox::TakeShownTexts().size(), 1);
    EXPECT_STREQ(App().GetUnit().GetDevice().GetBackendName(), "simulated");
}

using PortCommandTest = CAppFixture;

// The dialog shows the unit in use, here the simulated one asked for at start rather than the
// port last stored; a port this machine lacks is refused and nothing is stored.
TEST_F(PortCommandTest, OpensOnTheUnitInUseAndRefusesAPortThatIsNotThere)
{
    StoreSettings([](CSettings& settings) { settings.m_nParallelPort = 2; });
    ASSERT_TRUE(Start());
    WhenDialogOpens(
        [](QDialog& dlg)
        {
            const CDialogDriver ui(dlg);
            EXPECT_TRUE(ui.Find<QRadioButton>("simulated").isChecked());
            ui.Click("port3");
            ui.Click("ok");
            EXPECT_TRUE(dlg.isVisible());
            EXPECT_TRUE(ui.Text("refusal").startsWith("LPT3 (03bc) cannot be chosen: "));
            ui.Click("cancel");
        });
    Frame().OnCommand(CMainFrame::kCmdParallelPort);
    EXPECT_EQ(App().GetSettings().m_nParallelPort, 2);
    EXPECT_EQ(App().GetSettings().m_strInfraredDevice, "");
    EXPECT_STREQ(App().GetUnit().GetDevice().GetBackendName(), "simulated");
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
} // namespace
