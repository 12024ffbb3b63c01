#pragma once

#include "engine/CEngineFixture.h"

#include "device/CLircDevice.h"
#include "signal/SignalFrames.h"
#include "support/CFakeLircSystem.h"

#include <memory>
#include <string>

// The engine firing through a lirc device, /dev/lirc0 of the fake kernel, which keeps what was
// written, with which carrier and when.
class CLircEngineFixture : public CEngineFixture
{
protected:
    CLircEngineFixture();

    // A button recorded from a remote: its samples alone, one a microsecond.
    CRemoteButton& MakeRecorded(CRemote& remote, const std::string& strName,
                                const SignalFrames::CRuns& runs);

    CFakeLircSystem m_system;
    CFakeLircSystem::SDevice& m_fake = m_system.AddDevice("/dev/lirc0");
    std::unique_ptr<CLircDevice> m_pLirc;
};
