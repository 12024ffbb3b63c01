#pragma once

#include "ui/SMqttConfig.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

// Configure > MQTT: the broker Quorbit joins, the user it logs in as, its password, the private
// file the password is kept in (never the settings) and the name this computer goes by there.
// Test tries the broker with what is typed and says what happened. OK checks the entries and,
// when they are refused, says why and stays open; an empty broker turns MQTT off.
class CMqttDlg : public QDialog
{
    Q_OBJECT

public:
    // Why the service would refuse a configuration, or empty when it takes it.
    using CChecker = std::function<QString(const SMqttConfig&)>;
    // What the dialog asks of the program's MQTT side.
    struct SHelpers
    {
        CChecker check;
        // What happened when the broker was tried with the configuration and, when not empty,
        // this password in place of its file's.
        std::function<QString(const SMqttConfig&, const QString& strPassword)> test;
        // Keeps the password in a file private to the person: why it cannot, or empty.
        std::function<QString(const QString& strPath, const QString& strPassword)> keepPassword;
        // The password a file holds; empty when it holds none or cannot be read.
        std::function<QString(const QString& strPath)> readPassword;
    };

    // strHostNode: the node name used when none is given, shown as the field's hint;
    // strDefaultPasswordFile: where a password typed without a file named is kept.
    CMqttDlg(const SMqttConfig& config, const QString& strHostNode, SHelpers helpers,
             const QString& strDefaultPasswordFile, QWidget* pParent = nullptr);

    // After OK: the configuration as entered, checked unless it is off; a password typed is in
    // its file by then.
    const SMqttConfig& GetConfig() const { return m_config; }

    void accept() override;

private:
    void CreateControls(const QString& strHostNode);
    void ShowConfig();
    void OnBrowse();
    void OnTest();
    // The configuration the fields hold, the user within the broker's address.
    SMqttConfig ReadFields() const;
    // Keeps a password typed anew in its file; false, with the reason shown, when it cannot.
    bool KeepPassword(SMqttConfig& config);

    SMqttConfig m_config;
    SHelpers m_helpers;
    QString m_strDefaultPasswordFile;
    QLineEdit* m_pBroker = nullptr;
    QLineEdit* m_pUser = nullptr;
    QLineEdit* m_pPassword = nullptr;
    QLineEdit* m_pPasswordFile = nullptr;
    QLineEdit* m_pNode = nullptr;
    QPushButton* m_pTest = nullptr;
    QLabel* m_pTestResult = nullptr;
    QLabel* m_pRefusal = nullptr;
};
