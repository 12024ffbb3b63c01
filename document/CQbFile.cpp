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

// Tags of the fields that close a record in a tagged-version file; docs/file-format.md gives
// their layout. A tag this program does not know is a later version's and is passed over.
enum EButtonTag : std::uint16_t
{
    kTagSamplePicos = 1,
    kTagCarrier = 2,
    kTagDutyCycle = 3,
    kTagCode = 4,
    kTagAction = 5,
};
enum EStepTag : std::uint16_t
{
    kTagHold = 1,
};
// Flags of a code field; later versions may add more, which this one passes over.
constexpr std::uint16_t kCodeExtended = 0x1;
constexpr std::uint16_t kCodeIrFileForm = 0x2;
constexpr std::size_t kMaxProtocolKey = 31;
constexpr int kMaxCodeBits = 64;
// A step's hold is kept in an int of milliseconds.
constexpr std::uint32_t kMaxHoldMillis = std::numeric_limits<std::int32_t>::max();

class CByteReader
{
public:
    explicit CByteReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    // The bytes of one tagged field, which begin at nBase in the file.
    CByteReader(std::span<const std::uint8_t> bytes, std::size_t nBase)
        : m_bytes(bytes), m_nBase(nBase), m_pszShort("a tagged field shorter than its tag needs")
    {
    }

    std::span<const std::uint8_t> GetBytes(std::size_t nCount)
    {
        if (nCount > m_bytes.size() - m_nPos)
            throw CFormatError{m_nBase + m_bytes.size(), m_pszShort};
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

    std::uint32_t GetU32()
    {
        const std::uint32_t nLow = GetU16();
        return nLow | static_cast<std::uint32_t>(GetU16()) << 16;
    }

    int GetBounded(int nMax)
    {
        const int nValue = GetU16();
        if (nValue > nMax)
            throw CFormatError{GetOffset() - 2, "a value of " + std::to_string(nValue) +
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
            throw CFormatError{GetOffset() - nField, "a text field without its closing zero byte"};
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
            throw CFormatError{GetOffset() - 10, "a date or time that does not exist"};
        return {nYear, nMonth, nDay, nHour, nMinute};
    }

    CTime GetTime()
    {
        const SStoredTime stored = GetStoredTime();
        return CTime(stored.nYear, stored.nMonth, stored.nDay, stored.nHour, stored.nMinute, 0);
    }

    std::size_t GetOffset() const { return m_nBase + m_nPos; }
    std::size_t GetLeft() const { return m_bytes.size() - m_nPos; }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_nPos = 0;
    std::size_t m_nBase = 0;
    const char* m_pszShort = "the file ends in the middle of a record";
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

    void PutU32(std::uint32_t nValue)
    {
        PutU16(nValue & 0xFFFF);
        PutU16(nValue >> 16);
    }

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
            pending.pMegabutton->m_steps.push_back(
                {pRemote, pButton, pending.nDelay, pending.nHoldMillis});
        }
    }

    // An action names a button by remote and name, which may come further on in the file.
    void ResolveActions()
    {
        for (const SPendingAction& pending : m_pendingActions)
            std::tie(pending.pButton->m_pActionRemote, pending.pButton->m_pActionButton) =
                Resolve(pending.strRemote, pending.strButton, pending.nOffset,
                        "the action of button " + pending.pButton->m_strName);
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
        // The document's own fields, after everything else.
        ReadTags([](std::uint16_t, CByteReader&) {});
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
        int nHoldMillis = 0;
    };

    struct SPendingAction
    {
        CRemoteButton* pButton;
        std::string strRemote;
        std::string strButton;
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
        ReadTags([](std::uint16_t, CByteReader&) {});

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
        ReadTags([this, &button = *pButton](std::uint16_t nTag, CByteReader& field)
                 { ReadButtonField(nTag, field, button); });
        return pButton;
    }

    bool IsTagged() const { return m_content.nVersion >= kQbTaggedVersion; }

    // The tagged fields that close a record in a tagged-version file: a word with their size in
    // bytes, then each as a tag, the size of its value and the value. onField reads a field
    // whose tag it knows from the start of its value; what it leaves, or a field of a tag it
    // does not know, is a later version's and is passed over.
    template <typename TOnField> void ReadTags(TOnField onField)
    {
        if (!IsTagged())
            return;
        const std::size_t nSize = m_reader.GetU16();
        CByteReader block(m_reader.GetBytes(nSize), m_reader.GetOffset() - nSize);
        while (block.GetLeft() > 0)
        {
            const std::size_t nOffset = block.GetOffset();
            if (block.GetLeft() < 4)
                Fail(nOffset, "a tagged field cut short by the end of its record");
            const std::uint16_t nTag = block.GetU16();
            const std::size_t nLength = block.GetU16();
            if (nLength > block.GetLeft())
                Fail(nOffset,
                     "tagged field " + std::to_string(nTag) + " runs past the end of its record");
            CByteReader field(block.GetBytes(nLength), block.GetOffset() - nLength);
            onField(nTag, field);
        }
    }

    static std::uint32_t GetNonZero(CByteReader& field, const char* pszWhat)
    {
        const std::uint32_t nValue = field.GetU32();
        if (nValue == 0)
            Fail(field.GetOffset() - 4, std::string(pszWhat) + " of 0");
        return nValue;
    }

    void ReadButtonField(std::uint16_t nTag, CByteReader& field, CRemoteButton& button)
    {
        if (nTag != kTagAction)
            return ReadFactsField(nTag, field, button.m_facts);
        const std::size_t nOffset = field.GetOffset();
        std::string strRemote = field.GetText(kShortText);
        std::string strButton = field.GetText(kShortText);
        CheckName(strRemote, nOffset, "remote an action fires");
        CheckName(strButton, nOffset, "button an action fires");
        m_pendingActions.push_back({&button, std::move(strRemote), std::move(strButton), nOffset});
    }

    void ReadFactsField(std::uint16_t nTag, CByteReader& field, SSendingFacts& facts)
    {
        switch (nTag)
        {
        case kTagSamplePicos:
            facts.nSamplePicos = GetNonZero(field, "a time base");
            break;
        case kTagCarrier:
            facts.nCarrierHz = GetNonZero(field, "a carrier");
            break;
        case kTagDutyCycle:
            facts.nDutyPercent = static_cast<std::uint32_t>(field.GetBounded(100));
            if (facts.nDutyPercent == 0)
                Fail(field.GetOffset() - 2, "a duty cycle of 0");
            break;
        case kTagCode:
            facts.code = ReadCode(field);
            break;
        default:
            break;
        }
    }

    SButtonCode ReadCode(CByteReader& field)
    {
        SButtonCode code;
        const std::uint16_t nFlags = field.GetU16();
        code.bExtended = (nFlags & kCodeExtended) != 0;
        code.bIrFileForm = (nFlags & kCodeIrFileForm) != 0;
        code.nBits = field.GetBounded(kMaxCodeBits);
        code.nAddress = field.GetU32();
        code.nCommand = field.GetU32();
        code.nMaker = field.GetU32();
        const std::size_t nOffset = field.GetOffset();
        const auto key = field.GetBytes(field.GetU16());
        code.strProtocol.assign(key.begin(), key.end());
        if (!IsStorableName(code.strProtocol, kMaxProtocolKey))
            Fail(nOffset, "a code whose protocol has no name, or one with control characters");
        Charge(code.strProtocol.size());
        return code;
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
            SPendingStep& pending = m_pendingSteps.emplace_back(SPendingStep{
                &megabutton, std::move(strRemote), std::move(strButton), nDelay, nOffset});
            ReadTags([&pending](std::uint16_t nTag, CByteReader& field)
                     { ReadStepField(nTag, field, pending); });
        }
    }

    static void ReadStepField(std::uint16_t nTag, CByteReader& field, SPendingStep& pending)
    {
        if (nTag != kTagHold)
            return;
        const std::uint32_t nHold = field.GetU32();
        if (nHold > kMaxHoldMillis)
            Fail(field.GetOffset() - 4, "a step held for " + std::to_string(nHold) +
                                            " ms, longer than a step may be held");
        pending.nHoldMillis = static_cast<int>(nHold);
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

        ReadTags([](std::uint16_t, CByteReader&) {});
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
    std::vector<SPendingAction> m_pendingActions;
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

// True when a record of the remotes holds what only tagged fields can keep.
bool NeedsTags(const CRemoteMap& remotes)
{
    for (const auto& [strRemote, pRemote] : remotes)
        for (const auto& [strButton, pButton] : pRemote->m_buttons)
        {
            if (!pButton->m_facts.IsEmpty() || pButton->m_pActionButton != nullptr)
                return true;
            for (const CMegaStep& step : pButton->m_steps)
                if (step.m_nHoldMillis != 0)
                    return true;
        }
    return false;
}

// The tagged fields of one record, gathered before the size that leads them is known.
class CTagBlock
{
public:
    CTagBlock() = default;
    // The writers hold on to this block's own buffers.
    CTagBlock(const CTagBlock&) = delete;
    CTagBlock& operator=(const CTagBlock&) = delete;

    // A field whose value the caller writes next through the returned writer.
    CByteWriter& Add(std::uint16_t nTag)
    {
        m_nTag = nTag;
        m_value.clear();
        return m_valueWriter;
    }
    // Closes the field Add opened.
    void End()
    {
        m_blockWriter.PutU16(m_nTag);
        m_blockWriter.PutU16(m_value.size());
        m_blockWriter.PutBytes(m_value);
    }
    void AddU32(std::uint16_t nTag, std::uint32_t nValue)
    {
        Add(nTag).PutU32(nValue);
        End();
    }
    const std::vector<std::uint8_t>& GetBytes() const { return m_block; }

private:
    std::uint16_t m_nTag = 0;
    std::vector<std::uint8_t> m_value;
    std::vector<std::uint8_t> m_block;
    CByteWriter m_valueWriter{m_value};
    CByteWriter m_blockWriter{m_block};
};

bool IsStorableCode(const SButtonCode& code)
{
    return IsStorableName(code.strProtocol, kMaxProtocolKey) && code.nBits >= 0 &&
           code.nBits <= kMaxCodeBits;
}

void AddCode(CTagBlock& block, const SButtonCode& code)
{
    CByteWriter& value = block.Add(kTagCode);
    value.PutU16((code.bExtended ? kCodeExtended : 0) | (code.bIrFileForm ? kCodeIrFileForm : 0));
    value.PutU16(static_cast<std::size_t>(code.nBits));
    value.PutU32(code.nAddress);
    value.PutU32(code.nCommand);
    value.PutU32(code.nMaker);
    value.PutU16(code.strProtocol.size());
    value.PutBytes(std::span(reinterpret_cast<const std::uint8_t*>(code.strProtocol.data()),
                             code.strProtocol.size()));
    block.End();
}

// Only what is known is written; a reader takes a missing field as unknown.
void AddFacts(CTagBlock& block, const SSendingFacts& facts)
{
    if (facts.nSamplePicos != 0)
        block.AddU32(kTagSamplePicos, facts.nSamplePicos);
    if (facts.nCarrierHz != 0)
        block.AddU32(kTagCarrier, facts.nCarrierHz);
    if (facts.nDutyPercent != 0)
    {
        block.Add(kTagDutyCycle).PutU16(facts.nDutyPercent);
        block.End();
    }
    if (facts.code)
        AddCode(block, *facts.code);
}

// Writes a document, refusing (by throwing SQbStoreError) anything the reader would refuse or
// read back otherwise, before the fault could reach the bytes.
class CQbStorer
{
public:
    explicit CQbStorer(std::vector<std::uint8_t>& bytes) : m_writer(bytes) {}

    void Store(const CRemoteMap* pRemotes, const CEventMap* pEvents)
    {
        const CRemoteMap& remotes = pRemotes != nullptr ? *pRemotes : kNoRemotes;
        m_bTagged = NeedsTags(remotes);
        m_writer.PutU16(m_bTagged ? kQbTaggedVersion : kQbFileVersion);
        const auto remoteEntries = SortedByMenuOrder(remotes);
        PutCount(remoteEntries.size(), std::string());
        for (const auto* pEntry : remoteEntries)
            StoreRemote(pEntry->first, *pEntry->second, remotes);
        CheckMegabuttons(remoteEntries);

        const auto eventEntries = ListEntries(pEvents);
        PutCount(eventEntries.size(), std::string());
        for (const auto* pEntry : eventEntries)
            StoreEvent(pEntry->first, *pEntry->second, remotes);
        PutTags(CTagBlock());
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

    // A record's tagged fields, in a tagged-version file only.
    void PutTags(const CTagBlock& block)
    {
        if (!m_bTagged)
            return;
        m_writer.PutU16(block.GetBytes().size());
        m_writer.PutBytes(block.GetBytes());
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
        PutTags(CTagBlock());
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
            StoreSteps(button, strRecord, remotes);
        else
            StoreBitstream(button, strRecord);
        const SSendingFacts& facts = button.m_facts;
        Require(facts.nDutyPercent <= 100 && (!facts.code || IsStorableCode(*facts.code)),
                StringId::kRecordNotStorable, strRecord);
        Charge(facts.code ? facts.code->strProtocol.size() : 0);
        CTagBlock block;
        AddFacts(block, facts);
        if (button.m_pActionButton != nullptr)
            AddAction(block, button, strRecord, remotes);
        PutTags(block);
    }

    static void AddAction(CTagBlock& block, const CRemoteButton& button,
                          const std::string& strRecord, const CRemoteMap& remotes)
    {
        Require(IsButtonInRemotes(remotes, button.m_pActionRemote, button.m_pActionButton),
                StringId::kRecordNotStorable, strRecord);
        CByteWriter& value = block.Add(kTagAction);
        value.PutText(button.m_pActionRemote->m_strName, kShortText);
        value.PutText(button.m_pActionButton->m_strName, kShortText);
        block.End();
    }

    void StoreBitstream(const CRemoteButton& button, const std::string& strRecord)
    {
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
                        step.m_nDelay >= 0 && step.m_nDelay < kStepDelayCount &&
                        step.m_nHoldMillis >= 0,
                    StringId::kRecordNotStorable, strRecord);
            Charge(kStepCost);
            m_writer.PutText(step.m_pRemote->m_strName, kShortText);
            m_writer.PutText(step.m_pButton->m_strName, kShortText);
            m_writer.PutU16(static_cast<std::size_t>(step.m_nDelay));
            CTagBlock block;
            if (step.m_nHoldMillis != 0)
                block.AddU32(kTagHold, static_cast<std::uint32_t>(step.m_nHoldMillis));
            PutTags(block);
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
        PutTags(CTagBlock());
    }

    CByteWriter m_writer;
    std::vector<std::uint8_t> m_encoded;
    CMemoryBudget m_budget;
    bool m_bTagged = false;
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
        if (parser.ReadVersion() > kQbTaggedVersion)
            return EQbParse::NewerVersion;
        parser.ReadRemotes();
        parser.ResolveSteps();
        parser.ResolveActions();
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
