// Feeds arbitrary bytes to the document reader. Whatever it accepts must store, read back and
// store again to the same bytes; whatever it refuses must be refused cleanly. The sanitizers
// catch any read or write out of bounds on the way.
#include "document/CQbFile.h"

#include <cstdint>
#include <cstdlib>

namespace
{
std::vector<std::uint8_t> Store(const SQbContent& content, bool& bStored)
{
    std::vector<std::uint8_t> bytes;
    SQbStoreError error;
    bStored = StoreQbFile(content.pRemotes.get(), content.pEvents.get(), bytes, error);
    return bytes;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    SQbContent content;
    if (ParseQbFile({pData, nSize}, content) != EQbParse::Ok)
        return 0;
    bool bStored = false;
    const std::vector<std::uint8_t> first = Store(content, bStored);
    // A bitstream padded out to whole bytes may no longer fit once re-encoded.
    if (!bStored)
        return 0;
    SQbContent again;
    if (ParseQbFile(first, again) != EQbParse::Ok)
        std::abort();
    if (Store(again, bStored) != first || !bStored)
        std::abort();
    return 0;
}
