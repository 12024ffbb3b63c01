#include "ui/StripWindow.h"
#include "document/CBitstream.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{
using CBytes = std::vector<std::uint8_t>;
using CPoints = std::vector<QPoint>;

CBytes GetBytes(const CBitstream& bits)
{
    return CBytes(bits.GetBytes().begin(), bits.GetBytes().end());
}

struct SZoomCase
{
    int nWidth, nX;
    std::uint32_t nVisible, nStart;
};

// The rightmost column must reach the last whole window, never past it, at any width; a strip
// too narrow for a sample shows none.
TEST(StripWindowTest, DoubleClickZoomsToAWindowProportionalToThePlace)
{
    const SZoomCase cases[] = {
        {20, 2, 3, 0},     {20, 10, 3, 213331}, {20, 17, 3, 399997},
        {9, 6, 1, 399999}, {8, 5, 0, 0},        {100000, 99997, 24998, 375002},
    };
    for (const SZoomCase& test : cases)
    {
        EXPECT_EQ(GetVisibleSamples(test.nWidth), test.nVisible) << test.nWidth;
        EXPECT_EQ(GetZoomStart(test.nX, test.nWidth), test.nStart) << test.nWidth << " " << test.nX;
    }
}

struct SScrollCase
{
    std::uint32_t nStart, nLeft, nRight;
};

TEST(StripWindowTest, ScrollingMovesByHalfWindowsAndStopsAtBothEnds)
{
    const SScrollCase cases[] = {
        {399900, 399865, 399930}, {399930, 399895, 399930}, {50, 15, 85}, {20, 0, 55}};
    for (const SScrollCase& test : cases)
    {
        EXPECT_EQ(GetStartScrolledLeft(test.nStart, 70), test.nLeft) << test.nStart;
        EXPECT_EQ(GetStartScrolledRight(test.nStart, 70), test.nRight) << test.nStart;
    }
}

struct STraceCase
{
    const char* pszName;
    std::function<CPoints(const CBitstream&)> trace;
    std::size_t nByte;
    std::uint8_t nValue;
    CPoints corners;
};

// A strip of 30 by 10 plots from (2, 2) to (27, 7) and shows 6 samples zoomed; one 400,004 wide
// puts the overview's byte j at x = 2 + 8j exactly.
TEST(StripWindowTest, TracesAreSquareWavesOfTheSamplesShown)
{
    const QRect plot = GetPlotRect(QSize(30, 10));
    const QRect widePlot = GetPlotRect(QSize(400004, 10));
    const STraceCase cases[] = {
        {"Zoomed",
         [&](auto& bits) { return GetZoomedTrace(bits, plot, 0, 6, 0); },
         0,
         0x60,
         {{2, 7}, {6, 7}, {6, 2}, {14, 2}, {14, 7}, {28, 7}}},
        {"StepAfterTheWindow",
         [&](auto& bits) { return GetZoomedTrace(bits, plot, 0, 6, 0); },
         0,
         0x02,
         {{2, 7}, {26, 7}, {26, 2}, {28, 2}}},
        {"ZoomedFurtherOn",
         [&](auto& bits) { return GetZoomedTrace(bits, plot, 2, 6, 0); },
         0,
         0x60,
         {{2, 2}, {6, 2}, {6, 7}, {28, 7}}},
        {"TwoPixelsASampleAtLevel1",
         [&](auto& bits) { return GetZoomedTrace(bits, plot, 0, 6, 1); },
         0,
         0x60,
         {{2, 7}, {4, 7}, {4, 2}, {8, 2}, {8, 7}, {28, 7}}},
        {"BurstInsideAPixelAtLevel4",
         [&](auto& bits) { return GetZoomedTrace(bits, plot, 0, 6, 4); },
         1,
         0x20,
         {{2, 7}, {4, 7}, {4, 2}, {4, 7}, {28, 7}}},
        {"BurstBetweenOverviewPoints",
         [&](auto& bits) { return GetOverviewTrace(bits, plot); },
         1,
         0xFF,
         {{2, 7}, {28, 7}}},
        {"LastOverviewPoint",
         [&](auto& bits) { return GetOverviewTrace(bits, widePlot); },
         49984,
         0x80,
         {{2, 7}, {399874, 7}, {399874, 2}, {400002, 2}}},
    };
    for (const STraceCase& test : cases)
    {
        CBitstream bits;
        bits.SetByte(test.nByte, test.nValue);
        EXPECT_EQ(test.trace(bits), test.corners) << test.pszName;
    }
}

struct SEditCase
{
    const char* pszName;
    std::function<bool(CBitstream&)> edit;
    CBytes before, after;
    bool bChanged;
};

TEST(StripWindowTest, EditsKeepTheLengthAtTheLastNonZeroByte)
{
    auto invert = [](std::uint32_t nSample)
    { return [nSample](CBitstream& bits) { return InvertSample(bits, nSample), true; }; };
    auto before = [](std::uint32_t nFirst)
    { return [nFirst](CBitstream& bits) { return TrimBefore(bits, nFirst); }; };
    auto after = [](std::uint32_t nLast)
    { return [nLast](CBitstream& bits) { return TrimAfter(bits, nLast); }; };
    const SEditCase cases[] = {
        {"InvertPastTheLength", invert(42), {0x80}, {0x80, 0, 0, 0, 0, 0x20}, true},
        {"InvertLastHighSample", invert(23), {0x80, 0, 0x01}, {0x80}, true},
        {"InvertOnlyHighSample", invert(1), {0x40}, {}, true},
        {"InvertInsideKeepsLength", invert(0), {0x80, 0x01}, {0x00, 0x01}, true},
        {"TrimBeforeTheFirstSample", before(0), {0xFF, 0x01}, {0xFF, 0x01}, false},
        {"TrimBeforeInsideAByte", before(12), {0xFF, 0xFF, 0x01}, {0, 0x0F, 0x01}, true},
        {"TrimBeforeEverything", before(16), {0xFF, 0xFF}, {}, true},
        {"TrimBeforeLeavingZeros", before(4), {0xF0}, {}, true},
        {"TrimAfterTheLastSample", after(399999), {0xFF, 0x01}, {0xFF, 0x01}, false},
        {"TrimAfterInsideAByte", after(3), {0xFF, 0xFF}, {0xF0}, true},
        {"TrimAfterWholeByte", after(7), {0x01, 0, 0xFF}, {0x01}, true},
        {"TrimAfterLeavingZeros", after(3), {0x01, 0, 0xFF}, {}, true},
        {"TrimAfterPastTheLength", after(100), {0x01, 0}, {0x01, 0}, true},
    };
    for (const SEditCase& test : cases)
    {
        CBitstream bits(test.before);
        EXPECT_EQ(test.edit(bits), test.bChanged) << test.pszName;
        EXPECT_EQ(GetBytes(bits), test.after) << test.pszName;
    }
}
} // namespace
