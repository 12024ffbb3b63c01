#pragma once

#include <string>
#include <vector>

class CControlServer;

// Asking the Quorbit that runs for this user, and the start-up rule that keeps one Quorbit per
// user. What goes wrong is written to stderr, as "quorbit: ...".

// What the Quorbit running for this user is, as its status says.
struct SRunningQuorbit
{
    bool bRuns = false;
    bool bWindows = false;
    std::string strDocument;    // empty for a document never saved
    std::string strDescription; // "a Quorbit window program (process 123)", for messages
    double dNanosPerSample = 0; // its unit's sample period; 0 when it did not say
};
// Asks the running Quorbit, printing the reason when one runs but cannot be asked.
SRunningQuorbit DescribeRunning();
// Whether two paths name one file (its device and inode), however they are written.
bool IsSameFile(const std::string& strFirst, const std::string& strSecond);

// One request to the running Quorbit. False, with the reason printed, when none runs (and
// bNoneRuns is set) or the request failed.
bool RequestRunning(const std::string& strLine, std::vector<std::string>& dataLines,
                    std::string& strLastLine, bool& bNoneRuns);
// The reply's text after its "ERROR code" words: what people read.
std::string GetErrorText(const std::string& strLastLine);
// The running Quorbit's document for people: its path, or "no saved document".
std::string DescribeDocument(const SRunningQuorbit& running);
// "quorbit: TEXT" on stderr, as every command says what went wrong.
void PrintError(const std::string& strText);

// For the window program's start: claims the server, or hands strFile (or the request to show
// the window) to the Quorbit already running. True when this program goes on to start; false
// with nExitCode when it must end. A refused hand-over is on stderr; strRefusal holds it too
// when the running Quorbit has no window to show it in, or when the lock cannot be had (its
// folder is another user's, say): without the lock this program never starts.
bool ClaimOrHandOver(CControlServer& server, const std::string& strFile, int& nExitCode,
                     std::string& strRefusal);
// For --run: claims the server, or refuses, naming what the running Quorbit has open or why
// the lock cannot be had.
bool ClaimOrRefuseRun(CControlServer& server);
