// Feeds arbitrary text to the readers of Pronto hex, of the infrared daemon's remote files (raw
// and encoded), of .ir signals files and of typed code lists. What one accepts must write out
// again and read back: the daemon's durations unchanged, a Pronto code as a code, an .ir record
// as the same record sending the same frames; a typed code must decode as a code. What a reader
// refuses must be refused with a reason. The sanitizers catch any read or write out of bounds on
// the way.
#include "signal/CodeListFormat.h"
#include "signal/FlipperFormat.h"
#include "signal/LircFormat.h"
#include "signal/ProntoFormat.h"
#include "signal/SignalDecoder.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace
{
void Check(bool bCondition)
{
    if (!bCondition)
        std::abort();
}

// What is written out always has names: an unnamed code read in becomes a named button first.
void NameCodes(std::vector<SExchangeCode>& codes)
{
    for (SExchangeCode& code : codes)
    {
        if (code.strName.empty())
            code.strName = "Code";
    }
}

void CheckLirc(std::string_view text)
{
    std::vector<SExchangeCode> codes;
    SExchangeError error;
    if (!ParseLircCodes(text, codes, error))
    {
        Check(!error.strReason.empty() && codes.empty());
        return;
    }
    NameCodes(codes);
    std::vector<SExchangeCode> again;
    Check(ParseLircCodes(FormatLircRemote("R", codes, kDefaultCarrierHz), again, error));
    Check(again.size() == codes.size());
    for (std::size_t nCode = 0; nCode < codes.size(); ++nCode)
        Check(again[nCode].durations == codes[nCode].durations);
}

void CheckPronto(std::string_view text)
{
    std::vector<SExchangeCode> codes;
    SExchangeError error;
    if (!ParseProntoCodes(text, codes, error))
    {
        Check(!error.strReason.empty() && codes.empty());
        return;
    }
    NameCodes(codes);
    std::string strText;
    std::string strError;
    if (!FormatProntoCodes(codes, kDefaultCarrierHz, strText, strError))
        return; // a duration too long for a word at this carrier, which is said
    std::vector<SExchangeCode> again;
    Check(ParseProntoCodes(strText, again, error));
    Check(again.size() == codes.size());
}
void CheckFlipper(std::string_view text)
{
    std::vector<SExchangeCode> codes;
    SExchangeError error;
    if (!ParseFlipperCodes(text, codes, error))
    {
        Check(!error.strReason.empty() && codes.empty());
        return;
    }
    std::vector<SExchangeCode> again;
    Check(ParseFlipperCodes(FormatFlipperCodes(codes, kDefaultCarrierHz), again, error));
    Check(again.size() == codes.size());
    for (std::size_t nCode = 0; nCode < codes.size(); ++nCode)
    {
        Check(
            DecodeSignal(again[nCode].durations).IsSameCode(DecodeSignal(codes[nCode].durations)));
        // A parsed record is written back as itself, and sends the same frames again.
        Check(again[nCode].code.has_value() == codes[nCode].code.has_value());
        if (codes[nCode].code)
            Check(again[nCode].durations == codes[nCode].durations &&
                  again[nCode].code->IsSameCode(*codes[nCode].code));
    }
}

void CheckCodeList(std::string_view text)
{
    std::vector<SExchangeCode> codes;
    SExchangeError error;
    if (!ParseCodeList(text, codes, error))
    {
        Check(!error.strReason.empty() && codes.empty());
        return;
    }
    for (const SExchangeCode& code : codes)
        Check(DecodeSignal(code.durations).eProtocol != EProtocol::kUnknown);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string_view text(reinterpret_cast<const char*>(pData), nSize);
    CheckLirc(text);
    CheckPronto(text);
    CheckFlipper(text);
    CheckCodeList(text);
    return 0;
}
