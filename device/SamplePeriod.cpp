#include "device/SamplePeriod.h"

#include "device/CDeviceFactory.h"
#include "device/CInfraredDevice.h"
#include "device/CRealTimeScope.h"
#include "device/CSimulatedRemote.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>
#include <span>
#include <string>

namespace
{
// Enough reads to average over a few milliseconds of a real port, few enough to go unnoticed.
constexpr std::size_t kTimedReads = 4096;

SSamplePeriod TimeReads(CInfraredDevice& device)
{
    using CClock = std::chrono::steady_clock;
    std::array<CClock::time_point, kTimedReads + 1> stamps;
    {
        const auto* pBytes = reinterpret_cast<const std::uint8_t*>(stamps.data());
        const CRealTimeScope realTime(device.GetMaskInterrupts(),
                                      std::span(pBytes, sizeof(stamps)));
        stamps[0] = CClock::now();
        for (std::size_t nRead = 1; nRead <= kTimedReads; ++nRead)
        {
            device.ReadDetectorLine();
            stamps[nRead] = CClock::now();
        }
    }
    double dSum = 0;
    double dSumOfSquares = 0;
    for (std::size_t nRead = 1; nRead <= kTimedReads; ++nRead)
    {
        const double dNanos = static_cast<double>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(stamps[nRead] - stamps[nRead - 1])
                .count());
        dSum += dNanos;
        dSumOfSquares += dNanos * dNanos;
    }
    const double dMean = dSum / kTimedReads;
    const double dVariance = dSumOfSquares / kTimedReads - dMean * dMean;
    return {dMean, std::sqrt(std::max(dVariance, 0.0)), false};
}

// A period that does not depend on how fast this machine runs the device's loop; 0 for one
// that does.
double GetNominalPeriod(CInfraredDevice& device)
{
    if (FindSimulatedRemote(device))
        return CSimulatedRemote::kNanosPerSample;
    return device.GetNominalNanosPerSample();
}
} // namespace

SSamplePeriod MeasureSamplePeriod(CInfraredDevice& device)
{
    if (const double dNominal = GetNominalPeriod(device); dNominal > 0)
        return {dNominal, 0, true};
    return TimeReads(device);
}

double GetMachineNanosPerSample(CInfraredDevice& device)
{
    // The simulated unit's loop runs at whatever speed this processor has; its samples still
    // stand for a microsecond, as a lirc device's do.
    if (const double dNominal = GetNominalPeriod(device); dNominal > 0)
        return dNominal;
    if (device.GetLastCaptureNanosPerSample() > 0)
        return device.GetLastCaptureNanosPerSample();
    // The period belongs to the machine and the way it reaches the port, not to one device
    // object, so every device of a backend shares what was measured.
    static std::mutex s_mutex;
    static std::map<std::string, double> s_measured;
    const std::lock_guard lock(s_mutex);
    auto [it, bNew] = s_measured.try_emplace(device.GetBackendName(), 0.0);
    if (bNew)
        it->second = TimeReads(device).dNanos;
    return it->second;
}

std::string FormatMicros(double dNanos)
{
    char szText[32];
    std::snprintf(szText, sizeof szText, "%.3f µs", dNanos / 1000.0);
    return szText;
}

std::string DescribePeriodSource(CInfraredDevice& device)
{
    if (FindSimulatedRemote(device))
        return "the simulated unit's";
    if (device.GetNominalNanosPerSample() > 0)
        return std::string("that of ") + device.GetBackendName() + ", which counts in microseconds";
    return std::string("measured on this machine through ") + device.GetBackendName();
}
