#include "document/CBitstreamCodec.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

// Both directions work a 64-bit word at a time: a learned signal is a few thousand runs over
// 400,000 samples, so finding a run's end with one count of leading bits and moving whole
// words through an accumulator keeps a whole document's load and save quick.

namespace
{
struct SRunCode
{
    std::uint32_t nCode;
    int nWidth;
};

constexpr std::array<int, 4> kRunWidths{4, 8, 16, 32};

SRunCode ChooseRunCode(std::uint32_t nRun)
{
    if (nRun < (1u << 4))
        return {0, 4};
    if (nRun < (1u << 8))
        return {1, 8};
    if (nRun < (1u << 16))
        return {2, 16};
    return {3, 32};
}

// Collects bits most significant first and hands them to the output four bytes at a time.
class CBitWriter
{
public:
    explicit CBitWriter(std::vector<std::uint8_t>& out) : m_out(out) { m_out.clear(); }

    // nBits is 1 to 32 and nValue has no bits above them.
    void Put(std::uint32_t nValue, int nBits)
    {
        m_nAccumulator = (m_nAccumulator << nBits) | nValue;
        m_nCount += nBits;
        if (m_nCount >= 32)
        {
            m_nCount -= 32;
            PutBytes(static_cast<std::uint32_t>(m_nAccumulator >> m_nCount), 4);
        }
    }

    void PutRun(std::uint32_t nRun)
    {
        const SRunCode code = ChooseRunCode(nRun);
        Put(code.nCode, 2);
        Put(nRun, code.nWidth);
    }

    // Pads the last byte with zero bits; false when the output grew past the capacity.
    bool Finish()
    {
        if (m_nCount > 0)
        {
            const int nBytes = (m_nCount + 7) / 8;
            const auto nTail =
                static_cast<std::uint32_t>(m_nAccumulator << (nBytes * 8 - m_nCount));
            PutBytes(nTail, nBytes);
            m_nCount = 0;
        }
        return !m_bFull;
    }

    bool IsFull() const { return m_bFull; }

private:
    // The low nBytes bytes of nWord, highest first.
    void PutBytes(std::uint32_t nWord, int nBytes)
    {
        if (m_out.size() + nBytes > kBitstreamBytes)
        {
            m_bFull = true;
            return;
        }
        for (int nShift = (nBytes - 1) * 8; nShift >= 0; nShift -= 8)
            m_out.push_back(static_cast<std::uint8_t>(nWord >> nShift));
    }

    std::vector<std::uint8_t>& m_out;
    std::uint64_t m_nAccumulator = 0;
    int m_nCount = 0;
    bool m_bFull = false;
};

// Hands out bits most significant first; past the end of the data it reads zero bits, the
// way the padding of the last byte reads.
class CBitReader
{
public:
    explicit CBitReader(std::span<const std::uint8_t> data) : m_data(data) {}

    // nBits is 1 to 32.
    std::uint32_t Get(int nBits)
    {
        if (m_nCount < nBits)
            Refill();
        const auto nValue = static_cast<std::uint32_t>(m_nAccumulator >> (64 - nBits));
        m_nAccumulator <<= nBits;
        m_nCount -= nBits;
        m_nConsumed += static_cast<std::size_t>(nBits);
        return nValue;
    }

    bool IsAtEnd() const { return m_nConsumed / 8 >= m_data.size(); }

private:
    void Refill()
    {
        while (m_nCount <= 56)
        {
            const std::uint64_t nByte = m_nNext < m_data.size() ? m_data[m_nNext] : 0;
            ++m_nNext;
            m_nAccumulator |= nByte << (56 - m_nCount);
            m_nCount += 8;
        }
    }

    std::span<const std::uint8_t> m_data;
    std::uint64_t m_nAccumulator = 0; // unread bits, left-aligned
    int m_nCount = 0;
    std::size_t m_nNext = 0;
    std::size_t m_nConsumed = 0;
};

// Up to eight bytes starting at nOffset as one big-endian word, missing bytes as zero.
std::uint64_t LoadWord(std::span<const std::uint8_t> bits, std::size_t nOffset, int& nBits)
{
    const std::size_t nBytes = std::min<std::size_t>(8, bits.size() - nOffset);
    nBits = static_cast<int>(nBytes * 8);
    if (nBytes == 8)
    {
        std::uint64_t nWord;
        std::memcpy(&nWord, bits.data() + nOffset, 8);
        return std::endian::native == std::endian::little ? __builtin_bswap64(nWord) : nWord;
    }
    std::uint64_t nWord = 0;
    for (std::size_t i = 0; i < nBytes; ++i)
        nWord |= std::uint64_t{bits[nOffset + i]} << (56 - 8 * i);
    return nWord;
}

// Sets samples [nFirst, nFirst + nCount) of a zeroed bitstream to 1.
void SetSamples(std::uint8_t* pBits, std::size_t nFirst, std::size_t nCount)
{
    std::size_t nByte = nFirst / 8;
    const int nSkip = static_cast<int>(nFirst % 8);
    if (nSkip + nCount <= 8)
    {
        pBits[nByte] |= static_cast<std::uint8_t>((0xFFu >> nSkip) & ~(0xFFu >> (nSkip + nCount)));
        return;
    }
    if (nSkip != 0)
    {
        pBits[nByte++] |= static_cast<std::uint8_t>(0xFFu >> nSkip);
        nCount -= static_cast<std::size_t>(8 - nSkip);
    }
    std::memset(pBits + nByte, 0xFF, nCount / 8);
    if (nCount % 8 != 0)
        pBits[nByte + nCount / 8] |= static_cast<std::uint8_t>(~(0xFFu >> (nCount % 8)));
}

// Walks the run records of encoded data, calling onOnes(first sample, count) for each non-empty
// run of 1 samples, and sets nSamples to the number of samples decoded. False on runs reaching
// past kBitstreamSamples.
template <typename TOnOnes>
bool ForEachRun(std::span<const std::uint8_t> encoded, std::size_t& nSamples, TOnOnes onOnes)
{
    CBitReader reader(encoded);
    std::uint32_t nLevel = reader.Get(1);
    nSamples = 0;
    do
    {
        const int nWidth = kRunWidths[reader.Get(2)];
        const std::uint32_t nRun = reader.Get(nWidth);
        if (nRun > kBitstreamSamples - nSamples)
            return false;
        if (nLevel != 0 && nRun != 0)
            onOnes(nSamples, std::size_t{nRun});
        nSamples += nRun;
        nLevel ^= 1;
    } while (!reader.IsAtEnd());
    return true;
}
} // namespace

bool CompressBitstream(std::span<const std::uint8_t> bits, std::vector<std::uint8_t>& encoded)
{
    CBitWriter writer(encoded);
    if (bits.empty())
        return true;

    std::uint32_t nLevel = bits[0] >> 7;
    std::uint32_t nRun = 0;
    writer.Put(nLevel, 1);
    for (std::size_t nOffset = 0; nOffset < bits.size() && !writer.IsFull(); nOffset += 8)
    {
        int nBits = 0;
        std::uint64_t nWord = LoadWord(bits, nOffset, nBits);
        for (;;)
        {
            const int nSame = nLevel ? std::countl_one(nWord) : std::countl_zero(nWord);
            if (nSame >= nBits)
            {
                nRun += static_cast<std::uint32_t>(nBits);
                break;
            }
            writer.PutRun(nRun + static_cast<std::uint32_t>(nSame));
            nLevel ^= 1;
            nRun = 0;
            nWord <<= nSame;
            nBits -= nSame;
        }
    }
    writer.PutRun(nRun);
    return writer.Finish();
}

bool ExpandBitstream(std::span<const std::uint8_t> encoded, CBitstream& bits)
{
    if (encoded.size() > kBitstreamBytes)
        return false;
    if (encoded.empty())
    {
        bits = CBitstream();
        return true;
    }
    // The first pass checks and measures the runs, so that the bitstream is allocated once, at
    // its size, and only for data that decodes.
    std::size_t nSamples = 0;
    if (!ForEachRun(encoded, nSamples, [](std::size_t, std::size_t) {}))
        return false;
    std::vector<std::uint8_t> bytes((nSamples + 7) / 8);
    ForEachRun(encoded, nSamples,
               [&bytes](std::size_t nFirst, std::size_t nCount)
               { SetSamples(bytes.data(), nFirst, nCount); });
    bits = CBitstream(std::move(bytes));
    return true;
}
