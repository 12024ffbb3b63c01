#pragma once

#include <QString>

// The status bar's words for the backends that stand in for the hardware, from their short
// names: "simulated infrared unit", "infrared unit on /dev/parport0", "infrared device
// /dev/lirc0, send and receive"; "hardware clock", "system clock", "simulated clock". A name
// without words of its own is shown as it is.
QString DescribeInfraredBackend(const QString& strName);
QString DescribeClockBackend(const QString& strName);
