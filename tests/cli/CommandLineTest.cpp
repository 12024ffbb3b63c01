#include "cli/CCommandLine.h"
#include "cli/CliTestSupport.h"
#include "support/CPrivateRuntime.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

namespace
{
struct SParseCase
{
    std::vector<std::string> arguments;
    ECommand nCommand;
    std::vector<std::string> files;
    std::string strDevice;
    std::string strClockStart;
    bool bJson;
};

class ParseCommandLineTest : public testing::TestWithParam<SParseCase>
{
};

TEST_P(ParseCommandLineTest, Accepts)
{
    const SParseCase& expected = GetParam();
    SCommandLine commandLine;
    std::string strError;
    ASSERT_TRUE(ParseCommandLine(expected.arguments, commandLine, strError)) << strError;
    EXPECT_EQ(commandLine.nCommand, expected.nCommand);
    EXPECT_EQ(commandLine.files, expected.files);
    EXPECT_EQ(commandLine.strDevice, expected.strDevice);
    EXPECT_EQ(commandLine.strClockStart, expected.strClockStart);
    EXPECT_EQ(commandLine.bJson, expected.bJson);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseCommandLineTest,
    testing::Values(
        SParseCase{{}, ECommand::None, {}, "", "", false},
        SParseCase{{"a.qb"}, ECommand::None, {"a.qb"}, "", "", false},
        SParseCase{{"--device", "sim", "a.qb"}, ECommand::None, {"a.qb"}, "sim", "", false},
        SParseCase{{"--list", "a.qb"}, ECommand::List, {"a.qb"}, "", "", false},
        SParseCase{{"a.qb", "--json", "--list"}, ECommand::List, {"a.qb"}, "", "", true},
        SParseCase{
            {"--convert", "a.qb", "b.qb"}, ECommand::Convert, {"a.qb", "b.qb"}, "", "", false},
        SParseCase{{"--run", "a.qb", "--device=ppdev", "--clock-start", "1998-03-02 06:59:00"},
                   ECommand::Run,
                   {"a.qb"},
                   "ppdev",
                   "1998-03-02 06:59:00",
                   false},
        // After "--" even a name that looks like an option is a file.
        SParseCase{{"--list", "--", "--json"}, ECommand::List, {"--json"}, "", "", false},
        SParseCase{{"--list", "-"}, ECommand::List, {"-"}, "", "", false},
        SParseCase{{"--send", "TV", "Power"}, ECommand::Send, {"TV", "Power"}, "", "", false},
        SParseCase{{"--fire", "a.qb", "TV", "Power", "--device", "sim"},
                   ECommand::Fire,
                   {"a.qb", "TV", "Power"},
                   "sim",
                   "",
                   false},
        SParseCase{{"--learn", "a.qb", "TV", "Power", "--presses", "5", "--device", "sim"},
                   ECommand::Learn,
                   {"a.qb", "TV", "Power"},
                   "sim",
                   "",
                   false},
        SParseCase{{"--help"}, ECommand::Help, {}, "", "", false},
        SParseCase{{"--version"}, ECommand::Version, {}, "", "", false}));

struct SRefusalCase
{
    std::vector<std::string> arguments;
    std::string strReason;
};

class RefuseCommandLineTest : public testing::TestWithParam<SRefusalCase>
{
};

TEST_P(RefuseCommandLineTest, Refuses)
{
    SCommandLine commandLine;
    std::string strError;
    EXPECT_FALSE(ParseCommandLine(GetParam().arguments, commandLine, strError));
    EXPECT_EQ(strError, GetParam().strReason);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefuseCommandLineTest,
    testing::Values(
        SRefusalCase{{"--lst", "a.qb"}, "unknown option --lst"},
        SRefusalCase{{"-x"}, "unknown option -x"},
        SRefusalCase{{"--list"}, "--list takes 1 file name, 0 given"},
        SRefusalCase{{"--convert", "a.qb"}, "--convert takes 2 file names, 1 given"},
        SRefusalCase{{"--version", "a.qb"}, "--version takes 0 file names, 1 given"},
        SRefusalCase{{"a.qb", "b.qb"}, "only one document can be opened at a time"},
        SRefusalCase{{"--json", "a.qb"}, "--json goes with --list"},
        SRefusalCase{{"--list", "a.qb", "--run"}, "choose one command, not both --list and --run"},
        SRefusalCase{{"--list", "a.qb", "--device"}, "--device needs a value"},
        SRefusalCase{{"--convert", "a.qb", "b.qb", "--device=sim"},
                     "--device goes with --run, --fire, --learn, --export, --import, "
                     "--selftest or the window program"},
        SRefusalCase{{"--send", "TV"}, "--send takes REMOTE BUTTON, 1 given"},
        SRefusalCase{{"--send", "TV", "Power", "--device=sim"},
                     "--device goes with --run, --fire, --learn, --export, --import, "
                     "--selftest or the window program"},
        SRefusalCase{{"--list", "a.qb", "--mqtt", "mqtt://h"},
                     "--mqtt goes with --run or the window program"},
        SRefusalCase{{"--run", "a.qb", "--mqtt-node", "den"},
                     "--mqtt-password-file and --mqtt-node go with --mqtt URL"},
        SRefusalCase{{"--list", "a.qb", "--late", "5"},
                     "--late goes with --run or the window program"},
        SRefusalCase{{"--run", "a.qb", "--late", "721"},
                     "--late takes minutes from 0 to 720, not \"721\""},
        SRefusalCase{{"--run", "a.qb", "--late=-1"},
                     "--late takes minutes from 0 to 720, not \"-1\""},
        SRefusalCase{{"--run", "a.qb", "--hold", "500"}, "--hold goes with --send or --fire"},
        SRefusalCase{{"--send", "TV", "Vol+", "--hold", "0"},
                     "--hold takes milliseconds, a whole number from 1 on, not \"0\""},
        SRefusalCase{{"--fire", "a.qb", "TV", "Vol+", "--hold=0.5s"},
                     "--hold takes milliseconds, a whole number from 1 on, not "
                     "\"0.5s\""},
        SRefusalCase{{"--send", "TV", "Vol+", "--hold", "+800"},
                     "--hold takes milliseconds, a whole number from 1 on, not "
                     "\"+800\""}));

// Scripts and people look a command up in --help: every command is described there, in the
// form it is called by.
TEST(CommandLineProgramTest, HelpAndVersionGoToStandardOutput)
{
    const SProcessResult help = RunQuorbit({"--help"});
    EXPECT_EQ(help.nExitStatus, 0);
    EXPECT_TRUE(help.strOut.starts_with("Usage: quorbit [options] [FILE]\n")) << help.strOut;
    for (const char* pszForm :
         {"--list FILE", "--list --json FILE", "--convert IN OUT", "--run FILE",
          "--send REMOTE BUTTON", "--fire FILE REMOTE BUTTON", "--status",
          "--export FILE REMOTE [BUTTON]", "--import FILE REMOTE INPUT [BUTTON | INPUT...]",
          "--learn FILE REMOTE BUTTON", "--selftest", "--help", "--version"})
        EXPECT_NE(help.strOut.find(std::string("\n  ") + pszForm), std::string::npos) << pszForm;
    EXPECT_EQ(help.strErr, "");

    const SProcessResult version = RunQuorbit({"--version"});
    EXPECT_EQ(version.nExitStatus, 0);
    EXPECT_EQ(version.strOut, "quorbit " QUORBIT_VERSION "\n");
}

// Output the system does not take (a full disk) fails the command with the reason: an export
// cut short must not pass for the file a script asked for, small or large.
TEST(CommandLineProgramTest, OutputThatCannotBeWrittenFailsTheCommand)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    const CPrivateRuntime runtime;
    const std::string strExample = QUORBIT_EXAMPLES "/living-room.qb";
    for (const std::string& strArguments :
         {std::string("--help"), "--list " + strExample,
          "--export " + strExample + " TV Mute --format lirc --device sim",
          "--export " + strExample + " TV --format lirc --device sim"})
    {
        SCOPED_TRACE(strArguments);
        const SProcessResult result = RunProgram(
            "/bin/sh", {"-c", "exec \"$0\" " + strArguments + " > /dev/full", QUORBIT_BINARY});
        EXPECT_EQ(result.nExitStatus, 1);
        EXPECT_NE(result.strErr.find("quorbit: cannot write standard output: "), std::string::npos)
            << result.strErr;
    }
}

TEST(CommandLineProgramTest, MisuseShowsTheReasonAndUsageOnStandardError)
{
    const SProcessResult result = RunQuorbit({"--frobnicate", "a.qb"});
    EXPECT_EQ(result.nExitStatus, 2);
    EXPECT_EQ(result.strOut, "");
    EXPECT_EQ(result.strErr,
              "quorbit: unknown option --frobnicate\n\n" + RunQuorbit({"--help"}).strOut);
}
// The manual page says what --help says: every option of the one is in the other.
TEST(CommandLineProgramTest, TheManualPageNamesTheOptionsOfTheHelp)
{
    const auto options = [](const std::string& strText, const std::string& strDash)
    {
        std::set<std::string> found;
        const std::regex option(strDash + strDash + "[a-z]+((" + strDash + ")[a-z]+)*");
        for (auto it = std::sregex_iterator(strText.begin(), strText.end(), option);
             it != std::sregex_iterator(); ++it)
            found.insert(std::regex_replace(it->str(), std::regex(strDash), "-"));
        return found;
    };
    const std::set<std::string> help = options(GetUsage(), "-");
    // The examples further down use other programs' options too.
    const std::string strManual = ReadFileBytes(QUORBIT_EXAMPLES "/../docs/quorbit.1");
    const std::set<std::string> manual =
        options(strManual.substr(0, strManual.find(".SH EXIT STATUS")), R"(\\-)");
    EXPECT_GT(help.size(), 20u);
    EXPECT_EQ(help, manual);
}
} // namespace
