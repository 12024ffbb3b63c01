#include "signal/SignalDurations.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
using CRuns = std::vector<std::uint32_t>;

struct SDurationsCase
{
    const char* pszName;
    std::vector<std::uint8_t> bytes;
    double dNanosPerSample;
    CRuns expected;
};

// A 1 is infrared and the earliest sample is the most significant bit; the silence around the
// signal is dropped, and samples become microseconds at the given period.
TEST(SignalDurationsTest, ReadsMarksAndSpacesFromTheBits)
{
    const SDurationsCase cases[] = {
        {"runs across bytes", {0x00, 0x0F, 0xF0, 0x3C}, 1000, {8, 6, 4}},
        {"a mark in the very first sample", {0x80, 0x01}, 1000, {1, 14, 1}},
        {"long silence crossed", {0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF}, 2000, {16, 64, 16}},
        {"rounded to microseconds", {0xE0}, 700, {2}},
        {"nothing but silence", {0x00, 0x00}, 1000, {}},
        {"no usable period", {0xF0}, 0, {}},
    };
    for (const SDurationsCase& durationsCase : cases)
        EXPECT_EQ(ToDurations(CBitstream(durationsCase.bytes), durationsCase.dNanosPerSample),
                  durationsCase.expected)
            << durationsCase.pszName;
}

// Whatever the period, every duration comes back within one sample (or the microsecond it is
// rounded to), short runs included, and a trailing space costs nothing.
TEST(SignalDurationsTest, ARoundTripKeepsEveryDurationWithinOneSample)
{
    const CRuns durations{9000, 4500, 560, 1690, 560, 560, 3, 1, 560, 40000, 9000, 2250, 560, 7};
    for (const double dNanosPerSample : {1000.0, 1370.5, 2600.0, 400.0})
    {
        const CRuns back = ToDurations(ToBitstream(durations, dNanosPerSample), dNanosPerSample);
        ASSERT_EQ(back.size(), durations.size() - 1) << dNanosPerSample;
        const double dSlack = std::max(dNanosPerSample / 1000, 1.0);
        for (std::size_t nRun = 0; nRun < back.size(); ++nRun)
            EXPECT_LE(std::abs(double(back[nRun]) - durations[nRun]), dSlack)
                << "run " << nRun << " at " << dNanosPerSample << " ns";
    }
}

// A signal longer than a bitstream holds is cut at its end, and the caller can tell beforehand.
TEST(SignalDurationsTest, ASignalTooLongIsCutAtTheBitstreamsEnd)
{
    const CRuns durations{300000, 50000, 100000};
    EXPECT_EQ(CountSamples(durations, 1000), 450000u);

    const CBitstream bitstream = ToBitstream(durations, 1000);

    EXPECT_EQ(bitstream.GetLength(), kBitstreamBytes);
    EXPECT_EQ(ToDurations(bitstream, 1000), (CRuns{300000, 50000, 50000}));
}
} // namespace
