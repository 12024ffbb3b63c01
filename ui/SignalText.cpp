#include "ui/SignalText.h"

#include "device/CDeviceFactory.h"
#include "device/SamplePeriod.h"
#include "document/CRemoteButton.h"
#include "signal/SignalDecoder.h"
#include "signal/SignalDurations.h"

SDisplayPeriod GetDisplayPeriod(CInfraredDevice& device)
{
    SDisplayPeriod period;
    period.dNanos = GetMachineNanosPerSample(device);
    period.strText = QStringLiteral("Read at %1 µs a sample, %2")
                         .arg(period.dNanos / 1000, 0, 'f', 3)
                         .arg(FindSimulatedRemote(device) ? QStringLiteral("the simulated unit's")
                                                          : QStringLiteral("this machine's"));
    return period;
}

QString DescribeButtonSignal(const CRemoteButton& button, double dNanosPerSample)
{
    if (button.m_bMega)
        return QString();
    if (button.m_bits.GetLength() == 0)
        return QStringLiteral("not learned");
    return QString::fromStdString(
        DescribeSignal(DecodeSignal(ToDurations(button.m_bits, dNanosPerSample))));
}
