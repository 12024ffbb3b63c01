#include "cli/CRunningQuorbit.h"

#include "device/CDeviceFactory.h"
#include "device/CSimulatedRemote.h"

#include <gtest/gtest.h>

#include <mutex>

// The headless runner, answering as the kind of program asked for.
class CRunningQuorbit::CRunner : public CHeadlessRunner
{
public:
    CRunner(bool bWindows, const std::string& strPath, CInfraredDevice& device,
            CClockBackend& clock, CTickSource& ticks, std::FILE* pOut)
        : CHeadlessRunner(strPath, device, clock, ticks, pOut, pOut), m_bWindows(bWindows)
    {
    }

    std::string GetOpened()
    {
        const std::lock_guard lock(m_mutex);
        return m_strOpened;
    }

protected:
    const char* GetProgramKind() const override { return m_bWindows ? "window" : "run"; }
    SControlResult Open(const std::string& strPath) override
    {
        if (!m_bWindows)
            return CHeadlessRunner::Open(strPath);
        const std::lock_guard lock(m_mutex);
        m_strOpened = strPath;
        return SControlResult::Done();
    }

private:
    bool m_bWindows;
    std::mutex m_mutex; // the test reads what the serving thread was asked
    std::string m_strOpened;
};

CRunningQuorbit::CRunningQuorbit(const std::string& strPath, bool bWindows,
                                 CControlServer::CPeerUserReader readPeerUser)
    : m_pOut(std::fopen("/dev/null", "w"))
{
    if (readPeerUser)
        m_server.SetPeerUserReader(std::move(readPeerUser));
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
            {
                m_server.ServeFor(10);
                {
                    const std::lock_guard lock(m_pressMutex);
                    for (std::vector<std::uint32_t>& durations : m_presses)
                        FindSimulatedRemote(*m_pDevice)->PressHeard(std::move(durations));
                    m_presses.clear();
                }
                m_pRunner->Listen(0);
            }
        });
}

void CRunningQuorbit::Press(std::vector<std::uint32_t> durations)
{
    const std::lock_guard lock(m_pressMutex);
    m_presses.push_back(std::move(durations));
}

std::string CRunningQuorbit::GetOpened() const
{
    return m_pRunner->GetOpened();
}

CRunningQuorbit::~CRunningQuorbit()
{
    m_bStop = true;
    m_serving.join();
    std::fclose(m_pOut);
}
