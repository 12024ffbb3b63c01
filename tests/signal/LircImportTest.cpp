#include "signal/LircFormat.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace
{
std::string ReadText(const std::string& strPath)
{
    std::ifstream file(strPath);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The durations irsimsend sent for each button, without the gap after the last frame.
std::map<std::string, std::vector<std::uint32_t>> ReadCapture(const std::string& strPath)
{
    std::map<std::string, std::vector<std::uint32_t>> captured;
    std::ifstream file(strPath);
    std::string strLine;
    while (std::getline(file, strLine))
    {
        std::istringstream words(strLine);
        std::string strName;
        words >> strName;
        std::vector<std::uint32_t>& durations = captured[strName];
        for (std::uint32_t nMicros = 0; words >> nMicros;)
            durations.push_back(nMicros);
        durations.pop_back();
    }
    return captured;
}
} // namespace

// Encoded remotes written for every flag and header word (header, one, zero, plead, ptrail,
// foot, repeat, pre and post with their data, gap, repeat_gap, min_repeat, rc6_mask; SPACE_ENC,
// RC5, RC6, CONST_LENGTH, REVERSE, NO_HEAD_REP, NO_FOOT_REP, REPEAT_HEADER) come in as the very
// durations the daemon's own irsimsend sends for them (tests/fixtures/lirc/capture-irsimsend).
TEST(LircImportTest, EncodedRemotesSendWhatTheDaemonSends)
{
    std::vector<SExchangeCode> codes;
    SExchangeError error;
    ASSERT_TRUE(ParseLircCodes(ReadText(QUORBIT_FIXTURES "/lirc/encoded.conf"), codes, error))
        << error.nLine << ": " << error.strReason;
    const auto captured = ReadCapture(QUORBIT_FIXTURES "/lirc/encoded.irsimsend");
    ASSERT_EQ(codes.size(), captured.size());
    for (const SExchangeCode& code : codes)
    {
        ASSERT_TRUE(captured.contains(code.strName)) << code.strName;
        EXPECT_EQ(code.durations, captured.at(code.strName)) << code.strName;
    }
    EXPECT_EQ(codes.front().strSource, "necstyle");
    EXPECT_EQ(codes.front().nCarrierHz, 38000u);
}
