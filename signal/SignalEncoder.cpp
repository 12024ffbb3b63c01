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

// The form of the code's protocol with the code's field values, and the lead laid out in
// builder; null, with builder left empty, where the code does not fit the protocol.
const SProtocolForm* StartSignal(const SDecodedSignal& code, CRunBuilder& builder,
                                 CFieldValues& values)
{
    const SProtocolForm* pForm = FindProtocolForm(code.eProtocol, code.eForm);
    if (!pForm || !FitsProtocol(*pForm, code))
        return nullptr;
    values = ToFieldValues(*pForm, code);
    for (const SFrameItem& item : pForm->lead)
        builder.Add(item.dMicros);
    return pForm;
}

// The frame (or, for a repeat, the protocol's repeat frame where it has one) and the silence
// after it; returns where the frame started. The period counts from the frame's start, which
// for the first frame may lie before its first mark (RC-5's start bit begins with a space).
double AddFrameAndGap(CRunBuilder& builder, const SProtocolForm& form, const CFieldValues& values,
                      bool bRepeat)
{
    const bool bRepeatFrame = bRepeat && !form.repeat.empty();
    const double dStart = builder.GetLength();
    const double dBegan = builder.GetTimeline();
    AddFrame(builder, form, bRepeatFrame ? form.repeat : form.frame, values);
    builder.DropTrailingSpace();
    builder.Add(-GapAfter(*form.pRow, builder.GetTimeline() - dBegan, bRepeatFrame));
    return dStart;
}
} // namespace

bool EncodeSignal(const SDecodedSignal& code, SEncodedSignal& encoded)
{
    CRunBuilder builder;
    CFieldValues values;
    const SProtocolForm* pForm = StartSignal(code, builder, values);
    if (!pForm)
        return false;
    const int nFrames = 1 + std::max(code.nRepeats, pForm->pRow->nMinRepeats);
    for (int nFrame = 0; nFrame < nFrames; ++nFrame)
        AddFrameAndGap(builder, *pForm, values, nFrame > 0);
    encoded.nTrailingGapMicros = static_cast<std::uint32_t>(std::lround(builder.GetRuns().back()));
    encoded.durations = builder.GetDurations();
    encoded.nCarrierHz = pForm->pRow->nCarrierHz;
    return true;
}

namespace
{
// A space at least this long ends a frame of a recording.
constexpr std::uint32_t kRecordedFrameGap = 5500;
// A recording of a single frame shows no period: it repeats after this much silence, about
// what the common protocols keep between frames.
constexpr std::uint64_t kLoneFrameGapMicros = 40000;

// The runs cut into frames: a frame takes the marks that start at or after its start and before
// the next frame's. Each duration is rounded from where it begins and ends in the whole, so the
// frames keep their places however long the hold.
CTimedFrames SplitAtFrameStarts(const std::vector<double>& runs, const std::vector<double>& starts)
{
    CTimedFrames frames;
    double dAt = 0;
    double dLastEnd = 0;
    std::size_t nFrame = 0;
    for (std::size_t nRun = 0; nRun < runs.size(); dAt += runs[nRun++])
    {
        if (nRun % 2 == 1)
            continue;
        const bool bNewFrame =
            frames.empty() || (nFrame + 1 < starts.size() && dAt >= starts[nFrame + 1] - 1e-6);
        if (bNewFrame)
        {
            nFrame = frames.empty() ? 0 : nFrame + 1;
            frames.push_back({{}, static_cast<std::uint64_t>(std::llround(dAt))});
        }
        else
            frames.back().durations.push_back(
                static_cast<std::uint32_t>(std::llround(dAt) - std::llround(dLastEnd)));
        dLastEnd = dAt + runs[nRun];
        frames.back().durations.push_back(
            static_cast<std::uint32_t>(std::llround(dLastEnd) - std::llround(dAt)));
    }
    return frames;
}
} // namespace

bool HasToggleBit(EProtocol eProtocol)
{
    const SProtocolForm* pForm = FindProtocolForm(eProtocol);
    return pForm && std::any_of(pForm->frame.begin(), pForm->frame.end(),
                                [](const SFrameItem& item) { return item.cField == 'T'; });
}

bool EncodeHeldFrames(const SDecodedSignal& code, std::uint64_t nHoldMicros, CTimedFrames& frames)
{
    CRunBuilder builder;
    CFieldValues values;
    const SProtocolForm* pForm = StartSignal(code, builder, values);
    if (!pForm)
        return false;
    // The lead goes with the first frame.
    std::vector<double> starts{0};
    AddFrameAndGap(builder, *pForm, values, false);
    for (int nRepeat = 1; nRepeat <= pForm->pRow->nMinRepeats ||
                          builder.GetLength() < static_cast<double>(nHoldMicros);
         ++nRepeat)
        starts.push_back(AddFrameAndGap(builder, *pForm, values, true));
    frames = SplitAtFrameStarts(builder.GetRuns(), starts);
    return true;
}

CTimedFrames HoldRecording(const std::vector<std::uint32_t>& durations, std::uint64_t nHoldMicros)
{
    CTimedFrames frames;
    std::uint64_t nAt = 0;
    for (std::size_t nRun = 0; nRun < durations.size(); nAt += durations[nRun++])
    {
        const bool bMark = nRun % 2 == 0;
        if (bMark && (nRun == 0 || durations[nRun - 1] >= kRecordedFrameGap))
            frames.push_back({{}, nAt});
        if (bMark || durations[nRun] < kRecordedFrameGap)
            frames.back().durations.push_back(durations[nRun]);
    }
    if (frames.empty())
        return frames;
    const STimedFrame last = frames.back();
    const std::uint64_t nPeriod = frames.size() > 1
                                      ? last.nStartMicros - frames[frames.size() - 2].nStartMicros
                                      : GetFrameLength(last) + kLoneFrameGapMicros;
    for (std::uint64_t nStart = last.nStartMicros + nPeriod; nStart < nHoldMicros;
         nStart += nPeriod)
        frames.push_back({last.durations, nStart});
    return frames;
}
