#include "SignalFrames.h"

namespace SignalFrames
{
namespace
{
// Durations of a level per unit (1 for infrared), from the first infrared unit to the last.
CRuns FromLevels(const std::vector<bool>& levels, std::uint32_t nUnit)
{
    CRuns runs;
    bool bLevel = false;
    for (const bool bUnit : levels)
    {
        if (runs.empty() && !bUnit)
            continue;
        if (runs.empty() || bUnit != bLevel)
            runs.push_back(0);
        runs.back() += nUnit;
        bLevel = bUnit;
    }
    if (!bLevel)
        runs.pop_back();
    return runs;
}

// A biphase cell of nWidth units: the first half at bFirst, the second at the other level.
void AppendCell(std::vector<bool>& levels, bool bFirst, int nWidth)
{
    levels.insert(levels.end(), static_cast<std::size_t>(nWidth / 2), bFirst);
    levels.insert(levels.end(), static_cast<std::size_t>(nWidth / 2), !bFirst);
}

// nBits of nValue, most significant first, as cells whose first half is bFirstForOne for a 1.
void AppendCells(std::vector<bool>& levels, std::uint32_t nValue, int nBits, bool bFirstForOne)
{
    for (int nBit = nBits - 1; nBit >= 0; --nBit)
        AppendCell(levels, ((nValue >> nBit) & 1) == bFirstForOne, 2);
}
} // namespace

CRuns PulseDistance(std::uint32_t nHeaderMark, std::uint32_t nHeaderSpace, std::uint32_t nMark,
                    std::uint32_t nZeroSpace, std::uint32_t nOneSpace, std::uint32_t nValue,
                    int nBits)
{
    CRuns runs{nHeaderMark, nHeaderSpace};
    for (int nBit = 0; nBit < nBits; ++nBit)
    {
        runs.push_back(nMark);
        runs.push_back((nValue >> nBit) & 1 ? nOneSpace : nZeroSpace);
    }
    runs.push_back(nMark);
    return runs;
}

CRuns Nec(std::uint32_t nAddress16, std::uint8_t nCommand)
{
    const std::uint32_t nInverse = static_cast<std::uint8_t>(~nCommand);
    return PulseDistance(9000, 4500, 560, 560, 1690,
                         nAddress16 | std::uint32_t{nCommand} << 16 | nInverse << 24, 32);
}

CRuns Sony(std::uint32_t nValue, int nBits)
{
    CRuns runs{2400};
    for (int nBit = 0; nBit < nBits; ++nBit)
    {
        runs.push_back(600);
        runs.push_back((nValue >> nBit) & 1 ? 1200 : 600);
    }
    return runs;
}

CRuns Rc5(bool bExtendedCommand, std::uint8_t nAddress, std::uint8_t nCommand)
{
    std::vector<bool> levels;
    const std::uint32_t nStart = bExtendedCommand ? 0b10 : 0b11;
    AppendCells(levels, nStart << 12 | std::uint32_t{nAddress} << 6 | (nCommand & 0x3Fu), 14,
                false);
    return FromLevels(levels, 889);
}

CRuns Rc6(bool bToggle, std::uint8_t nAddress, std::uint8_t nCommand)
{
    std::vector<bool> levels(6, true);
    levels.insert(levels.end(), 2, false);
    AppendCells(levels, 0b1000, 4, true);
    AppendCell(levels, bToggle, 4);
    AppendCells(levels, std::uint32_t{nAddress} << 8 | nCommand, 16, true);
    return FromLevels(levels, 444);
}

CRuns From(const CRuns& runs, std::size_t nFirst)
{
    return CRuns(runs.begin() + static_cast<std::ptrdiff_t>(nFirst), runs.end());
}

CRuns Join(const std::vector<CRuns>& frames, std::uint32_t nGap)
{
    CRuns runs;
    for (const CRuns& frame : frames)
    {
        if (!runs.empty())
            runs.push_back(nGap);
        runs.insert(runs.end(), frame.begin(), frame.end());
    }
    return runs;
}

CRuns Distort(CRuns runs, unsigned nSeed, std::uint32_t nStretch)
{
    std::uint32_t nState = nSeed * 2654435761u + 1;
    for (std::size_t nRun = 0; nRun < runs.size(); ++nRun)
    {
        nState = nState * 1664525u + 1013904223u;
        const double dFactor = 0.9 + 0.2 * (nState >> 8) / double(1u << 24);
        const double dStretched =
            nRun % 2 == 0 ? runs[nRun] + double(nStretch) : runs[nRun] - double(nStretch);
        runs[nRun] = static_cast<std::uint32_t>(dStretched * dFactor);
    }
    return runs;
}
} // namespace SignalFrames
