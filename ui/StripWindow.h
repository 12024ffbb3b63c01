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
// bottom edges. Zoom levels count halvings of the window from the finest, level 0, where each
// sample takes a cell 4 pixels wide; each level up shows twice the samples in the same pixels,
// up to the overview of the whole recording.

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

// The overview's level: one above the widest window that still leaves samples out. 0 when the
// strip is too narrow for a sample, and so shows the overview only.
unsigned GetOverviewLevel(std::uint32_t nVisible);
// How many samples the window shows at nLevel: nVisible at the finest, all at the overview's.
std::uint32_t GetWindowSamples(std::uint32_t nVisible, unsigned nLevel);
// The sample under column nX at nLevel with the window starting at nStart (or anywhere, in the
// overview); columns left or right of the samples shown count as the first or the last one.
std::uint32_t GetSampleUnder(std::uint32_t nStart, unsigned nLevel, int nX, int nStripWidth);
// The start of the window at nLevel that keeps sample nSample under column nX, as far as the
// window can go without passing either end.
std::uint32_t GetStartKeeping(std::uint32_t nSample, int nX, unsigned nLevel, int nStripWidth);

// The first sample of the window a double-click at column nX zooms to: the leftmost column
// gives the first window, the rightmost the last whole one.
std::uint32_t GetZoomStart(int nX, int nStripWidth);
// The window of nSamples half a window further left or right, never past either end.
std::uint32_t GetStartScrolledLeft(std::uint32_t nStart, std::uint32_t nSamples);
std::uint32_t GetStartScrolledRight(std::uint32_t nStart, std::uint32_t nSamples);
// The sample under column nX of the finest window that starts at nStart.
std::uint32_t GetSampleAt(std::uint32_t nStart, int nX);

// The corners of the blue square wave, in drawing order. The overview shows the first sample of
// every 16th byte; a window shows the nVisible cells of its level from nStart and the step into
// the sample after them. Above level 2 a pixel column holds several samples: one that changes
// level inside it is drawn as a line across the plot, so no burst is lost.
std::vector<QPoint> GetOverviewTrace(const CBitstream& bits, const QRect& plot);
std::vector<QPoint> GetZoomedTrace(const CBitstream& bits, const QRect& plot, std::uint32_t nStart,
                                   std::uint32_t nVisible, unsigned nLevel);

// Inverts sample nSample; the length grows to take in a byte that becomes non-zero and shrinks
// past zero bytes when the last one becomes zero.
void InvertSample(CBitstream& bits, std::uint32_t nSample);
// Zero every sample before nFirst, or after nLast. Both return false when there is nothing on
// that side of the window, and so nothing changed.
bool TrimBefore(CBitstream& bits, std::uint32_t nFirst);
bool TrimAfter(CBitstream& bits, std::uint32_t nLast);
