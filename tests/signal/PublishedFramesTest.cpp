#include "signal/ProtocolTable.h"
#include "signal/SignalDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

// Frames written out from the protocols' public descriptions (by hand, or rendered from their
// published IRP notation outside Quorbit), never by our own encoder: each is what the
// description says a remote sends for the code, and the decoder must read that code from it.
// Every row of the protocol table has one. Where our table and a description part, this is
// where it shows.
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
        // IRMP's NEC42 (mikrocontroller.net/articles/IRMP_-_english#NEC42): NEC's 9 ms and 4.5 ms
        // lead and 560/560 and 560/1690 us bits, 13 address bits, their inverse, the command and
        // its inverse, least significant first. Address 0x0ABC, command 0x3C.
        {"NEC 42-bit",
         {9000, 4500, 560,  560,  560,  560,  560,  1690, 560,  1690, 560,  1690, 560, 1690, 560,
          560,  560,  1690, 560,  560,  560,  1690, 560,  560,  560,  1690, 560,  560, 560,  1690,
          560,  1690, 560,  560,  560,  560,  560,  560,  560,  560,  560,  1690, 560, 560,  560,
          1690, 560,  560,  560,  1690, 560,  560,  560,  1690, 560,  560,  560,  560, 560,  1690,
          560,  1690, 560,  1690, 560,  1690, 560,  560,  560,  560,  560,  1690, 560, 1690, 560,
          560,  560,  560,  560,  560,  560,  560,  560,  1690, 560,  1690, 560},
         "NEC 42-bit address 0x0ABC command 0x3C"},
        // The kernel's rc-protos.rst ("nec-32") and ir-nec-decoder.c: NEC's frame at 562.5 us
        // whose last byte is no inverse of the third: address 0x87EE (low byte first), command
        // 0x0002.
        {"NEC 16-bit command",
         {9000, 4500, 562, 562,  562, 1688, 562, 1688, 562, 1688, 562, 562, 562, 1688,
          562,  1688, 562, 1688, 562, 1688, 562, 1688, 562, 1688, 562, 562, 562, 562,
          562,  562,  562, 562,  562, 1688, 562, 562,  562, 1688, 562, 562, 562, 562,
          562,  562,  562, 562,  562, 562,  562, 562,  562, 562,  562, 562, 562, 562,
          562,  562,  562, 562,  562, 562,  562, 562,  562, 562,  562},
         "NEC 16-bit command address 0x87EE command 0x02"},
        // IRMP's NEC42 layout with its two address parts and the command's two bytes not inverses
        // of each other: a 26-bit address 0x2ABCDEF, a 16-bit command 0x1234.
        {"NEC 42-bit 16-bit command",
         {9000, 4500, 560,  1690, 560,  1690, 560, 1690, 560,  1690, 560,  560,  560, 1690, 560,
          1690, 560,  1690, 560,  1690, 560,  560, 560,  1690, 560,  1690, 560,  560, 560,  560,
          560,  1690, 560,  1690, 560,  1690, 560, 1690, 560,  560,  560,  1690, 560, 560,  560,
          1690, 560,  560,  560,  1690, 560,  560, 560,  1690, 560,  560,  560,  560, 560,  1690,
          560,  560,  560,  1690, 560,  1690, 560, 560,  560,  560,  560,  560,  560, 1690, 560,
          560,  560,  560,  560,  1690, 560,  560, 560,  560,  560,  560,  560},
         "NEC 42-bit 16-bit command address 0x2ABCDEF command 0x1234"},
        // IRMP's KASEIKYO (16 maker bits, 4 parity bits, genre1, genre2, 10 command bits, 2 id
        // bits, 8 parity bits) at DecodeIR's Kaseikyo timings
        // {37k,432}<1,-1|1,-3>(8,-4,...,1,-173): maker 0x2002, genre1 8, genre2 0, command 0x03D;
        // as DecodeIR's Panasonic it is 2:8,32:8,D=0x80,S=0xD0,F=0x03,(D^S^F)=0x53.
        {"Kaseikyo",
         {3456, 1728, 432, 432,  432,  1296, 432, 432,  432,  432,  432,  432, 432, 432, 432,
          432,  432,  432, 432,  432,  432,  432, 432,  432,  432,  432,  432, 432, 432, 1296,
          432,  432,  432, 432,  432,  432,  432, 432,  432,  432,  432,  432, 432, 432, 432,
          432,  432,  432, 432,  1296, 432,  432, 432,  432,  432,  432,  432, 432, 432, 1296,
          432,  432,  432, 1296, 432,  1296, 432, 1296, 432,  1296, 432,  432, 432, 432, 432,
          432,  432,  432, 432,  432,  432,  432, 432,  1296, 432,  1296, 432, 432, 432, 432,
          432,  1296, 432, 432,  432,  1296, 432, 432,  432},
         "Kaseikyo maker 0x2002 address 0x08 command 0x3D"},
        // DecodeIR's Panasonic_Old: {57.6k,833}<1,-1|1,-3>(4,-4,D:5,F:6,~D:5,~F:6,1,-44m). Device
        // 0x15, function 0x2A.
        {"Panasonic 22-bit",
         {3332, 3332, 833, 2499, 833, 833, 833, 2499, 833, 833, 833, 2499, 833, 833, 833, 2499,
          833,  833,  833, 2499, 833, 833, 833, 2499, 833, 833, 833, 2499, 833, 833, 833, 2499,
          833,  833,  833, 2499, 833, 833, 833, 2499, 833, 833, 833, 2499, 833, 833, 833},
         "Panasonic 22-bit address 0x15 command 0x2A"},
        // DecodeIR's Emerson: {36.7k,872}<1,-1|1,-3>(4,-4,D:6,F:6,~D:6,~F:6,1,-39). Device 0x21,
        // function 0x0E.
        {"Emerson",
         {3488, 3488, 872, 2616, 872,  872,  872,  872,  872,  872,  872,  872, 872,
          2616, 872,  872, 872,  2616, 872,  2616, 872,  2616, 872,  872,  872, 872,
          872,  872,  872, 2616, 872,  2616, 872,  2616, 872,  2616, 872,  872, 872,
          2616, 872,  872, 872,  872,  872,  872,  872,  2616, 872,  2616, 872},
         "Emerson address 0x21 command 0x0E"},
        // DecodeIR's RCA: {58k,460,msb}<1,-2|1,-4>(8,-8,D:4,F:8,~D:4,~F:8,1,-16). Device 0xF,
        // function 0x54.
        {"RCA",
         {3680, 3680, 460, 1840, 460,  1840, 460, 1840, 460,  1840, 460,  920, 460,
          1840, 460,  920, 460,  1840, 460,  920, 460,  1840, 460,  920,  460, 920,
          460,  920,  460, 920,  460,  920,  460, 920,  460,  1840, 460,  920, 460,
          1840, 460,  920, 460,  1840, 460,  920, 460,  1840, 460,  1840, 460},
         "RCA address 0x0F command 0x54"},
        // DecodeIR's Proton: {38k,500}<1,-1|1,-3>(16,-8,D:8,1,-8,F:8,1,^63m). Device 0x19,
        // function 0x62.
        {"Proton",
         {8000, 4000, 500, 1500, 500, 500,  500,  500,  500, 1500, 500,  1500, 500,
          500,  500,  500, 500,  500, 500,  4000, 500,  500, 500,  1500, 500,  500,
          500,  500,  500, 500,  500, 1500, 500,  1500, 500, 500,  500},
         "Proton address 0x19 command 0x62"},
        // DecodeIR's G.I. Cable:
        // {38.7k,490}<1,-4.5|1,-9>(18,-9,F:8,D:4,C:4,1,-84,(18,-4.5,1,-178)*), C = -(D + F:4 +
        // F:4:4): device 5, function 0xA7, check 3, then one ditto.
        {"G.I. Cable",
         {8820, 4410, 490,  4410, 490,  4410, 490,  4410, 490,  2205,  490,  2205, 490,
          4410, 490,  2205, 490,  4410, 490,  4410, 490,  2205, 490,   4410, 490,  2205,
          490,  2205, 490,  4410, 490,  2205, 490,  4410, 490,  41160, 8820, 2205, 490},
         "G.I. Cable address 0x05 command 0xA7, repeated 1 time"},
        // DecodeIR's Sharp: {38k,264}<1,-3|1,-7>(D:5,F:8,1:2,1,-165,D:5,~F:8,2:2,1,-165), both
        // halves. Device 0x0B, function 0x5C.
        {"Sharp",
         {264, 1848, 264, 1848, 264, 792,  264, 1848, 264, 792,  264, 792,  264, 792,  264, 1848,
          264, 1848, 264, 1848, 264, 792,  264, 1848, 264, 792,  264, 1848, 264, 792,  264, 43560,
          264, 1848, 264, 1848, 264, 792,  264, 1848, 264, 792,  264, 1848, 264, 1848, 264, 792,
          264, 792,  264, 792,  264, 1848, 264, 792,  264, 1848, 264, 792,  264, 1848, 264},
         "Sharp address 0x0B command 0x5C, repeated 1 time"},
        // DecodeIR's Denon: the same as Sharp with 0:2 and 3:2 as the halves' endings. Device
        // 0x04, function 0x91.
        {"Denon",
         {264, 792,  264, 792,  264, 1848, 264, 792,  264, 792,  264, 1848, 264, 792,  264, 792,
          264, 792,  264, 1848, 264, 792,  264, 792,  264, 1848, 264, 792,  264, 792,  264, 43560,
          264, 792,  264, 792,  264, 1848, 264, 792,  264, 792,  264, 792,  264, 1848, 264, 1848,
          264, 1848, 264, 792,  264, 1848, 264, 1848, 264, 792,  264, 1848, 264, 1848, 264},
         "Denon address 0x04 command 0x91, repeated 1 time"},
        // DecodeIR's Dish_Network: {57.6k,400}<1,-7|1,-4>(1,-15,(F:-6,S:5,D:5,1,-15)+), the
        // function most significant first. Function 0x2D, unit 3, device 0x11.
        {"Dish Network",
         {400, 6000, 400, 1600, 400, 2800, 400, 1600, 400, 1600, 400, 2800,
          400, 1600, 400, 1600, 400, 1600, 400, 2800, 400, 2800, 400, 2800,
          400, 1600, 400, 2800, 400, 2800, 400, 2800, 400, 1600, 400},
         "Dish Network address 0x71 command 0x2D"},
        // DecodeIR's Mitsubishi: {32.6k,300}<1,-3|1,-7>(D:8,F:8,1,-80). Device 0x47, function
        // 0x1E.
        {"Mitsubishi",
         {300, 2100, 300,  2100, 300, 2100, 300, 900, 300,  900, 300,
          900, 300,  2100, 300,  900, 300,  900, 300, 2100, 300, 2100,
          300, 2100, 300,  2100, 300, 900,  300, 900, 300,  900, 300},
         "Mitsubishi address 0x47 command 0x1E"},
        // DecodeIR's Thomson7: {33k,500}<1,-4|1,-9>(D:4,T:1,F:7,1,^80m). Device 6, toggle 0,
        // function 0x55.
        {"Thomson",
         {500,  2000, 500,  4500, 500,  4500, 500,  2000, 500,  2000, 500,  4500, 500,
          2000, 500,  4500, 500,  2000, 500,  4500, 500,  2000, 500,  4500, 500},
         "Thomson address 0x06 command 0x55"},
        // DecodeIR's RECS80 (0045): {38k,158,msb}<1,-31|1,-47>(1:1,T:1,D:3,F:6,1,-45m). Device 5,
        // toggle 0, function 0x2C.
        {"RECS-80",
         {158, 7426, 158, 4898, 158, 7426, 158, 4898, 158, 7426, 158, 7426,
          158, 4898, 158, 7426, 158, 7426, 158, 4898, 158, 4898, 158},
         "RECS-80 address 0x05 command 0x2C"},
        // The same frame as a receiver delivers it, every mark 200 us longer and every space 200
        // us shorter.
        {"RECS-80, marks 200 us longer",
         {358, 7226, 358, 4698, 358, 7226, 358, 4698, 358, 7226, 358, 7226,
          358, 4698, 358, 7226, 358, 7226, 358, 4698, 358, 4698, 358},
         "RECS-80 address 0x05 command 0x2C"},
        // DecodeIR's Nokia32:
        // {36k,msb}<164,-276|164,-445|164,-614|164,-783>(412,-276,D:8,S:8,T:1,X:7,F:8,164,^100m).
        // Device 0x26, subdevice 0x51, toggle 0, X 0x1B, function 0xC4.
        {"Nokia 32",
         {412, 276, 164, 276, 164, 614, 164, 445, 164, 614, 164, 445, 164, 445, 164, 276, 164, 445,
          164, 276, 164, 445, 164, 614, 164, 783, 164, 783, 164, 276, 164, 445, 164, 276, 164},
         "Nokia 32 address 0x1B5126 command 0xC4"},
        // DecodeIR's MCE (RC6-6-32):
        // {36k,444,msb}<-1,1|1,-1>(6,-2,1:1,6:3,-2,2,OEM1:8,OEM2:8,T:1,D:7,F:8,^107m). OEM 0x80
        // 0x0F, toggle 0, device 0x04, function 0x0D.
        {"RC-6 6A 32-bit",
         {2664, 888, 444, 444, 444, 444, 444, 888, 444, 888, 1332, 888, 444, 444, 444, 444, 444,
          444,  444, 444, 444, 444, 444, 444, 444, 444, 444, 444,  444, 444, 444, 444, 888, 444,
          444,  444, 444, 444, 444, 888, 444, 444, 444, 444, 444,  444, 444, 444, 888, 888, 444,
          444,  444, 444, 444, 444, 444, 444, 444, 444, 888, 444,  444, 888, 888},
         "RC-6 6A 32-bit address 0x800F command 0x040D"},
        // DecodeIR's RC6-6-20:
        // {36k,444,msb}<-1,1|1,-1>(6,-2,1:1,6:3,<-2,2|2,-2>(T:1),D:8,S:4,F:8). Device 0x2C,
        // subdevice 5, function 0x9E.
        {"RC-6 6A 20-bit",
         {2664, 888, 444, 444, 444, 444, 444, 888, 444, 888, 888, 444, 444, 444,
          888,  888, 888, 444, 444, 888, 444, 444, 444, 444, 888, 888, 888, 444,
          444,  888, 444, 444, 888, 444, 444, 444, 444, 444, 444, 888, 444},
         "RC-6 6A 20-bit address 0x052C command 0x9E"},
        // DecodeIR's Blaupunkt: {30.3k,528}<-1,1|1,-1>(1,-5,1023:10,-39,1,-5,1:1,F:6,D:3,-230):
        // the sync, then function 0x1A, device 3, least significant first.
        {"Blaupunkt",
         {528,  2640, 528,  528, 528, 528,  528,  528, 528,   528,  528,  528, 528,
          528,  528,  528,  528, 528, 528,  528,  528, 21120, 528,  2640, 528, 1056,
          1056, 1056, 1056, 528, 528, 1056, 1056, 528, 528,   1056, 528},
         "Blaupunkt address 0x03 command 0x1A"},
        // The same protocol's frame alone, as a held button repeats it: function 0x15, device 2.
        {"Blaupunkt without its sync",
         {528, 2640, 528, 528, 528, 1056, 1056, 1056, 1056, 1056, 528, 528, 1056, 1056, 528},
         "Blaupunkt address 0x02 command 0x15"},
        // DecodeIR's Sony15: {40k,600}<1,-1|2,-1>(4,-1,F:7,D:8,^45m). Function 0x33, device 0x97.
        {"Sony 15-bit",
         {2400, 600, 1200, 600, 1200, 600, 600, 600, 600,  600, 1200, 600, 1200, 600, 600, 600,
          1200, 600, 1200, 600, 1200, 600, 600, 600, 1200, 600, 600,  600, 600,  600, 1200},
         "Sony 15-bit address 0x97 command 0x33"},
        // DecodeIR's Sony20: {40k,600}<1,-1|2,-1>(4,-1,F:7,D:5,S:8,^45m). Function 0x39, device
        // 0x1A, subdevice 0x47.
        {"Sony 20-bit",
         {2400, 600, 1200, 600, 600,  600, 600, 600, 1200, 600, 1200, 600, 1200, 600,
          600,  600, 600,  600, 1200, 600, 600, 600, 1200, 600, 1200, 600, 1200, 600,
          1200, 600, 1200, 600, 600,  600, 600, 600, 600,  600, 1200, 600, 600},
         "Sony 20-bit address 0x08FA command 0x39"},
        // DecodeIR's Pioneer: {40k,564}<1,-1|1,-3>(16,-8,D:8,S:8,F:8,~F:8,1,^108m), "distinguished
        // from NEC2 only by frequency", so it reads as NEC. Device 0xA5, function 0x1C.
        {"Pioneer",
         {9024, 4512, 564, 1692, 564, 564,  564, 1692, 564, 564,  564, 564,  564, 1692,
          564,  564,  564, 1692, 564, 564,  564, 1692, 564, 564,  564, 1692, 564, 1692,
          564,  564,  564, 1692, 564, 564,  564, 564,  564, 564,  564, 1692, 564, 1692,
          564,  1692, 564, 564,  564, 564,  564, 564,  564, 1692, 564, 1692, 564, 564,
          564,  564,  564, 564,  564, 1692, 564, 1692, 564, 1692, 564},
         "NEC address 0xA5 command 0x1C"},
        // DecodeIR's Aiwa: {38k,550}<1,-1|1,-3>(16,-8,D:8,S:5,~D:8,~S:5,F:8,~F:8,1,-42,...), NEC
        // 42-bit's frame, so it reads as that. Device 0x6E, subdevice 2, function 0x44.
        {"Aiwa",
         {8800, 4400, 550,  550, 550,  1650, 550,  1650, 550,  1650, 550,  550,  550, 1650, 550,
          1650, 550,  550,  550, 550,  550,  1650, 550,  550,  550,  550,  550,  550, 550,  1650,
          550,  550,  550,  550, 550,  550,  550,  1650, 550,  550,  550,  550,  550, 1650, 550,
          1650, 550,  550,  550, 1650, 550,  1650, 550,  1650, 550,  550,  550,  550, 550,  1650,
          550,  550,  550,  550, 550,  550,  550,  1650, 550,  550,  550,  1650, 550, 1650, 550,
          550,  550,  1650, 550, 1650, 550,  1650, 550,  550,  550,  1650, 550},
         "NEC 42-bit address 0x026E command 0x44"},
        // DecodeIR's JVC{2}: a JVC frame whose lead was missed,
        // {38k,525}<1,-1|1,-3>(D:8,F:8,1,-45) (the kernel's jvc decoder reads such repeats too).
        // Device 0x03, function 0x17.
        {"JVC without its lead",
         {525,  1575, 525,  1575, 525,  525, 525, 525, 525,  525, 525, 525, 525, 525, 525, 525, 525,
          1575, 525,  1575, 525,  1575, 525, 525, 525, 1575, 525, 525, 525, 525, 525, 525, 525},
         "JVC address 0x03 command 0x17"},
    };
}
} // namespace

TEST(PublishedFramesTest, DecodesEachFrameAsItsDescriptionSays)
{
    for (const SPublishedFrame& frame : PublishedFrames())
        EXPECT_EQ(DescribeSignal(DecodeSignal(frame.durations)), frame.pszExpected)
            << frame.pszWhat;
}

// A row without a frame from its description could be consistently wrong and pass every other
// test, which encodes and decodes through the row itself.
TEST(PublishedFramesTest, EveryRowHasAFrameFromItsDescription)
{
    const std::vector<SPublishedFrame> frames = PublishedFrames();
    for (const SProtocolForm& form : GetProtocolForms())
        EXPECT_TRUE(
            std::any_of(frames.begin(), frames.end(),
                        [&](const SPublishedFrame& frame)
                        { return std::string(frame.pszWhat).starts_with(form.pRow->pszName); }))
            << form.pRow->pszName;
}
