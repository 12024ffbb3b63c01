#include "signal/SignalDecoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

// Frames written out by hand from the protocols' public descriptions, not from our own encoder:
// each is what the description says a remote sends for the code, and the decoder must read that
// code from it. Where our table and a description part, this is where it shows.
namespace
{
struct SPublishedFrame
{
    const char* pszWhat;
    std::vector<std::uint32_t> durations;
    const char* pszExpected;
};

std::vector<SPublishedFrame> PublishedFrames()
{
    return {
        // NEC, as v4l-utils' ir-ctl/ir-encode.c (nec_encode) sends it and the kernel's
        // Documentation/userspace-api/media/rc/rc-protos.rst ("nec") lays it out: a unit of
        // 562.5 us, a 16-unit mark and 8-unit space, then address, inverted address, command,
        // inverted command, each least significant bit first, a unit's mark and a space of one
        // unit (0) or three (1), and a closing mark. Address 0x59, command 0x16.
        {"NEC",
         {9000, 4500,                                                        // header
          563,  1688, 563, 563,  563, 563,  563, 1688, 563, 1688, 563, 563,  // 0x59 ...
          563,  1688, 563, 563,                                              // ... 0x59
          563,  563,  563, 1688, 563, 1688, 563, 563,  563, 563,  563, 1688, // 0xA6 ...
          563,  563,  563, 1688,                                             // ... 0xA6
          563,  563,  563, 1688, 563, 1688, 563, 563,  563, 1688, 563, 563,  // 0x16 ...
          563,  563,  563, 563,                                              // ... 0x16
          563,  1688, 563, 563,  563, 563,  563, 1688, 563, 563,  563, 1688, // 0xE9 ...
          563,  1688, 563, 1688,                                             // ... 0xE9
          563},
         "NEC address 0x59 command 0x16"},
        // JVC, as ir-encode.c (jvc_encode) sends it and rc-protos.rst ("jvc") describes it: NEC's
        // layout without the inverted bytes, a unit of 525 us, the address byte first, least
        // significant bit first. Address 0xC1, command 0x5A.
        {"JVC",
         {8400, 4200,                                                      // header
          525,  1575, 525, 525,  525, 525, 525, 525,  525, 525,  525, 525, // 0xC1 ...
          525,  1575, 525, 1575,                                           // ... 0xC1
          525,  525,  525, 1575, 525, 525, 525, 1575, 525, 1575, 525, 525, // 0x5A ...
          525,  1575, 525, 525,                                            // ... 0x5A
          525},
         "JVC address 0xC1 command 0x5A"},
        // Samsung's 32-bit frame as wiki.nicksoft.com/mcu:ir-rc-codes:samsung-2333hd measures
        // it and quotes the maker's application note (S3F80KB): a 4.5 ms mark and 4.5 ms
        // space, least significant bit first, a short space for 0 and a long one for 1, the
        // custom code twice (0x07 0x07), the key code and its complement ("VolUp 07F8"); the
        // closing 560 us mark as captured on irforum.analysir.com (topic 536).
        {"Samsung32",
         {4500, 4500,                                                        // header
          560,  1690, 560, 1690, 560, 1690, 560, 560,  560, 560,  560, 560,  // 0x07 ...
          560,  560,  560, 560,                                              // ... 0x07
          560,  1690, 560, 1690, 560, 1690, 560, 560,  560, 560,  560, 560,  // 0x07 ...
          560,  560,  560, 560,                                              // ... 0x07
          560,  1690, 560, 1690, 560, 1690, 560, 560,  560, 560,  560, 560,  // 0x07 ...
          560,  560,  560, 560,                                              // ... 0x07
          560,  560,  560, 560,  560, 560,  560, 1690, 560, 1690, 560, 1690, // 0xF8 ...
          560,  1690, 560, 1690,                                             // ... 0xF8
          560},
         "Samsung address 0x07 command 0x07"},
        // Sony SIRC 12-bit, as ir-encode.c (sony_encode) sends it and rc-protos.rst ("sony-12")
        // maps it: a unit of 600 us, a 4-unit mark and a unit's space, then 7 command bits and 5
        // device bits, least significant first, each a mark of two units (1) or one (0) and a
        // unit's space. Command 0x2F, device 0x11.
        {"Sony 12-bit",
         {2400, 600,                                                       // header
          1200, 600, 1200, 600, 1200, 600, 1200, 600, 600, 600, 1200, 600, // command ...
          600,  600,                                                       // ... 0x2F
          1200, 600, 600,  600, 600,  600, 600,  600, 1200},               // device 0x11
         "Sony 12-bit address 0x11 command 0x2F"},
        // RC-5, as ir-encode.c (rc5_encode) sends it and rc-protos.rst ("rc-5") maps it: 889 us
        // half-cells, 1 a space then a mark, 0 a mark then a space, the first start bit's space
        // unseen; start bit 1, second start bit 1 (command bit 6 inverted), toggle 0, 5
        // address and 6 command bits most significant first. Address 0x14, command 0x2B:
        // 1 1 0 | 10100 | 101011.
        {"RC-5",
         {889, 889, 1778, 1778, 1778, 1778, 1778, 889, 889, 1778, 1778, 1778, 1778, 1778, 889, 889,
          889},
         "RC-5 address 0x14 command 0x2B"},
        // RC-5 with a command from 64 on: its second start bit, command bit 6 inverted, is 0.
        // Address 0x0A, command 0x41: 1 0 0 | 01010 | 000001.
        {"RC-5 extended command",
         {1778, 889, 889, 889, 889, 1778, 1778, 1778, 1778, 889, 889,
          889,  889, 889, 889, 889, 889,  889,  889,  1778, 889},
         "RC-5 address 0x0A command 0x41"},
        // RC-6 mode 0, as ir-encode.c (rc6_encode, RC_PROTO_RC6_0) sends it and rc-protos.rst
        // ("rc-6-0") describes it: 444 us half-cells, a 6-unit mark and 2-unit space, start bit
        // 1, mode 000, the trailer (toggle) bit 0 in cells twice as wide, then the 16 bits,
        // address byte first, most significant first; 1 a mark then a space. Address 0x04,
        // command 0x31: 1 | 000 | 0 | 00000100 | 00110001.
        {"RC-6 mode 0",
         {2664, 888, 444, 888, 444, 444, 444, 444, 444, 888, 888, 444, 444,
          444,  444, 444, 444, 444, 444, 444, 888, 888, 444, 444, 444, 444,
          444,  444, 888, 444, 444, 888, 444, 444, 444, 444, 888},
         "RC-6 address 0x04 command 0x31"},
    };
}
} // namespace

TEST(PublishedFramesTest, DecodesEachFrameAsItsDescriptionSays)
{
    for (const SPublishedFrame& frame : PublishedFrames())
        EXPECT_EQ(DescribeSignal(DecodeSignal(frame.durations)), frame.pszExpected)
            << frame.pszWhat;
}
