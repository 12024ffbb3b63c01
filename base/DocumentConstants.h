#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Sizes, limits and fixed tables shared by the document, the file format and the windows.

constexpr std::size_t kBitstreamBytes = 50000; // 400,000 one-bit samples
constexpr std::size_t kBitstreamSamples = kBitstreamBytes * 8;

constexpr int kGridColumns = 5;
constexpr int kGridRows = 15;
constexpr int kGridCells = kGridColumns * kGridRows; // cell index = column * 15 + row
constexpr int kNotPlacedColumn = 5;
constexpr int kNotPlacedRow = 15;

constexpr std::size_t kMaxRemoteName = 15; // also button names
constexpr std::size_t kMaxEventName = 31;  // also button descriptions

constexpr int kNoPadPosition = 0x7FFF;
constexpr int kFirstRemoteMenuId = 0x8400;

constexpr int kStyleCount = 8;

// One remote layout: the top-left part of the 5 x 15 grid that its pad shows.
struct SRemoteStyle
{
    int nRows;
    int nColumns;
    const char* pszText; // the Add Remote list's text
};

constexpr std::array<SRemoteStyle, kStyleCount> kRemoteStyles{{
    {15, 5, "15 buttons high, 5 buttons wide"},
    {12, 4, "12 buttons high, 4 buttons wide"},
    {12, 3, "12 buttons high, 3 buttons wide"},
    {9, 3, "9 buttons high, 3 buttons wide"},
    {8, 4, "8 buttons high, 4 buttons wide"},
    {6, 3, "6 buttons high, 3 buttons wide"},
    {4, 4, "4 buttons high, 4 buttons wide"},
    {3, 3, "3 buttons high, 3 buttons wide"},
}};

// True when cell (column, row) exists on the given style.
constexpr bool IsCellOnStyle(int nStyle, int nColumn, int nRow)
{
    return nStyle >= 0 && nStyle < kStyleCount && nColumn >= 0 && nRow >= 0 &&
           nColumn < kRemoteStyles[nStyle].nColumns && nRow < kRemoteStyles[nStyle].nRows;
}

// Megabutton step delays in tenths of a second, by delay index.
constexpr int kStepDelayCount = 5;
constexpr std::array<int, kStepDelayCount> kStepDelays{5, 10, 50, 300, 600};

// Event frequencies; 3 to 9 are one weekday each, Sunday first.
enum EFrequency : int
{
    kFrequencyOnce = 0,
    kFrequencyDaily = 1,
    kFrequencyWeekdays = 2,
    kFrequencySunday = 3,
    kFrequencySaturday = 9,
};
constexpr int kFrequencyCount = 10;

constexpr std::array<const char*, kFrequencyCount> kFrequencyTexts{
    "Once",    "Daily",     "Monday to Friday", "Sunday", "Monday",
    "Tuesday", "Wednesday", "Thursday",         "Friday", "Saturday"};
