#include "app/CAppFixture.h"
#include "app/CMainFrame.h"
#include "app/CMessageBox.h"
#include "device/CInfraredDevice.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "ui/CPortDialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <ostream>

namespace
{
struct SRoundTripCase
{
    const char* pszName;
    int nOption;     // handed in
    int nFlag;       // handed in
    int nChoose;     // the radio clicked, -1 for none
    bool bOk;        // OK, else Cancel
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

QRadioButton* FindRadio(const CPortDialog& dlg, int nOption)
{
    return dlg.findChild<QRadioButton*>(QStringLiteral("port%1").arg(nOption + 1));
}

// On its round button: the widget may reach further right than its caption.
void ClickRadio(QRadioButton* pRadio)
{
    QTest::mouseClick(pRadio, Qt::LeftButton, {}, QPoint(6, pRadio->height() / 2));
}

TEST_P(PortDialogTest, CarriesThePortAndTheHiddenFlagThrough)
{
    const SRoundTripCase& test = GetParam();
    CPortDialog dlg(test.nOption, test.nFlag, {});
    dlg.show();
    for (int nOption = 0; nOption < kPortCount; ++nOption)
        EXPECT_EQ(FindRadio(dlg, nOption)->isChecked(), nOption == test.nShown) << nOption;
    EXPECT_FALSE(dlg.findChild<QCheckBox*>("interrupts")->isVisible());

    if (test.nChoose >= 0)
        ClickRadio(FindRadio(dlg, test.nChoose));
    QTest::mouseClick(dlg.findChild<QPushButton*>(test.bOk ? "ok" : "cancel"), Qt::LeftButton);

    EXPECT_EQ(dlg.result(), test.bOk ? QDialog::Accepted : QDialog::Rejected);
    EXPECT_EQ(dlg.GetPortOption(), test.nOptionBack);
    EXPECT_EQ(dlg.GetInterruptFlag(), test.nFlagBack);
}

INSTANTIATE_TEST_SUITE_P(
    PortDialog, PortDialogTest,
    ::testing::Values(SRoundTripCase{"Kept", 1, 1, -1, true, 1, 1, 1},
                      SRoundTripCase{"Chosen", 1, 0, 2, true, 1, 2, 0},
                      SRoundTripCase{"Undecided", 0, 2, -1, true, 0, 0, 2},
                      SRoundTripCase{"FlagOutOfRange", 0, 5, -1, true, 0, 0, 0},
                      SRoundTripCase{"PortOutOfRange", 3, 1, -1, true, -1, -1, 1},
                      SRoundTripCase{"NoPortYetThenChosen", -1, 1, 0, true, -1, 0, 1}),
    [](const ::testing::TestParamInfo<SRoundTripCase>& info) { return info.param.pszName; });

TEST(PortDialogDeviceTest, SaysWhatServesEachAddress)
{
    CPortDialog::CAvailability availability;
    availability[0] = {EPortAvailability::NoPermission, "/dev/parport1", "lp"};
    availability[1] = {EPortAvailability::Available, "/dev/parport0", ""};
    availability[2] = {EPortAvailability::NoDevice, "/dev/parport2", ""};
    CPortDialog dlg(0, 1, availability);
    const auto text = [&dlg](const char* pszName)
    { return dlg.findChild<QLabel*>(pszName)->text().toStdString(); };
    EXPECT_EQ(FindRadio(dlg, 2)->text(), "LPT&3  (03bc)");
    EXPECT_EQ(text("port1Device"),
              "/dev/parport1 is here, but you may not open it: join the group lp and log in "
              "again.");
    EXPECT_EQ(text("port2Device"), "Served here by /dev/parport0.");
    EXPECT_EQ(text("port3Device"),
              "The kernel drives this port, but /dev/parport2 is missing: load the ppdev module.");

    CPortDialog none(0, 1, {});
    EXPECT_EQ(none.findChild<QLabel*>("port1Device")->text().toStdString(),
              "No parallel port here: no parallel port driver is loaded (parport_pc).");
}

using PortCommandTest = CAppFixture;

// The firing engine plays through the device the port command made: a reference to the one
// it replaced would point at freed memory.
TEST_F(PortCommandTest, OkMovesTheInfraredUnitToTheChosenPort)
{
    StoreSettings([](CSettings& settings) { settings.m_nParallelPort = 2; });
    ASSERT_TRUE(Start());
    CRemote& tv = AddRemoteWithButton("TV");
    const auto choose = [this](const char* pszPort, const char* pszButton)
    {
        WhenDialogOpens(
            [pszPort, pszButton](QDialog& dlg)
            {
                EXPECT_TRUE(dlg.findChild<QRadioButton*>("port2")->isChecked());
                if (*pszPort)
                    ClickRadio(dlg.findChild<QRadioButton*>(pszPort));
                QTest::mouseClick(dlg.findChild<QPushButton*>(pszButton), Qt::LeftButton);
            });
        Frame().OnCommand(CMainFrame::kCmdParallelPort);
    };

    choose("port3", "cancel");
    EXPECT_EQ(App().GetSettings().m_nParallelPort, 2);
    EXPECT_EQ(App().GetDevice().GetPort(), 2);

    choose("port3", "ok");
    EXPECT_EQ(App().GetSettings().m_nParallelPort, 3);
    EXPECT_EQ(App().GetDevice().GetPort(), 3);
    EXPECT_TRUE(App().GetDevice().GetMaskInterrupts());
    App().GetEngine().Fire(*tv.FindButton("Power"));
    EXPECT_TRUE(CMessageBox::TakeShownTexts().isEmpty());
}

TEST_F(PortCommandTest, NoPortChosenLeavesThePortInUse)
{
    StoreSettings([](CSettings& settings) { settings.m_nParallelPort = 0; });
    ASSERT_TRUE(Start());
    WhenDialogOpens([](QDialog& dlg)
                    { QTest::mouseClick(dlg.findChild<QPushButton*>("ok"), Qt::LeftButton); });
    Frame().OnCommand(CMainFrame::kCmdParallelPort);
    EXPECT_EQ(App().GetSettings().m_nParallelPort, 0);
    EXPECT_EQ(App().GetDevice().GetPort(), 1);
}
} // namespace
