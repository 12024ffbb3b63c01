#pragma once

#include <functional>
#include <memory>
#include <string>

class CInfraredDevice;
class CLircSystem;
class CTickSource;

// The infrared unit the window program plays and records through, and the moves to another
// unit or port that the Configure dialog asks for.
class CInfraredUnit
{
public:
    // Answers whether to go on with the simulated unit when an infrared device is there but
    // cannot be used, told why.
    using CFallbackQuestion = std::function<bool(const std::string& strReason)>;

    // strStartBackend: the backend asked for at start ("" when none was); ticks: the count a
    // simulated remote's presses are timed with; lirc: the calls the lirc devices are driven
    // through.
    CInfraredUnit(std::string strStartBackend, CTickSource& ticks, CLircSystem& lirc);
    ~CInfraredUnit();
    CInfraredUnit(const CInfraredUnit&) = delete;
    CInfraredUnit& operator=(const CInfraredUnit&) = delete;

    // Opens the unit asked for at start, else strChosen (the one chosen last time), on port
    // nPort. The one chosen last time may be unplugged since, and then the program goes on
    // with what this machine offers. Where that is an infrared device the person may not use,
    // askFallback decides whether the simulated unit stands in. False, with the reason on
    // stderr, when no unit could be had or the person would rather not go on.
    bool Open(const std::string& strChosen, int nPort, const CFallbackQuestion& askFallback);
    CInfraredDevice& GetDevice() const { return *m_pDevice; }
    CLircSystem& GetLircSystem() const { return m_lirc; }
    // The unit in use as a backend that opens it again: "sim", "lirc:/dev/lircN",
    // "lirc:/dev/lircN,/dev/lircM" (the emitter, then the receiver), or "" for a unit on the
    // parallel port the device is on.
    std::string GetBackendInUse() const;

    // Moves the unit to port 1, 2 or 3 with the interrupt-masking flag; another port number
    // changes nothing. The device is opened afresh, as the best this machine offers for the
    // port. False, with the reason, when the port could not be had: the unit then stays on the
    // port it was on. Only while nothing fires or records.
    bool SelectPort(int nPort, bool bMaskInterrupts, std::string& strError);
    // Moves to another infrared unit: strBackend "sim", "lirc:/dev/lircN", or "" for the unit
    // on the parallel port nPort (through the port backend asked for at start, if any). False,
    // with the reason, when it could not be had: the unit in use then stays.
    bool SelectDevice(const std::string& strBackend, int nPort, bool bMaskInterrupts,
                      std::string& strError);
    // Told of the device in use after every move, whether or not it is a new one.
    void SetMovedObserver(std::function<void(CInfraredDevice&)> onMoved)
    {
        m_onMoved = std::move(onMoved);
    }

private:
    void TimeSimulatedPresses();

    // The backend asked for at start ("" when none was), and the one in use now.
    std::string m_strStartBackend;
    std::string m_strBackend;
    CTickSource& m_ticks;
    CLircSystem& m_lirc;
    std::unique_ptr<CInfraredDevice> m_pDevice;
    std::function<void(CInfraredDevice&)> m_onMoved = [](CInfraredDevice&) {};
};
