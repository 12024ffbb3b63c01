#include "cli/CRunningQuorbit.h"

#include "device/CDeviceFactory.h"

#include <gtest/gtest.h>

// The headless runner, answering as the kind of program asked for.
class CRunningQuorbit::CRunner : public CHeadlessRunner
{
public:
    CRunner(bool bWindows, const std::string& strPath, CInfraredDevice& device,
            CClockBackend& clock, CTickSource& ticks, std::FILE* pOut)
        : CHeadlessRunner(strPath, device, clock, ticks, pOut, pOut), m_bWindows(bWindows)
    {
    }

protected:
    const char* GetProgramKind() const override { return m_bWindows ? "window" : "run"; }

private:
    bool m_bWindows;
};

CRunningQuorbit::CRunningQuorbit(const std::string& strPath, bool bWindows)
    : m_pOut(std::fopen("/dev/null", "w"))
{
    std::string strError;
    m_pDevice = CreateInfraredDevice("sim", kHeadlessPort, strError);
    m_pRunner = std::make_unique<CRunner>(bWindows, strPath, *m_pDevice, m_clock, m_ticks, m_pOut);
    EXPECT_TRUE(m_pRunner->Start());
    EXPECT_EQ(m_server.Claim(strError), CControlServer::EClaim::Claimed) << strError;
    EXPECT_TRUE(m_server.Listen(*m_pRunner, strError)) << strError;
    m_serving = std::thread(
        [this]
        {
            while (!m_bStop)
                m_server.ServeFor(10);
        });
}

CRunningQuorbit::~CRunningQuorbit()
{
    m_bStop = true;
    m_serving.join();
    std::fclose(m_pOut);
}
