#pragma once

#include "cli/CHeadlessRunner.h"
#include "control/CControlServer.h"
#include "device/CSimulatedClock.h"
#include "engine/CTickSource.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CInfraredDevice;

// A Quorbit running beside the programs a test starts, on the simulated unit, with strPath
// open: it owns the control socket (of a private runtime folder, which the test sets up first)
// and answers on a thread of its own, as a window program or a --run would.
class CRunningQuorbit
{
public:
    // readPeerUser, when given, stands in for the kernel's word on who connects.
    CRunningQuorbit(const std::string& strPath, bool bWindows,
                    CControlServer::CPeerUserReader readPeerUser = {});
    ~CRunningQuorbit();
    CRunningQuorbit(const CRunningQuorbit&) = delete;
    CRunningQuorbit& operator=(const CRunningQuorbit&) = delete;

    CInfraredDevice& GetDevice() const { return *m_pDevice; }
    // A remote's button pressed at the simulated unit, heard by the serving thread.
    void Press(std::vector<std::uint32_t> durations);
    // The file a window program was asked to open; it opens nothing.
    std::string GetOpened() const;

private:
    class CRunner;

    CSimulatedClock m_clock{CTime(2026, 12, 7, 12, 0, 0)};
    CSteadyTickSource m_ticks;
    std::unique_ptr<CInfraredDevice> m_pDevice;
    std::FILE* m_pOut;
    std::unique_ptr<CRunner> m_pRunner;
    CControlServer m_server;
    std::atomic<bool> m_bStop = false;
    std::mutex m_pressMutex;
    std::vector<std::vector<std::uint32_t>> m_presses;
    std::thread m_serving;
};
