#pragma once

#include "control/MqttSettings.h"

#include <string>

// Tries the broker once as Quorbit would join it, with the user and password of settings, and
// says in words what happened: "connected to broker.lan:1883 as living-room", "broker.lan:1883
// refused the login: Not authorized", "cannot reach broker.lan:1883: Connection refused". It
// publishes nothing and leaves no last will, so the hub sees no Quorbit come and go; it waits
// for the broker's answer at most nTimeoutMs, sleeping in the socket's wait meanwhile.
std::string ProbeMqttBroker(const SMqttSettings& settings, int nTimeoutMs);
