#include "ui/CDialogDriver.h"
#include "ui/CNewFromCodeDlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace
{
// The dialog stays open and says what is wrong: a number beyond 32 bits is too wide for the
// protocol, not "no number"; a word is no number.
TEST(NewFromCodeTest, SaysWhetherAFieldIsNoNumberOrTooWide)
{
    const std::pair<const char*, const char*> cases[]{
        {"0x1FFFFFFFF", "The address or command is too wide for NEC."},
        {"0x1FFFF", "The address or command is too wide for NEC."},
        {"ten", "Give numbers, decimal or 0x hexadecimal."},
    };
    for (const auto& [pszAddress, pszSaid] : cases)
    {
        CNewFromCodeDlg dialog;
        dialog.show();
        const CDialogDriver ui(dialog);
        auto& protocols = ui.Find<QComboBox>("protocol");
        protocols.setCurrentIndex(protocols.findText("NEC"));
        ui.Type("address", pszAddress);
        ui.Type("command", "1");
        QTest::keyClick(&ui.Find<QLineEdit>("command"), Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible()) << pszAddress;
        EXPECT_EQ(ui.Text("problem").toStdString(), pszSaid) << pszAddress;
    }
}
} // namespace
