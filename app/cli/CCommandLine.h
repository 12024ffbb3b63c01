#pragma once

#include <cstdio>

// The commands that run without windows. Returns true and sets nExitCode when the arguments
// asked for one of them; false when the window program should start.
bool RunHeadlessCommand(int argc, char** argv, int& nExitCode);
