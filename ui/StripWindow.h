#pragma once

#include "base/DocumentConstants.h"

#include <QPoint>
#include <QRect>

#include <cstdint>
#include <vector>

class CBitstream;

// The arithmetic of the bitstream strip, apart from the widget so that it can be checked by its
// numbers. Positions are in the strip's own pixels (device-independent ones on a high-density
// screen); the plot area lies 2 pixels inside the left and top edges and 3 inside the right and
// bottom edges, and zoomed, each sample takes a cell 4 pixels wide.

constexpr std::uint32_t kStripSamples = static_cast<std::uint32_t>(kBitstreamSamples);
constexpr int kStripMargin = 2; // pixels between the strip's edge and the part that reacts
constexpr int kSampleWidth = 4;

// True when sample nSample is high (infrared seen): bit 7 - nSample % 8 of byte nSample / 8.
bool IsSampleHigh(const CBitstream& bits, std::uint32_t nSample);
// The plot area of a strip of this size; its right() and bottom() are the last column and row
// drawn.
QRect GetPlotRect(const QSize& stripSize);
// How many samples a zoomed strip this wide shows; 0 when it is too narrow for one.
std::uint32_t GetVisibleSamples(int nStripWidth);
// True when the point lies where a press or a double-click on the strip counts.
bool IsInsideMargin(const QPoint& point, const QSize& stripSize);

// The first sample of the window a double-click at column nX zooms to: the leftmost column
// gives the first window, the rightmost the last whole one.
std::uint32_t GetZoomStart(int nX, int nStripWidth);
// The window half a window further left or right, never past either end.
std::uint32_t GetStartScrolledLeft(std::uint32_t nStart, std::uint32_t nVisible);
std::uint32_t GetStartScrolledRight(std::uint32_t nStart, std::uint32_t nVisible);
// The sample under column nX of the zoomed window that starts at nStart.
std::uint32_t GetSampleAt(std::uint32_t nStart, int nX);

// The corners of the blue square wave, in drawing order. The overview shows the first sample of
// every 16th byte; the zoomed window shows nVisible samples from nStart and the step into the
// sample after them.
std::vector<QPoint> GetOverviewTrace(const CBitstream& bits, const QRect& plot);
std::vector<QPoint> GetZoomedTrace(const CBitstream& bits, const QRect& plot, std::uint32_t nStart,
                                   std::uint32_t nVisible);

// Inverts sample nSample; the length grows to take in a byte that becomes non-zero and shrinks
// past zero bytes when the last one becomes zero.
void InvertSample(CBitstream& bits, std::uint32_t nSample);
// Zero every sample before nFirst, or after nLast. Both return false when there is nothing on
// that side of the window, and so nothing changed.
bool TrimBefore(CBitstream& bits, std::uint32_t nFirst);
bool TrimAfter(CBitstream& bits, std::uint32_t nLast);
