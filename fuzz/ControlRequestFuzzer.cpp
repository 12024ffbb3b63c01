// Feeds arbitrary bytes, line by line as the control socket reads them, to the request parser.
// Every line gets an answer; a request it accepts must survive being written out again with
// quoting and read back unchanged, and its names must convert to document text or be refused
// cleanly. The sanitizers catch any read or write out of bounds on the way.
#include "base/TextEncoding.h"
#include "control/ControlProtocol.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace
{
void CheckLine(std::string_view strLine)
{
    SControlRequest request;
    std::string strReply;
    if (!ParseControlRequest(strLine, request, strReply))
    {
        if (!strReply.starts_with("ERROR ") || !strReply.ends_with("\n"))
            std::abort();
        return;
    }
    std::string strAgain = "STATUS";
    for (const std::string& strArgument : request.arguments)
    {
        strAgain += " " + QuoteControlWord(strArgument);
        std::string strDocumentText;
        FromUtf8Text(strArgument, strDocumentText);
    }
    std::vector<std::string> words;
    std::string strError;
    if (!SplitControlWords(strAgain, words, strError) ||
        std::vector<std::string>(words.begin() + 1, words.end()) != request.arguments)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    std::string_view strInput(reinterpret_cast<const char*>(pData), nSize);
    while (!strInput.empty())
    {
        const std::size_t nEnd = std::min(strInput.find('\n'), strInput.size());
        CheckLine(strInput.substr(0, nEnd));
        strInput.remove_prefix(std::min(nEnd + 1, strInput.size()));
    }
    return 0;
}
