#pragma once

#include "common/SCommandLine.h"

#include <string>
#include <vector>

// Fills commandLine from the arguments after the program name. False, with the reason in
// strError, when they make no sense.
bool ParseCommandLine(const std::vector<std::string>& arguments, SCommandLine& commandLine,
                      std::string& strError);

const char* GetUsage();

// The commands that run without windows. Returns true and sets nExitCode (0 done, 1 failed,
// 2 misused) when the arguments asked for one of them or made no sense; false, with the
// arguments read into commandLine, when the window program should start.
bool RunHeadlessCommand(int argc, char** argv, SCommandLine& commandLine, int& nExitCode);
