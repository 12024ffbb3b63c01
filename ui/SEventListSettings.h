#pragma once

#include <array>

// What the event list keeps between runs: its column widths and how it is sorted. The
// application reads and writes them with its other settings and hands them to the view.
struct SEventListSettings
{
    static constexpr int kColumns = 7;
    // A width of 0x7FFF: none stored yet.
    static constexpr int kNoWidth = 0x7FFF;

    std::array<int, kColumns> m_widths{kNoWidth, kNoWidth, kNoWidth, kNoWidth,
                                       kNoWidth, kNoWidth, kNoWidth};
    int m_nSortColumn = 0;
    bool m_bSortForward = true;
};
