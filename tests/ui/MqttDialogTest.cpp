#include "app/CMqttLink.h"
#include "ui/CDialogDriver.h"
#include "ui/CMqttDlg.h"

#include <QLineEdit>

#include <gtest/gtest.h>

#include <memory>

namespace
{
struct SOkCase
{
    const char* pszBroker;
    const char* pszPasswordFile;
    const char* pszRefusal; // null: OK ends the dialog
};

// OK stores only what the service would take, so that a typing slip cannot leave the program
// without its broker at the next start; a refusal keeps what was typed for mending.
TEST(MqttDialogTest, OkTakesWhatTheServiceTakesAndKeepsARefusedEntry)
{
    const SOkCase cases[] = {
        {"http://broker.lan", "", "a broker is named mqtt://HOST[:PORT]"},
        {"mqtt://broker.lan:99999", "", "a port from 1 to 65535"},
        {"mqtt://broker.lan", "/no/such/file", "/no/such/file: No such file"},
        {"mqtts://broker.lan", "", nullptr},
        // No broker is MQTT off, whatever the other fields hold.
        {"", "/no/such/file", nullptr},
    };
    for (const SOkCase& entry : cases)
    {
        CMqttDlg dlg(SMqttConfig(), "this-pc", &CMqttLink::Check);
        dlg.show();
        const CDialogDriver ui(dlg);
        ui.Type("broker", entry.pszBroker);
        ui.Type("passwordFile", entry.pszPasswordFile);
        ui.Type("node", "living-room");
        ui.Click("ok");

        const QString strRefusal = ui.Find<QLabel>("refusal").text();
        if (entry.pszRefusal)
        {
            EXPECT_TRUE(dlg.isVisible()) << entry.pszBroker;
            EXPECT_TRUE(strRefusal.contains(entry.pszRefusal)) << qPrintable(strRefusal);
            EXPECT_EQ(ui.Find<QLineEdit>("broker").text(), entry.pszBroker);
            EXPECT_EQ(ui.Find<QLineEdit>("passwordFile").text(), entry.pszPasswordFile);
            EXPECT_EQ(ui.Find<QLineEdit>("node").text(), "living-room");
            continue;
        }
        EXPECT_EQ(dlg.result(), QDialog::Accepted) << entry.pszBroker << qPrintable(strRefusal);
        EXPECT_EQ(dlg.GetConfig(),
                  (SMqttConfig{entry.pszBroker, entry.pszPasswordFile, "living-room"}))
            << entry.pszBroker;
    }
}
} // namespace
