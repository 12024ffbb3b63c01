#include "engine/ButtonPlayback.h"

#include "device/CInfraredDevice.h"
#include "device/SamplePeriod.h"
#include "document/CRemoteButton.h"
#include "signal/ButtonSignal.h"
#include "signal/SignalDurations.h"

#include <cmath>

namespace
{
// Periods this close play the samples as they are: a port's period measured twice differs by
// less than its jitter, and converting would only move edges by a sample.
constexpr double kSamePeriod = 0.001;

bool IsSamePeriod(double dFirst, double dSecond)
{
    return std::abs(dFirst - dSecond) <= kSamePeriod * dSecond;
}
} // namespace

void SetUpButtonCarrier(CInfraredDevice& device, const CRemoteButton& button)
{
    if (device.TakesCarrier())
        device.SetSendCarrier(GetButtonCarrier(button, GetMachineNanosPerSample(device)),
                              button.m_facts.nDutyPercent);
}

void PlayButton(CInfraredDevice& device, const CRemoteButton& button)
{
    const double dUnitNanos = GetMachineNanosPerSample(device);
    const double dOwnNanos = GetButtonNanosPerSample(button, dUnitNanos);
    if (IsSamePeriod(dOwnNanos, dUnitNanos))
        device.TransmitBitstream(button.m_bits.GetBytes().data(), button.m_bits.GetLength());
    else
        device.TransmitDurations(ToDurations(button.m_bits, dOwnNanos), dUnitNanos);
}

SSendingFacts MakeLearnedFacts(CInfraredDevice& device, const CBitstream& bits)
{
    const double dNanos = GetMachineNanosPerSample(device);
    return MakeSignalFacts(ToDurations(bits, dNanos), dNanos, 0, std::nullopt);
}
