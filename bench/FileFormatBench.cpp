// Speed of the document file: encoding and decoding one learned signal, and storing and
// loading a large document in memory.
#include "document/CBitstreamCodec.h"
#include "document/CQbFile.h"

#include <benchmark/benchmark.h>

#include <random>

namespace
{
// What the detector delivers for a remote of the common pulse-distance kind, sampled every
// 1.5 us: a 9 ms mark and 4.5 ms space, 32 bits of 560 us marks followed by 560 us (0) or
// 1690 us (1) spaces, a closing mark, then repeat frames every 108 ms. Edges wander by a
// sample or two, as real captures do.
class CSignal
{
public:
    explicit CSignal(std::uint32_t nCode) : m_nCode(nCode), m_random(nCode) {}

    std::vector<std::uint8_t> Build(std::size_t nBytes)
    {
        m_bits.assign(nBytes, 0);
        m_nSample = 0;
        while (m_nSample < nBytes * 8)
        {
            const std::size_t nFrameStart = m_nSample;
            Pulse(9000, 4500);
            for (int nBit = 0; nBit < 32; ++nBit)
                Pulse(560, (m_nCode >> nBit) & 1 ? 1690 : 560);
            Pulse(560, 0);
            m_nSample = nFrameStart + Samples(108000);
        }
        return m_bits;
    }

private:
    std::size_t Samples(int nMicroseconds)
    {
        const int nJitter = std::uniform_int_distribution(-2, 2)(m_random);
        return static_cast<std::size_t>(std::max(1, nMicroseconds * 2 / 3 + nJitter));
    }

    void Pulse(int nMarkMicroseconds, int nSpaceMicroseconds)
    {
        const std::size_t nEnd =
            std::min(m_nSample + Samples(nMarkMicroseconds), m_bits.size() * 8);
        for (; m_nSample < nEnd; ++m_nSample)
            m_bits[m_nSample / 8] |= static_cast<std::uint8_t>(0x80 >> m_nSample % 8);
        if (nSpaceMicroseconds > 0)
            m_nSample += Samples(nSpaceMicroseconds);
    }

    std::uint32_t m_nCode;
    std::mt19937 m_random;
    std::vector<std::uint8_t> m_bits;
    std::size_t m_nSample = 0;
};

// Three frames' worth: a press held briefly.
constexpr std::size_t kSignalBytes = 40000;

std::vector<std::uint8_t> LearnedSignal(std::uint32_t nCode)
{
    return CSignal(nCode).Build(kSignalBytes);
}

void CompressLearnedSignal(benchmark::State& state)
{
    const auto bits = LearnedSignal(0x20DF10EF);
    std::vector<std::uint8_t> encoded;
    for (auto _ : state)
    {
        CompressBitstream(bits, encoded);
        benchmark::DoNotOptimize(encoded.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bits.size()));
    state.counters["encoded_bytes"] = static_cast<double>(encoded.size());
}
BENCHMARK(CompressLearnedSignal);

void ExpandLearnedSignal(benchmark::State& state)
{
    std::vector<std::uint8_t> encoded;
    CompressBitstream(LearnedSignal(0x20DF10EF), encoded);
    CBitstream bits;
    for (auto _ : state)
    {
        ExpandBitstream(encoded, bits);
        benchmark::DoNotOptimize(bits.GetBytes().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bits.GetLength()));
}
BENCHMARK(ExpandLearnedSignal);

// 20 remotes of 40 learned buttons each, every button a different code.
SQbContent LargeDocument()
{
    SQbContent content;
    std::uint32_t nCode = 0x10EF0000;
    for (int nRemote = 0; nRemote < 20; ++nRemote)
    {
        auto pRemote = std::make_unique<CRemote>("Remote " + std::to_string(nRemote), 0, 0);
        for (int nButton = 0; nButton < 40; ++nButton)
        {
            auto pButton =
                std::make_unique<CRemoteButton>("Button " + std::to_string(nButton), false);
            pButton->m_nColumn = nButton / kGridRows;
            pButton->m_nRow = nButton % kGridRows;
            pButton->m_bits = CBitstream(LearnedSignal(nCode += 0x01010101));
            pRemote->AddButton(std::move(pButton));
        }
        content.pRemotes->emplace(pRemote->m_strName, std::move(pRemote));
    }
    return content;
}

void SaveLargeDocumentToMemory(benchmark::State& state)
{
    const SQbContent content = LargeDocument();
    std::vector<std::uint8_t> bytes;
    SQbStoreError error;
    for (auto _ : state)
    {
        StoreQbFile(content.pRemotes.get(), content.pEvents.get(), bytes, error);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["file_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(SaveLargeDocumentToMemory)->Unit(benchmark::kMillisecond);

void LoadLargeDocumentFromMemory(benchmark::State& state)
{
    std::vector<std::uint8_t> bytes;
    SQbStoreError error;
    {
        const SQbContent content = LargeDocument();
        StoreQbFile(content.pRemotes.get(), content.pEvents.get(), bytes, error);
    }
    for (auto _ : state)
    {
        SQbContent content;
        if (ParseQbFile(bytes, content) != EQbParse::Ok)
            state.SkipWithError("the document did not load");
        benchmark::DoNotOptimize(content.pRemotes.get());
    }
    state.counters["file_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(LoadLargeDocumentFromMemory)->Unit(benchmark::kMillisecond);
} // namespace
