#pragma once

#include "control/RunningQuorbit.h"

#include <cstdint>
#include <string>

class CClockBackend;

// The commands that reach the running Quorbit through its control socket. Each returns the
// exit status (0 done, 1 failed) and writes its errors to stderr.

// For the commands that use the infrared unit themselves: true, having said why, when a Quorbit
// runs, as it holds the unit. strWindowAdvice is what to do when that is the window program.
bool RefuseBesideRunning(const std::string& strWindowAdvice);

// quorbit --send REMOTE BUTTON [--hold MS]; nHoldMillis 0 for a single press.
int SendFire(const std::string& strRemote, const std::string& strButton,
             std::uint32_t nHoldMillis = 0);
// quorbit --status
int PrintRunningStatus();
// quorbit --listen: the running Quorbit's HEARD lines, one a press, until it stops (exit 1).
int ListenToRunning();
// quorbit --fire FILE REMOTE BUTTON: through the running Quorbit when it has FILE open, else
// straight from the file through the infrared unit strDevice names.
int FireFromFile(const std::string& strPath, const std::string& strRemote,
                 const std::string& strButton, const std::string& strDevice,
                 CClockBackend& clockBackend, std::uint32_t nHoldMillis = 0);
