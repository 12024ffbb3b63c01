#pragma once

#include "support/CTempFolder.h"

#include <filesystem>
#include <string>
#include <vector>

// What a program run as a child process left behind.
struct SProcessResult
{
    int nExitStatus = -1; // -1 when it did not exit normally
    std::string strOut;
    std::string strErr;
};

SProcessResult RunProgram(const std::string& strProgram, const std::vector<std::string>& arguments);

// The quorbit program built beside the tests.
inline SProcessResult RunQuorbit(const std::vector<std::string>& arguments)
{
    return RunProgram(QUORBIT_BINARY, arguments);
}
