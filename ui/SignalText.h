#pragma once

#include <QString>

class CInfraredDevice;
class CRemoteButton;

// Recordings of documents made before buttons kept their time base are read at this machine's
// sample period: the simulated unit's nominal microsecond, or the period measured on the port.
struct SDisplayPeriod
{
    double dNanos = 0;
    // "1.000 µs a sample, the simulated unit's": which period the decoded text was read at.
    QString strText;
};
SDisplayPeriod GetDisplayPeriod(CInfraredDevice& device);

// What a plain button's recording carries, read at its own time base, else at dNanosPerSample: "NEC
// address 0x04 command 0x12", "unknown (67 runs)", "not learned". Empty for a megabutton, which
// plays other buttons' recordings rather than one of its own.
QString DescribeButtonSignal(const CRemoteButton& button, double dNanosPerSample);
