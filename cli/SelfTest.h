#pragma once

#include "common/SCommandLine.h"

#include <cstdio>

class CInfraredDevice;

// Plays a known frame through the unit's emitter while its detector listens, compares what came
// back, and says on pOut, in plain words, the sample period, its jitter and whether the unit
// works. The simulated unit's emitter is turned to face its detector for the test; on real
// hardware the emitter must face the detector. True when the unit works.
bool RunSelfTest(CInfraredDevice& device, std::FILE* pOut);

// --selftest: opens the unit and tests it; 0 when it works.
int RunSelfTestCommand(const SCommandLine& commandLine);
