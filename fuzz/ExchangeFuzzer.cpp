// Feeds arbitrary text to the readers of Pronto hex and of the infrared daemon's raw codes.
// What one accepts must write out again and read back: the daemon's durations unchanged, a
// Pronto code as a code. What it refuses must be refused with a reason. The sanitizers catch
// any read or write out of bounds on the way.
#include "signal/LircFormat.h"
#include "signal/ProntoFormat.h"

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
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string_view text(reinterpret_cast<const char*>(pData), nSize);
    CheckLirc(text);
    CheckPronto(text);
    return 0;
}
