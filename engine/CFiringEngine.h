#pragma once

#include "base/CScopedCount.h"
#include "signal/DecodedSignal.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class CFrontEnd;
class CInfraredDevice;
class CMegaStep;
class CRemoteButton;
class CTickSource;

// Plays buttons to the infrared emitter and keeps the application's firing depth. A megabutton
// waits between its steps by pumping the front end's messages, so anything (pads, dialogs, the
// scheduler tick, another firing) may run in the middle of a firing; the buttons' firing
// counters and the depth are what lets that code see what is in use.
class CFiringEngine
{
public:
    CFiringEngine(CInfraredDevice& device, CFrontEnd& frontEnd, CTickSource& ticks);

    // Plays the button; a button that cannot fire (GetFiringLength 0) sends nothing at all.
    // False when the device could not play it (it cannot send, or failed): the person has been
    // told why, and a megabutton plays none of its later steps.
    bool Fire(CRemoteButton& button);
    // Plays a plain button held down for nHoldMillis, as its remote sends it: the first frame,
    // then the protocol's repeat frame at the protocol's period (a recording whose protocol is
    // not known: its last frame at the period it shows) for as long as the hold lasts; 0 is a
    // single press. False where it cannot be held (GetHoldRefusal) or the device failed: the
    // person has been told why.
    bool Hold(CRemoteButton& button, std::uint32_t nHoldMillis);
    // Why the button cannot be held that long on this unit, in words for the person; empty when
    // it can.
    std::string GetHoldRefusal(const CRemoteButton& button, std::uint32_t nHoldMillis);
    // The longest hold: the program plays it without serving anything else meanwhile.
    static constexpr std::uint32_t kLongestHoldMillis = 10000;
    // Plays marks and spaces in microseconds (a mark first) that are no button's, at nCarrier
    // hertz on a unit that takes one (0 for its usual). False when the device could not play
    // them: its fault says why.
    bool SendSignal(const std::vector<std::uint32_t>& durations, std::uint32_t nCarrier);
    // Records from the detector into the button, at most nCapacity bytes. Called the moment the
    // detector sees a signal begin, so it does no work of its own before the first sample.
    // False when the device failed: the person has been told why, and the button keeps what it
    // had.
    bool Learn(CRemoteButton& button, std::uint32_t nCapacity);
    // Readies the detector for learning the button. False when the device cannot learn (it only
    // sends, or failed): the person has been told why, and nothing is to be awaited from it.
    bool EnableDetector(const CRemoteButton& button);
    // Keeps the windows (and the timer) alive while a firing or a recording waits.
    void PumpWaitMessages(std::uint32_t nMaxWaitMs);

    // Megabutton and scheduled firings in progress; the window's Close command is greyed while
    // it is above 0.
    void EnterFiring();
    void LeaveFiring();
    // EnterFiring now and LeaveFiring when the returned count goes out of scope.
    CScopedCount EnterFiringScope();
    int GetFiringDepth() const { return m_nDepth; }

    // Plays and records through another device from now on (a new port was chosen). Only
    // while nothing fires or records: the old device may be gone as soon as this returns.
    void SetDevice(CInfraredDevice& device) { m_pDevice = &device; }
    CInfraredDevice& GetDevice() const { return *m_pDevice; }

    // When the emitter last stopped playing, by the tick count; false while it never played.
    // What a receiver hears then is Quorbit's own light, not a remote's.
    bool GetLastSentTick(std::uint32_t& nTick) const;
    // Recording from the detector is under way: nothing else may read what it hears.
    bool IsLearning() const { return m_bLearning; }
    // The recording is over, learned or given up.
    void EndLearning() { m_bLearning = false; }

    // Called for each megabutton step just before its button is played.
    void SetStepObserver(std::function<void(const CMegaStep&)> onStep);

private:
    bool FirePlain(const CRemoteButton& button);
    // The toggle bit a new press of the button sends: the recorded one at its first press since
    // the program started, the other one at each press after that, as its remote does.
    bool NextToggle(const CRemoteButton& button, bool bRecorded);
    // The button's code with this press's toggle bit; the device's carrier set for it.
    SDecodedSignal StartPress(const CRemoteButton& button, SDecodedSignal code);
    // Says what went wrong with the press just sent, if anything; the emitter has played.
    bool ReportFault(const CRemoteButton& button);
    // The emitter has just played: what the receiver hears for a while is Quorbit's own light.
    void NoteSent();
    bool FireSteps(CRemoteButton& megabutton);
    void Report(int nStringId, const CRemoteButton& button, const std::string& strWhy);
    void WaitUntil(std::uint32_t nStart, std::uint32_t nDeadline);

    CInfraredDevice* m_pDevice;
    CFrontEnd& m_frontEnd;
    CTickSource& m_ticks;
    int m_nDepth = 0;
    bool m_bSent = false;
    std::uint32_t m_nSentTick = 0;
    bool m_bLearning = false;
    std::function<void(const CMegaStep&)> m_onStep;
    // The toggle bit each button's last press sent.
    std::map<const CRemoteButton*, bool> m_lastToggles;
    // The device records a whole field; allocated once, so that a recording starts at once.
    std::vector<std::uint8_t> m_captureField;
};
