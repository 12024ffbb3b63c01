#include "ui/StripWindow.h"

#include "document/CBitstream.h"

#include <algorithm>

namespace
{
// The overview places byte j at L + (R - L) * 8j / kOverviewDivisor: the last sample falls
// just short of the right edge.
constexpr std::uint64_t kOverviewDivisor = kStripSamples - 1;
constexpr std::uint32_t kOverviewByteStep = 16;

// Collects the corners of a square wave, one step to a new level at a time.
class CTrace
{
public:
    CTrace(const QRect& plot, bool bHigh) : m_plot(plot)
    {
        m_points.emplace_back(plot.left(), Y(bHigh));
    }

    // Holds the present level to column nX and changes there to the new one; a step that keeps
    // the level adds no corner.
    void StepTo(int nX, bool bHigh)
    {
        const int nY = m_points.back().y();
        if (Y(bHigh) == nY)
            return;
        LineTo(nX, nY);
        LineTo(nX, Y(bHigh));
    }
    // The level held to the right edge of the plot.
    std::vector<QPoint> Finish()
    {
        LineTo(m_plot.right() + 1, m_points.back().y());
        return std::move(m_points);
    }

private:
    int Y(bool bHigh) const { return bHigh ? m_plot.top() : m_plot.bottom(); }
    void LineTo(int nX, int nY)
    {
        const QPoint point(nX, nY);
        if (point != m_points.back())
            m_points.push_back(point);
    }

    QRect m_plot;
    std::vector<QPoint> m_points;
};

void DropTrailingZeros(CBitstream& bits)
{
    std::uint32_t nLength = bits.GetLength();
    while (nLength > 0 && bits[nLength - 1] == 0)
        --nLength;
    bits.SetLength(nLength);
}
} // namespace

bool IsSampleHigh(const CBitstream& bits, std::uint32_t nSample)
{
    return (bits[nSample >> 3] & (0x80u >> (nSample & 7))) != 0;
}

QRect GetPlotRect(const QSize& stripSize)
{
    return QRect(QPoint(kStripMargin, kStripMargin),
                 QPoint(stripSize.width() - 3, stripSize.height() - 3));
}

std::uint32_t GetVisibleSamples(int nStripWidth)
{
    const int nInner = nStripWidth - 2 * kStripMargin;
    if (nInner <= 1)
        return 0;
    return std::min(static_cast<std::uint32_t>(nInner - 1) / kSampleWidth, kStripSamples);
}

bool IsInsideMargin(const QPoint& point, const QSize& stripSize)
{
    return QRect(QPoint(0, 0), stripSize)
        .adjusted(kStripMargin, kStripMargin, -kStripMargin, -kStripMargin)
        .contains(point);
}

unsigned GetOverviewLevel(std::uint32_t nVisible)
{
    if (nVisible == 0)
        return 0;
    unsigned nLevel = 1;
    while ((static_cast<std::uint64_t>(nVisible) << nLevel) < kStripSamples)
        ++nLevel;
    return nLevel;
}

std::uint32_t GetWindowSamples(std::uint32_t nVisible, unsigned nLevel)
{
    return nLevel >= GetOverviewLevel(nVisible) ? kStripSamples : nVisible << nLevel;
}

namespace
{
// The column of the finest window's cells nearest to nX, counted from the plot's left edge.
int GetCellColumn(int nX, std::uint32_t nVisible)
{
    return std::clamp(nX - kStripMargin, 0, kSampleWidth * static_cast<int>(nVisible) - 1);
}

// How many samples of a window at nLevel lie left of column nColumn.
std::uint32_t GetSamplesLeftOf(int nColumn, unsigned nLevel)
{
    // 64 bits: a wide strip's columns pass 32 bits at the top levels.
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(nColumn) << nLevel) /
                                      kSampleWidth);
}
} // namespace

std::uint32_t GetSampleUnder(std::uint32_t nStart, unsigned nLevel, int nX, int nStripWidth)
{
    const std::uint32_t nVisible = GetVisibleSamples(nStripWidth);
    if (nLevel < GetOverviewLevel(nVisible))
        return nStart + GetSamplesLeftOf(GetCellColumn(nX, nVisible), nLevel);
    const QRect plot = GetPlotRect(QSize(nStripWidth, 0));
    const int nSpan = plot.right() - plot.left();
    if (nSpan <= 0)
        return 0;
    const auto nColumn = static_cast<std::uint64_t>(std::clamp(nX - plot.left(), 0, nSpan));
    return static_cast<std::uint32_t>(nColumn * (kStripSamples - 1) / static_cast<unsigned>(nSpan));
}

std::uint32_t GetStartKeeping(std::uint32_t nSample, int nX, unsigned nLevel, int nStripWidth)
{
    const std::uint32_t nVisible = GetVisibleSamples(nStripWidth);
    if (nLevel >= GetOverviewLevel(nVisible))
        return 0;
    const std::uint32_t nLeft = GetSamplesLeftOf(GetCellColumn(nX, nVisible), nLevel);
    const std::uint32_t nStart = nSample > nLeft ? nSample - nLeft : 0;
    return std::min(nStart, kStripSamples - GetWindowSamples(nVisible, nLevel));
}

std::uint32_t GetZoomStart(int nX, int nStripWidth)
{
    const std::uint32_t nVisible = GetVisibleSamples(nStripWidth);
    if (nVisible == 0)
        return 0;
    // 64 bits: the product passes 32 bits on a strip a few hundred pixels wide.
    const std::uint64_t nOffset = static_cast<std::uint64_t>(nX - kStripMargin);
    const std::uint64_t nSpan = static_cast<std::uint64_t>(nStripWidth - 2 * kStripMargin - 1);
    return static_cast<std::uint32_t>(nOffset * (kStripSamples - nVisible) / nSpan);
}

namespace
{
// Half a window: what was at one edge is still in sight, at the middle.
std::uint32_t GetScrollStep(std::uint32_t nSamples)
{
    return std::max<std::uint32_t>(nSamples / 2, 1);
}
} // namespace

std::uint32_t GetStartScrolledLeft(std::uint32_t nStart, std::uint32_t nSamples)
{
    const std::uint32_t nStep = GetScrollStep(nSamples);
    return nStart < nStep ? 0 : nStart - nStep;
}

std::uint32_t GetStartScrolledRight(std::uint32_t nStart, std::uint32_t nSamples)
{
    const std::uint32_t nLastStart = kStripSamples - nSamples;
    const std::uint32_t nStep = GetScrollStep(nSamples);
    return nStart + nStep <= nLastStart ? nStart + nStep : nLastStart;
}

std::uint32_t GetSampleAt(std::uint32_t nStart, int nX)
{
    return nStart + static_cast<std::uint32_t>(nX - kStripMargin) / kSampleWidth;
}

std::vector<QPoint> GetOverviewTrace(const CBitstream& bits, const QRect& plot)
{
    CTrace trace(plot, IsSampleHigh(bits, 0));
    const std::uint64_t nSpan = static_cast<std::uint64_t>(plot.right() - plot.left());
    for (std::uint32_t nByte = 0; nByte < kBitstreamBytes; nByte += kOverviewByteStep)
    {
        const int nX = plot.left() + static_cast<int>(nSpan * nByte * 8 / kOverviewDivisor);
        trace.StepTo(nX, (bits[nByte] & 0x80) != 0);
    }
    return trace.Finish();
}

namespace
{
bool HasStep(const CBitstream& bits, std::uint32_t nFirst, std::uint32_t nLast)
{
    const bool bHigh = IsSampleHigh(bits, nFirst);
    for (std::uint32_t nSample = nFirst + 1; nSample <= nLast; ++nSample)
    {
        if (IsSampleHigh(bits, nSample) != bHigh)
            return true;
    }
    return false;
}
} // namespace

std::vector<QPoint> GetZoomedTrace(const CBitstream& bits, const QRect& plot, std::uint32_t nStart,
                                   std::uint32_t nVisible, unsigned nLevel)
{
    CTrace trace(plot, IsSampleHigh(bits, nStart));
    const int nColumns = kSampleWidth * static_cast<int>(nVisible);
    for (int nColumn = 0; nColumn < nColumns; ++nColumn)
    {
        // The samples of this pixel column; one sample spans several columns below level 2.
        const std::uint32_t nFirst = nStart + GetSamplesLeftOf(nColumn, nLevel);
        const std::uint32_t nEnd = nStart + GetSamplesLeftOf(nColumn + 1, nLevel);
        const std::uint32_t nLast = nEnd > nFirst ? nEnd - 1 : nFirst;
        const int nX = plot.left() + nColumn;
        trace.StepTo(nX, IsSampleHigh(bits, nFirst));
        if (HasStep(bits, nFirst, nLast))
        {
            trace.StepTo(nX, !IsSampleHigh(bits, nFirst));
            trace.StepTo(nX, IsSampleHigh(bits, nLast));
        }
    }
    const std::uint32_t nAfter = nStart + GetWindowSamples(nVisible, nLevel);
    if (plot.left() + nColumns < plot.right() && nAfter < kStripSamples)
        trace.StepTo(plot.left() + nColumns, IsSampleHigh(bits, nAfter));
    return trace.Finish();
}

void InvertSample(CBitstream& bits, std::uint32_t nSample)
{
    const std::uint32_t nByte = nSample >> 3;
    const auto nValue = static_cast<std::uint8_t>(bits[nByte] ^ (0x80u >> (nSample & 7)));
    bits.SetByte(nByte, nValue);
    if (nValue == 0 && bits.GetLength() == nByte + 1)
        DropTrailingZeros(bits);
}

bool TrimBefore(CBitstream& bits, std::uint32_t nFirst)
{
    if (nFirst == 0)
        return false;
    const std::uint32_t nByte = nFirst >> 3;
    const auto nKept = static_cast<std::uint8_t>(bits[nByte] & (0xFFu >> (nFirst & 7)));
    if (nByte >= bits.GetLength() || (nKept == 0 && bits.GetLength() == nByte + 1))
    {
        // Nothing at or after the window's first sample: the whole bitstream goes.
        bits.SetLength(0);
        return true;
    }
    bits.SetByte(nByte, nKept);
    for (std::uint32_t nBefore = 0; nBefore < nByte; ++nBefore)
        bits.SetByte(nBefore, 0);
    return true;
}

bool TrimAfter(CBitstream& bits, std::uint32_t nLast)
{
    if (nLast == kStripSamples - 1)
        return false;
    const std::uint32_t nByte = nLast >> 3;
    const auto nKept = static_cast<std::uint8_t>(bits[nByte] & (0xFFu << (7 - (nLast & 7))));
    if (nByte < bits.GetLength())
        bits.SetByte(nByte, nKept);
    const std::uint32_t nEnd = nKept != 0 ? nByte + 1 : nByte;
    if (nEnd < bits.GetLength())
    {
        bits.SetLength(nEnd);
        DropTrailingZeros(bits);
    }
    return true;
}
