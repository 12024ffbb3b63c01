#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

// Mark and space lengths as they are laid end to end; a mark after a mark (or a space after a
// space), as biphase cells make them, lengthens the run before.
class CRunBuilder
{
public:
    void Add(double dMicros)
    {
        const bool bMark = dMicros > 0;
        if (dMicros == 0)
            return;
        if (m_runs.empty() && !bMark)
        {
            // The silence before the first mark is no part of the signal.
            m_dSilenceBefore -= dMicros;
            return;
        }
        if (!m_runs.empty() && m_bLastMark == bMark)
            m_runs.back() += std::abs(dMicros);
        else
            m_runs.push_back(std::abs(dMicros));
        m_bLastMark = bMark;
    }

    // The length from the first mark's start to the end of everything added.
    double GetLength() const
    {
        double dLength = 0;
        for (const double dRun : m_runs)
            dLength += dRun;
        return dLength;
    }

    // The length from the start of everything added, the silence before the first mark
    // included: where a frame that begins with a space (half a biphase cell) really began.
    double GetTimeline() const { return m_dSilenceBefore + GetLength(); }

    // Ends the runs on their last mark: a biphase frame's closing half-cell of silence is no
    // part of the frame, and the gap after it is counted from that mark.
    void DropTrailingSpace()
    {
        if (!m_runs.empty() && !m_bLastMark)
        {
            m_runs.pop_back();
            m_bLastMark = true;
        }
    }

    const std::vector<double>& GetRuns() const { return m_runs; }

    // The runs in whole microseconds, without the silence after the last mark.
    std::vector<std::uint32_t> GetDurations() const
    {
        std::vector<std::uint32_t> durations;
        for (const double dRun : m_runs)
            durations.push_back(static_cast<std::uint32_t>(std::lround(dRun)));
        if (!m_bLastMark && !durations.empty())
            durations.pop_back();
        return durations;
    }

private:
    std::vector<double> m_runs;
    double m_dSilenceBefore = 0;
    bool m_bLastMark = false;
};
