#pragma once

#include "support/CTempFolder.h"

#include <string>

// A runtime folder of the test's own for the time it lives, so that neither a Quorbit the
// person runs nor another test shares the control socket.
class CPrivateRuntime
{
public:
    CPrivateRuntime();
    ~CPrivateRuntime();
    CPrivateRuntime(const CPrivateRuntime&) = delete;
    CPrivateRuntime& operator=(const CPrivateRuntime&) = delete;

    std::string GetSocket() const { return m_folder.File("quorbit/control.socket"); }

private:
    CTempFolder m_folder;
    std::string m_strOld;
    bool m_bHadOld = false;
};
