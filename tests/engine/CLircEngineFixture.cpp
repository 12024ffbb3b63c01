#include "engine/CLircEngineFixture.h"

#include "signal/SignalDurations.h"

CLircEngineFixture::CLircEngineFixture()
{
    std::string strError;
    m_pLirc = CLircDevice::Open(m_system, "/dev/lirc0", strError);
    m_engine.SetDevice(*m_pLirc);
}

CRemoteButton& CLircEngineFixture::MakeRecorded(CRemote& remote, const std::string& strName,
                                                const SignalFrames::CRuns& runs)
{
    CRemoteButton& button = MakePlain(remote, strName);
    button.m_bits = ToBitstream(runs, 1000);
    return button;
}
