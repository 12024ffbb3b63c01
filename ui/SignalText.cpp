#include "ui/SignalText.h"

#include "device/SamplePeriod.h"
#include "document/CRemoteButton.h"
#include "signal/ButtonSignal.h"
#include "signal/SignalDecoder.h"

SDisplayPeriod GetDisplayPeriod(CInfraredDevice& device)
{
    SDisplayPeriod period;
    period.dNanos = GetMachineNanosPerSample(device);
    period.strText = QString::fromStdString("Read at " + FormatMicros(period.dNanos) +
                                            " a sample, " + DescribePeriodSource(device));
    return period;
}

QString DescribeButtonSignal(const CRemoteButton& button, double dNanosPerSample)
{
    if (button.m_bMega)
        return QString();
    if (button.m_bits.GetLength() == 0)
        return QStringLiteral("not learned");
    return QString::fromStdString(
        DescribeSignal(DecodeSignal(GetButtonDurations(button, dNanosPerSample))));
}
