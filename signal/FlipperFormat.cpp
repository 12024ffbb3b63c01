#include "signal/FlipperFormat.h"

#include "signal/ExchangeText.h"
#include "signal/FrameFields.h"
#include "signal/ProtocolTable.h"
#include "signal/SignalEncoder.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace
{
// The tool's protocol names: which row, and the command bits the name adds (RC5X is RC-5 with
// the seventh command bit set). NECext and NEC42ext send the address and a 16-bit command as
// they are written, with no inverse added.
struct SFlipperProtocol
{
    const char* pszName;
    EProtocol eProtocol;
    std::uint32_t nCommandBit;
};

constexpr std::array kFlipperProtocols{
    SFlipperProtocol{"NEC", EProtocol::kNec, 0},
    SFlipperProtocol{"NECext", EProtocol::kNecWide, 0},
    SFlipperProtocol{"NEC42", EProtocol::kNec42, 0},
    SFlipperProtocol{"NEC42ext", EProtocol::kNec42Wide, 0},
    SFlipperProtocol{"Samsung32", EProtocol::kSamsung, 0},
    SFlipperProtocol{"RC5", EProtocol::kRc5, 0},
    SFlipperProtocol{"RC5X", EProtocol::kRc5, 0x40},
    SFlipperProtocol{"RC6", EProtocol::kRc6, 0},
    SFlipperProtocol{"SIRC", EProtocol::kSony, 0},
    SFlipperProtocol{"SIRC15", EProtocol::kSony15, 0},
    SFlipperProtocol{"SIRC20", EProtocol::kSony20, 0},
    SFlipperProtocol{"Kaseikyo", EProtocol::kKaseikyo, 0},
    SFlipperProtocol{"RCA", EProtocol::kRca, 0},
    SFlipperProtocol{"Pioneer", EProtocol::kPioneer, 0},
};

constexpr unsigned long kMaxDuration = 10'000'000;
constexpr unsigned long kMaxCarrierHz = 10'000'000;
// The duty cycle the tool sends and writes where a record names none.
constexpr unsigned kIrFileDutyPercent = 33;

// A raw record's "duty_cycle: 0.330000", the share of the carrier's period the light is on, as
// a percentage from 1 to 100; 0 for anything else, which the tool refuses too.
unsigned ParseDutyFraction(std::string_view value)
{
    const std::vector<SWordLine> lines = SplitWordLines(value);
    if (lines.size() != 1 || lines[0].words.size() != 1)
        return 0;
    const std::string_view word = lines[0].words[0];
    double dFraction = 0;
    const auto [pEnd, ec] = std::from_chars(word.data(), word.data() + word.size(), dFraction);
    if (ec != std::errc() || pEnd != word.data() + word.size() || !(dFraction > 0) || dFraction > 1)
        return 0;
    return static_cast<unsigned>(std::clamp(std::lround(dFraction * 100), 1L, 100L));
}

// The tool's own names; a hand-edited file may write them in other letter cases ("Necext").
const SFlipperProtocol* FindFlipperProtocol(std::string_view name)
{
    const auto sameLetters = [](char c1, char c2)
    {
        return std::tolower(static_cast<unsigned char>(c1)) ==
               std::tolower(static_cast<unsigned char>(c2));
    };
    for (const SFlipperProtocol& protocol : kFlipperProtocols)
        if (std::ranges::equal(name, std::string_view(protocol.pszName), sameLetters))
            return &protocol;
    return nullptr;
}

// The tool keeps Kaseikyo's address as the id, the maker code and the two device nibbles.
std::uint32_t ToFlipperAddress(const SDecodedSignal& decoded)
{
    if (decoded.eProtocol != EProtocol::kKaseikyo)
        return decoded.nAddress;
    return (decoded.nAddress >> 8) << 24 | decoded.nMaker << 8 | (decoded.nAddress & 0xF) << 4 |
           (decoded.nAddress >> 4 & 0xF);
}

void FromFlipperAddress(std::uint32_t nAddress, SDecodedSignal& code)
{
    code.nAddress = nAddress;
    if (code.eProtocol != EProtocol::kKaseikyo)
        return;
    code.nMaker = nAddress >> 8 & 0xFFFF;
    code.nAddress = (nAddress >> 4 & 0xF) | (nAddress & 0xF) << 4 | (nAddress >> 24) << 8;
}

// "04 00 00 00": four bytes, the lowest first.
bool ParseBytes(std::string_view value, std::uint32_t& nValue)
{
    const std::vector<SWordLine> lines = SplitWordLines(value);
    if (lines.size() != 1 || lines[0].words.size() != 4)
        return false;
    nValue = 0;
    for (std::size_t nByte = 0; nByte < 4; ++nByte)
    {
        const std::string_view word = lines[0].words[nByte];
        unsigned nPart = 0;
        const auto [pEnd, ec] = std::from_chars(word.data(), word.data() + word.size(), nPart, 16);
        if (ec != std::errc() || pEnd != word.data() + word.size() || word.size() != 2)
            return false;
        nValue |= nPart << (8 * nByte);
    }
    return true;
}

std::string FormatBytes(std::uint32_t nValue)
{
    char szText[16];
    std::snprintf(szText, sizeof szText, "%02X %02X %02X %02X", nValue & 0xFF, nValue >> 8 & 0xFF,
                  nValue >> 16 & 0xFF, nValue >> 24);
    return szText;
}

class CFlipperReader
{
public:
    bool Read(std::string_view text, std::vector<SExchangeCode>& codes, SExchangeError& error)
    {
        // Editors on some systems begin a UTF-8 file with a byte-order mark.
        if (text.starts_with("\xEF\xBB\xBF"))
            text.remove_prefix(3);
        int nLine = 0;
        while (!text.empty() && m_error.strReason.empty())
        {
            ++nLine;
            const std::size_t nEnd = std::min(text.find('\n'), text.size());
            ReadLine(nLine, text.substr(0, nEnd));
            text.remove_prefix(std::min(nEnd + 1, text.size()));
        }
        if (m_error.strReason.empty())
            FinishRecord();
        if (m_error.strReason.empty() && m_nVersionLine == 0)
            Refuse(0,
                   "it is no IR signals file: the \"Filetype\" and \"Version\" lines are missing");
        else if (m_error.strReason.empty() && m_codes.empty())
            Refuse(0, "it holds no signal");
        return HandOver(m_codes, m_error, codes, error);
    }

private:
    struct SRecord
    {
        int nLine = 0;
        std::string strName;
        std::vector<std::pair<std::string, std::string>> fields;
    };

    bool Refuse(int nLine, std::string strReason)
    {
        m_error = {nLine, std::move(strReason)};
        return false;
    }

    // Files edited by hand indent lines and put tabs and spaces around keys and values.
    static std::string_view Trim(std::string_view text)
    {
        constexpr std::string_view kBlanks = " \t\r";
        const std::size_t nFirst = text.find_first_not_of(kBlanks);
        if (nFirst == std::string_view::npos)
            return {};
        return text.substr(nFirst, text.find_last_not_of(kBlanks) + 1 - nFirst);
    }

    void ReadLine(int nLine, std::string_view line)
    {
        line = Trim(line);
        if (line.empty() || line.front() == '#')
            return;
        const std::size_t nColon = line.find(':');
        if (nColon == std::string_view::npos)
        {
            Refuse(nLine, "\"" + std::string(line) + "\" is no \"key: value\" line");
            return;
        }
        ReadField(nLine, std::string(Trim(line.substr(0, nColon))),
                  std::string(Trim(line.substr(nColon + 1))));
    }

    void ReadField(int nLine, const std::string& strKey, const std::string& strValue)
    {
        if (m_nVersionLine == 0)
        {
            ReadHeader(nLine, strKey, strValue);
            return;
        }
        if (strKey == "name")
        {
            if (FinishRecord())
                m_record = {nLine, strValue, {}};
            return;
        }
        if (m_record.nLine == 0)
        {
            Refuse(nLine, "\"" + strKey + "\" comes before the first name");
            return;
        }
        m_record.fields.emplace_back(strKey, strValue);
        m_fieldLines.push_back(nLine);
    }

    void ReadHeader(int nLine, const std::string& strKey, const std::string& strValue)
    {
        if (!m_bFiletype)
        {
            if (strKey != "Filetype" ||
                (strValue != "IR signals file" && strValue != "IR library file"))
                Refuse(nLine,
                       "it is no IR signals file: \"Filetype: IR signals file\" was expected");
            m_bFiletype = true;
            return;
        }
        if (strKey != "Version" || strValue != "1")
            Refuse(nLine, "only version 1 of IR signals files is read, not \"" + strKey + ": " +
                              strValue + "\"");
        m_nVersionLine = nLine;
    }

    const std::string* Find(const std::string& strKey, int& nLine) const
    {
        for (std::size_t nField = 0; nField < m_record.fields.size(); ++nField)
        {
            if (m_record.fields[nField].first == strKey)
            {
                nLine = m_fieldLines[nField];
                return &m_record.fields[nField].second;
            }
        }
        nLine = m_record.nLine;
        return nullptr;
    }

    bool Need(const std::string& strKey, const std::string*& pValue, int& nLine)
    {
        pValue = Find(strKey, nLine);
        return pValue || Refuse(nLine, m_record.strName + " has no \"" + strKey + "\"");
    }

    bool FinishRecord()
    {
        if (m_record.nLine == 0)
            return true;
        const std::string* pType = nullptr;
        int nLine = 0;
        SExchangeCode code{m_record.strName, {}, 0, m_record.nLine};
        const bool bDone = Need("type", pType, nLine) &&
                           (*pType == "parsed" ? ReadParsed(code)
                            : *pType == "raw"  ? ReadRaw(code)
                                               : Refuse(nLine, m_record.strName +
                                                                   ": the type is \"parsed\" or "
                                                                    "\"raw\", not \"" +
                                                                   *pType + "\""));
        m_record = SRecord{};
        m_fieldLines.clear();
        if (bDone)
            m_codes.push_back(std::move(code));
        return bDone;
    }

    bool ReadParsed(SExchangeCode& code)
    {
        const std::string* pProtocol = nullptr;
        const std::string* pAddress = nullptr;
        const std::string* pCommand = nullptr;
        int nLine = 0;
        if (!Need("protocol", pProtocol, nLine))
            return false;
        const SFlipperProtocol* pFlipper = FindFlipperProtocol(*pProtocol);
        if (!pFlipper)
            return Refuse(nLine,
                          code.strName + ": Quorbit knows no protocol \"" + *pProtocol + "\"");
        std::uint32_t nAddress = 0;
        std::uint32_t nCommand = 0;
        if (!Need("address", pAddress, nLine) || !ParseBytes(*pAddress, nAddress))
            return m_error.strReason.empty() &&
                   Refuse(nLine, code.strName + ": the address is four hex bytes");
        if (!Need("command", pCommand, nLine) || !ParseBytes(*pCommand, nCommand))
            return m_error.strReason.empty() &&
                   Refuse(nLine, code.strName + ": the command is four hex bytes");
        SDecodedSignal decoded;
        decoded.eProtocol = pFlipper->eProtocol;
        decoded.eForm = EFrameForm::kIrFile;
        FromFlipperAddress(nAddress, decoded);
        decoded.nCommand = nCommand | pFlipper->nCommandBit;
        SEncodedSignal encoded;
        if (!EncodeSignal(decoded, encoded))
            return Refuse(nLine, code.strName + ": address " + FormatBytes(nAddress) +
                                     " and command " + FormatBytes(nCommand) +
                                     " do not fit the fields of " + *pProtocol);
        code.durations = std::move(encoded.durations);
        code.nCarrierHz = encoded.nCarrierHz;
        code.code = decoded;
        return true;
    }

    bool ReadRaw(SExchangeCode& code)
    {
        const std::string* pFrequency = nullptr;
        const std::string* pData = nullptr;
        int nLine = 0;
        if (!Need("frequency", pFrequency, nLine))
            return false;
        code.nCarrierHz = static_cast<unsigned>(ParseDecimal(*pFrequency, kMaxCarrierHz));
        if (code.nCarrierHz == 0)
            return Refuse(nLine, code.strName + ": the frequency is not a number of hertz");
        if (const std::string* pDuty = Find("duty_cycle", nLine))
        {
            code.nDutyPercent = ParseDutyFraction(*pDuty);
            if (code.nDutyPercent == 0)
                return Refuse(nLine, code.strName + ": the duty cycle \"" + *pDuty +
                                         "\" is not a fraction above 0 and up to 1");
        }
        if (!Need("data", pData, nLine))
            return false;
        for (const SWordLine& line : SplitWordLines(*pData))
            for (const std::string_view word : line.words)
            {
                const unsigned long nMicros = ParseDecimal(word, kMaxDuration);
                if (nMicros == 0)
                    return Refuse(nLine, code.strName + ": \"" + std::string(word) +
                                             "\" is not a duration in microseconds");
                code.durations.push_back(static_cast<std::uint32_t>(nMicros));
            }
        if (code.durations.empty())
            return Refuse(nLine, code.strName + " has no durations");
        if (code.durations.size() % 2 == 0)
            code.durations.pop_back();
        return true;
    }

    bool m_bFiletype = false;
    int m_nVersionLine = 0;
    SRecord m_record;
    std::vector<int> m_fieldLines;
    std::vector<SExchangeCode> m_codes;
    SExchangeError m_error;
};

// The tool's name for a decoded signal; null where it has none.
const SFlipperProtocol* FindFlipperName(const SDecodedSignal& decoded)
{
    for (const SFlipperProtocol& protocol : kFlipperProtocols)
    {
        const bool bRc5X = decoded.eProtocol == EProtocol::kRc5 && decoded.nCommand >= 0x40;
        if (protocol.eProtocol == decoded.eProtocol && !decoded.bExtended &&
            (protocol.nCommandBit != 0) == bRc5X)
            return &protocol;
    }
    return nullptr;
}

// The tool's NEC and NEC42 hold only the derived second address part; with an extended address
// the frame is written as NECext or NEC42ext, whose command is the command byte and its inverse.
SDecodedSignal ToFlipperForm(const SDecodedSignal& decoded)
{
    const EProtocol eWide = decoded.eProtocol == EProtocol::kNec     ? EProtocol::kNecWide
                            : decoded.eProtocol == EProtocol::kNec42 ? EProtocol::kNec42Wide
                                                                     : EProtocol::kUnknown;
    if (!decoded.bExtended || eWide == EProtocol::kUnknown)
        return decoded;
    const SProtocolForm& narrow = *FindProtocolForm(decoded.eProtocol);
    const SProtocolForm& wide = *FindProtocolForm(eWide);
    CFieldValues values;
    ReadFrameWord(wide, wide.frame,
                  BuildFrameWord(narrow, narrow.frame, ToFieldValues(narrow, decoded)), values);
    return FromFieldValues(wide, values);
}

// A parsed record goes out at its protocol's carrier; a code at another one is written raw.
bool IsAtProtocolCarrier(const SExchangeCode& code, const SDecodedSignal& decoded)
{
    constexpr double kCarrierTolerance = 0.05;
    const double dProtocolHz = GetProtocolCarrier(decoded.eProtocol);
    return code.nCarrierHz == 0 ||
           std::abs(code.nCarrierHz - dProtocolHz) <= kCarrierTolerance * dProtocolHz;
}

// The code as the record gives it, and the tool's protocol for a parsed record; null for a raw
// one. A code read from a parsed record goes back as that record. Otherwise the code a signal
// was made from says what a recording cannot (Pioneer's frames are NEC's), unless the signal
// goes out at another carrier than its protocol's.
const SFlipperProtocol* FindRecordProtocol(const SExchangeCode& code, SDecodedSignal& decoded)
{
    const bool bRecord = code.code && code.code->eForm == EFrameForm::kIrFile;
    decoded =
        bRecord ? *code.code : ToFlipperForm(code.code ? *code.code : DecodeSignal(code.durations));
    const SFlipperProtocol* pFlipper = decoded.bRepeatOnly ? nullptr : FindFlipperName(decoded);
    return pFlipper && (bRecord || IsAtProtocolCarrier(code, decoded)) ? pFlipper : nullptr;
}

std::string FormatRecord(const SExchangeCode& code, unsigned nCarrierHz)
{
    std::string strText = "#\nname: " + MakeExchangeName(code.strName) + "\n";
    SDecodedSignal decoded;
    if (const SFlipperProtocol* pFlipper = FindRecordProtocol(code, decoded))
        return strText + "type: parsed\nprotocol: " + pFlipper->pszName +
               "\naddress: " + FormatBytes(ToFlipperAddress(decoded)) +
               "\ncommand: " + FormatBytes(decoded.nCommand & ~pFlipper->nCommandBit) + "\n";
    // The tool's own duty cycle where the code gives none.
    char szDuty[16];
    std::snprintf(szDuty, sizeof szDuty, "%.6f",
                  (code.nDutyPercent != 0 ? code.nDutyPercent : kIrFileDutyPercent) / 100.0);
    strText += "type: raw\nfrequency: " + std::to_string(GetCarrierOr(code, nCarrierHz)) +
               "\nduty_cycle: " + szDuty + "\ndata:";
    for (const std::uint32_t nMicros : code.durations)
        strText += " " + std::to_string(nMicros);
    return strText + " " + std::to_string(kTrailingGapMicros) + "\n";
}
} // namespace

bool ParseFlipperCodes(std::string_view text, std::vector<SExchangeCode>& codes,
                       SExchangeError& error)
{
    return CFlipperReader().Read(text, codes, error);
}

std::string FindFlipperRefusal(const SExchangeCode& code, unsigned nCarrierHz)
{
    // The carrier first: only a code outside the range is decoded to see whether it goes parsed.
    SDecodedSignal decoded;
    const unsigned nHz = GetCarrierOr(code, nCarrierHz);
    if ((nHz >= kMinIrFileCarrierHz && nHz <= kMaxIrFileCarrierHz) ||
        FindRecordProtocol(code, decoded))
        return {};
    return "goes out at " + std::to_string(nHz) + " Hz, and a .ir file's raw record holds " +
           std::to_string(kMinIrFileCarrierHz) + " to " + std::to_string(kMaxIrFileCarrierHz) +
           " Hz";
}

std::string FormatFlipperCodes(const std::vector<SExchangeCode>& codes, unsigned nCarrierHz)
{
    std::string strText = "Filetype: IR signals file\nVersion: 1\n";
    for (const SExchangeCode& code : codes)
        strText += FormatRecord(code, nCarrierHz);
    return strText;
}
