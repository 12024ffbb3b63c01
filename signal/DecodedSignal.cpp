#include "signal/DecodedSignal.h"

bool SDecodedSignal::IsSameCode(const SDecodedSignal& other) const
{
    return eProtocol == other.eProtocol && nAddress == other.nAddress &&
           nCommand == other.nCommand && nMaker == other.nMaker && nBits == other.nBits &&
           bRepeatOnly == other.bRepeatOnly;
}
