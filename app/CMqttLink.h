#pragma once

#include "ui/CMqttDlg.h"
#include "ui/SMqttConfig.h"

#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class CControlHandler;
class CMqttService;
class CSourceWatcher;
class QWidget;

// The window program on an MQTT broker: the service built from the configuration in use, the
// event loop's watch over its socket and its once-a-second beat. The state shows through a
// callback, as "MQTT: connected to ..." or, while there is no service, as empty text.
class CMqttLink
{
public:
    // The handler presses fire through and STATUS is answered by; it must outlive the link.
    CMqttLink(CControlHandler& handler, std::function<void(const QString&)> showState);
    ~CMqttLink();
    CMqttLink(const CMqttLink&) = delete;
    CMqttLink& operator=(const CMqttLink&) = delete;

    // Why the configuration cannot be kept, or empty when it can: the service refuses it, or
    // its broker's address holds a password.
    static QString Check(const SMqttConfig& config);
    // The node name used when the configuration names none.
    static QString GetDefaultNode();
    // Tries the broker with the configuration, and strPassword in place of its password file's
    // when not empty; what happened, in words.
    static QString Test(const SMqttConfig& config, const QString& strPassword);
    // What Configure > MQTT asks of the link, and where a password typed there is kept when no
    // file is named: beside the settings, private to the person.
    static CMqttDlg::SHelpers GetDialogHelpers();
    static QString GetDefaultPasswordFile();

    // Leaves the broker of the service in use, if any (it says "offline" there), and joins the
    // one config names. A configuration the service refuses is shown to the person in a box
    // over pParent, and the program goes on without MQTT; false then.
    bool Join(const SMqttConfig& config, QWidget* pParent);
    // The configuration in use, refused or not.
    const SMqttConfig& GetConfig() const { return m_config; }

private:
    void Leave();
    void Beat();
    void ShowState();

    CControlHandler& m_handler;
    std::function<void(const QString&)> m_showState;
    SMqttConfig m_config;
    std::unique_ptr<CMqttService> m_pService;
    std::unique_ptr<CSourceWatcher> m_pWatcher;
    QTimer m_beat;
};
