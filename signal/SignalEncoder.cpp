#include "signal/SignalEncoder.h"

#include "signal/FrameFields.h"
#include "signal/RunBuilder.h"

#include <algorithm>
#include <cmath>

namespace
{
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
    encoded.nTrailingGapMicros = static_cast<std::uint32_t>(std::lround(builder.GetRuns().back()));
    encoded.durations = builder.GetDurations();
    encoded.nCarrierHz = row.nCarrierHz;
    return true;
}
