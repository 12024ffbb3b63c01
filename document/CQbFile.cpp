#include "document/CQbFile.h"

#include "base/CStringTable.h"
#include "document/CBitstreamCodec.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <limits>
#include <unordered_map>

namespace
{
constexpr std::size_t kShortText = kMaxRemoteName + 1; // remote and button names
constexpr std::size_t kLongText = kMaxEventName + 1;   // event names and descriptions
constexpr std::uint8_t kMagic[] = {'Q', 'B'};

// Anything a well-formed file cannot hold, with where it was found. Thrown deep inside the
// reader and caught once at the top, so that each record reads straight through.
struct CFormatError
{
    std::size_t nOffset;
    std::string strReason;
};

// A file whose content would need more memory than kMaxQbContentBytes; thrown like CFormatError.
class CTooLarge
{
};

// What each record takes in memory once read, with its entry in a map or list, the reader's
// bookkeeping and a name too long for the string's own buffer: an estimate on the large side.
constexpr std::size_t kRecordOverhead = 160;
constexpr std::size_t kRemoteCost = sizeof(CRemote) + kRecordOverhead;
constexpr std::size_t kButtonCost = sizeof(CRemoteButton) + kRecordOverhead;
constexpr std::size_t kStepCost = sizeof(CMegaStep) + kRecordOverhead;
constexpr std::size_t kEventCost = sizeof(CTimedEvent) + kRecordOverhead;

// Adds up what a document needs in memory. Reading and storing charge the same amounts, so that
// a document saved within the bound is read within it.
class CMemoryBudget
{
public:
    // False once the total has passed kMaxQbContentBytes.
    bool Charge(std::size_t nBytes)
    {
        m_nUsed += nBytes;
        return m_nUsed <= kMaxQbContentBytes;
    }

private:
    std::size_t m_nUsed = 0;
};

bool IsStorableDate(int nYear, int nMonth, int nDay, int nHour, int nMinute)
{
    using namespace std::chrono;
    const year_month_day date{year(nYear), month(static_cast<unsigned>(nMonth)),
                              day(static_cast<unsigned>(nDay))};
    return nYear >= kMinQbYear && nYear <= kMaxQbYear && date.ok() && nHour >= 0 && nHour < 24 &&
           nMinute >= 0 && nMinute < 60;
}

// A time as the file stores it: local calendar fields to the minute.
struct SStoredTime
{
    int nYear, nMonth, nDay, nHour, nMinute;
};

// A placed button's cell must be one of its remote's pad. Older files write the fifth column
// as column 3, rows 15 to 29; any other row beyond the pad would land in another column's cell.
bool IsPlaceOnPad(int nStyle, int nColumn, int nRow)
{
    const bool bOldFifthColumn = nColumn == 3 && nRow >= kGridRows && nRow < 2 * kGridRows;
    const int nCell = nColumn * kGridRows + nRow;
    return nColumn >= 0 && nRow >= 0 && (nRow < kGridRows || bOldFifthColumn) &&
           IsCellOnStyle(nStyle, nCell / kGridRows, nCell % kGridRows);
}

class CByteReader
{
public:
    explicit CByteReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::span<const std::uint8_t> GetBytes(std::size_t nCount)
    {
        if (nCount > m_bytes.size() - m_nPos)
            throw CFormatError{m_bytes.size(), "the file ends in the middle of a record"};
        const auto bytes = m_bytes.subspan(m_nPos, nCount);
        m_nPos += nCount;
        return bytes;
    }

    std::uint16_t GetU16()
    {
        const auto bytes = GetBytes(2);
        return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
    }

    int GetS16() { return static_cast<std::int16_t>(GetU16()); }

    int GetBounded(int nMax)
    {
        const int nValue = GetU16();
        if (nValue > nMax)
            throw CFormatError{m_nPos - 2, "a value of " + std::to_string(nValue) +
                                               " where at most " + std::to_string(nMax) +
                                               " may be"};
        return nValue;
    }

    // A zero-terminated text in a field of nField bytes; what follows the zero is ignored.
    std::string GetText(std::size_t nField)
    {
        const auto field = GetBytes(nField);
        const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
        if (end == field.end())
            throw CFormatError{m_nPos - nField, "a text field without its closing zero byte"};
        return std::string(field.begin(), end);
    }

    // Local calendar fields to the minute. Fields out of range would be carried over into the
    // next month or year and saved so: a date the file never held.
    SStoredTime GetStoredTime()
    {
        const int nYear = GetU16();
        const int nMonth = GetU16();
        const int nDay = GetU16();
        const int nHour = GetU16();
        const int nMinute = GetU16();
        if (!IsStorableDate(nYear, nMonth, nDay, nHour, nMinute))
            throw CFormatError{m_nPos - 10, "a date or time that does not exist"};
        return {nYear, nMonth, nDay, nHour, nMinute};
    }

    CTime GetTime()
    {
        const SStoredTime stored = GetStoredTime();
        return CTime(stored.nYear, stored.nMonth, stored.nDay, stored.nHour, stored.nMinute, 0);
    }

    std::size_t GetOffset() const { return m_nPos; }
    std::size_t GetLeft() const { return m_bytes.size() - m_nPos; }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_nPos = 0;
};

class CByteWriter
{
public:
    explicit CByteWriter(std::vector<std::uint8_t>& bytes) : m_bytes(bytes) {}

    std::size_t GetSize() const { return m_bytes.size(); }

    void PutBytes(std::span<const std::uint8_t> bytes)
    {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    }

    void PutU16(std::size_t nValue)
    {
        m_bytes.push_back(static_cast<std::uint8_t>(nValue));
        m_bytes.push_back(static_cast<std::uint8_t>(nValue >> 8));
    }

    void PutS16(int nValue) { PutU16(static_cast<std::uint16_t>(nValue)); }

    // Longer texts are cut so that the terminating zero always fits.
    void PutText(const std::string& strText, std::size_t nField)
    {
        const std::size_t nLength = std::min(strText.size(), nField - 1);
        m_bytes.insert(m_bytes.end(), strText.begin(), strText.begin() + nLength);
        m_bytes.insert(m_bytes.end(), nField - nLength, std::uint8_t{0});
    }

    void PutTime(const CTime& time)
    {
        PutS16(time.GetYear());
        PutS16(time.GetMonth());
        PutS16(time.GetDay());
        PutS16(time.GetHour());
        PutS16(time.GetMinute());
    }

private:
    std::vector<std::uint8_t>& m_bytes;
};

// How deep a megabutton nests and how many buttons without steps a walk through it reaches:
// the plain buttons one firing plays, and megabuttons left empty, which play nothing but
// cost a walk as much.
struct SMegaShape
{
    bool bDone = false;
    std::size_t nDepth = 0;
    std::size_t nEnds = 1;
};

// Far beyond any real remote control, and still far from the stack's or a person's limits.
constexpr std::size_t kMaxMegaDepth = 64;
constexpr std::size_t kMaxMegaEnds = 1000000;

// Firing and every check that walks steps recurse through nested megabuttons. A megabutton
// that reaches itself would recurse for ever; one nested absurdly deep would overflow the
// stack, and one whose steps fan out level after level would take practically for ever to
// walk. This walks the step graph depth first without recursion, measuring each button once,
// and finds all three.
class CMegabuttonWalk
{
public:
    // False when a walk from pRoot meets a button still being walked, or measures one beyond
    // the limits.
    bool Visit(const CRemoteButton* pRoot)
    {
        if (!Enter(pRoot))
            return false;
        while (!m_path.empty())
        {
            SFrame& frame = m_path.back();
            if (frame.nNextStep < frame.pButton->m_steps.size())
            {
                if (!Enter(frame.pButton->m_steps[frame.nNextStep++].m_pButton))
                    return false;
                continue;
            }
            if (!Measure(*frame.pButton))
                return false;
            m_path.pop_back();
        }
        return true;
    }

private:
    struct SFrame
    {
        const CRemoteButton* pButton;
        std::size_t nNextStep;
    };

    bool Enter(const CRemoteButton* pButton)
    {
        const auto [it, bNew] = m_shapes.try_emplace(pButton);
        if (bNew)
            m_path.push_back({pButton, 0});
        return bNew || it->second.bDone;
    }

    // The button's steps' buttons are all measured already.
    bool Measure(const CRemoteButton& button)
    {
        SMegaShape shape{true, 0, button.m_steps.empty() ? 1u : 0u};
        for (const CMegaStep& step : button.m_steps)
        {
            const SMegaShape& inner = m_shapes.at(step.m_pButton);
            shape.nDepth = std::max(shape.nDepth, inner.nDepth + 1);
            shape.nEnds += inner.nEnds;
            if (shape.nDepth > kMaxMegaDepth || shape.nEnds > kMaxMegaEnds)
                return false;
        }
        m_shapes[&button] = shape;
        return true;
    }

    std::unordered_map<const CRemoteButton*, SMegaShape> m_shapes;
    std::vector<SFrame> m_path;
};

// Reads the records after the version word into a content that nothing else sees yet, checking
// every rule the rest of the program relies on.
class CQbParser
{
public:
    CQbParser(std::span<const std::uint8_t> bytes, SQbContent& content)
        : m_reader(bytes), m_content(content)
    {
    }

    std::uint16_t ReadVersion()
    {
        m_reader.GetBytes(std::size(kMagic));
        return m_content.nVersion = m_reader.GetU16();
    }

    void ReadRemotes()
    {
        const int nCount = m_reader.GetU16();
        for (int i = 0; i < nCount; ++i)
            ReadRemote();
    }

    // Names in steps may point at remotes further on in the file.
    void ResolveSteps()
    {
        for (const SPendingStep& pending : m_pendingSteps)
        {
            const auto [pRemote, pButton] =
                Resolve(pending.strRemote, pending.strButton, pending.nOffset,
                        "a step of megabutton " + pending.pMegabutton->m_strName);
            pending.pMegabutton->m_steps.push_back({pRemote, pButton, pending.nDelay});
        }
    }

    void CheckMegabuttons() const
    {
        CMegabuttonWalk walk;
        for (const CRemote* pRemote : m_content.remoteOrder)
        {
            for (const auto& [strName, pButton] : pRemote->m_buttons)
            {
                if (!walk.Visit(pButton.get()))
                    Fail(m_buttonOffsets.at(pButton.get()),
                         "megabutton " + pButton->m_strName + " of remote " + pRemote->m_strName +
                             " plays itself or nests too deeply");
            }
        }
    }

    void ReadEvents()
    {
        const int nCount = m_reader.GetU16();
        for (int i = 0; i < nCount; ++i)
            ReadEvent();
        // A count smaller than the records present would otherwise lose the rest unseen.
        if (m_reader.GetLeft() != 0)
            Fail(m_reader.GetOffset(), std::to_string(m_reader.GetLeft()) +
                                           " bytes follow the last event the counts announce");
    }

private:
    struct SPendingStep
    {
        CRemoteButton* pMegabutton;
        std::string strRemote;
        std::string strButton;
        int nDelay;
        std::size_t nOffset;
    };

    [[noreturn]] static void Fail(std::size_t nOffset, std::string strReason)
    {
        throw CFormatError{nOffset, std::move(strReason)};
    }

    // No program writes a name that is empty or holds control characters; finding one, the
    // reader is most likely inside another record, because a count said more than was there.
    static void CheckName(const std::string& strName, std::size_t nOffset, const char* pszRecord)
    {
        if (!IsStorableName(strName, strName.size()))
            Fail(nOffset, std::string("a ") + pszRecord +
                              " without a name or with control characters in it, as when a "
                              "count announces more records than there are");
    }

    void Charge(std::size_t nBytes)
    {
        if (!m_budget.Charge(nBytes))
            throw CTooLarge();
    }

    void ReadRemote()
    {
        Charge(kRemoteCost);
        const std::size_t nOffset = m_reader.GetOffset();
        std::string strName = m_reader.GetText(kShortText);
        CheckName(strName, nOffset, "remote");
        const int nStyle = m_reader.GetBounded(kStyleCount - 1);
        const bool bPadOpen = m_reader.GetU16() != 0;
        auto pRemote = std::make_unique<CRemote>(std::move(strName), nStyle, 0);
        pRemote->m_nPadX = m_reader.GetS16();
        pRemote->m_nPadY = m_reader.GetS16();
        const int nButtons = m_reader.GetU16();
        for (int i = 0; i < nButtons; ++i)
        {
            const std::size_t nButtonOffset = m_reader.GetOffset();
            std::unique_ptr<CRemoteButton> pButton = ReadButton(*pRemote);
            m_buttonOffsets[pButton.get()] = nButtonOffset;
            AddButton(*pRemote, std::move(pButton), nButtonOffset);
        }

        CRemote* pAdded = pRemote.get();
        if (m_content.pRemotes->contains(pAdded->m_strName))
            Fail(nOffset, "a second remote named " + pAdded->m_strName);
        m_content.pRemotes->emplace(pAdded->m_strName, std::move(pRemote));
        m_content.remoteOrder.push_back(pAdded);
        if (bPadOpen)
            m_content.openPads.push_back(pAdded);
    }

    std::unique_ptr<CRemoteButton> ReadButton(const CRemote& remote)
    {
        Charge(kButtonCost);
        const std::size_t nOffset = m_reader.GetOffset();
        std::string strName = m_reader.GetText(kShortText);
        CheckName(strName, nOffset, "button");
        std::string strDescription = m_reader.GetText(kLongText);
        const int nColumn = m_reader.GetU16();
        const int nRow = m_reader.GetU16();
        const bool bMega = m_reader.GetU16() != 0;
        auto pButton = std::make_unique<CRemoteButton>(std::move(strName), bMega);
        pButton->m_strDescription = std::move(strDescription);
        // Column 5 and beyond all mean "not placed"; keep the one form the rest expects.
        if (nColumn < kNotPlacedColumn)
        {
            CheckPlace(remote, pButton->m_strName, nColumn, nRow, nOffset);
            pButton->m_nColumn = nColumn;
            pButton->m_nRow = nRow;
        }
        if (bMega)
            ReadSteps(*pButton, remote);
        else
            ReadBitstream(*pButton);
        return pButton;
    }

    void ReadBitstream(CRemoteButton& button)
    {
        const auto encoded = m_reader.GetBytes(m_reader.GetU16());
        if (!ExpandBitstream(encoded, button.m_bits))
            Fail(m_reader.GetOffset() - encoded.size(),
                 "the recorded signal of button " + button.m_strName + " does not decode");
        Charge(button.m_bits.GetLength());
    }

    void ReadSteps(CRemoteButton& megabutton, const CRemote& remote)
    {
        const bool bOwnRemote = m_content.nVersion <= kQbLastVersionWithoutStepRemote;
        const int nCount = m_reader.GetU16();
        for (int i = 0; i < nCount; ++i)
        {
            Charge(kStepCost);
            const std::size_t nOffset = m_reader.GetOffset();
            std::string strRemote = bOwnRemote ? remote.m_strName : m_reader.GetText(kShortText);
            std::string strButton = m_reader.GetText(kShortText);
            const int nDelay = m_reader.GetBounded(kStepDelayCount - 1);
            m_pendingSteps.push_back(
                {&megabutton, std::move(strRemote), std::move(strButton), nDelay, nOffset});
        }
    }

    static void CheckPlace(const CRemote& remote, const std::string& strButton, int nColumn,
                           int nRow, std::size_t nOffset)
    {
        if (IsPlaceOnPad(remote.m_nStyle, nColumn, nRow))
            return;
        Fail(nOffset, "button " + strButton + " of remote " + remote.m_strName + " is at column " +
                          std::to_string(nColumn) + ", row " + std::to_string(nRow) +
                          ", outside its pad of " + kRemoteStyles[remote.m_nStyle].pszText);
    }

    // Two buttons may share neither a name nor a cell.
    static void AddButton(CRemote& remote, std::unique_ptr<CRemoteButton> pButton,
                          std::size_t nOffset)
    {
        if (remote.m_buttons.contains(pButton->m_strName))
            Fail(nOffset,
                 "a second button named " + pButton->m_strName + " in remote " + remote.m_strName);
        if (pButton->IsPlaced() && remote.m_grid[pButton->GetCell()] != nullptr)
            Fail(nOffset, "button " + pButton->m_strName + " takes the cell of button " +
                              remote.m_grid[pButton->GetCell()]->m_strName + " in remote " +
                              remote.m_strName);
        remote.AddButton(std::move(pButton));
    }

    void ReadEvent()
    {
        Charge(kEventCost);
        auto pEvent = std::make_unique<CTimedEvent>();
        const std::size_t nOffset = m_reader.GetOffset();
        pEvent->m_strName = m_reader.GetText(kLongText);
        CheckName(pEvent->m_strName, nOffset, "event");
        // What the time means depends on the frequency, which follows it.
        const SStoredTime time = m_reader.GetStoredTime();
        pEvent->m_lastFired = m_reader.GetTime();
        pEvent->m_bDisabled = m_reader.GetU16() != 0;
        pEvent->m_nFrequency = m_reader.GetBounded(kFrequencyCount - 1);
        pEvent->m_time = CTimedEvent::MakeTime(pEvent->m_nFrequency, time.nYear, time.nMonth,
                                               time.nDay, time.nHour, time.nMinute);
        const std::string strRemote = m_reader.GetText(kShortText);
        const std::string strButton = m_reader.GetText(kShortText);
        std::tie(pEvent->m_pRemote, pEvent->m_pButton) =
            Resolve(strRemote, strButton, nOffset, "event " + pEvent->m_strName);

        CTimedEvent* pAdded = pEvent.get();
        if (m_content.pEvents->contains(pAdded->m_strName))
            Fail(nOffset, "a second event named " + pAdded->m_strName);
        m_content.pEvents->emplace(pAdded->m_strName, std::move(pEvent));
        m_content.eventOrder.push_back(pAdded);
    }

    std::pair<CRemote*, CRemoteButton*> Resolve(const std::string& strRemote,
                                                const std::string& strButton, std::size_t nOffset,
                                                const std::string& strWho) const
    {
        const auto it = m_content.pRemotes->find(strRemote);
        CRemoteButton* pButton =
            it != m_content.pRemotes->end() ? it->second->FindButton(strButton) : nullptr;
        if (pButton == nullptr)
            Fail(nOffset, strWho + " plays button " + strButton + " of remote " + strRemote +
                              ", which the file does not hold");
        return {it->second.get(), pButton};
    }

    CByteReader m_reader;
    SQbContent& m_content;
    std::vector<SPendingStep> m_pendingSteps;
    std::unordered_map<const CRemoteButton*, std::size_t> m_buttonOffsets;
    CMemoryBudget m_budget;
};

// The entries of a map, which keeps them in name order, so that saving the same document gives
// the same bytes every time; none for a null map.
template <typename TMap> std::vector<const typename TMap::value_type*> ListEntries(const TMap* pMap)
{
    std::vector<const typename TMap::value_type*> entries;
    if (pMap != nullptr)
    {
        for (const auto& entry : *pMap)
            entries.push_back(&entry);
    }
    return entries;
}

// Remotes in the order of the View menu, which gives each its menu id as it is read or added,
// so that saving keeps the order the person sees; remotes without ids by name.
std::vector<const CRemoteMap::value_type*> SortedByMenuOrder(const CRemoteMap& remotes)
{
    std::vector<const CRemoteMap::value_type*> entries = ListEntries(&remotes);
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto* pLeft, const auto* pRight)
                     { return pLeft->second->m_nMenuId < pRight->second->m_nMenuId; });
    return entries;
}

const CRemoteMap kNoRemotes;

// Writes a document, refusing (by throwing SQbStoreError) anything the reader would refuse or
// read back otherwise, before the fault could reach the bytes.
class CQbStorer
{
public:
    explicit CQbStorer(std::vector<std::uint8_t>& bytes) : m_writer(bytes) {}

    void Store(const CRemoteMap* pRemotes, const CEventMap* pEvents)
    {
        const CRemoteMap& remotes = pRemotes != nullptr ? *pRemotes : kNoRemotes;
        m_writer.PutU16(kQbFileVersion);
        const auto remoteEntries = SortedByMenuOrder(remotes);
        PutCount(remoteEntries.size(), std::string());
        for (const auto* pEntry : remoteEntries)
            StoreRemote(pEntry->first, *pEntry->second, remotes);
        CheckMegabuttons(remoteEntries);

        const auto eventEntries = ListEntries(pEvents);
        PutCount(eventEntries.size(), std::string());
        for (const auto* pEntry : eventEntries)
            StoreEvent(pEntry->first, *pEntry->second, remotes);
        Require(m_writer.GetSize() <= kMaxQbFileBytes, StringId::kDocumentTooLarge, std::string());
    }

private:
    static void Require(bool bStorable, int nReason, const std::string& strRecord)
    {
        if (!bStorable)
            throw SQbStoreError{nReason, strRecord};
    }

    void Charge(std::size_t nBytes)
    {
        Require(m_budget.Charge(nBytes), StringId::kDocumentTooLarge, std::string());
    }

    // Every count is a 16-bit word; a larger one would be written cut.
    void PutCount(std::size_t nCount, const std::string& strRecord)
    {
        Require(nCount <= std::numeric_limits<std::uint16_t>::max(), StringId::kTooManyRecords,
                strRecord);
        m_writer.PutU16(nCount);
    }

    // A position is only where to show the pad again, and one beyond the field's range is off
    // every screen: keep it in range rather than let it wrap round to another place.
    void PutPadPosition(int nPosition)
    {
        m_writer.PutS16(std::clamp<int>(nPosition, std::numeric_limits<std::int16_t>::min(),
                                        std::numeric_limits<std::int16_t>::max()));
    }

    void StoreRemote(const std::string& strKey, const CRemote& remote, const CRemoteMap& remotes)
    {
        const std::string& strRecord = remote.m_strName;
        Require(IsStorableName(remote.m_strName, kMaxRemoteName), StringId::kNameNotStorable,
                strRecord);
        Require(IsStorableStyle(remote.m_nStyle), StringId::kStyleNotStorable, strRecord);
        Require(strKey == remote.m_strName, StringId::kRecordNotStorable, strRecord);
        Charge(kRemoteCost);
        m_writer.PutText(remote.m_strName, kShortText);
        m_writer.PutU16(static_cast<std::size_t>(remote.m_nStyle));
        m_writer.PutU16(remote.m_bPadOpen ? 1 : 0);
        PutPadPosition(remote.m_nPadX);
        PutPadPosition(remote.m_nPadY);
        const auto buttons = ListEntries(&remote.m_buttons);
        PutCount(buttons.size(), strRecord);
        std::array<bool, kGridCells> taken{};
        for (const auto* pEntry : buttons)
            StoreButton(pEntry->first, remote, *pEntry->second, remotes, taken);
    }

    // The reader rebuilds the grid from the buttons' places: a placed button may only be where
    // the reader would put it, on the remote's pad, and alone there.
    static bool IsStorablePlace(const CRemote& remote, const CRemoteButton& button,
                                std::array<bool, kGridCells>& taken)
    {
        if (!button.IsPlaced())
            return true;
        const int nCell = button.GetCell();
        if (!IsPlaceOnPad(remote.m_nStyle, button.m_nColumn, button.m_nRow) || taken[nCell])
            return false;
        taken[nCell] = true;
        return true;
    }

    void StoreButton(const std::string& strKey, const CRemote& remote, const CRemoteButton& button,
                     const CRemoteMap& remotes, std::array<bool, kGridCells>& taken)
    {
        const std::string strRecord = remote.m_strName + ": " + button.GetDisplayText();
        Require(IsStorableName(button.m_strName, kMaxRemoteName) &&
                    IsStorableText(button.m_strDescription, kMaxEventName),
                StringId::kNameNotStorable, strRecord);
        Require(strKey == button.m_strName && IsStorablePlace(remote, button, taken),
                StringId::kRecordNotStorable, strRecord);
        Charge(kButtonCost);
        m_writer.PutText(button.m_strName, kShortText);
        m_writer.PutText(button.m_strDescription, kLongText);
        // Every column from 5 on reads back as not placed; write the one form it reads as.
        const bool bPlaced = button.IsPlaced();
        m_writer.PutU16(static_cast<std::size_t>(bPlaced ? button.m_nColumn : kNotPlacedColumn));
        m_writer.PutU16(static_cast<std::size_t>(bPlaced ? button.m_nRow : kNotPlacedRow));
        m_writer.PutU16(button.m_bMega ? 1 : 0);
        if (button.m_bMega)
        {
            StoreSteps(button, strRecord, remotes);
            return;
        }
        Require(CompressBitstream(button.m_bits.GetBytes(), m_encoded), StringId::kBitstreamTooLong,
                strRecord);
        Charge(button.m_bits.GetLength());
        m_writer.PutU16(m_encoded.size());
        m_writer.PutBytes(m_encoded);
    }

    void StoreSteps(const CRemoteButton& megabutton, const std::string& strRecord,
                    const CRemoteMap& remotes)
    {
        PutCount(megabutton.m_steps.size(), strRecord);
        for (const CMegaStep& step : megabutton.m_steps)
        {
            Require(IsButtonInRemotes(remotes, step.m_pRemote, step.m_pButton) &&
                        step.m_nDelay >= 0 && step.m_nDelay < kStepDelayCount,
                    StringId::kRecordNotStorable, strRecord);
            Charge(kStepCost);
            m_writer.PutText(step.m_pRemote->m_strName, kShortText);
            m_writer.PutText(step.m_pButton->m_strName, kShortText);
            m_writer.PutU16(static_cast<std::size_t>(step.m_nDelay));
        }
    }

    // Runs once every step is known to lead to a button of the document.
    template <typename TEntries> static void CheckMegabuttons(const TEntries& remoteEntries)
    {
        CMegabuttonWalk walk;
        for (const auto* pRemoteEntry : remoteEntries)
        {
            const CRemote& remote = *pRemoteEntry->second;
            for (const auto* pEntry : ListEntries(&remote.m_buttons))
            {
                const CRemoteButton& button = *pEntry->second;
                Require(walk.Visit(&button), StringId::kMegabuttonNotStorable,
                        remote.m_strName + ": " + button.GetDisplayText());
            }
        }
    }

    void StoreEvent(const std::string& strKey, const CTimedEvent& event, const CRemoteMap& remotes)
    {
        const std::string& strRecord = event.m_strName;
        Require(IsStorableName(event.m_strName, kMaxEventName), StringId::kNameNotStorable,
                strRecord);
        Require(IsStorableTime(event.m_time) && IsStorableTime(event.m_lastFired),
                StringId::kDateNotStorable, strRecord);
        Require(strKey == event.m_strName && event.m_nFrequency >= 0 &&
                    event.m_nFrequency < kFrequencyCount &&
                    IsButtonInRemotes(remotes, event.m_pRemote, event.m_pButton),
                StringId::kRecordNotStorable, strRecord);
        Charge(kEventCost);
        m_writer.PutText(event.m_strName, kLongText);
        m_writer.PutTime(event.m_time);
        m_writer.PutTime(event.m_lastFired);
        m_writer.PutU16(event.m_bDisabled ? 1 : 0);
        m_writer.PutU16(static_cast<std::size_t>(event.m_nFrequency));
        m_writer.PutText(event.m_pRemote->m_strName, kShortText);
        m_writer.PutText(event.m_pButton->m_strName, kShortText);
    }

    CByteWriter m_writer;
    std::vector<std::uint8_t> m_encoded;
    CMemoryBudget m_budget;
};
} // namespace

EQbParse ParseQbFile(std::span<const std::uint8_t> bytes, SQbContent& content,
                     SQbParseFault* pFault)
{
    if (!std::ranges::equal(bytes.first(std::min(bytes.size(), std::size(kMagic))), kMagic))
        return EQbParse::InvalidFile;
    if (bytes.size() > kMaxQbFileBytes)
        return EQbParse::TooLarge;
    SQbContent parsed;
    try
    {
        CQbParser parser(bytes, parsed);
        if (parser.ReadVersion() > kQbFileVersion)
            return EQbParse::NewerVersion;
        parser.ReadRemotes();
        parser.ResolveSteps();
        parser.CheckMegabuttons();
        parser.ReadEvents();
    }
    catch (const CFormatError& fault)
    {
        if (pFault != nullptr)
            *pFault = {fault.nOffset, fault.strReason};
        return EQbParse::InvalidFile;
    }
    catch (const CTooLarge&)
    {
        return EQbParse::TooLarge;
    }
    content = std::move(parsed);
    return EQbParse::Ok;
}

bool StoreQbFile(const CRemoteMap* pRemotes, const CEventMap* pEvents,
                 std::vector<std::uint8_t>& bytes, SQbStoreError& error)
{
    bytes.assign(std::begin(kMagic), std::end(kMagic));
    try
    {
        CQbStorer(bytes).Store(pRemotes, pEvents);
    }
    catch (const SQbStoreError& fault)
    {
        error = fault;
        return false;
    }
    return true;
}

bool IsStorableText(const std::string& strText, std::size_t nMaxLength)
{
    return strText.size() <= nMaxLength && strText.find('\0') == std::string::npos;
}

bool IsStorableName(const std::string& strName, std::size_t nMaxLength)
{
    return !strName.empty() && IsStorableText(strName, nMaxLength) &&
           std::ranges::none_of(strName, [](unsigned char c) { return c < 0x20 || c == 0x7F; });
}

bool IsStorableStyle(int nStyle)
{
    return nStyle >= 0 && nStyle < kStyleCount;
}

bool IsStorableTime(const CTime& time)
{
    return time.GetYear() >= kMinQbYear && time.GetYear() <= kMaxQbYear;
}

bool AreMegabuttonsStorable(const CRemoteMap& remotes)
{
    CMegabuttonWalk walk;
    for (const auto& [strRemote, pRemote] : remotes)
        for (const auto& [strButton, pButton] : pRemote->m_buttons)
            if (!walk.Visit(pButton.get()))
                return false;
    return true;
}
