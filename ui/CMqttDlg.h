#pragma once

#include "ui/SMqttConfig.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;

// Configure > MQTT: the broker Quorbit joins, the file holding its password and the name this
// computer goes by there. OK checks them and, when they are refused, says why and stays open;
// an empty broker turns MQTT off.
class CMqttDlg : public QDialog
{
    Q_OBJECT

public:
    // Why the service would refuse a configuration, or empty when it takes it.
    using CChecker = std::function<QString(const SMqttConfig&)>;

    // strHostNode: the node name used when none is given, shown as the field's hint.
    CMqttDlg(const SMqttConfig& config, const QString& strHostNode, CChecker check,
             QWidget* pParent = nullptr);

    // After OK: the configuration as entered, checked unless it is off.
    const SMqttConfig& GetConfig() const { return m_config; }

    void accept() override;

private:
    void CreateControls(const QString& strHostNode);
    void OnBrowse();

    SMqttConfig m_config;
    CChecker m_check;
    QLineEdit* m_pBroker = nullptr;
    QLineEdit* m_pPasswordFile = nullptr;
    QLineEdit* m_pNode = nullptr;
    QLabel* m_pRefusal = nullptr;
};
