#include "signal/FrameFields.h"

namespace
{
std::uint32_t Mask(int nBits)
{
    return nBits >= 32 ? 0xFFFFFFFFu : (1u << nBits) - 1;
}

std::uint32_t& Field(CFieldValues& values, char cField)
{
    return values[static_cast<std::size_t>(cField - 'A')];
}

std::uint32_t GetField(const CFieldValues& values, char cField)
{
    return values[static_cast<std::size_t>(cField - 'A')];
}

bool IsMsbFirst(const SProtocolForm& form, const SFrameItem& item)
{
    return form.pRow->bMsbFirst != item.bReversed;
}

// Check fields, worked out from the others and from the bits sent before them.
std::uint32_t ComputeCheck(const SProtocolForm& form, ECheck eCheck, const CFieldValues& values,
                           std::uint64_t nWordBefore)
{
    switch (eCheck)
    {
    case ECheck::kMakerNibbleXor:
    {
        const std::uint32_t nMaker = GetField(values, 'M');
        return (nMaker ^ nMaker >> 4 ^ nMaker >> 8 ^ nMaker >> 12) & 0xF;
    }
    case ECheck::kDataByteXor:
    {
        std::uint64_t nFolded = 0;
        for (std::uint64_t nData = nWordBefore >> form.nMakerBits; nData != 0; nData >>= 8)
            nFolded ^= nData;
        return static_cast<std::uint32_t>(nFolded & 0xFF);
    }
    case ECheck::kNegatedNibbleSum:
    {
        const std::uint32_t nCommand = GetField(values, 'F');
        return (0u - (GetField(values, 'D') + (nCommand & 0xF) + (nCommand >> 4 & 0xF))) & 0xF;
    }
    case ECheck::kNone:
        break;
    }
    return 0;
}

// What the item sends, as a number whose bit 0 is its lowest.
std::uint32_t ItemValue(const SProtocolForm& form, const SFrameItem& item,
                        const CFieldValues& values, std::uint64_t nWordBefore)
{
    std::uint32_t nValue = item.nConstant;
    if (item.eCheck != ECheck::kNone)
        nValue = ComputeCheck(form, item.eCheck, values, nWordBefore);
    else if (item.cField != 0)
        nValue = GetField(values, item.cField) >> item.nShift;
    return (item.bInvert ? ~nValue : nValue) & Mask(item.nBits);
}

std::uint32_t SubdeviceDefault(const SProtocolForm& form, std::uint32_t nDevice)
{
    const std::uint32_t nMask = Mask(form.nSubdeviceBits);
    return form.pRow->cSubdeviceDefault == '~' ? ~nDevice & nMask : nDevice & nMask;
}
} // namespace

CFieldValues ToFieldValues(const SProtocolForm& form, const SDecodedSignal& code)
{
    CFieldValues values{};
    Field(values, 'D') = code.nAddress & Mask(form.nDeviceBits);
    const bool bDerived = form.pRow->cSubdeviceDefault != 0 && !code.bExtended;
    Field(values, 'S') = bDerived ? SubdeviceDefault(form, code.nAddress)
                                  : code.nAddress >> form.nDeviceBits & Mask(form.nSubdeviceBits);
    Field(values, 'E') = code.nAddress >> (form.nDeviceBits + form.nSubdeviceBits);
    Field(values, 'F') = code.nCommand;
    Field(values, 'T') = code.bToggle ? 1 : 0;
    Field(values, 'M') = code.nMaker;
    return values;
}

SDecodedSignal FromFieldValues(const SProtocolForm& form, const CFieldValues& values)
{
    SDecodedSignal code;
    code.eProtocol = form.pRow->eProtocol;
    const std::uint32_t nDevice = GetField(values, 'D');
    const std::uint32_t nSubdevice = GetField(values, 'S');
    code.bExtended =
        form.pRow->cSubdeviceDefault != 0 && nSubdevice != SubdeviceDefault(form, nDevice);
    code.nAddress = nDevice;
    if (form.pRow->cSubdeviceDefault == 0 || code.bExtended)
        code.nAddress |= nSubdevice << form.nDeviceBits |
                         GetField(values, 'E') << (form.nDeviceBits + form.nSubdeviceBits);
    code.nCommand = GetField(values, 'F');
    code.bToggle = GetField(values, 'T') != 0;
    code.nMaker = GetField(values, 'M');
    code.nBits = form.nFrameBits;
    return code;
}

std::uint64_t BuildFrameWord(const SProtocolForm& form, const std::vector<SFrameItem>& items,
                             const CFieldValues& values)
{
    std::uint64_t nWord = 0;
    int nAt = 0;
    for (const SFrameItem& item : items)
    {
        if (!item.bBits)
            continue;
        const std::uint32_t nValue = ItemValue(form, item, values, nWord);
        for (int nBit = 0; nBit < item.nBits; ++nBit)
        {
            const int nFrom = IsMsbFirst(form, item) ? item.nBits - 1 - nBit : nBit;
            nWord |= std::uint64_t{nValue >> nFrom & 1} << nAt++;
        }
    }
    return nWord;
}

bool ReadFrameWord(const SProtocolForm& form, const std::vector<SFrameItem>& items,
                   std::uint64_t nWord, CFieldValues& values)
{
    values = CFieldValues{};
    CFieldValues known{}; // the bits of each field read so far
    int nAt = 0;
    std::vector<std::pair<const SFrameItem*, std::uint32_t>> checks;
    for (const SFrameItem& item : items)
    {
        if (!item.bBits)
            continue;
        std::uint32_t nValue = 0;
        for (int nBit = 0; nBit < item.nBits; ++nBit)
        {
            const int nTo = IsMsbFirst(form, item) ? item.nBits - 1 - nBit : nBit;
            nValue |= static_cast<std::uint32_t>(nWord >> nAt++ & 1) << nTo;
        }
        const std::uint32_t nPlace = Mask(item.nBits) << item.nShift;
        if (item.cField == 0 || item.eCheck != ECheck::kNone ||
            (GetField(known, item.cField) & nPlace))
        {
            checks.emplace_back(&item, nValue);
            continue;
        }
        Field(values, item.cField) |= ((item.bInvert ? ~nValue : nValue) & Mask(item.nBits))
                                      << item.nShift;
        Field(known, item.cField) |= nPlace;
    }
    // Checks are compared once every field is known: a check field folds in the bits before it.
    for (const auto& [pItem, nValue] : checks)
    {
        const int nBefore = static_cast<int>(pItem - items.data());
        std::uint64_t nWordBefore = 0;
        int nBitsBefore = 0;
        for (int nItem = 0; nItem < nBefore; ++nItem)
            nBitsBefore += items[static_cast<std::size_t>(nItem)].nBits;
        if (nBitsBefore < 64)
            nWordBefore = nWord & ((std::uint64_t{1} << nBitsBefore) - 1);
        if (ItemValue(form, *pItem, values, nWordBefore) != nValue)
            return false;
    }
    return true;
}

bool FitsProtocol(const SProtocolForm& form, const SDecodedSignal& code)
{
    const int nAddressBits = form.nDeviceBits + form.nSubdeviceBits + form.nExtraBits;
    const bool bDerived = form.pRow->cSubdeviceDefault != 0 && !code.bExtended;
    const std::uint32_t nAddressMask = Mask(bDerived ? form.nDeviceBits : nAddressBits);
    return (code.nAddress & ~nAddressMask) == 0 &&
           (code.nCommand & ~Mask(form.nCommandBits)) == 0 &&
           (code.nMaker & ~Mask(form.nMakerBits)) == 0;
}
