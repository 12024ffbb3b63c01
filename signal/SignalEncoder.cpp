#include "signal/SignalEncoder.h"

#include "signal/FrameFields.h"

#include <algorithm>
#include <cmath>

namespace
{
// Mark and space lengths as they are laid end to end; a mark after a mark (or a space after a
// space), as biphase cells make them, lengthens the run before.
class CRunBuilder
{
public:
    void Add(double dMicros)
    {
        const bool bMark = dMicros > 0;
        if (m_runs.empty() && !bMark)
            return; // the silence before the first mark is no part of the signal
        if (!m_runs.empty() && m_bLastMark == bMark)
            m_runs.back() += std::abs(dMicros);
        else
            m_runs.push_back(std::abs(dMicros));
        m_bLastMark = bMark;
    }

    // The length from the first mark's start to the end of everything added.
    double GetLength() const
    {
        double dLength = 0;
        for (const double dRun : m_runs)
            dLength += dRun;
        return dLength;
    }

    std::vector<double>& GetRuns() { return m_runs; }

private:
    std::vector<double> m_runs;
    bool m_bLastMark = false;
};

void AddSymbols(CRunBuilder& builder, const SProtocolForm& form,
                const std::vector<const SFrameItem*>& bitItems, std::uint64_t nWord, int& nAt)
{
    int nBitInItem = 0;
    std::size_t nItem = 0;
    for (int nSymbolBit = 0; nItem < bitItems.size(); nSymbolBit += form.nBitsPerSymbol)
    {
        const bool bDouble = bitItems[nItem]->bDouble;
        std::size_t nSymbol = 0;
        for (int nBit = 0; nBit < form.nBitsPerSymbol; ++nBit)
        {
            nSymbol = nSymbol << 1 | (nWord >> nAt++ & 1);
            if (++nBitInItem == bitItems[nItem]->nBits)
            {
                nBitInItem = 0;
                ++nItem;
            }
        }
        const double dScale = bDouble ? 2 : 1;
        builder.Add(form.symbols[nSymbol].first * dScale);
        builder.Add(form.symbols[nSymbol].second * dScale);
    }
}

// One frame of the items, as runs laid end to end (ending on a space where the frame does).
void AddFrame(CRunBuilder& builder, const SProtocolForm& form,
              const std::vector<SFrameItem>& items, const CFieldValues& values)
{
    const std::uint64_t nWord = BuildFrameWord(form, items, values);
    int nAt = 0;
    std::vector<const SFrameItem*> bitItems;
    for (const SFrameItem& item : items)
    {
        if (item.bBits)
        {
            bitItems.push_back(&item);
            continue;
        }
        AddSymbols(builder, form, bitItems, nWord, nAt);
        bitItems.clear();
        builder.Add(item.dMicros);
    }
    AddSymbols(builder, form, bitItems, nWord, nAt);
}

// The silence after a frame that ran dLength from its start.
double GapAfter(const SProtocolRow& row, double dLength)
{
    return row.dPeriodMicros > 0 ? std::max(row.dPeriodMicros - dLength, 0.0) : row.dGapMicros;
}
} // namespace

bool EncodeSignal(const SDecodedSignal& code, SEncodedSignal& encoded)
{
    const SProtocolForm* pForm = FindProtocolForm(code.eProtocol);
    if (!pForm || !FitsProtocol(*pForm, code))
        return false;
    const SProtocolRow& row = *pForm->pRow;
    const CFieldValues values = ToFieldValues(*pForm, code);
    CRunBuilder builder;
    for (const SFrameItem& item : pForm->lead)
        builder.Add(item.dMicros);
    const int nFrames = 1 + std::max(code.nRepeats, row.nMinRepeats);
    for (int nFrame = 0; nFrame < nFrames; ++nFrame)
    {
        const double dStart = builder.GetLength();
        const bool bRepeat = nFrame > 0 && !pForm->repeat.empty();
        AddFrame(builder, *pForm, bRepeat ? pForm->repeat : pForm->frame, values);
        const double dLength = builder.GetLength() - dStart;
        builder.Add(-GapAfter(row, dLength));
    }
    std::vector<double>& runs = builder.GetRuns();
    encoded.nTrailingGapMicros = static_cast<std::uint32_t>(std::lround(runs.back()));
    runs.pop_back(); // the last run is the silence after the last frame
    encoded.durations.clear();
    for (const double dRun : runs)
        encoded.durations.push_back(static_cast<std::uint32_t>(std::lround(dRun)));
    encoded.nCarrierHz = row.nCarrierHz;
    return true;
}
