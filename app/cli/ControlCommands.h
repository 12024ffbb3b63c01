#pragma once

#include <string>

class CClockBackend;
class CControlServer;

// The commands that reach the running Quorbit through its control socket, and the start-up
// rule that keeps one Quorbit per user. Each returns the exit status (0 done, 1 failed) and
// writes its errors to stderr.

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

// For the commands that use the infrared unit themselves: true, having said why, when a Quorbit
// runs, as it holds the unit. strWindowAdvice is what to do when that is the window program.
bool RefuseBesideRunning(const std::string& strWindowAdvice);

// quorbit --send REMOTE BUTTON
int SendFire(const std::string& strRemote, const std::string& strButton);
// quorbit --status
int PrintRunningStatus();
// quorbit --fire FILE REMOTE BUTTON: through the running Quorbit when it has FILE open, else
// straight from the file through the infrared unit strDevice names.
int FireFromFile(const std::string& strPath, const std::string& strRemote,
                 const std::string& strButton, const std::string& strDevice,
                 CClockBackend& clockBackend);

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
