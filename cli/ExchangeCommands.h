#pragma once

#include "common/SCommandLine.h"

#include <memory>
#include <string>

class CInfraredDevice;

// The commands that carry signals between a document and other infrared tools. The unit is
// opened only for its sample period, the time base of every recording; while a Quorbit runs,
// which holds the unit, its period is asked for instead.

// False, with the reason, when --format or --carrier are missing, malformed or given to a
// command that takes neither.
bool CheckExchangeOptions(const SCommandLine& commandLine, std::string& strError);

// --export and --import. Returns the exit status: 0 done, 1 failed with the reason on standard
// error and the document as it was.
int RunExchangeCommand(const SCommandLine& commandLine);

// The unit --device names, or the best this machine offers; null, with the reason on standard
// error, when it cannot be had.
std::unique_ptr<CInfraredDevice> OpenInfraredUnit(const SCommandLine& commandLine);
