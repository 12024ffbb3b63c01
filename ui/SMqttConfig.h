#pragma once

#include <QString>

// The MQTT broker as the person names it in Configure > MQTT or on the command line. The
// application keeps it with its other settings and turns it into the service's settings.
struct SMqttConfig
{
    QString m_strBroker;       // mqtt://host[:port] or mqtts://...; empty: Quorbit stays off MQTT
    QString m_strPasswordFile; // empty: no password, or, for one run, one in the broker's URL
    QString m_strNode;         // empty: this computer's name

    bool IsOff() const { return m_strBroker.isEmpty(); }
    bool operator==(const SMqttConfig&) const = default;
};
