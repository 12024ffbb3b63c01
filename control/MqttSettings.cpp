#include "control/MqttSettings.h"

#include "base/CFileDescriptor.h"
#include "base/TextEncoding.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr int kPlainPort = 1883;
constexpr int kTlsPort = 8883;
// A password file holds one line; anything longer is not one.
constexpr off_t kMaxPasswordFile = 4096;

bool ParsePort(const std::string& strPort, int& nPort)
{
    const char* pEnd = strPort.data() + strPort.size();
    const auto [pStop, error] = std::from_chars(strPort.data(), pEnd, nPort);
    return !strPort.empty() && error == std::errc() && pStop == pEnd && nPort >= 1 &&
           nPort <= 65535;
}

bool ParseUserInfo(const std::string& strUserInfo, SMqttSettings& settings)
{
    const std::size_t nColon = strUserInfo.find(':');
    if (!DecodePercentEscapes(strUserInfo.substr(0, nColon), settings.strUser))
        return false;
    return nColon == std::string::npos ||
           DecodePercentEscapes(strUserInfo.substr(nColon + 1), settings.strPassword);
}

// "host", "host:port", "[v6]" or "[v6]:port": brackets keep an address's colons apart from the
// port's.
bool ParseHostPort(const std::string& strHostPort, SMqttSettings& settings)
{
    const bool bBracketed = strHostPort.starts_with('[');
    const std::size_t nHostEnd = strHostPort.find(bBracketed ? ']' : ':');
    if (bBracketed && nHostEnd == std::string::npos)
        return false;
    settings.strHost =
        bBracketed ? strHostPort.substr(1, nHostEnd - 1) : strHostPort.substr(0, nHostEnd);
    const std::string strRest =
        nHostEnd == std::string::npos ? "" : strHostPort.substr(nHostEnd + (bBracketed ? 1 : 0));
    if (!strRest.empty() && (strRest[0] != ':' || !ParsePort(strRest.substr(1), settings.nPort)))
        return false;
    return !settings.strHost.empty();
}

bool ParseMqttUrl(const std::string& strUrl, SMqttSettings& settings, std::string& strError)
{
    std::string strRest;
    if (strUrl.starts_with("mqtt://"))
        strRest = strUrl.substr(7);
    else if (strUrl.starts_with("mqtts://"))
    {
        settings.bTls = true;
        strRest = strUrl.substr(8);
    }
    else
    {
        strError = "a broker is named mqtt://HOST[:PORT] or mqtts://HOST[:PORT]";
        return false;
    }
    settings.nPort = settings.bTls ? kTlsPort : kPlainPort;
    if (strRest.ends_with('/'))
        strRest.pop_back();
    const std::size_t nAt = strRest.rfind('@');
    if (nAt != std::string::npos && !ParseUserInfo(strRest.substr(0, nAt), settings))
    {
        strError = "the user and password in the broker's address have a bad %-escape";
        return false;
    }
    const std::string strHostPort = nAt == std::string::npos ? strRest : strRest.substr(nAt + 1);
    if (strHostPort.find_first_of("/?#") != std::string::npos ||
        !ParseHostPort(strHostPort, settings))
    {
        strError = "the broker's address needs a host and at most a port from 1 to 65535 after it";
        return false;
    }
    return true;
}

} // namespace

// The first line of a file no one else may read or change, read through the descriptor that was
// checked. Opening a FIFO without O_NONBLOCK would wait for a writer that may never come.
bool ReadMqttPasswordFile(const std::string& strPath, std::string& strPassword,
                          std::string& strError)
{
    const CFileDescriptor file(
        open(strPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    struct stat status
    {
    };
    if (!file.IsOpen() || fstat(file.Get(), &status) != 0)
    {
        strError = strPath + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(status.st_mode) || status.st_size > kMaxPasswordFile)
    {
        strError = strPath + ": a password file is a small regular file";
        return false;
    }
    if (status.st_uid != getuid() || (status.st_mode & (S_IRWXG | S_IRWXO)) != 0)
    {
        strError = strPath + ": a password file must be yours and private to you (chmod 600)";
        return false;
    }
    std::string strText(static_cast<std::size_t>(kMaxPasswordFile), '\0');
    const ssize_t nRead = read(file.Get(), strText.data(), strText.size());
    if (nRead < 0)
    {
        strError = strPath + ": " + std::strerror(errno);
        return false;
    }
    strText.resize(static_cast<std::size_t>(nRead));
    strPassword = strText.substr(0, strText.find('\n'));
    if (strPassword.ends_with('\r'))
        strPassword.pop_back();
    return true;
}

bool WriteMqttPasswordFile(const std::string& strPath, const std::string& strPassword,
                           std::string& strError)
{
    const std::size_t nSlash = strPath.rfind('/');
    if (nSlash != std::string::npos && nSlash > 0)
        mkdir(strPath.substr(0, nSlash).c_str(), S_IRWXU);
    // Never through a link, and private before the password is in it, also for a file that was
    // there already.
    const CFileDescriptor file(open(
        strPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, S_IRUSR | S_IWUSR));
    const std::string strLine = strPassword + "\n";
    if (!file.IsOpen() || fchmod(file.Get(), S_IRUSR | S_IWUSR) != 0 ||
        write(file.Get(), strLine.data(), strLine.size()) != static_cast<ssize_t>(strLine.size()) ||
        fsync(file.Get()) != 0)
    {
        strError = strPath + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

namespace
{

// The node name is the hub's node id in every discovery topic, which takes no other
// characters, and the login an access list matches with %u.
bool IsValidNode(const std::string& strNode)
{
    return !strNode.empty() && strNode.size() <= 64 &&
           std::all_of(strNode.begin(), strNode.end(),
                       [](char c)
                       {
                           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                  (c >= '0' && c <= '9') || c == '-' || c == '_';
                       });
}
} // namespace

std::string SMqttSettings::GetAddress() const
{
    const bool bV6 = strHost.find(':') != std::string::npos;
    return (bV6 ? "[" + strHost + "]" : strHost) + ":" + std::to_string(nPort);
}

bool MakeMqttSettings(const std::string& strUrl, const std::string& strPasswordFile,
                      const std::string& strNode, SMqttSettings& settings, std::string& strError)
{
    settings = SMqttSettings();
    if (!ParseMqttUrl(strUrl, settings, strError))
    {
        strError = strUrl + ": " + strError;
        return false;
    }
    if (!strPasswordFile.empty() &&
        !ReadMqttPasswordFile(strPasswordFile, settings.strPassword, strError))
        return false;
    // Without a user the library sends no password at all: the login would be anonymous, or
    // refused with no word of why.
    if (!strPasswordFile.empty() && settings.strUser.empty())
    {
        strError = strPasswordFile + ": a password goes with a user, and " + strUrl +
                   " names none (mqtt://USER@HOST)";
        return false;
    }
    settings.strNode = strNode.empty() ? GetHostNodeName() : strNode;
    if (!IsValidNode(settings.strNode))
    {
        strError = "a node name is 1 to 64 letters, digits, - and _: " + settings.strNode;
        return false;
    }
    return true;
}

std::string RemoveUrlPassword(const std::string& strUrl)
{
    const std::size_t nStart = strUrl.find("://");
    if (nStart == std::string::npos)
        return strUrl;
    const std::size_t nUser = nStart + 3;
    const std::size_t nAt = strUrl.substr(0, strUrl.find('/', nUser)).rfind('@');
    if (nAt == std::string::npos || nAt < nUser)
        return strUrl;
    const std::size_t nColon = strUrl.find(':', nUser);
    return nColon < nAt ? strUrl.substr(0, nColon) + strUrl.substr(nAt) : strUrl;
}

std::string GetHostNodeName()
{
    char host[256] = {};
    if (gethostname(host, sizeof(host) - 1) != 0 || host[0] == '\0')
        return "quorbit";
    std::string strHost = host;
    return strHost.substr(0, strHost.find('.'));
}
