#pragma once

#include <string>

class CInfraredDevice;

// How long one sample of the infrared unit lasts, in nanoseconds, and how much that varies.
struct SSamplePeriod
{
    double dNanos = 0;
    // The standard deviation of one sample's duration; 0 for the simulated unit.
    double dJitterNanos = 0;
    // True for the simulated unit and a lirc device, whose samples stand for a microsecond each
    // whatever their loop costs; false for a period timed on this machine.
    bool bNominal = false;
};

// Times a short run of detector reads, one port access each, as one sample of the capture loop
// is. It only reads the status register: it neither powers the detector, nor plays anything,
// nor makes the simulated remote press.
SSamplePeriod MeasureSamplePeriod(CInfraredDevice& device);

// The sample period of what this machine records and plays, for a signal whose own is not
// known: the last capture's figure when there was one (the very loop that recorded), else
// MeasureSamplePeriod's, measured once for the backend and kept.
double GetMachineNanosPerSample(CInfraredDevice& device);

// A period for people: "1.000 µs".
std::string FormatMicros(double dNanos);
// Where GetMachineNanosPerSample's figure comes from, for people: "the simulated unit's",
// "that of lirc /dev/lirc0, ..., which counts in microseconds", or "measured on this machine
// through ppdev /dev/parport0".
std::string DescribePeriodSource(CInfraredDevice& device);
