#include "signal/LircFormat.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace
{
std::string ReadText(const std::string& strPath)
{
    std::ifstream file(strPath);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// What irsimsend sent for each button, in the order of the file, without the gap after the last
// frame.
std::vector<std::pair<std::string, std::vector<std::uint32_t>>>
ReadCapture(const std::string& strPath)
{
    std::vector<std::pair<std::string, std::vector<std::uint32_t>>> captured;
    std::ifstream file(strPath);
    std::string strLine;
    while (std::getline(file, strLine))
    {
        std::istringstream words(strLine);
        auto& [strName, durations] = captured.emplace_back();
        words >> strName;
        for (std::uint32_t nMicros = 0; words >> nMicros;)
            durations.push_back(nMicros);
        durations.pop_back();
    }
    return captured;
}
} // namespace

// Encoded remotes written for every flag and header word (header, one, zero, plead, ptrail,
// foot, repeat, pre and post with their data, gap and two gaps, repeat_gap, min_repeat above
// twenty, rc6_mask; the toggle bits as toggle_bit_mask in pre_data, data and post_data, alone
// and several, and as the older toggle_bit and repeat_bit; SPACE_ENC, RC5, RC6, CONST_LENGTH,
// REVERSE, NO_HEAD_REP, NO_FOOT_REP, REPEAT_HEADER), with names holding '#' and a name given
// twice, come in as the very durations the daemon's own irsimsend sends for a first press of
// each (tests/fixtures/lirc/capture-irsimsend).
TEST(LircImportTest, EncodedRemotesSendWhatTheDaemonSends)
{
    std::vector<SExchangeCode> codes;
    std::vector<SSkippedRemote> skipped;
    SExchangeError error;
    ASSERT_TRUE(
        ParseLircCodes(ReadText(QUORBIT_FIXTURES "/lirc/encoded.conf"), codes, skipped, error))
        << error.nLine << ": " << error.strReason;
    EXPECT_TRUE(skipped.empty());
    const auto captured = ReadCapture(QUORBIT_FIXTURES "/lirc/encoded.irsimsend");
    ASSERT_EQ(codes.size(), captured.size());
    for (std::size_t nCode = 0; nCode < codes.size(); ++nCode)
    {
        EXPECT_EQ(codes[nCode].strName, captured[nCode].first);
        EXPECT_EQ(codes[nCode].durations, captured[nCode].second) << captured[nCode].first;
    }
    EXPECT_EQ(codes.front().strSource, "necstyle");
    EXPECT_EQ(codes.front().nCarrierHz, 38000u);
}

namespace
{
struct SToleranceCase
{
    const char* pszName;
    std::string strText;
    std::vector<std::string> names;   // of the codes read, in order, UTF-8
    std::vector<std::string> sources; // the remote of each
    std::vector<SSkippedRemote> skipped;
    std::vector<unsigned> duties = {}; // the duty cycle of each; none: 0 for all
};

const SToleranceCase kToleranceCases[] = {
    {"text outside the remotes is passed over",
     "Remote file for the TV\nrecorded 2004\nbegin remote\n name TV\n begin raw_codes\n"
     "  name Power\n  900 450 900\n end raw_codes\nend remote\nthat was the TV\nend\n"
     "begin remote\n name Amp\n begin raw_codes\n  name Mute\n  900\n end raw_codes\n"
     "end remote\ntrailing words\n",
     {"Power", "Mute"},
     {"TV", "Amp"},
     {}},
    {"a remote with an encoding Quorbit cannot make is skipped, the others read",
     "begin remote\n name TV\n begin raw_codes\n  name Power\n  900\n end raw_codes\n"
     "end remote\n"
     "begin remote\n name VCR\n bits 8\n flags XMP\n one 500 1500\n zero 500 500\n"
     " begin codes\n  Play 0x1\n end codes\nend remote\n"
     "begin remote\n name Amp\n begin raw_codes\n  name Mute\n  900\n end raw_codes\n"
     "end remote\n",
     {"Power", "Mute"},
     {"TV", "Amp"},
     {{"VCR", {11, "the flag \"XMP\" names an encoding"}}}},
    {"a bad duration skips its remote with the codes read before it",
     "begin remote\n name TV\n begin raw_codes\n  name Power\n  900\n  name Mute\n  900 x\n"
     " end raw_codes\nend remote\n"
     "begin remote\n name Amp\n begin raw_codes\n  name Vol\n  900\n end raw_codes\n"
     "end remote\n",
     {"Vol"},
     {"Amp"},
     {{"TV", {7, "\"x\" is not a duration"}}}},
    {"a remote left open is skipped at the next",
     "begin remote\n name TV\n begin raw_codes\n  name Power\n  900\n end raw_codes\n"
     "begin remote\n name Amp\n begin raw_codes\n  name Mute\n  900\n end raw_codes\n"
     "end remote\n",
     {"Mute"},
     {"Amp"},
     {{"TV", {1, "no \"end remote\" before the next remote, on line 7"}}}},
    {"a remote ended among its codes is skipped",
     "begin remote\n name TV\n begin raw_codes\n  name Power\n  900\nend remote\n"
     "begin remote\n name Amp\n begin raw_codes\n  name Mute\n  900\n end raw_codes\n"
     "end remote\n",
     {"Mute"},
     {"Amp"},
     {{"TV", {3, "no \"end raw_codes\""}}}},
    {"a scancode remote is skipped for its scancodes before its header's faults",
     "begin remote\n name devinput\n bits 16\n min_repeat 5000\n begin codes\n  KEY_1 0x2\n"
     " end codes\nend remote\n"
     "begin remote\n name Amp\n begin raw_codes\n  name Mute\n  900\n end raw_codes\n"
     "end remote\n",
     {"Mute"},
     {"Amp"},
     {{"devinput", {1, "devinput gives its buttons as codes for a receiver's driver"}}}},
    {"a remote with timings is skipped for its header's fault, on its line",
     "begin remote\n name VCR\n bits 8\n one 500 1500\n zero 500 500\n min_repeat 5000\n"
     " begin codes\n  Play 0x1\n end codes\nend remote\n"
     "begin remote\n name Amp\n begin raw_codes\n  name Mute\n  900\n end raw_codes\n"
     "end remote\n",
     {"Mute"},
     {"Amp"},
     {{"VCR", {6, "\"min_repeat\" takes a number up to 1000"}}}},
    {"a toggle bit past the remote's bits skips it",
     "begin remote\n name VCR\n bits 8\n one 500 1500\n zero 500 500\n toggle_bit 9\n"
     " begin codes\n  Play 0x1\n end codes\nend remote\n",
     {},
     {},
     {{"VCR", {1, "VCR has its toggle bit at 9, past its 8 bits"}}}},
    {"raw codes are read whatever encoding the flags name",
     "begin remote\n name TV\n flags GRUNDIG\n begin raw_codes\n  name Power\n  900\n"
     " end raw_codes\nend remote\n",
     {"Power"},
     {"TV"},
     {}},
    {"'#' within a name is the name's, at a word's start a comment",
     "begin remote\n name TV\n bits 4\n one 300 900\n zero 300 300\n begin codes\n"
     "  X_KEY_1# 0x1 # the first\n  KEY-# 0x2\n#KEY_3 0x3\n end codes\nend remote\n"
     "begin remote\n name Raw#1\n begin raw_codes\n  name KEY-#\n  900 # a pulse\n"
     " end raw_codes\nend remote\n",
     {"X_KEY_1#", "KEY-#", "KEY-#"},
     {"TV", "TV", "Raw#1"},
     {}},
    {"names in Windows-1252 come as UTF-8",
     "begin remote\n name Wohnzimmer\xE4\n begin raw_codes\n  name Lautst\xE4rke\n  900\n"
     "  name Euro\x80\n  900\n end raw_codes\nend remote\n",
     {"Lautst\xC3\xA4rke", "Euro\xE2\x82\xAC"},
     {"Wohnzimmer\xC3\xA4", "Wohnzimmer\xC3\xA4"},
     {}},
    {"a duty cycle, as a percentage; one outside 1 to 100 is passed over",
     "begin remote\n name TV\n duty_cycle 40\n begin raw_codes\n  name Power\n  900\n"
     " end raw_codes\nend remote\n"
     "begin remote\n name Amp\n duty_cycle 150\n begin raw_codes\n  name Mute\n  900\n"
     " end raw_codes\nend remote\n",
     {"Power", "Mute"},
     {"TV", "Amp"},
     {},
     {40, 0}},
    {"a byte-order mark before the first remote",
     "\xEF\xBB\xBF"
     "begin remote\n name TV\n begin raw_codes\n  name Power\n  900\n end raw_codes\n"
     "end remote\n",
     {"Power"},
     {"TV"},
     {}},
    {"a remote without a name is skipped as such",
     "begin remote\n begin raw_codes\n  name A\n  0\n end raw_codes\nend remote\n"
     "begin remote\n name Amp\n begin raw_codes\n  name Mute\n  900\n end raw_codes\n"
     "end remote\n",
     {"Mute"},
     {"Amp"},
     {{"", {4, "\"0\" is not a duration"}}}},
};

class LircToleranceTest : public testing::TestWithParam<SToleranceCase>
{
};

// What the daemon's files hold beyond the plain form is read, and a remote that cannot be is
// passed over with its line and reason while the others come in.
TEST_P(LircToleranceTest, ReadsTheRestAndSaysWhatWasSkipped)
{
    const SToleranceCase& tolerance = GetParam();
    SCOPED_TRACE(tolerance.pszName);
    std::vector<SExchangeCode> codes;
    std::vector<SSkippedRemote> skipped;
    SExchangeError error;
    const bool bRead = ParseLircCodes(tolerance.strText, codes, skipped, error);
    ASSERT_EQ(bRead, !tolerance.names.empty()) << error.nLine << ": " << error.strReason;
    if (!bRead)
    {
        // Nothing to read: refused for the first remote's fault.
        ASSERT_EQ(tolerance.skipped.size(), 1u);
        skipped = {{tolerance.skipped[0].strName, error}};
    }
    ASSERT_EQ(codes.size(), tolerance.names.size());
    for (std::size_t nCode = 0; nCode < codes.size(); ++nCode)
    {
        EXPECT_EQ(codes[nCode].strName, tolerance.names[nCode]);
        EXPECT_EQ(codes[nCode].strSource, tolerance.sources[nCode]);
        const unsigned nDuty = tolerance.duties.empty() ? 0 : tolerance.duties[nCode];
        EXPECT_EQ(codes[nCode].nDutyPercent, nDuty);
    }
    ASSERT_EQ(skipped.size(), tolerance.skipped.size());
    for (std::size_t nSkip = 0; nSkip < skipped.size(); ++nSkip)
    {
        const SSkippedRemote& expected = tolerance.skipped[nSkip];
        EXPECT_EQ(skipped[nSkip].strName, expected.strName);
        EXPECT_EQ(skipped[nSkip].error.nLine, expected.error.nLine);
        EXPECT_NE(skipped[nSkip].error.strReason.find(expected.error.strReason), std::string::npos)
            << skipped[nSkip].error.strReason;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, LircToleranceTest, testing::ValuesIn(kToleranceCases));
} // namespace

// The line for the person names the remote, or says it had no name, and carries nothing from
// the file that could drive a terminal.
TEST(LircImportTest, ASkippedRemoteIsDescribedSafely)
{
    EXPECT_EQ(DescribeSkippedRemote({"VCR", {10, "the flag \"XMP\" names an encoding"}}),
              "skipped the remote VCR: the flag \"XMP\" names an encoding");
    EXPECT_EQ(DescribeSkippedRemote({"", {4, "\"0\" is not a duration"}}),
              "skipped a remote without a name: \"0\" is not a duration");
    EXPECT_EQ(DescribeSkippedRemote({"TV\x1B[2J", {1, "\"\x9B\" is odd"}}),
              "skipped the remote TV?[2J: \"?\" is odd");
}
