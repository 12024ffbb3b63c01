#pragma once

#include "document/SHeardPress.h"
#include "signal/DecodedSignal.h"

#include <cstdint>
#include <functional>
#include <vector>

class CBiosClock;
class CFiringEngine;
class CFrontEnd;
class CQuorbexDoc;
class CTickSource;

// Hears the remotes pointed at the unit between firings, on a unit that receives on its own (a
// lirc receiver, the simulated unit's remote), and tells the front end and the observers of
// each press: decoded, and matched against the document's buttons. The owner's event loop calls
// Listen when the unit's descriptor is readable and at every beat; it never waits longer than
// asked, so the loop stays free to fire and to serve the windows.
//
// A held button is one press: its repeats (the same code, or a protocol's repeat frames, while
// the button has not been quiet for kReleasedMs) are counted into it. What the emitter sends is
// Quorbit's own light: a signal that ends while a firing plays or within kMuteMs after the
// emitter stopped is not taken as heard.
class CListener
{
public:
    static constexpr std::uint32_t kReleasedMs = 200;
    static constexpr std::uint32_t kMuteMs = 300;
    using CObserver = std::function<void(const SHeardPress&)>;

    CListener(CFiringEngine& engine, CQuorbexDoc& doc, CBiosClock& clock, CFrontEnd& frontEnd,
              CTickSource& ticks);

    // The unit hears on its own; a unit on a port hears only while it learns.
    bool CanListen() const;
    // Takes what the unit heard, waiting up to nMaxWaitMs for it; true when a new press was
    // reported. Nothing is read while a button is being learned: the recording takes it.
    bool Listen(int nMaxWaitMs);
    // Told of every new press after the front end.
    void AddObserver(CObserver observer) { m_observers.push_back(std::move(observer)); }
    // Repeats heard of the press held now, or of the last one.
    int GetRepeats() const { return m_nRepeats; }

private:
    bool OnSignal(std::vector<std::uint32_t> durations);
    bool IsOwnLight(std::uint32_t nNow) const;
    // The signal continues the press heard last: the button has not been let go.
    bool IsHeld(const std::vector<std::uint32_t>& durations, const SDecodedSignal& decoded,
                std::uint32_t nNow) const;
    void Report(const SHeardPress& press);

    CFiringEngine& m_engine;
    CQuorbexDoc& m_doc;
    CBiosClock& m_clock;
    CFrontEnd& m_frontEnd;
    CTickSource& m_ticks;
    std::vector<CObserver> m_observers;
    // The press heard last and when its latest signal ended.
    bool m_bHeard = false;
    std::vector<std::uint32_t> m_lastDurations;
    SDecodedSignal m_lastDecoded;
    std::uint32_t m_nLastTick = 0;
    int m_nRepeats = 0;
};
