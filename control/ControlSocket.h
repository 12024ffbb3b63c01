#pragma once

#include "base/CFileDescriptor.h"

#include <string>
#include <vector>

// Where the control socket of this user's Quorbit lives, and how a second program reaches it.
// The folder is $XDG_RUNTIME_DIR/quorbit (without the variable, /run/user/UID/quorbit when the
// session's folder is there; /run/quorbit for root), else "run" in the user's state folder
// (~/.local/state/quorbit/run), which no other user can make first as one could in /tmp; /tmp/
// quorbit-UID only for a user without a home. It is the user's alone (mode 0700). It holds
// "control.socket" and "control.lock": the program that holds the lock owns the socket, so a socket
// left by a program that crashed is known stale.

struct SControlPaths
{
    std::string strFolder;
    std::string strSocket;
    std::string strLock;
};

// Makes the folder when it is missing and checks that only this user can enter it. False, with
// the reason, when it cannot be had or another user could reach it.
bool PrepareControlFolder(SControlPaths& paths, std::string& strError);

// Takes the lock of the running program without waiting. An open handle when this program is
// now the one; a closed handle with bHeld set when another holds it; else the reason.
CFileDescriptor TakeControlLock(const SControlPaths& paths, bool& bHeld, std::string& strError);

// A client's connection to the running Quorbit, for requests one at a time.
class CControlClient
{
public:
    enum class EConnect
    {
        Connected,
        NoneRuns,
        Failed,
    };

    EConnect Connect(std::string& strError);
    // Sends one request line and reads its reply: the data lines, and the last line. False, with
    // the reason, when the connection broke.
    bool Request(const std::string& strLine, std::vector<std::string>& dataLines,
                 std::string& strLastLine, std::string& strError);

    // Waits for the next line the running Quorbit sends (a LISTEN's), without its newline.
    bool ReadLine(std::string& strLine, std::string& strError);

private:
    CFileDescriptor m_socket;
    std::string m_strPending;
};
