#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <utility>
#include <vector>

// A hand-held remote pointed at the simulated detector. Each time the detector is powered the
// person presses a button: the line stays idle for a moment, then carries one demodulated
// frame, then stays idle. Given a millisecond count, the person takes about a second to press,
// as someone told to press would; without one the press comes at once. A signal is a list of run
// lengths in samples, alternating between no infrared and infrared and starting with no infrared;
// one sample stands for about a microsecond, the time one access to a real port takes.
class CSimulatedRemote
{
public:
    using CRuns = std::vector<std::uint32_t>;

    // Samples of silence before a press's frame begins.
    static constexpr std::uint32_t kIdleSamples = 1000;
    // Milliseconds from powering the detector to the press, once a count is given.
    static constexpr std::uint32_t kPressDelayMs = 1000;
    static constexpr std::uint8_t kAddress = 0x04;
    // What one sample stands for, in nanoseconds, whatever the simulated loop costs.
    static constexpr double kNanosPerSample = 1000.0;

    // kIdleSamples of silence, then a frame in the common 32-bit pulse-distance format: a long
    // header mark and space, address, inverted address, command and inverted command (least
    // significant bit first, a long space for a 1) and a closing mark.
    static CRuns MakeFrame(std::uint8_t nAddress, std::uint8_t nCommand);

    // Presses from now on wait kPressDelayMs by this millisecond count.
    void SetMillisecondCount(std::function<std::uint32_t()> getTicks);
    // The detector was powered: the next press starts now, or once the delay has passed.
    void Press();
    // Makes the next press send exactly these runs instead of a frame.
    void QueueSignal(CRuns runs) { m_queued.push_back(std::move(runs)); }
    // The command the next frame carries; it changes with every press, so no two recordings
    // in a row are alike.
    std::uint8_t GetNextCommand() const;
    // From now on every press sends the command the next one would have, as a person asked to
    // press one button several times does (learning from several presses); false returns to
    // a new command each press.
    void SetRepeatCommand(bool bRepeat) { m_bRepeatCommand = bRepeat; }

    // Someone presses a button while nothing records: the signal (marks and spaces in
    // microseconds, a mark first) is there for whoever listens.
    void PressHeard(std::vector<std::uint32_t> durations)
    {
        m_heard.push_back(std::move(durations));
    }
    // The oldest signal pressed so and not yet heard; false when there is none.
    bool TakeHeard(std::vector<std::uint32_t>& durations);

    // Whether infrared reaches the detector at the next sample of the current press.
    bool NextSample()
    {
        if (m_bAwaitingPress && !HasPressBegun())
            return false;
        const std::uint64_t nSample = m_nSample++;
        while (m_nNextEdge < m_edges.size() && nSample >= m_edges[m_nNextEdge])
        {
            m_bInfrared = !m_bInfrared;
            ++m_nNextEdge;
        }
        return m_bInfrared;
    }

private:
    CRuns NextSignal();
    // Starts the press's samples once the delay since powering has passed.
    bool HasPressBegun();

    std::deque<CRuns> m_queued;
    std::deque<std::vector<std::uint32_t>> m_heard;
    // Sample numbers, counted from the press, at which the line changes.
    std::vector<std::uint64_t> m_edges;
    std::size_t m_nNextEdge = 0;
    std::uint64_t m_nSample = 0;
    bool m_bInfrared = false;
    // Presses that moved on to a new command.
    unsigned m_nCommandSteps = 0;
    bool m_bRepeatCommand = false;
    std::function<std::uint32_t()> m_getTicks;
    std::uint32_t m_nPoweredAt = 0;
    bool m_bAwaitingPress = false;
};
