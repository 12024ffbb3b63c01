#include "cli/ControlCommands.h"

#include "cli/CConsoleFrontEnd.h"
#include "cli/CHeadlessRunner.h"
#include "control/CControlHandler.h"
#include "control/ControlProtocol.h"
#include "control/ControlSocket.h"
#include "device/CDeviceFactory.h"
#include "device/CInfraredDevice.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "engine/CQuorbexSession.h"
#include "engine/CTickSource.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include <sys/stat.h>

namespace
{
std::string FormatFireRequest(const std::string& strRemote, const std::string& strButton,
                              std::uint32_t nHoldMillis)
{
    const std::string strNames = QuoteControlWord(strRemote) + " " + QuoteControlWord(strButton);
    if (nHoldMillis == 0)
        return "FIRE " + strNames;
    return "HOLD " + strNames + " " + std::to_string(nHoldMillis);
}

// The exit status for a firing's result.
int ReportFire(const std::string& strRemote, const std::string& strButton,
               const SControlResult& result)
{
    if (result.IsOk())
        return 0;
    PrintError("cannot fire " + QuoteControlWord(strRemote) + " " + QuoteControlWord(strButton) +
               ": " + result.strText);
    return 1;
}

// A document loaded on its own, to fire one of its buttons when no Quorbit runs.
class CDirectFire : public CControlHandler
{
public:
    CDirectFire(CInfraredDevice& device, CClockBackend& clockBackend)
        : m_session(m_frontEnd, clockBackend, SClockSettings{}, device, m_ticks)
    {
        // A megabutton's waits have nothing else to serve: sleep them through.
        m_frontEnd.SetPumpHandler(
            [](std::uint32_t nMaxWaitMs)
            { std::this_thread::sleep_for(std::chrono::milliseconds(nMaxWaitMs)); });
    }

    bool Load(const std::string& strPath)
    {
        m_strPath = strPath;
        return m_session.GetDocument().OnOpenDocument(strPath);
    }

protected:
    const char* GetProgramKind() const override { return "fire"; }
    CQuorbexDoc* GetControlDocument() override { return &m_session.GetDocument(); }
    CFiringEngine& GetControlEngine() override { return m_session.GetEngine(); }
    std::string GetDocumentPath() const override { return m_strPath; }
    CInfraredDevice& GetControlDevice() override { return m_session.GetEngine().GetDevice(); }
    std::string GetClockName() const override
    {
        return m_session.GetClock().GetBackend().GetName();
    }
    void FireFromControl(CRemote& /*remote*/, CRemoteButton& button) override
    {
        m_session.GetEngine().Fire(button);
    }

private:
    CConsoleFrontEnd m_frontEnd;
    CSteadyTickSource m_ticks;
    CQuorbexSession m_session;
    std::string m_strPath;
};

int FireDirectly(const std::string& strPath, const std::string& strRemote,
                 const std::string& strButton, const std::string& strDevice,
                 CClockBackend& clockBackend, std::uint32_t nHoldMillis)
{
    std::string strError;
    const std::unique_ptr<CInfraredDevice> pDevice =
        CreateInfraredDevice(strDevice, kHeadlessPort, strError);
    if (!pDevice)
    {
        PrintError(strError);
        return 1;
    }
    CDirectFire fire(*pDevice, clockBackend);
    if (!fire.Load(strPath))
        return 1;
    return ReportFire(strRemote, strButton, fire.Fire(strRemote, strButton, nHoldMillis));
}

// What to tell someone who wants the infrared unit while a Quorbit holds it.
std::string DescribeUnitHolder(const SRunningQuorbit& running, const std::string& strWindowAdvice)
{
    return running.strDescription + " runs with " + DescribeDocument(running) +
           " and holds the infrared unit; " +
           (running.bWindows ? strWindowAdvice : std::string("stop it first"));
}
} // namespace

bool RefuseBesideRunning(const std::string& strWindowAdvice)
{
    const SRunningQuorbit running = DescribeRunning();
    if (!running.bRuns)
        return false;
    PrintError(DescribeUnitHolder(running, strWindowAdvice));
    return true;
}

int SendFire(const std::string& strRemote, const std::string& strButton, std::uint32_t nHoldMillis)
{
    std::vector<std::string> dataLines;
    std::string strLastLine;
    bool bNoneRuns = false;
    if (!RequestRunning(FormatFireRequest(strRemote, strButton, nHoldMillis), dataLines,
                        strLastLine, bNoneRuns))
    {
        if (bNoneRuns)
            PrintError(
                "no Quorbit is running; quorbit --fire FILE REMOTE BUTTON fires without one");
        return 1;
    }
    return ReportFire(strRemote, strButton, ParseControlResult(strLastLine));
}

int PrintRunningStatus()
{
    std::vector<std::string> dataLines;
    std::string strLastLine;
    bool bNoneRuns = false;
    if (!RequestRunning("STATUS", dataLines, strLastLine, bNoneRuns))
    {
        // Standard output carries the status lines scripts read; this is none of them.
        if (bNoneRuns)
            PrintError("no Quorbit is running");
        return 1;
    }
    for (const std::string& strLine : dataLines)
        std::puts(strLine.c_str());
    return IsControlOk(strLastLine) ? 0 : 1;
}

int ListenToRunning()
{
    CControlClient client;
    std::string strError;
    const CControlClient::EConnect nConnect = client.Connect(strError);
    if (nConnect == CControlClient::EConnect::NoneRuns)
        strError = "no Quorbit is running; start one with quorbit --run FILE, or the windows";
    std::vector<std::string> dataLines;
    std::string strLine;
    if (nConnect != CControlClient::EConnect::Connected ||
        !client.Request("LISTEN", dataLines, strLine, strError))
    {
        PrintError(strError);
        return 1;
    }
    if (!IsControlOk(strLine))
    {
        PrintError(GetErrorText(strLine));
        return 1;
    }
    while (client.ReadLine(strLine, strError))
    {
        std::puts(strLine.c_str());
        std::fflush(stdout);
    }
    PrintError("the running Quorbit stopped");
    return 1;
}

int FireFromFile(const std::string& strPath, const std::string& strRemote,
                 const std::string& strButton, const std::string& strDevice,
                 CClockBackend& clockBackend, std::uint32_t nHoldMillis)
{
    const SRunningQuorbit running = DescribeRunning();
    if (!running.bRuns)
        return FireDirectly(strPath, strRemote, strButton, strDevice, clockBackend, nHoldMillis);
    if (IsSameFile(running.strDocument, strPath))
        return SendFire(strRemote, strButton, nHoldMillis);
    struct stat status
    {
    };
    if (stat(strPath.c_str(), &status) != 0)
        PrintError(strPath + ": " + std::strerror(errno));
    else
        PrintError(DescribeUnitHolder(running, "open " + strPath + " there, or stop it first"));
    return 1;
}
