#include "app/cli/ControlCommands.h"

#include "app/cli/CConsoleFrontEnd.h"
#include "app/cli/CControlHandler.h"
#include "app/cli/CControlServer.h"
#include "app/cli/CHeadlessRunner.h"
#include "app/cli/ControlProtocol.h"
#include "app/cli/ControlSocket.h"
#include "device/CBiosClock.h"
#include "device/CDeviceFactory.h"
#include "device/CInfraredDevice.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "engine/CTickSource.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include <sys/stat.h>

namespace
{
void PrintError(const std::string& strText)
{
    std::fprintf(stderr, "quorbit: %s\n", strText.c_str());
}

// The reply's text after its "ERROR code" words: what people read.
std::string GetErrorText(const std::string& strLastLine)
{
    const std::size_t nTextStart = strLastLine.find(' ', std::string("ERROR ").size());
    return nTextStart == std::string::npos ? strLastLine : strLastLine.substr(nTextStart + 1);
}

// One request to the running Quorbit. False, with the reason printed, when none runs (and
// bNoneRuns is set) or the request failed.
bool RequestRunning(const std::string& strLine, std::vector<std::string>& dataLines,
                    std::string& strLastLine, bool& bNoneRuns)
{
    CControlClient client;
    std::string strError;
    const CControlClient::EConnect nConnect = client.Connect(strError);
    bNoneRuns = nConnect == CControlClient::EConnect::NoneRuns;
    if (nConnect != CControlClient::EConnect::Connected)
    {
        if (!bNoneRuns)
            PrintError(strError);
        return false;
    }
    if (!client.Request(strLine, dataLines, strLastLine, strError))
    {
        PrintError(strError);
        return false;
    }
    return true;
}

// The value words of the status line that starts with strKey, or empty.
std::vector<std::string> FindStatusLine(const std::vector<std::string>& dataLines,
                                        const std::string& strKey)
{
    std::vector<std::string> words;
    std::string strError;
    for (const std::string& strLine : dataLines)
    {
        if (SplitControlWords(strLine, words, strError) && !words.empty() && words[0] == strKey)
            return {words.begin() + 1, words.end()};
    }
    return {};
}

std::string DescribeDocument(const SRunningQuorbit& running)
{
    return running.strDocument.empty() ? "no saved document" : running.strDocument;
}

std::string FormatFireRequest(const std::string& strRemote, const std::string& strButton)
{
    return "FIRE " + QuoteControlWord(strRemote) + " " + QuoteControlWord(strButton);
}

// The exit status for a firing's reply.
int ReportFire(const std::string& strRemote, const std::string& strButton,
               const std::string& strLastLine)
{
    if (IsControlOk(strLastLine))
        return 0;
    PrintError("cannot fire " + QuoteControlWord(strRemote) + " " + QuoteControlWord(strButton) +
               ": " + GetErrorText(strLastLine));
    return 1;
}

// A document loaded on its own, to fire one of its buttons when no Quorbit runs.
class CDirectFire : public CControlHandler
{
public:
    CDirectFire(CInfraredDevice& device, CClockBackend& clockBackend)
        : m_device(device), m_clockBackend(clockBackend), m_clock(clockBackend),
          m_doc(m_frontEnd, m_clock, SClockSettings{}), m_engine(device, m_frontEnd, m_ticks)
    {
        // A megabutton's waits have nothing else to serve: sleep them through.
        m_frontEnd.SetPumpHandler(
            [](std::uint32_t nMaxWaitMs)
            { std::this_thread::sleep_for(std::chrono::milliseconds(nMaxWaitMs)); });
    }

    bool Open(const std::string& strPath)
    {
        m_strPath = strPath;
        return m_doc.OnOpenDocument(strPath);
    }

protected:
    const char* GetProgramKind() const override { return "fire"; }
    CQuorbexDoc* GetControlDocument() override { return &m_doc; }
    CFiringEngine& GetControlEngine() override { return m_engine; }
    std::string GetDocumentPath() const override { return m_strPath; }
    CInfraredDevice& GetControlDevice() override { return m_device; }
    std::string GetClockName() const override { return m_clockBackend.GetName(); }
    void FireFromControl(CRemote& /*remote*/, CRemoteButton& button) override
    {
        m_engine.Fire(button);
    }

private:
    CInfraredDevice& m_device;
    CClockBackend& m_clockBackend;
    CConsoleFrontEnd m_frontEnd;
    CBiosClock m_clock;
    CQuorbexDoc m_doc;
    CSteadyTickSource m_ticks;
    CFiringEngine m_engine;
    std::string m_strPath;
};

int FireDirectly(const std::string& strPath, const std::string& strRemote,
                 const std::string& strButton, const std::string& strDevice,
                 CClockBackend& clockBackend)
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
    if (!fire.Open(strPath))
        return 1;
    const std::string strReply = fire.Answer(FormatFireRequest(strRemote, strButton));
    return ReportFire(strRemote, strButton, strReply.substr(0, strReply.find('\n')));
}

// What to tell someone who wants the infrared unit while a Quorbit holds it.
std::string DescribeUnitHolder(const SRunningQuorbit& running, const std::string& strWindowAdvice)
{
    return running.strDescription + " runs with " + DescribeDocument(running) +
           " and holds the infrared unit; " +
           (running.bWindows ? strWindowAdvice : std::string("stop it first"));
}

// Why the running Quorbit refused a start's file.
std::string DescribeRefusal(const std::string& strLastLine, const std::string& strFile)
{
    if (!strLastLine.starts_with("ERROR no-windows"))
        return "The Quorbit that is running refused: " + GetErrorText(strLastLine);
    const SRunningQuorbit running = DescribeRunning();
    return running.strDescription + " is running with " + DescribeDocument(running) +
           " and has no window" + (strFile.empty() ? "" : " to open " + strFile + " in") +
           "; stop it first";
}
// The file's path with its links resolved, or made absolute as it stands when it does not
// exist: the running program's folder is not this one's.
std::string GetFullPath(const std::string& strFile)
{
    char szFull[PATH_MAX];
    if (realpath(strFile.c_str(), szFull))
        return szFull;
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(strFile, error);
    return error ? strFile : full.lexically_normal().string();
}
} // namespace

SRunningQuorbit DescribeRunning()
{
    SRunningQuorbit running;
    std::vector<std::string> dataLines;
    std::string strLastLine;
    bool bNoneRuns = false;
    const bool bAnswered = RequestRunning("STATUS", dataLines, strLastLine, bNoneRuns);
    running.bRuns = !bNoneRuns;
    running.strDescription = "a Quorbit";
    if (!bAnswered || !IsControlOk(strLastLine))
        return running;
    const std::vector<std::string> program = FindStatusLine(dataLines, "PROGRAM");
    const std::vector<std::string> document = FindStatusLine(dataLines, "DOCUMENT");
    const bool bWindows = !program.empty() && program[0] == "window";
    running.bWindows = bWindows;
    running.strDescription = std::string("a Quorbit ") + (bWindows ? "window program" : "--run") +
                             (program.size() > 1 ? " (process " + program[1] + ")" : "");
    if (!document.empty() && document[0] != "none")
        running.strDocument = document[0];
    const std::vector<std::string> period = FindStatusLine(dataLines, "PERIOD");
    if (!period.empty())
        running.dNanosPerSample = std::strtod(period[0].c_str(), nullptr);
    return running;
}

bool IsSameFile(const std::string& strFirst, const std::string& strSecond)
{
    struct stat first
    {
    };
    struct stat second
    {
    };
    return stat(strFirst.c_str(), &first) == 0 && stat(strSecond.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool RefuseBesideRunning(const std::string& strWindowAdvice)
{
    const SRunningQuorbit running = DescribeRunning();
    if (!running.bRuns)
        return false;
    PrintError(DescribeUnitHolder(running, strWindowAdvice));
    return true;
}

int SendFire(const std::string& strRemote, const std::string& strButton)
{
    std::vector<std::string> dataLines;
    std::string strLastLine;
    bool bNoneRuns = false;
    if (!RequestRunning(FormatFireRequest(strRemote, strButton), dataLines, strLastLine, bNoneRuns))
    {
        if (bNoneRuns)
            PrintError(
                "no Quorbit is running; quorbit --fire FILE REMOTE BUTTON fires without one");
        return 1;
    }
    return ReportFire(strRemote, strButton, strLastLine);
}

int PrintRunningStatus()
{
    std::vector<std::string> dataLines;
    std::string strLastLine;
    bool bNoneRuns = false;
    if (!RequestRunning("STATUS", dataLines, strLastLine, bNoneRuns))
    {
        if (bNoneRuns)
            std::puts("No Quorbit is running");
        return 1;
    }
    for (const std::string& strLine : dataLines)
        std::puts(strLine.c_str());
    return IsControlOk(strLastLine) ? 0 : 1;
}

int FireFromFile(const std::string& strPath, const std::string& strRemote,
                 const std::string& strButton, const std::string& strDevice,
                 CClockBackend& clockBackend)
{
    const SRunningQuorbit running = DescribeRunning();
    if (!running.bRuns)
        return FireDirectly(strPath, strRemote, strButton, strDevice, clockBackend);
    if (IsSameFile(running.strDocument, strPath))
        return SendFire(strRemote, strButton);
    struct stat status
    {
    };
    if (stat(strPath.c_str(), &status) != 0)
        PrintError(strPath + ": " + std::strerror(errno));
    else
        PrintError(DescribeUnitHolder(running, "open " + strPath + " there, or stop it first"));
    return 1;
}

namespace
{
// Without the lock a second Quorbit could run beside this one and fire every event again.
std::string DescribeLockRefusal(const std::string& strError)
{
    return "not started, as no other Quorbit could be kept from running beside it: " + strError;
}
} // namespace

bool ClaimOrHandOver(CControlServer& server, const std::string& strFile, int& nExitCode,
                     std::string& strRefusal)
{
    std::string strError;
    // The running program may end between the claim and the hand-over; then this one claims.
    for (int nTry = 0; nTry < 2; ++nTry)
    {
        const CControlServer::EClaim nClaim = server.Claim(strError);
        if (nClaim == CControlServer::EClaim::Claimed)
            return true;
        nExitCode = 1;
        if (nClaim == CControlServer::EClaim::Failed)
        {
            strRefusal = DescribeLockRefusal(strError);
            PrintError(strRefusal);
            return false;
        }
        // A file that cannot be had is the running program's to refuse too: it tells the
        // person, who may have started this one from a file manager and sees no stderr.
        const std::string strRequest =
            strFile.empty() ? "SHOW" : "OPEN " + QuoteControlWord(GetFullPath(strFile));
        std::vector<std::string> dataLines;
        std::string strLastLine;
        bool bNoneRuns = false;
        if (RequestRunning(strRequest, dataLines, strLastLine, bNoneRuns))
        {
            if (IsControlOk(strLastLine))
                nExitCode = 0;
            else
            {
                const std::string strReason = DescribeRefusal(strLastLine, strFile);
                PrintError(strReason);
                // The window program shows its refusals itself, once it has answered.
                if (strLastLine.starts_with("ERROR no-windows"))
                    strRefusal = strReason;
            }
            return false;
        }
        if (!bNoneRuns)
            return false;
    }
    return true;
}

bool ClaimOrRefuseRun(CControlServer& server)
{
    std::string strError;
    const CControlServer::EClaim nClaim = server.Claim(strError);
    if (nClaim == CControlServer::EClaim::Failed)
    {
        PrintError(DescribeLockRefusal(strError));
        return false;
    }
    if (nClaim != CControlServer::EClaim::AnotherRuns)
        return true;
    const SRunningQuorbit running = DescribeRunning();
    PrintError(running.strDescription + " is already running with " + DescribeDocument(running) +
               "; stop it first, or fire its buttons with quorbit --send");
    return false;
}
