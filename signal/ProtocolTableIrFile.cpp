#include "signal/ProtocolTable.h"

// The frames of the ".ir" tool's parsed records as its own encoder sends them, to the
// microsecond. Each constant is cited with the file of the tool's firmware that defines it, all
// under lib/infrared/encoder_decoder/ (abbreviated "ed/" below). Its common encoder
// (ed/common/infrared_common_encoder.c) sends the preamble, then every bit least significant
// first as a mark and a space, then a stop mark of a 0 bit's width; a protocol without a repeat
// encoder starts every frame after its silence_time. Where its frame is the table's to the
// microsecond (SIRC), the row is here all the same, so that a change to the table cannot change
// what an ".ir" record sends.
namespace
{
using E = EProtocol;
using B = EBitEncoding;

// NEC and its kin: ed/nec/infrared_protocol_nec_i.h (PREAMBLE 9000/4500, BIT0 560/560, BIT1
// 560/1690, REPEAT_PERIOD 110000, REPEAT_MARK/SPACE 9000/2250); the fields as
// ed/nec/infrared_encoder_nec.c packs them: NEC the address, its inverse, the command and its
// inverse; NECext the 16-bit address and 16-bit command as written; NEC42 13 address bits, their
// inverse, the command and its inverse; NEC42ext 26 address bits and 16 command bits. The first
// gap is REPEAT_PERIOD less the frame, each repeat frame (9000, 2250, 560) starts REPEAT_PERIOD
// after the one before (infrared_encoder_nec_encode_repeat).
constexpr SProtocolRow NecRow(EProtocol eProtocol, const char* pszKey, const char* pszFrame,
                              char cSubdeviceDefault)
{
    const SProtocolRow row{
        .eProtocol = eProtocol,
        .pszName = pszKey,
        .pszKey = pszKey,
        .eDecodesAs = eProtocol,
        .nCarrierHz =
            38000, // INFRARED_COMMON_CARRIER_FREQUENCY, lib/infrared/encoder_decoder/infrared.h
        .dUnitMicros = 1,
        .eEncoding = B::kPulseDistance,
        .zero = {560, -560},
        .one = {560, -1690},
        .pszFrame = pszFrame,
        .pszRepeat = "9000,-2250,560",
        .dPeriodMicros = 110000,
        .cSubdeviceDefault = cSubdeviceDefault,
    };
    return row;
}

// SIRC: ed/sirc/infrared_protocol_sirc_i.h (PREAMBLE 2400/600, BIT1 1200, BIT0 600, spaces 600,
// REPEAT_PERIOD 45000, REPEAT_COUNT_MIN 3 frames in all, 40 kHz); ed/sirc/infrared_encoder_sirc.c
// sends 7 command bits, then 5, 8 or 13 address bits, and no stop bit.
constexpr SProtocolRow SircRow(EProtocol eProtocol, const char* pszKey, const char* pszFrame)
{
    const SProtocolRow row{
        .eProtocol = eProtocol,
        .pszName = pszKey,
        .pszKey = pszKey,
        .eDecodesAs = eProtocol,
        .nCarrierHz = 40000,
        .dUnitMicros = 600,
        .eEncoding = B::kPulseWidth,
        .zero = {1, -1},
        .one = {2, -1},
        .pszFrame = pszFrame,
        .dPeriodMicros = 45000,
        .nMinRepeats = 2,
    };
    return row;
}

constexpr SProtocolRow kIrFileRows[]{
    NecRow(E::kNec, "NEC", "9000,-4500,D:8,S:8,F:8,~F:8,560", '~'),
    NecRow(E::kNecWide, "NECext", "9000,-4500,D:16,F:16,560", 0),
    NecRow(E::kNec42, "NEC42", "9000,-4500,D:13,S:13,F:8,~F:8,560", '~'),
    NecRow(E::kNec42Wide, "NEC42ext", "9000,-4500,D:26,F:16,560", 0),
    // ed/samsung/infrared_protocol_samsung_i.h: PREAMBLE 4500/4500, BIT0 550/550, BIT1 550/1650;
    // ed/samsung/infrared_encoder_samsung.c: the address twice, the command and its inverse; the
    // repeat frame a preamble, a 1 bit and the stop mark, REPEAT_PAUSE1 (46000) after the frame
    // and REPEAT_PAUSE2 (97000) after each repeat.
    {
        .eProtocol = E::kSamsung,
        .pszName = "Samsung32",
        .pszKey = "Samsung32",
        .eDecodesAs = E::kSamsung,
        .nCarrierHz = 38000,
        .dUnitMicros = 1,
        .eEncoding = B::kPulseDistance,
        .zero = {550, -550},
        .one = {550, -1650},
        .pszFrame = "4500,-4500,D:8,S:8,F:8,~F:8,550",
        .pszRepeat = "4500,-4500,550,-1650,550",
        .dGapMicros = 46000,
        .dRepeatGapMicros = 97000,
        .cSubdeviceDefault = '=',
    },
    // ed/rc5/infrared_protocol_rc5_i.h: half a bit 888, SILENCE 27000 before each frame, 36 kHz;
    // ed/rc5/infrared_encoder_rc5.c: start bit, second start bit (0 for RC5X), toggle (0 in the
    // first frame), 5 address and 6 command bits most significant first; a 1 a space then a mark.
    {
        .eProtocol = E::kRc5,
        .pszName = "RC5",
        .pszKey = "RC5",
        .eDecodesAs = E::kRc5,
        .nCarrierHz = 36000,
        .dUnitMicros = 888,
        .eEncoding = B::kBiphase,
        .bMsbFirst = true,
        .zero = {1, -1},
        .one = {-1, 1},
        .pszFrame = "1:1,~F:1:6,T:1,D:5,F:6",
        .dGapMicros = 27000,
    },
    // ed/rc6/infrared_protocol_rc6_i.h: PREAMBLE 2666/889, half a bit 444, SILENCE 27000, 36 kHz;
    // ed/rc6/infrared_encoder_rc6.c: start bit 1, mode 000, the toggle in cells twice as wide,
    // address and command most significant first; a 1 a mark then a space, and the last space
    // not sent (infrared_common_encode_manchester).
    {
        .eProtocol = E::kRc6,
        .pszName = "RC6",
        .pszKey = "RC6",
        .eDecodesAs = E::kRc6,
        .nCarrierHz = 36000,
        .dUnitMicros = 444,
        .eEncoding = B::kBiphase,
        .bMsbFirst = true,
        .zero = {-1, 1},
        .one = {1, -1},
        .pszFrame = "2666us,-889us,1:1,0:3,T:1*,D:8,F:8",
        .dGapMicros = 27000,
    },
    SircRow(E::kSony, "SIRC", "4,-1,F:7,D:5"),
    SircRow(E::kSony15, "SIRC15", "4,-1,F:7,D:8"),
    SircRow(E::kSony20, "SIRC20", "4,-1,F:7,D:5,S:8"),
    // ed/kaseikyo/infrared_protocol_kaseikyo_i.h: UNIT 432, PREAMBLE 8 and 4 units, BIT1 space 3
    // units, SILENCE 130000 before each frame, 38 kHz (INFRARED_COMMON_CARRIER_FREQUENCY);
    // ed/kaseikyo/infrared_encoder_kaseikyo.c: vendor (maker) code, its nibble parity, genre1,
    // genre2, 10 command bits, the 2-bit id, and the xor of the three bytes after the vendor.
    {
        .eProtocol = E::kKaseikyo,
        .pszName = "Kaseikyo",
        .pszKey = "Kaseikyo",
        .eDecodesAs = E::kKaseikyo,
        .nCarrierHz = 38000,
        .dUnitMicros = 432,
        .eEncoding = B::kPulseDistance,
        .zero = {1, -1},
        .one = {1, -3},
        .pszFrame = "8,-4,M:16,P:4,D:4,S:4,F:10,E:2,X:8,1",
        .checks = {{'P', ECheck::kMakerNibbleXor}, {'X', ECheck::kDataByteXor}},
        .nDefaultMaker = 0x2002,
        .dGapMicros = 130000,
    },
    // ed/rca/infrared_protocol_rca_i.h: PREAMBLE 4000/4000, BIT0 500/1000, BIT1 500/2000,
    // SILENCE 8000 before each frame, 38 kHz (the variant's INFRARED_COMMON_CARRIER_FREQUENCY);
    // ed/rca/infrared_encoder_rca.c: 4 address bits, 8 command bits, then both inverted, least
    // significant bit first like every field of the common encoder.
    {
        .eProtocol = E::kRca,
        .pszName = "RCA",
        .pszKey = "RCA",
        .eDecodesAs = E::kRca,
        .nCarrierHz = 38000,
        .dUnitMicros = 1,
        .eEncoding = B::kPulseDistance,
        .zero = {500, -1000},
        .one = {500, -2000},
        .pszFrame = "4000,-4000,D:4,F:8,~D:4,~F:8,500",
        .dGapMicros = 8000,
    },
    // ed/pioneer/infrared_protocol_pioneer_i.h: PREAMBLE 8500/4225, BIT0 500/500, BIT1 500/1500,
    // SILENCE 26000, REPEAT_COUNT_MIN 2 frames in all, 40 kHz;
    // ed/pioneer/infrared_encoder_pioneer.c: NEC's four bytes and a 33rd bit, 0, whose mark closes
    // the frame and whose 500 us space comes before the silence; the frame itself is repeated.
    {
        .eProtocol = E::kPioneer,
        .pszName = "Pioneer",
        .pszKey = "Pioneer",
        .eDecodesAs = E::kPioneer,
        .nCarrierHz = 40000,
        .dUnitMicros = 1,
        .eEncoding = B::kPulseDistance,
        .zero = {500, -500},
        .one = {500, -1500},
        .pszFrame = "8500,-4225,D:8,S:8,F:8,~F:8,500",
        .dGapMicros = 26500,
        .nMinRepeats = 1,
        .cSubdeviceDefault = '~',
    },
};
} // namespace

std::span<const SProtocolRow> GetIrFileRows()
{
    return kIrFileRows;
}
