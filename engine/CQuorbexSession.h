#pragma once

#include "device/CBiosClock.h"
#include "document/CQuorbexDoc.h"

#include <memory>

class CClockBackend;
class CFiringEngine;
class CFrontEnd;
class CInfraredDevice;
class CListener;
class CScheduler;
class CTickSource;

// What a running Quorbit is made of, wired in this one place: the clock over the chosen
// backend, the one document, and the firing engine and scheduler that play its buttons and
// events through the device. The window program, the headless runner, a direct firing and the
// commands that only read or write a document all build one; the last connect no device and
// have neither engine nor scheduler. The front end, the backend, the device and the tick source
// belong to the caller and must outlive the session.
class CQuorbexSession
{
public:
    CQuorbexSession(CFrontEnd& frontEnd, CClockBackend& clockBackend,
                    const SClockSettings& clockSettings);
    CQuorbexSession(CFrontEnd& frontEnd, CClockBackend& clockBackend,
                    const SClockSettings& clockSettings, CInfraredDevice& device,
                    CTickSource& ticks);
    ~CQuorbexSession();
    CQuorbexSession(const CQuorbexSession&) = delete;
    CQuorbexSession& operator=(const CQuorbexSession&) = delete;

    CBiosClock& GetClock() { return m_clock; }
    const CBiosClock& GetClock() const { return m_clock; }
    CQuorbexDoc& GetDocument() { return m_doc; }
    const CQuorbexDoc& GetDocument() const { return m_doc; }
    // Only in a session with a device.
    CFiringEngine& GetEngine() const { return *m_pEngine; }
    CScheduler& GetScheduler() const { return *m_pScheduler; }
    CListener& GetListener() const { return *m_pListener; }
    // A button, a megabutton or an event is being played.
    bool IsFiring() const;

private:
    CBiosClock m_clock;
    CQuorbexDoc m_doc;
    std::unique_ptr<CFiringEngine> m_pEngine;
    std::unique_ptr<CScheduler> m_pScheduler;
    std::unique_ptr<CListener> m_pListener;
};
