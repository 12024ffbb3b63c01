#include "signal/SignalDecoder.h"

#include "signal/FrameFields.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

namespace
{
using CRuns = std::span<const std::uint32_t>;

// A space this long ends a frame: longer than any space inside a frame of most protocols (the
// 4.5 ms header spaces, with their jitter), shorter than the quietest gap between two frames
// (6 ms after the longest Sony frame). A protocol with longer spaces names its own.
constexpr std::uint32_t kFrameGap = 5500;
// How far a duration may stray from its nominal length: the sender's own jitter as a part of
// the length, and the receiver's stretching of marks (and so shortening of spaces) on top.
constexpr double kTolerance = 0.3;
constexpr double kStretchMicros = 150;

// A receiver lengthens a short mark by as much as 200 us and more (RECS-80's 158 us marks come
// in at 360), so a mark may grow by this much on top.
constexpr double kMarkGrowthMicros = 100;

bool IsNear(std::uint32_t nMicros, double dNominal)
{
    return std::abs(nMicros - dNominal) <= dNominal * kTolerance + kStretchMicros;
}

bool IsNearMark(std::uint32_t nMicros, double dNominal)
{
    return IsNear(nMicros, dNominal) ||
           (nMicros > dNominal &&
            nMicros - dNominal <= dNominal * kTolerance + kStretchMicros + kMarkGrowthMicros);
}

// The frames of a signal: runs that begin with a mark and end on the mark before a space of at
// least nSplit.
std::vector<CRuns> SplitFrames(CRuns durations, std::uint32_t nSplit)
{
    std::vector<CRuns> frames;
    std::size_t nBegin = 0;
    for (std::size_t nRun = 1; nRun <= durations.size(); nRun += 2)
    {
        if (nRun == durations.size() || durations[nRun] >= nSplit)
        {
            frames.push_back(durations.subspan(nBegin, nRun - nBegin));
            nBegin = nRun + 1;
        }
    }
    return frames;
}

// Biphase frames: every bit cell changes level in its middle. The cells are laid out in units
// (half a normal cell); where each mark starts is known to the unit from the periods between
// mark starts, which a receiver's stretching leaves alone, and where it ends follows from the
// layout: at the one cell middle before the next mark, else at the one cell boundary there.
struct SBiphaseLayout
{
    double dUnit;
    // The unit at which the first mark starts.
    int nFirstRise;
    // A 1 is a mark in the cell's first half (else in its second).
    bool bMarkFirstIsOne;
    std::vector<int> cellWidths;
};

class CBiphaseReader
{
public:
    explicit CBiphaseReader(const SBiphaseLayout& layout) : m_layout(layout)
    {
        for (const int nWidth : layout.cellWidths)
        {
            m_starts.push_back(m_nTotal);
            m_middles.push_back(m_nTotal + nWidth / 2);
            m_nTotal += nWidth;
        }
        m_starts.push_back(m_nTotal);
    }

    // The cells' bits, the first cell's in bit 0, or nothing when the runs do not fill the
    // layout.
    std::optional<std::uint64_t> Read(CRuns runs) const
    {
        std::vector<char> marks(static_cast<std::size_t>(m_nTotal), 0);
        int nRise = m_layout.nFirstRise;
        for (std::size_t nMark = 0; nMark < runs.size(); nMark += 2)
        {
            const bool bLast = nMark + 1 == runs.size();
            int nNextRise = m_nTotal + 1;
            if (!bLast)
            {
                const long nPeriod = std::lround((runs[nMark] + runs[nMark + 1]) / m_layout.dUnit);
                if (nPeriod < 2 || nRise + nPeriod >= m_nTotal)
                    return std::nullopt;
                nNextRise = nRise + static_cast<int>(nPeriod);
            }
            const std::optional<int> nFall = FindFall(nRise, nNextRise);
            if (!nFall || !IsNear(runs[nMark], (*nFall - nRise) * m_layout.dUnit))
                return std::nullopt;
            std::fill(marks.begin() + nRise, marks.begin() + *nFall, 1);
            nRise = nNextRise;
        }
        std::uint64_t nValue = 0;
        for (std::size_t nCell = 0; nCell < m_middles.size(); ++nCell)
        {
            const bool bFirst = marks[static_cast<std::size_t>(m_starts[nCell])];
            const bool bSecond = marks[static_cast<std::size_t>(m_middles[nCell])];
            if (bFirst == bSecond)
                return std::nullopt;
            nValue |= std::uint64_t{m_layout.bMarkFirstIsOne ? bFirst : bSecond} << nCell;
        }
        return nValue;
    }

private:
    static int CountBetween(const std::vector<int>& places, int nAfter, int nBefore)
    {
        return static_cast<int>(std::count_if(places.begin(), places.end(),
                                              [&](int nPlace)
                                              { return nPlace > nAfter && nPlace < nBefore; }));
    }

    // Where a mark starting at nRise ends, given the next mark starts at nNextRise.
    std::optional<int> FindFall(int nRise, int nNextRise) const
    {
        const bool bOnGrid = std::binary_search(m_starts.begin(), m_starts.end(), nRise) ||
                             std::binary_search(m_middles.begin(), m_middles.end(), nRise);
        if (!bOnGrid)
            return std::nullopt;
        for (const std::vector<int>* pPlaces : {&m_middles, &m_starts})
        {
            const int nCount = CountBetween(*pPlaces, nRise, nNextRise);
            if (nCount > 1)
                return std::nullopt;
            if (nCount == 1)
                return *std::find_if(pPlaces->begin(), pPlaces->end(),
                                     [&](int nPlace) { return nPlace > nRise; });
        }
        return std::nullopt;
    }

    const SBiphaseLayout& m_layout;
    std::vector<int> m_starts;
    std::vector<int> m_middles;
    int m_nTotal = 0;
};

// The leading marks and spaces of a biphase frame, then a cell per bit, twice as wide for a
// bit marked so; the first mark rises where the first cell's constant bit puts it.
std::optional<std::uint64_t> ReadBiphase(CRuns frame, const SProtocolForm& form,
                                         const std::vector<SFrameItem>& items)
{
    SBiphaseLayout layout{form.pRow->dUnitMicros, 0, form.bMarkFirstIsOne, {}};
    std::size_t nLeader = 0;
    for (const SFrameItem& item : items)
    {
        if (!item.bBits)
        {
            if (!layout.cellWidths.empty() || nLeader >= frame.size() ||
                !IsNear(frame[nLeader], std::abs(item.dMicros)))
                return std::nullopt;
            ++nLeader;
            continue;
        }
        if (layout.cellWidths.empty() && item.cField == 0)
        {
            const bool bOne = (item.nConstant >> (item.nBits - 1) & 1) != 0;
            if (form.symbols[bOne ? 1 : 0].first < 0)
                layout.nFirstRise = item.bDouble ? 2 : 1;
        }
        layout.cellWidths.insert(layout.cellWidths.end(), static_cast<std::size_t>(item.nBits),
                                 item.bDouble ? 4 : 2);
    }
    if (nLeader % 2 != 0 || nLeader >= frame.size())
        return std::nullopt;
    return CBiphaseReader(layout).Read(frame.subspan(nLeader));
}

// The symbol whose mark (where the marks differ) or whose mark and space together (where only
// the spaces differ) come nearest; nSpace is 0 for a frame's last mark.
std::size_t ChooseSymbol(const SProtocolForm& form, std::uint32_t nMark, std::uint32_t nSpace)
{
    const bool bByMark = form.pRow->eEncoding == EBitEncoding::kPulseWidth || nSpace == 0;
    std::size_t nBest = 0;
    double dBest = 1e18;
    for (std::size_t nSymbol = 0; nSymbol < form.symbols.size(); ++nSymbol)
    {
        const auto& [dMark, dSpace] = form.symbols[nSymbol];
        const double dOff =
            bByMark ? std::abs(nMark - dMark) : std::abs(double(nMark) + nSpace - (dMark - dSpace));
        if (dOff < dBest)
        {
            dBest = dOff;
            nBest = nSymbol;
        }
    }
    return nBest;
}

// Pulse frames: a mark and a space for each symbol. From one mark's start to the next is what a
// receiver's stretching leaves alone, so symbols told apart by their spaces are read from those
// periods. The last symbol's space may be the silence after the frame.
class CPulseReader
{
public:
    CPulseReader(CRuns frame, const SProtocolForm& form) : m_frame(frame), m_form(form) {}

    // How far the symbols' periods strayed from the protocol's, as parts of them added up.
    double GetMisfit() const { return m_dMisfit; }

    std::optional<std::uint64_t> Read(const std::vector<SFrameItem>& items)
    {
        int nPending = 0;
        for (const SFrameItem& item : items)
        {
            if (item.bBits)
            {
                nPending += item.nBits;
                continue;
            }
            if (!ReadSymbols(nPending) || !ReadDuration(item.dMicros))
                return std::nullopt;
            nPending = 0;
        }
        if (!ReadSymbols(nPending) || m_nRun != m_frame.size())
            return std::nullopt;
        return m_nWord;
    }

private:
    bool ReadDuration(double dMicros)
    {
        const bool bMark = dMicros > 0;
        if (!bMark && m_nRun == m_frame.size())
            return true; // the silence after the frame
        if (m_nRun >= m_frame.size() || (m_nRun % 2 == 0) != bMark ||
            !(bMark ? IsNearMark(m_frame[m_nRun], dMicros)
                    : IsNear(m_frame[m_nRun], std::abs(dMicros))))
            return false;
        ++m_nRun;
        return true;
    }

    bool ReadSymbols(int nBits)
    {
        for (int nBit = 0; nBit < nBits; nBit += m_form.nBitsPerSymbol)
        {
            if (m_nRun >= m_frame.size() || m_nRun % 2 != 0)
                return false;
            const std::uint32_t nMark = m_frame[m_nRun];
            const bool bSpace = m_nRun + 1 < m_frame.size();
            const std::uint32_t nSpace = bSpace ? m_frame[m_nRun + 1] : 0;
            const std::size_t nSymbol = ChooseSymbol(m_form, nMark, nSpace);
            const auto& [dMark, dSpace] = m_form.symbols[nSymbol];
            if (!IsNearMark(nMark, dMark) || (bSpace && !IsNear(nMark + nSpace, dMark - dSpace)))
                return false;
            if (bSpace)
                m_dMisfit += std::abs(nMark + nSpace - (dMark - dSpace)) / (dMark - dSpace);
            m_nRun += bSpace ? 2 : 1;
            for (int nPlace = m_form.nBitsPerSymbol - 1; nPlace >= 0; --nPlace)
                m_nWord |= std::uint64_t{nSymbol >> nPlace & 1} << m_nAt++;
        }
        return true;
    }

    CRuns m_frame;
    const SProtocolForm& m_form;
    std::size_t m_nRun = 0;
    std::uint64_t m_nWord = 0;
    int m_nAt = 0;
    double m_dMisfit = 0;
};

// The frame word the items read; the misfit (0 for biphase frames) into *pMisfit when asked.
std::optional<std::uint64_t> ReadFrame(CRuns frame, const SProtocolForm& form,
                                       const std::vector<SFrameItem>& items,
                                       double* pMisfit = nullptr)
{
    if (frame.empty())
        return std::nullopt;
    if (form.bBiphase)
        return ReadBiphase(frame, form, items);
    CPulseReader reader(frame, form);
    const std::optional<std::uint64_t> nWord = reader.Read(items);
    if (pMisfit)
        *pMisfit = reader.GetMisfit();
    return nWord;
}

bool HasBits(const std::vector<SFrameItem>& items)
{
    return std::any_of(items.begin(), items.end(),
                       [](const SFrameItem& item) { return item.bBits; });
}

std::uint32_t GetSplit(const SProtocolForm& form)
{
    return form.pRow->nSplitMicros != 0 ? form.pRow->nSplitMicros : kFrameGap;
}

// Protocols whose frames the decoder reports as their own, and that split frames at nSplit.
bool IsDecodedAt(const SProtocolForm& form, std::uint32_t nSplit)
{
    return form.pRow->eDecodesAs == form.pRow->eProtocol && GetSplit(form) == nSplit;
}

// A frame that repeats the code: the protocol's repeat frame or the whole frame again.
bool IsRepeatOf(const SProtocolForm& form, const CFieldValues& values, CRuns frame)
{
    for (const std::vector<SFrameItem>* pItems : {&form.repeat, &form.frame})
    {
        if (pItems->empty())
            continue;
        const std::optional<std::uint64_t> nWord = ReadFrame(frame, form, *pItems);
        if (nWord && *nWord == BuildFrameWord(form, *pItems, values))
            return true;
    }
    return false;
}

// What was found in a signal, and where: the frame's start, then the protocol's place in the
// table, so that of two protocols that explain the same runs the stricter wins.
struct SFound
{
    SDecodedSignal decoded;
    std::size_t nForm = 0;

    bool IsBetterThan(const SFound& other) const
    {
        if (decoded.bRepeatOnly != other.decoded.bRepeatOnly)
            return !decoded.bRepeatOnly;
        return decoded.nFrameStart != other.decoded.nFrameStart
                   ? decoded.nFrameStart < other.decoded.nFrameStart
                   : nForm < other.nForm;
    }
};

// Whether the protocol's repeat frame carries the whole code, so that a frame whose lead was
// missed (JVC's repeats have none) still tells it.
bool RepeatCarriesCode(const SProtocolForm& form)
{
    if (!HasBits(form.repeat))
        return false;
    return std::all_of(form.frame.begin(), form.frame.end(),
                       [&](const SFrameItem& item)
                       {
                           return item.cField == 0 || item.eCheck != ECheck::kNone ||
                                  std::any_of(form.repeat.begin(), form.repeat.end(),
                                              [&](const SFrameItem& repeated)
                                              { return repeated.cField == item.cField; });
                       });
}

// The code the items read in the frame nFrame, with the frames after it that repeat it, and how
// far its timings strayed.
std::optional<SFound> ReadCode(const std::vector<CRuns>& frames, std::size_t nFrame,
                               std::size_t nForm, const std::vector<SFrameItem>& items,
                               double& dMisfit)
{
    const SProtocolForm& form = GetProtocolForms()[nForm];
    CFieldValues values;
    const std::optional<std::uint64_t> nWord = ReadFrame(frames[nFrame], form, items, &dMisfit);
    if (!nWord || !ReadFrameWord(form, items, *nWord, values))
        return std::nullopt;
    SFound found{FromFieldValues(form, values), nForm};
    found.decoded.nRepeats = static_cast<int>(
        std::count_if(frames.begin() + static_cast<std::ptrdiff_t>(nFrame) + 1, frames.end(),
                      [&](CRuns frame) { return IsRepeatOf(form, values, frame); }));
    return found;
}

// Whether the frame is the protocol's lead, sent once before the first frame (Blaupunkt's sync,
// which a frame of all 1 bits would read as a code).
bool IsLead(CRuns frame, const SProtocolForm& form)
{
    std::vector<double> lead;
    for (const SFrameItem& item : form.lead)
        lead.push_back(std::abs(item.dMicros));
    if (!lead.empty() && form.lead.back().dMicros < 0)
        lead.pop_back(); // the space that ends it is the gap after the frame
    if (lead.size() != frame.size())
        return false;
    for (std::size_t nRun = 0; nRun < lead.size(); ++nRun)
        if (!IsNear(frame[nRun], lead[nRun]))
            return false;
    return true;
}

// The code of one frame: the first protocol whose frame explains it; but a protocol earlier in
// the table whose repeat frame explains it (a JVC frame without its lead) goes first where its
// timings fit better (a Mitsubishi frame is laid out like JVC's, at other timings).
std::optional<SFound> DecodeFrame(const std::vector<CRuns>& frames, std::size_t nFrame,
                                  std::uint32_t nSplit)
{
    const std::span<const SProtocolForm> forms = GetProtocolForms();
    std::optional<SFound> headless;
    double dHeadlessMisfit = 0;
    for (std::size_t nForm = 0; nForm < forms.size(); ++nForm)
    {
        if (!IsDecodedAt(forms[nForm], nSplit) || IsLead(frames[nFrame], forms[nForm]))
            continue;
        double dMisfit = 0;
        if (std::optional<SFound> found =
                ReadCode(frames, nFrame, nForm, forms[nForm].frame, dMisfit))
            return headless && dHeadlessMisfit < dMisfit ? headless : found;
        if (!headless && RepeatCarriesCode(forms[nForm]))
            headless = ReadCode(frames, nFrame, nForm, forms[nForm].repeat, dHeadlessMisfit);
    }
    return headless;
}

// A repeat frame without a code that some protocol splitting at nSplit sends.
std::optional<SFound> FindRepeatOnly(CRuns frame, std::uint32_t nSplit)
{
    const std::span<const SProtocolForm> forms = GetProtocolForms();
    for (std::size_t nForm = 0; nForm < forms.size(); ++nForm)
    {
        const SProtocolForm& form = forms[nForm];
        if (IsDecodedAt(form, nSplit) && !form.repeat.empty() && !HasBits(form.repeat) &&
            ReadFrame(frame, form, form.repeat))
        {
            SFound found{SDecodedSignal{}, nForm};
            found.decoded.eProtocol = form.pRow->eProtocol;
            found.decoded.bRepeatOnly = true;
            return found;
        }
    }
    return std::nullopt;
}

// The first frame, split at nSplit, that a protocol splitting there explains, with its repeats;
// else a repeat frame without a code, when one was seen.
std::optional<SFound> DecodeAt(CRuns durations, std::uint32_t nSplit)
{
    const std::vector<CRuns> frames = SplitFrames(durations, nSplit);
    std::optional<SFound> repeatOnly;
    for (std::size_t nFrame = 0; nFrame < frames.size(); ++nFrame)
    {
        const std::size_t nStart =
            static_cast<std::size_t>(frames[nFrame].data() - durations.data());
        if (std::optional<SFound> found = DecodeFrame(frames, nFrame, nSplit))
        {
            found->decoded.nFrameStart = nStart;
            return found;
        }
        if (!repeatOnly && (repeatOnly = FindRepeatOnly(frames[nFrame], nSplit)))
            repeatOnly->decoded.nFrameStart = nStart;
    }
    return repeatOnly;
}

std::string FormatHex(std::uint32_t nValue)
{
    char szText[16];
    std::snprintf(szText, sizeof szText, nValue > 0xFF ? "0x%04X" : "0x%02X", nValue);
    return szText;
}
} // namespace

SDecodedSignal DecodeSignal(std::span<const std::uint32_t> durations)
{
    // A signal ends on a mark; the silence after it is no part of any frame.
    if (durations.size() % 2 == 0 && !durations.empty())
        durations = durations.first(durations.size() - 1);
    // Protocols that split frames alike are tried together; the earliest frame with a code
    // wins, and a repeat frame stands for the code only when no frame carries one.
    std::vector<std::uint32_t> splits;
    for (const SProtocolForm& form : GetProtocolForms())
        if (std::find(splits.begin(), splits.end(), GetSplit(form)) == splits.end())
            splits.push_back(GetSplit(form));
    std::optional<SFound> found;
    for (const std::uint32_t nSplit : splits)
    {
        const std::optional<SFound> candidate = DecodeAt(durations, nSplit);
        if (candidate && (!found || candidate->IsBetterThan(*found)))
            found = candidate;
    }
    SDecodedSignal result = found ? found->decoded : SDecodedSignal{};
    result.nRuns = durations.size();
    return result;
}

const char* GetProtocolName(EProtocol eProtocol)
{
    const SProtocolForm* pForm = FindProtocolForm(eProtocol);
    return pForm ? pForm->pRow->pszName : "unknown";
}

std::uint32_t GetProtocolCarrier(EProtocol eProtocol)
{
    const SProtocolForm* pForm = FindProtocolForm(eProtocol);
    return pForm ? pForm->pRow->nCarrierHz : 0;
}

std::string DescribeSignal(const SDecodedSignal& decoded)
{
    if (decoded.eProtocol == EProtocol::kUnknown)
        return decoded.nRuns == 0 ? "no signal"
                                  : "unknown (" + std::to_string(decoded.nRuns) + " runs)";
    std::string strText = GetProtocolName(decoded.eProtocol);
    if (decoded.bRepeatOnly)
        return strText + " repeat";
    if (decoded.bExtended)
        strText.append(" extended");
    const SProtocolForm* pForm = FindProtocolForm(decoded.eProtocol);
    if (pForm && pForm->nMakerBits > 0)
        strText.append(" maker ").append(FormatHex(decoded.nMaker));
    strText.append(" address ").append(FormatHex(decoded.nAddress));
    strText.append(" command ").append(FormatHex(decoded.nCommand));
    if (decoded.nRepeats > 0)
        strText.append(", repeated ")
            .append(std::to_string(decoded.nRepeats))
            .append(decoded.nRepeats == 1 ? " time" : " times");
    return strText;
}
