#include "signal/CodeListFormat.h"

#include "signal/ExchangeText.h"
#include "signal/ProtocolTable.h"
#include "signal/SignalEncoder.h"

namespace
{
bool ParseCodeNumber(std::string_view word, std::uint32_t& nValue)
{
    std::uint64_t nWide = 0;
    if (!ParseNumber(word, nWide, false) || nWide > 0xFFFFFFFFu)
        return false;
    nValue = static_cast<std::uint32_t>(nWide);
    return true;
}

bool ReadLine(const SWordLine& line, SExchangeCode& code, std::string& strReason)
{
    const std::vector<std::string_view>& words = line.words;
    if (words.size() != 4 && words.size() != 5)
    {
        strReason = "a line is NAME PROTOCOL ADDRESS COMMAND, and a maker for Kaseikyo";
        return false;
    }
    const SProtocolForm* pForm = FindProtocolByKey(words[1]);
    if (!pForm)
    {
        strReason = "Quorbit knows no protocol \"" + std::string(words[1]) + "\"";
        return false;
    }
    SDecodedSignal decoded;
    decoded.eProtocol = pForm->pRow->eProtocol;
    decoded.nMaker = pForm->pRow->nDefaultMaker;
    const bool bMaker = words.size() == 5;
    if (!ParseCodeNumber(words[2], decoded.nAddress) ||
        !ParseCodeNumber(words[3], decoded.nCommand) ||
        (bMaker && !ParseCodeNumber(words[4], decoded.nMaker)))
    {
        strReason = "the address, command and maker are numbers, decimal or 0x hexadecimal";
        return false;
    }
    decoded.bExtended = pForm->pRow->cSubdeviceDefault != 0 && pForm->nDeviceBits < 32 &&
                        decoded.nAddress >> pForm->nDeviceBits != 0;
    SEncodedSignal encoded;
    if ((bMaker && pForm->nMakerBits == 0) || !EncodeSignal(decoded, encoded))
    {
        strReason = "the address or command is too wide for " + std::string(pForm->pRow->pszName) +
                    (bMaker ? ", or it has no maker" : "");
        return false;
    }
    code = {std::string(words[0]), std::move(encoded.durations), encoded.nCarrierHz, line.nLine};
    return true;
}
} // namespace

bool ParseCodeList(std::string_view text, std::vector<SExchangeCode>& codes, SExchangeError& error)
{
    std::vector<SExchangeCode> read;
    int nLine = 0;
    for (SWordLine line; TakeWordLine(text, nLine, line);)
    {
        if (read.size() == kMaxListedCodes)
        {
            error = {line.nLine, "it holds more than " + std::to_string(kMaxListedCodes) +
                                     " codes, more than any remote takes"};
            return false;
        }
        SExchangeCode code;
        if (!ReadLine(line, code, error.strReason))
        {
            error.nLine = line.nLine;
            return false;
        }
        read.push_back(std::move(code));
    }
    if (read.empty())
    {
        error = {0, "it holds no code"};
        return false;
    }
    codes = std::move(read);
    return true;
}
