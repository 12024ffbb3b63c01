#pragma once

#include "device/CClockBackend.h"
#include "device/CInfraredDevice.h"

#include <memory>
#include <string>

class CLircSystem;
class CSimulatedPort;
class CSimulatedRemote;

// The infrared unit for port nPort through the backend strBackend: "sim", "ppdev", "direct",
// "lirc" (the first kernel lirc device that can send and the first that can receive),
// "lirc:/dev/lircN", "lirc:/dev/lircN,/dev/lircM" (an emitter and a receiver), or "" for the
// best one this machine offers (a kernel parport device at the port's address, else direct
// port I/O where a port answers, else a lirc device, else the simulated unit). An explicit backend
// that cannot be had, or an unknown name, gives nothing and the reason in strError.
// Without a backend named, lirc devices that are there but cannot be used (a person not in
// their group) give nothing and the reason, rather than the simulated unit in their place: the
// simulated unit is the best one only where there is no infrared device at all.
std::unique_ptr<CInfraredDevice> CreateInfraredDevice(const std::string& strBackend, int nPort,
                                                      std::string& strError);
// The same with the lirc devices of lirc, in place of the kernel's.
std::unique_ptr<CInfraredDevice> CreateInfraredDevice(const std::string& strBackend, int nPort,
                                                      CLircSystem& lirc, std::string& strError);

// The clock: "" for the real-time clock when it can be read, else the operating system's
// clock; "YYYY-MM-DD HH:MM:SS" for a simulated clock starting at that local time. Text that is
// not such a time gives nothing and the reason in strError.
std::unique_ptr<CClockBackend> CreateClockBackend(const std::string& strClockStart,
                                                  std::string& strError);

// The simulated unit's port and its hand-held remote; null for a unit on real hardware.
CSimulatedPort* FindSimulatedPort(CInfraredDevice& device);
CSimulatedRemote* FindSimulatedRemote(CInfraredDevice& device);
