#include "control/RunningQuorbit.h"

#include "control/CControlServer.h"
#include "control/ControlProtocol.h"
#include "control/ControlSocket.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include <sys/stat.h>

namespace
{
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

// Without the lock a second Quorbit could run beside this one and fire every event again.
std::string DescribeLockRefusal(const std::string& strError)
{
    return "not started, as no other Quorbit could be kept from running beside it: " + strError;
}
} // namespace

void PrintError(const std::string& strText)
{
    std::fprintf(stderr, "quorbit: %s\n", strText.c_str());
}

std::string GetErrorText(const std::string& strLastLine)
{
    const std::size_t nTextStart = strLastLine.find(' ', std::string("ERROR ").size());
    return nTextStart == std::string::npos ? strLastLine : strLastLine.substr(nTextStart + 1);
}

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

std::string DescribeDocument(const SRunningQuorbit& running)
{
    return running.strDocument.empty() ? "no saved document" : running.strDocument;
}

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
