#pragma once

#include <functional>
#include <memory>
#include <string>

class CInfraredDevice;
class CTickSource;

// The infrared unit the window program plays and records through, and the moves to another
// unit or port that the Configure dialog asks for.
class CInfraredUnit
{
public:
    // strStartBackend: the backend asked for at start ("" when none was); ticks: the count a
    // simulated remote's presses are timed with.
    CInfraredUnit(std::string strStartBackend, CTickSource& ticks);
    ~CInfraredUnit();
    CInfraredUnit(const CInfraredUnit&) = delete;
    CInfraredUnit& operator=(const CInfraredUnit&) = delete;

    // Opens the unit asked for at start, else strChosen (the one chosen last time), on port
    // nPort. The one chosen last time may be unplugged since, and then the program goes on
    // with what this machine offers. False, with the reason on stderr, when no unit could be
    // had.
    bool Open(const std::string& strChosen, int nPort);
    CInfraredDevice& GetDevice() const { return *m_pDevice; }

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
    std::unique_ptr<CInfraredDevice> m_pDevice;
    std::function<void(CInfraredDevice&)> m_onMoved = [](CInfraredDevice&) {};
};
