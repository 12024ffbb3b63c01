#include "signal/PressConsensus.h"

#include <algorithm>
#include <cmath>

namespace
{
using CRuns = std::vector<std::uint32_t>;

constexpr double kRunTolerance = 0.25;
constexpr double kRunSlackMicros = 100;

struct SPress
{
    CRuns runs;
    std::size_t nGlitches = 0;
    SDecodedSignal decoded;
};

// Merges each run shorter than kGlitchMicros with the runs on either side; one at either end
// of the signal goes with the silence beside it. Returns the number merged.
std::size_t MergeGlitches(CRuns& runs)
{
    if (runs.size() % 2 == 0 && !runs.empty())
        runs.pop_back();
    CRuns merged;
    std::size_t nGlitches = 0;
    for (std::size_t nRun = 0; nRun < runs.size(); ++nRun)
    {
        if (runs[nRun] >= kGlitchMicros)
        {
            merged.push_back(runs[nRun]);
            continue;
        }
        ++nGlitches;
        if (merged.empty())
            ++nRun; // a mark before the signal, and the silence after it
        else if (nRun + 1 == runs.size())
            merged.pop_back(); // a mark after the signal, and the silence before it
        else
        {
            merged.back() += runs[nRun] + runs[nRun + 1];
            ++nRun;
        }
    }
    runs = std::move(merged);
    return nGlitches;
}

SPress PreparePress(const CRuns& durations)
{
    SPress press;
    press.runs = durations;
    press.nGlitches = MergeGlitches(press.runs);
    press.decoded = DecodeSignal(press.runs);
    if (press.decoded.eProtocol != EProtocol::kUnknown)
        press.runs.erase(press.runs.begin(), press.runs.begin() + static_cast<std::ptrdiff_t>(
                                                                      press.decoded.nFrameStart));
    return press;
}

bool IsSameKind(const SPress& first, const SPress& second)
{
    return first.decoded.IsSameCode(second.decoded) &&
           (first.decoded.eProtocol != EProtocol::kUnknown ||
            first.runs.size() == second.runs.size());
}

std::uint32_t Median(std::vector<std::uint32_t> values)
{
    const std::size_t nMiddle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(nMiddle),
                     values.end());
    const std::uint32_t nUpper = values[nMiddle];
    if (values.size() % 2 != 0)
        return nUpper;
    const std::uint32_t nLower =
        *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(nMiddle));
    return static_cast<std::uint32_t>((std::uint64_t{nLower} + nUpper + 1) / 2);
}

// Each run's median over the members, as far as the shortest reaches.
CRuns Medians(const std::vector<SPress>& presses, const std::vector<std::size_t>& members)
{
    std::size_t nLength = presses[members.front()].runs.size();
    for (const std::size_t nMember : members)
        nLength = std::min(nLength, presses[nMember].runs.size());
    CRuns medians(nLength);
    std::vector<std::uint32_t> values(members.size());
    for (std::size_t nRun = 0; nRun < nLength; ++nRun)
    {
        std::transform(members.begin(), members.end(), values.begin(),
                       [&](std::size_t nMember) { return presses[nMember].runs[nRun]; });
        medians[nRun] = Median(values);
    }
    return medians;
}

// The presses of the largest kind (the earliest on a tie), an empty press never among them.
std::vector<std::size_t> FindLargestKind(const std::vector<SPress>& presses)
{
    std::vector<std::size_t> largest;
    for (const SPress& candidate : presses)
    {
        if (candidate.runs.empty())
            continue;
        std::vector<std::size_t> members;
        for (std::size_t nPress = 0; nPress < presses.size(); ++nPress)
            if (IsSameKind(candidate, presses[nPress]))
                members.push_back(nPress);
        if (members.size() > largest.size())
            largest = std::move(members);
    }
    return largest;
}

// Why a press whose signal does not decode strays from the medians, or empty when it does not.
std::string FindStrayRun(const CRuns& runs, const CRuns& medians)
{
    for (std::size_t nRun = 0; nRun < medians.size(); ++nRun)
        if (std::abs(double(runs[nRun]) - medians[nRun]) >
            medians[nRun] * kRunTolerance + kRunSlackMicros)
            return "run " + std::to_string(nRun + 1) + " lasts " + std::to_string(runs[nRun]) +
                   " µs where the others have " + std::to_string(medians[nRun]) + " µs";
    return {};
}

// Why a press is not of the model's kind; no model means no press held anything.
std::string DescribeDifference(const SPress& press, const SPress* pModel)
{
    if (press.runs.empty() || !pModel)
        return "nothing was received";
    const std::string strOwn = DescribeSignal(press.decoded);
    const std::string strModel = DescribeSignal(pModel->decoded);
    if (strOwn != strModel)
        return strOwn + " where the others have " + strModel;
    return std::to_string(press.runs.size()) + " runs where the others have " +
           std::to_string(pModel->runs.size());
}

std::string DescribeGlitches(std::size_t nGlitches)
{
    return std::to_string(nGlitches) + (nGlitches == 1 ? " glitch" : " glitches") + " under " +
           std::to_string(kGlitchMicros) + " µs merged into the runs around " +
           (nGlitches == 1 ? "it" : "them");
}
} // namespace

SPressConsensus FindConsensus(std::span<const std::vector<std::uint32_t>> durations)
{
    std::vector<SPress> presses;
    for (const CRuns& press : durations)
        presses.push_back(PreparePress(press));
    std::vector<std::size_t> members = FindLargestKind(presses);
    const SPress* pModel = members.empty() ? nullptr : &presses[members.front()];
    std::vector<std::string> reasons(presses.size());
    std::vector<bool> agrees(presses.size(), false);
    for (const std::size_t nMember : members)
        agrees[nMember] = true;
    if (pModel && pModel->decoded.eProtocol == EProtocol::kUnknown)
    {
        const CRuns medians = Medians(presses, members);
        for (const std::size_t nMember : members)
        {
            reasons[nMember] = FindStrayRun(presses[nMember].runs, medians);
            agrees[nMember] = reasons[nMember].empty();
        }
        std::erase_if(members, [&](std::size_t nMember) { return !agrees[nMember]; });
    }

    SPressConsensus consensus;
    for (std::size_t nPress = 0; nPress < presses.size(); ++nPress)
    {
        if (presses[nPress].nGlitches > 0)
            consensus.notes.push_back({nPress, false, DescribeGlitches(presses[nPress].nGlitches)});
        if (!agrees[nPress])
            consensus.notes.push_back({nPress, true,
                                       reasons[nPress].empty()
                                           ? DescribeDifference(presses[nPress], pModel)
                                           : reasons[nPress]});
    }
    consensus.bAgreed = members.size() * 2 > presses.size();
    if (consensus.bAgreed)
    {
        consensus.durations = Medians(presses, members);
        consensus.decoded = DecodeSignal(consensus.durations);
    }
    return consensus;
}
