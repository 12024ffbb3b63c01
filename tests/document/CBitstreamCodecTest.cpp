#include "document/CBitstreamCodec.h"

#include <gtest/gtest.h>

#include <random>

namespace
{
using CBytes = std::vector<std::uint8_t>;

CBytes Repeat(std::size_t nCount, std::uint8_t nByte)
{
    return CBytes(nCount, nByte);
}

CBytes Join(CBytes first, const CBytes& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// A plain sample-at-a-time encoder, written straight from the format's description, that the
// word-at-a-time one must agree with bit for bit.
CBytes ReferenceEncode(const CBytes& bits)
{
    std::vector<bool> out;
    const auto put = [&out](std::uint32_t nValue, int nWidth)
    {
        for (int nBit = nWidth - 1; nBit >= 0; --nBit)
            out.push_back(((nValue >> nBit) & 1) != 0);
    };
    const auto putRun = [&put](std::uint32_t nRun)
    {
        const int nCode = nRun < 16 ? 0 : nRun < 256 ? 1 : nRun < 65536 ? 2 : 3;
        put(nCode, 2);
        put(nRun, 4 << nCode);
    };
    if (bits.empty())
        return {};
    bool bLevel = (bits[0] & 0x80) != 0;
    out.push_back(bLevel);
    std::uint32_t nRun = 0;
    for (std::size_t i = 0; i < bits.size() * 8; ++i)
    {
        const bool bSample = ((bits[i / 8] >> (7 - i % 8)) & 1) != 0;
        if (bSample != bLevel)
        {
            putRun(nRun);
            bLevel = bSample;
            nRun = 0;
        }
        ++nRun;
    }
    putRun(nRun);
    CBytes bytes((out.size() + 7) / 8, 0);
    for (std::size_t i = 0; i < out.size(); ++i)
        bytes[i / 8] |= static_cast<std::uint8_t>(out[i] << (7 - i % 8));
    return bytes;
}

// Runs of lengths around every code width and word boundary, at random.
CBytes RandomSignal(std::mt19937& random, std::size_t nBytes)
{
    static constexpr std::uint32_t kRuns[] = {1,   2,   7,   15,    16,    63,    64,    65,
                                              255, 256, 257, 65535, 65536, 65537, 100000};
    std::vector<bool> samples;
    bool bLevel = random() % 2 != 0;
    while (samples.size() < nBytes * 8)
    {
        const std::uint32_t nRun = kRuns[random() % std::size(kRuns)];
        samples.insert(samples.end(), nRun, bLevel);
        bLevel = !bLevel;
    }
    CBytes bits(nBytes, 0);
    for (std::size_t i = 0; i < nBytes * 8; ++i)
        bits[i / 8] |= static_cast<std::uint8_t>(samples[i] << (7 - i % 8));
    return bits;
}

struct SExpanded
{
    bool bOk;
    CBytes bits;
};

SExpanded Expand(const CBytes& encoded)
{
    CBitstream bits(CBytes{0xA5}); // replaced only when the data decodes
    const bool bOk = ExpandBitstream(encoded, bits);
    if (!bOk)
    {
        EXPECT_EQ(bits, CBitstream(CBytes{0xA5}));
    }
    return {bOk, CBytes(bits.GetBytes().begin(), bits.GetBytes().end())};
}
} // namespace

TEST(CBitstreamCodecTest, EncodesTheWorkedExamplesAndDecodesThemBack)
{
    const std::vector<std::pair<CBytes, CBytes>> cases{
        {{0xFF, 0x00}, {0x90, 0x40}},
        {Join(Repeat(100, 0x00), Repeat(40, 0xFF)), {0x40, 0x64, 0x10, 0x0A, 0x00}},
        {Repeat(kBitstreamBytes, 0x00), {0x60, 0x00, 0xC3, 0x50, 0x00}},
        {{}, {}},
    };
    for (const auto& [bits, expected] : cases)
    {
        CBytes encoded{0x11}; // replaced, not appended to
        ASSERT_TRUE(CompressBitstream(bits, encoded));
        EXPECT_EQ(encoded, expected);
        const SExpanded expanded = Expand(encoded);
        EXPECT_TRUE(expanded.bOk);
        EXPECT_EQ(expanded.bits, bits);
    }
}

TEST(CBitstreamCodecTest, AgreesWithASampleAtATimeEncoderOnRandomSignals)
{
    std::mt19937 random(1998);
    const std::size_t kLengths[] = {1, 7, 8, 9, 15, 16, 17, 1000, 4321, kBitstreamBytes};
    for (int nRound = 0; nRound < 20; ++nRound)
    {
        for (const std::size_t nLength : kLengths)
        {
            const CBytes bits = RandomSignal(random, nLength);
            CBytes encoded;
            ASSERT_TRUE(CompressBitstream(bits, encoded));
            ASSERT_EQ(encoded, ReferenceEncode(bits)) << "length " << nLength;
            ASSERT_EQ(Expand(encoded).bits, bits) << "length " << nLength;
        }
    }
}

TEST(CBitstreamCodecTest, RefusesToEncodeWhatWouldNotFit)
{
    CBytes encoded;
    EXPECT_FALSE(CompressBitstream(Repeat(kBitstreamBytes, 0x55), encoded));
    // Alternating samples cost six bits each: a sixth of the capacity is the most that fits.
    EXPECT_TRUE(CompressBitstream(Repeat(kBitstreamBytes / 6 - 1, 0xAA), encoded));
    EXPECT_LE(encoded.size(), kBitstreamBytes);
}

TEST(CBitstreamCodecTest, ReadsPaddingAsEmptyRunsAndStopsAtTheEndOfTheData)
{
    EXPECT_EQ(Expand({0x90, 0x40, 0x00, 0x00, 0x00}).bits, (CBytes{0xFF, 0x00}));
    // A run record may run past the last byte; the missing bits read as zero.
    EXPECT_EQ(Expand({0x90}).bits, (CBytes{0xFF}));
}

TEST(CBitstreamCodecTest, RejectsDataNoEncoderWrites)
{
    const std::vector<std::pair<const char*, CBytes>> cases{
        // level 0, code 11, 400,001 samples
        {"one run too long", {0x60, 0x00, 0xC3, 0x50, 0x20}},
        // 400,000 samples, then a run of 15 more
        {"runs adding up past the end", {0x60, 0x00, 0xC3, 0x50, 0x07, 0x80}},
        {"more encoded bytes than a bitstream holds", Repeat(kBitstreamBytes + 1, 0x00)},
        {"the largest run length", {0x7F, 0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const auto& [pszCase, encoded] : cases)
        EXPECT_FALSE(Expand(encoded).bOk) << pszCase;
    EXPECT_TRUE(Expand({0x60, 0x00, 0xC3, 0x50, 0x00}).bOk);
}
