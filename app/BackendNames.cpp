#include "app/BackendNames.h"

QString DescribeInfraredBackend(const QString& strName)
{
    if (strName == "simulated")
        return QStringLiteral("simulated infrared unit");
    if (strName == "direct")
        return QStringLiteral("infrared unit on the parallel port");
    // "ppdev /dev/parport0": the kernel's device for the port.
    if (strName.startsWith("ppdev "))
        return "infrared unit on " + strName.section(' ', 1);
    // "lirc /dev/lirc0, send and receive": a kernel infrared device and what it can do;
    // "lirc /dev/lirc1 (send), /dev/lirc0 (receive)": an emitter and a receiver.
    if (strName.startsWith("lirc "))
        return (strName.contains(QStringLiteral("(send")) ? "infrared devices "
                                                          : "infrared device ") +
               strName.section(' ', 1);
    return "infrared unit: " + strName;
}

QString DescribeClockBackend(const QString& strName)
{
    if (strName == "rtc")
        return QStringLiteral("hardware clock");
    if (strName == "os")
        return QStringLiteral("system clock");
    return strName + " clock";
}
