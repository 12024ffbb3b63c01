#include "signal/SignalEncoder.h"
#include "SignalFrames.h"
#include "signal/FrameFields.h"
#include "signal/ProtocolTable.h"

#include <gtest/gtest.h>

#include <random>

namespace
{
int FieldBits(const SProtocolForm& form, char cField)
{
    int nBits = 0;
    for (const SFrameItem& item : form.frame)
        if (item.cField == cField)
            nBits = std::max(nBits, item.nShift + item.nBits);
    return nBits;
}

std::uint32_t Draw(std::mt19937& random, int nBits)
{
    return nBits == 0 ? 0 : static_cast<std::uint32_t>(random()) & ((1u << nBits) - 1);
}

// A random code that the protocol can carry; an extended address is one whose second part is
// not the one derived from the first.
SDecodedSignal DrawCode(const SProtocolForm& form, std::mt19937& random)
{
    SDecodedSignal code;
    code.eProtocol = form.pRow->eProtocol;
    code.bExtended = form.pRow->cSubdeviceDefault != 0 && random() % 2 == 0;
    const int nAddressBits = form.nDeviceBits + (form.pRow->cSubdeviceDefault == 0 || code.bExtended
                                                     ? form.nSubdeviceBits + form.nExtraBits
                                                     : 0);
    code.nAddress = Draw(random, nAddressBits);
    code.nCommand = Draw(random, FieldBits(form, 'F'));
    code.nMaker = Draw(random, FieldBits(form, 'M'));
    code.bToggle = FieldBits(form, 'T') != 0 && random() % 2 == 0;
    code.nRepeats = static_cast<int>(random() % 3);
    // A 16-bit NEC command made of a byte and its inverse is NEC's own frame.
    if (FieldBits(form, 'F') == 16 && code.nCommand >> 8 == (~code.nCommand & 0xFF))
        code.nCommand ^= 0x100;
    if (code.bExtended)
    {
        CFieldValues values = ToFieldValues(form, code);
        code.bExtended = false;
        if (ToFieldValues(form, code)[static_cast<std::size_t>('S' - 'A')] ==
            values[static_cast<std::size_t>('S' - 'A')])
            code.nAddress ^= 1u << form.nDeviceBits;
        code.bExtended = true;
    }
    return code;
}
} // namespace

// What an encoder makes, the decoder reads back as the same code, for every protocol, through a
// sender's jitter and a receiver's stretching: a wrong timing, bit order or field layout in a
// row, or two rows whose frames pass for each other, shows here.
TEST(SignalEncoderTest, DecodingWhatIsEncodedGivesTheCodeBack)
{
    std::mt19937 random(23);
    for (const SProtocolForm& form : GetProtocolForms())
        for (int nDraw = 0; nDraw < 60; ++nDraw)
        {
            const SDecodedSignal code = DrawCode(form, random);
            SEncodedSignal encoded;
            ASSERT_TRUE(EncodeSignal(code, encoded)) << form.pRow->pszName;
            EXPECT_EQ(encoded.nCarrierHz, form.pRow->nCarrierHz);
            // Nokia's four symbols lie closer together than a tenth's jitter would allow.
            const bool bClean = nDraw % 3 == 0 || form.nBitsPerSymbol > 1;
            const SignalFrames::CRuns runs =
                bClean ? encoded.durations
                       : SignalFrames::Distort(encoded.durations, nDraw, nDraw % 2 * 150);
            const SDecodedSignal decoded = DecodeSignal(runs);
            SDecodedSignal expected = code;
            expected.eProtocol = form.pRow->eDecodesAs;
            expected.nBits = FindProtocolForm(expected.eProtocol)->nFrameBits;
            ASSERT_TRUE(decoded.IsSameCode(expected))
                << form.pRow->pszName << " draw " << nDraw << ": " << DescribeSignal(code)
                << " came back as " << DescribeSignal(decoded);
            EXPECT_EQ(decoded.bExtended, code.bExtended) << form.pRow->pszName;
            if (form.pRow->eDecodesAs != form.pRow->eProtocol || !bClean)
                continue;
            EXPECT_EQ(decoded.bToggle, code.bToggle) << form.pRow->pszName;
            EXPECT_EQ(decoded.nRepeats, std::max(code.nRepeats, form.pRow->nMinRepeats))
                << form.pRow->pszName << " draw " << nDraw;
        }
}

// A code wider than the protocol's fields is refused rather than cut down to another button.
TEST(SignalEncoderTest, RefusesACodeTooWideForTheProtocol)
{
    SEncodedSignal encoded;
    SDecodedSignal code;
    code.eProtocol = EProtocol::kNec;
    code.nAddress = 0x1FF;
    EXPECT_FALSE(EncodeSignal(code, encoded));
    code.bExtended = true;
    EXPECT_TRUE(EncodeSignal(code, encoded));
    code.eProtocol = EProtocol::kSony;
    code.nAddress = 0x01;
    code.nCommand = 0x80;
    EXPECT_FALSE(EncodeSignal(code, encoded));
    code.eProtocol = EProtocol::kUnknown;
    EXPECT_FALSE(EncodeSignal(code, encoded));
}
