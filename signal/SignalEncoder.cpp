#include "signal/SignalEncoder.h"

#include "signal/FrameFields.h"
#include "signal/RunBuilder.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace
{
// A bit as it is sent, and whether its cell is twice as wide.
struct SSentBit
{
    bool bOne = false;
    bool bDouble = false;
};

// Pulse encodings: a mark and a space a symbol, each symbol one bit or two (the first sent is
// the symbol's high bit).
void AddPulseBits(CRunBuilder& builder, const SProtocolForm& form, std::span<const SSentBit> bits)
{
    for (std::size_t nBit = 0; nBit < bits.size(); nBit += form.nBitsPerSymbol)
    {
        std::size_t nSymbol = 0;
        for (int nPlace = 0; nPlace < form.nBitsPerSymbol; ++nPlace)
            nSymbol = nSymbol << 1 | (bits[nBit + nPlace].bOne ? 1 : 0);
        builder.Add(form.symbols[nSymbol].first);
        builder.Add(form.symbols[nSymbol].second);
    }
}

// Biphase: each bit a cell of two halves, a mark and a space in the order the bit gives.
void AddBiphaseBits(CRunBuilder& builder, const SProtocolForm& form, std::span<const SSentBit> bits)
{
    for (const SSentBit& bit : bits)
    {
        const double dHalf = form.pRow->dUnitMicros * (bit.bDouble ? 2 : 1);
        const bool bMarkFirst = bit.bOne == form.bMarkFirstIsOne;
        builder.Add(bMarkFirst ? dHalf : -dHalf);
        builder.Add(bMarkFirst ? -dHalf : dHalf);
    }
}

void AddBits(CRunBuilder& builder, const SProtocolForm& form, std::vector<SSentBit>& bits)
{
    if (form.bBiphase)
        AddBiphaseBits(builder, form, bits);
    else
        AddPulseBits(builder, form, bits);
    bits.clear();
}

// One frame of the items, as runs laid end to end (ending on a space where the frame does).
void AddFrame(CRunBuilder& builder, const SProtocolForm& form, const std::vector<SFrameItem>& items,
              const CFieldValues& values)
{
    const std::uint64_t nWord = BuildFrameWord(form, items, values);
    int nAt = 0;
    std::vector<SSentBit> bits;
    for (const SFrameItem& item : items)
    {
        for (int nBit = 0; nBit < item.nBits; ++nBit)
            bits.push_back({(nWord >> nAt++ & 1) != 0, item.bDouble});
        if (item.bBits)
            continue;
        AddBits(builder, form, bits);
        builder.Add(item.dMicros);
    }
    AddBits(builder, form, bits);
}

// The silence after a frame that ran dLength from its start to its last mark.
double GapAfter(const SProtocolRow& row, double dLength, bool bRepeat)
{
    if (row.dPeriodMicros > 0)
        return std::max(row.dPeriodMicros - dLength, 0.0);
    return bRepeat && row.dRepeatGapMicros > 0 ? row.dRepeatGapMicros : row.dGapMicros;
}
} // namespace

bool EncodeSignal(const SDecodedSignal& code, SEncodedSignal& encoded)
{
    const SProtocolForm* pForm = FindProtocolForm(code.eProtocol, code.eForm);
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
        builder.DropTrailingSpace();
        const double dLength = builder.GetLength() - dStart;
        builder.Add(-GapAfter(row, dLength, bRepeat));
    }
    encoded.nTrailingGapMicros = static_cast<std::uint32_t>(std::lround(builder.GetRuns().back()));
    encoded.durations = builder.GetDurations();
    encoded.nCarrierHz = row.nCarrierHz;
    return true;
}
