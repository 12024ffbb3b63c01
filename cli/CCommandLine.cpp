#include "cli/CCommandLine.h"

#include "cli/CHeadlessRunner.h"
#include "cli/ControlCommands.h"
#include "cli/DocumentCommands.h"
#include "cli/ExchangeCommands.h"
#include "cli/LearnCommand.h"
#include "cli/SelfTest.h"
#include "control/CControlServer.h"
#include "control/ControlProtocol.h"
#include "control/MqttSettings.h"
#include "device/CDeviceFactory.h"
#include "signal/ExchangeText.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

namespace
{
struct SCommandOption
{
    const char* pszOption;
    ECommand nCommand;
    int nFiles;
    int nOptionalFiles;      // names that may follow the nFiles the command needs
    const char* pszOperands; // for commands whose operands are more than file names
};

// Optional names without a limit: --import's inputs.
constexpr int kAnyCount = 1 << 20;

constexpr std::array<SCommandOption, 13> kCommandOptions{{
    {"--help", ECommand::Help, 0, 0, nullptr},
    {"--version", ECommand::Version, 0, 0, nullptr},
    {"--list", ECommand::List, 1, 0, nullptr},
    {"--convert", ECommand::Convert, 2, 0, nullptr},
    {"--run", ECommand::Run, 1, 0, nullptr},
    {"--send", ECommand::Send, 2, 0, "REMOTE BUTTON"},
    {"--fire", ECommand::Fire, 3, 0, "FILE REMOTE BUTTON"},
    {"--status", ECommand::Status, 0, 0, nullptr},
    {"--listen", ECommand::Listen, 0, 0, nullptr},
    {"--export", ECommand::Export, 2, 1, "FILE REMOTE [BUTTON]"},
    {"--import", ECommand::Import, 3, kAnyCount, "FILE REMOTE INPUT [BUTTON | INPUT...]"},
    {"--learn", ECommand::Learn, 3, 0, "FILE REMOTE BUTTON"},
    {"--selftest", ECommand::SelfTest, 0, 0, nullptr},
}};

const SCommandOption* FindCommandOption(const std::string& strArgument)
{
    for (const SCommandOption& option : kCommandOptions)
    {
        if (strArgument == option.pszOption)
            return &option;
    }
    return nullptr;
}

struct SValueOption
{
    const char* pszOption;
    std::string SCommandLine::*pValue;
};

constexpr std::array<SValueOption, 12> kValueOptions{{
    {"--device", &SCommandLine::strDevice},
    {"--clock-start", &SCommandLine::strClockStart},
    {"--format", &SCommandLine::strFormat},
    {"--carrier", &SCommandLine::strCarrier},
    {"--presses", &SCommandLine::strPresses},
    {"--source", &SCommandLine::strSource},
    {"--style", &SCommandLine::strStyle},
    {"--mqtt", &SCommandLine::strMqtt},
    {"--mqtt-password-file", &SCommandLine::strMqttPasswordFile},
    {"--mqtt-node", &SCommandLine::strMqttNode},
    {"--late", &SCommandLine::strLate},
    {"--hold", &SCommandLine::strHold},
}};

// "--name VALUE" or "--name=VALUE" for the options that take a value; null for other names.
std::string* FindValueOption(const std::string& strName, SCommandLine& commandLine)
{
    for (const SValueOption& option : kValueOptions)
    {
        if (strName == option.pszOption)
            return &(commandLine.*option.pValue);
    }
    return nullptr;
}

bool ParseOption(const std::vector<std::string>& arguments, std::size_t& nIndex,
                 SCommandLine& commandLine, const SCommandOption*& pCommand, std::string& strError)
{
    const std::string& strArgument = arguments[nIndex];
    if (const SCommandOption* pOption = FindCommandOption(strArgument))
    {
        if (pCommand)
        {
            strError = std::string("choose one command, not both ") + pCommand->pszOption +
                       " and " + pOption->pszOption;
            return false;
        }
        pCommand = pOption;
        return true;
    }
    if (strArgument == "--json")
    {
        commandLine.bJson = true;
        return true;
    }
    const std::size_t nEquals = strArgument.find('=');
    const std::string strName = strArgument.substr(0, nEquals);
    std::string* pValue = FindValueOption(strName, commandLine);
    if (!pValue)
    {
        strError = "unknown option " + strArgument;
        return false;
    }
    if (nEquals != std::string::npos)
    {
        *pValue = strArgument.substr(nEquals + 1);
        return true;
    }
    if (nIndex + 1 == arguments.size())
    {
        strError = strName + " needs a value";
        return false;
    }
    *pValue = arguments[++nIndex];
    return true;
}

bool CheckFileCount(const SCommandOption* pCommand, const SCommandLine& commandLine,
                    std::string& strError)
{
    const int nGiven = static_cast<int>(commandLine.files.size());
    if (!pCommand)
    {
        if (nGiven <= 1)
            return true;
        strError = "only one document can be opened at a time";
        return false;
    }
    if (nGiven >= pCommand->nFiles && nGiven <= pCommand->nFiles + pCommand->nOptionalFiles)
        return true;
    if (pCommand->pszOperands)
    {
        strError = std::string(pCommand->pszOption) + " takes " + pCommand->pszOperands + ", " +
                   std::to_string(nGiven) + " given";
        return false;
    }
    strError = std::string(pCommand->pszOption) + " takes " + std::to_string(pCommand->nFiles) +
               (pCommand->nFiles == 1 ? " file name, " : " file names, ") + std::to_string(nGiven) +
               " given";
    return false;
}

// The commands that play or record, for which --device chooses the unit.
bool UsesInfraredUnit(ECommand nCommand)
{
    switch (nCommand)
    {
    case ECommand::None:
    case ECommand::Run:
    case ECommand::Fire:
    case ECommand::Export:
    case ECommand::Import:
    case ECommand::Learn:
    case ECommand::SelfTest:
        return true;
    default:
        return false;
    }
}

bool CheckMqttOptions(const SCommandLine& commandLine, std::string& strError)
{
    const bool bMqttOption = !commandLine.strMqtt.empty() ||
                             !commandLine.strMqttPasswordFile.empty() ||
                             !commandLine.strMqttNode.empty();
    if (!bMqttOption)
        return true;
    if (commandLine.nCommand != ECommand::Run && commandLine.nCommand != ECommand::None)
        strError = "--mqtt goes with --run or the window program";
    else if (commandLine.strMqtt.empty())
        strError = "--mqtt-password-file and --mqtt-node go with --mqtt URL";
    return strError.empty();
}

bool CheckLateOption(const SCommandLine& commandLine, std::string& strError)
{
    if (commandLine.strLate.empty())
        return true;
    if (commandLine.nCommand != ECommand::Run && commandLine.nCommand != ECommand::None)
        strError = "--late goes with --run or the window program";
    else if (GetLateMinutes(commandLine) < 0)
        strError = "--late takes minutes from 0 to " + std::to_string(kMaxLateMinutes) +
                   ", not \"" + commandLine.strLate + "\"";
    return strError.empty();
}

// Checked with the other arguments, so that a wrong one ends every command with exit 2.
bool CheckClockOption(const SCommandLine& commandLine, std::string& strError)
{
    return commandLine.strClockStart.empty() ||
           CreateClockBackend(commandLine.strClockStart, strError) != nullptr;
}

bool CheckHoldOption(const SCommandLine& commandLine, std::string& strError)
{
    std::uint32_t nMillis = 0;
    if (commandLine.strHold.empty())
        return true;
    if (commandLine.nCommand != ECommand::Send && commandLine.nCommand != ECommand::Fire)
        strError = "--hold goes with --send or --fire";
    else if (!ParseHoldMillis(commandLine.strHold, nMillis))
        strError = "--hold takes milliseconds, a whole number from 1 on, not \"" +
                   commandLine.strHold + "\"";
    return strError.empty();
}

// --hold's milliseconds, 0 for a single press.
std::uint32_t GetHoldMillis(const SCommandLine& commandLine)
{
    std::uint32_t nMillis = 0;
    return ParseHoldMillis(commandLine.strHold, nMillis) ? nMillis : 0;
}

std::unique_ptr<CClockBackend> OpenClock(const SCommandLine& commandLine)
{
    std::string strError;
    std::unique_ptr<CClockBackend> pClock = CreateClockBackend(commandLine.strClockStart, strError);
    if (!pClock)
        std::fprintf(stderr, "quorbit: %s\n", strError.c_str());
    return pClock;
}

// Listing and converting only read and write files, so they leave the infrared unit alone: the
// window program may hold its port, and opening it would wait for that or disturb a firing.
int RunDocumentCommand(const SCommandLine& commandLine)
{
    const std::unique_ptr<CClockBackend> pClock = OpenClock(commandLine);
    if (!pClock)
        return 1;
    const std::vector<std::string>& files = commandLine.files;
    if (commandLine.nCommand == ECommand::List)
        return ListDocument(files[0], commandLine.bJson, *pClock);
    return ConvertDocument(files[0], files[1], *pClock);
}

int RunEvents(const SCommandLine& commandLine)
{
    std::string strError;
    std::optional<SMqttSettings> mqtt;
    if (!commandLine.strMqtt.empty() &&
        !MakeMqttSettings(commandLine.strMqtt, commandLine.strMqttPasswordFile,
                          commandLine.strMqttNode, mqtt.emplace(), strError))
    {
        std::fprintf(stderr, "quorbit: %s\n", strError.c_str());
        return 1;
    }
    // Before the unit is opened: the running Quorbit holds it.
    CControlServer server;
    if (!ClaimOrRefuseRun(server))
        return 1;
    const std::unique_ptr<CInfraredDevice> pDevice =
        CreateInfraredDevice(commandLine.strDevice, kHeadlessPort, strError);
    if (!pDevice)
    {
        std::fprintf(stderr, "quorbit: %s\n", strError.c_str());
        return 1;
    }
    const std::unique_ptr<CClockBackend> pClock = OpenClock(commandLine);
    if (!pClock)
        return 1;
    std::fprintf(stderr, "quorbit: infrared unit: %s; clock: %s\n", pDevice->GetBackendName(),
                 pClock->GetName());
    const SHeadlessOptions options{mqtt ? &*mqtt : nullptr, GetLateMinutes(commandLine)};
    return RunHeadless(commandLine.files[0], *pDevice, *pClock, server, options, stdout, stderr);
}

int RunFire(const SCommandLine& commandLine)
{
    const std::unique_ptr<CClockBackend> pClock = OpenClock(commandLine);
    if (!pClock)
        return 1;
    const std::vector<std::string>& operands = commandLine.files;
    return FireFromFile(operands[0], operands[1], operands[2], commandLine.strDevice, *pClock,
                        GetHoldMillis(commandLine));
}

// The exit status of the command asked for; none when there is none and the windows start.
std::optional<int> RunCommand(const SCommandLine& commandLine)
{
    switch (commandLine.nCommand)
    {
    case ECommand::None:
        return std::nullopt;
    case ECommand::Help:
        std::fputs(GetUsage(), stdout);
        return 0;
    case ECommand::Version:
        std::printf("quorbit %s\n", QUORBIT_VERSION);
        return 0;
    case ECommand::List:
    case ECommand::Convert:
        return RunDocumentCommand(commandLine);
    case ECommand::Run:
        return RunEvents(commandLine);
    case ECommand::Send:
        return SendFire(commandLine.files[0], commandLine.files[1], GetHoldMillis(commandLine));
    case ECommand::Fire:
        return RunFire(commandLine);
    case ECommand::Status:
        return PrintRunningStatus();
    case ECommand::Listen:
        return ListenToRunning();
    case ECommand::Export:
    case ECommand::Import:
        return RunExchangeCommand(commandLine);
    case ECommand::Learn:
        return RunLearnCommand(commandLine);
    case ECommand::SelfTest:
        return RunSelfTestCommand(commandLine);
    }
    return std::nullopt;
}

// True once everything printed has reached standard output. A full disk or a closed descriptor
// loses what a script asked for: said on standard error, so that it never passes as success.
bool FinishOutput()
{
    if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0)
        return true;
    // A write that failed before left its reason, which a flush with nothing to write keeps.
    const int nError = errno;
    std::fprintf(stderr, "quorbit: cannot write standard output: %s\n",
                 nError != 0 ? std::strerror(nError) : "the write failed");
    return false;
}
} // namespace

bool ParseCommandLine(const std::vector<std::string>& arguments, SCommandLine& commandLine,
                      std::string& strError)
{
    commandLine = SCommandLine();
    const SCommandOption* pCommand = nullptr;
    bool bOptionsEnded = false;
    for (std::size_t nIndex = 0; nIndex < arguments.size(); ++nIndex)
    {
        const std::string& strArgument = arguments[nIndex];
        if (bOptionsEnded || strArgument.size() < 2 || strArgument[0] != '-')
            commandLine.files.push_back(strArgument);
        else if (strArgument == "--")
            bOptionsEnded = true;
        else if (!ParseOption(arguments, nIndex, commandLine, pCommand, strError))
            return false;
    }
    if (pCommand)
        commandLine.nCommand = pCommand->nCommand;
    if (commandLine.bJson && commandLine.nCommand != ECommand::List)
    {
        strError = "--json goes with --list";
        return false;
    }
    if (!commandLine.strDevice.empty() && !UsesInfraredUnit(commandLine.nCommand))
    {
        strError = "--device goes with --run, --fire, --learn, --export, --import, --selftest or "
                   "the window program";
        return false;
    }
    if (!CheckMqttOptions(commandLine, strError) || !CheckLateOption(commandLine, strError) ||
        !CheckHoldOption(commandLine, strError) || !CheckClockOption(commandLine, strError))
        return false;
    return CheckExchangeOptions(commandLine, strError) &&
           CheckLearnOptions(commandLine, strError) &&
           CheckFileCount(pCommand, commandLine, strError);
}

const char* GetUsage()
{
    return "Usage: quorbit [options] [FILE]\n"
           "       quorbit --list [--json] FILE\n"
           "       quorbit --convert IN OUT\n"
           "       quorbit --run FILE [--mqtt URL [--mqtt-password-file FILE]\n"
           "               [--mqtt-node NAME]] [--late MINUTES]\n"
           "       quorbit --send REMOTE BUTTON [--hold MS]\n"
           "       quorbit --fire FILE REMOTE BUTTON [--hold MS]\n"
           "       quorbit --status\n"
           "       quorbit --listen\n"
           "       quorbit --export FILE REMOTE [BUTTON] --format FORMAT [--carrier HZ]\n"
           "       quorbit --import FILE REMOTE INPUT [BUTTON | INPUT...] --format FORMAT\n"
           "               [--carrier HZ] [--source NAME] [--style HIGHxWIDE]\n"
           "       quorbit --learn FILE REMOTE BUTTON [--presses N]\n"
           "       quorbit --selftest [--device NAME]\n"
           "\n"
           "Without a command the window program starts, opening FILE when one is named.\n"
           "When a Quorbit already runs, FILE is opened there instead.\n"
           "\n"
           "Commands:\n"
           "  --list FILE         print the remotes, buttons and events of a document\n"
           "  --list --json FILE  print them as one JSON object\n"
           "  --convert IN OUT    read IN and save it as OUT in the current file format;\n"
           "                      an OUT that exists is kept as its backup (.qbb)\n"
           "  --run FILE          fire the document's events as they fall due, without\n"
           "                      windows, until interrupted\n"
           "  --send REMOTE BUTTON\n"
           "                      fire a button through the Quorbit that runs\n"
           "  --fire FILE REMOTE BUTTON\n"
           "                      fire a button of FILE: through the Quorbit that runs\n"
           "                      when it has FILE open, else straight from the file\n"
           "  --hold MS           for --send and --fire: hold the button down for MS\n"
           "                      milliseconds (at most 10000), repeating as its remote does\n"
           "  --status            print what the running Quorbit has open and will fire\n"
           "  --listen            print a line for every button press the running\n"
           "                      Quorbit's receiver hears, until it stops\n"
           "  --export FILE REMOTE [BUTTON]\n"
           "                      print the remote's learned buttons, or one button, as\n"
           "                      codes other infrared tools read (--format)\n"
           "  --import FILE REMOTE INPUT [BUTTON | INPUT...]\n"
           "                      bring the codes of INPUT (a file, or - for standard\n"
           "                      input) into the remote: new names become buttons on\n"
           "                      free places of its pad, known ones take the new signal;\n"
           "                      when no pad style holds them all, the rest go on to\n"
           "                      remotes named after it (\"TV 2\", ..., 15x5 if new); BUTTON\n"
           "                      picks one code, or names an input's only code; several\n"
           "                      INPUTs come in one after another, saved once (a fourth\n"
           "                      operand alone is an INPUT when such a file exists)\n"
           "  --learn FILE REMOTE BUTTON\n"
           "                      record a few presses of the button on its remote, and\n"
           "                      store the signal they agree on (a new name becomes a\n"
           "                      button on the first free place of the pad)\n"
           "  --selftest          play a test frame through the emitter while the detector\n"
           "                      listens, and say whether the unit works\n"
           "  --help              print this text\n"
           "  --version           print the program's version\n"
           "\n"
           "Options:\n"
           "  --device NAME       the infrared unit for --run, --fire and the windows: sim\n"
           "                      (simulated), ppdev (the kernel's parallel-port device),\n"
           "                      direct (port I/O, needs root), lirc (the first kernel\n"
           "                      infrared device that sends and the first that receives),\n"
           "                      lirc:/dev/lircN (one device for both) or\n"
           "                      lirc:/dev/lircN,/dev/lircM (the emitter, then the\n"
           "                      receiver); --export and --import take its sample\n"
           "                      period as the recordings' time base, and --learn\n"
           "                      records through it\n"
           "  --format FORMAT     pronto (Pronto hex), lirc (a remote file of the Linux\n"
           "                      infrared daemon, raw or encoded), flipper (.ir signals\n"
           "                      files), or, for --import only, code (a line a button:\n"
           "                      NAME PROTOCOL ADDRESS COMMAND)\n"
           "  --source NAME       the remote of a lirc INPUT to import, when it holds several\n"
           "  --style HIGHxWIDE   give the remote a larger pad first (15x5, 12x4, 12x3,\n"
           "                      9x3, 8x4, 6x3, 4x4 or 3x3) when the codes need the room\n"
           "  --carrier HZ        the carrier written on export and expected on import\n"
           "                      (default 38000)\n"
           "  --presses N         the presses --learn records, 1 to 10 (default 3)\n"
           "  --clock-start \"YYYY-MM-DD HH:MM:SS\"\n"
           "                      run on a simulated clock that starts at that time\n"
           "  --mqtt URL          for --run and the windows: put the buttons on the MQTT\n"
           "                      broker at mqtt://[USER[:PASSWORD]@]HOST[:PORT], or\n"
           "                      mqtts:// for TLS with the system's certificates\n"
           "  --mqtt-password-file FILE\n"
           "                      the broker password, from a file only you may read\n"
           "  --mqtt-node NAME    this PC's name in the topics (default: the host name)\n"
           "  --late MINUTES      for --run and the windows: an event that could not fire\n"
           "                      in its minute (a long firing, Quorbit not running) still\n"
           "                      fires up to MINUTES late (default 0: it is reported as\n"
           "                      missed instead)\n";
}

bool RunHeadlessCommand(int argc, char** argv, SCommandLine& commandLine, int& nExitCode)
{
    std::string strError;
    if (!ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), commandLine, strError))
    {
        std::fprintf(stderr, "quorbit: %s\n\n%s", strError.c_str(), GetUsage());
        nExitCode = 2;
        return true;
    }
    const std::optional<int> exitCode = RunCommand(commandLine);
    if (!exitCode)
        return false;
    nExitCode = FinishOutput() ? *exitCode : 1;
    return true;
}
