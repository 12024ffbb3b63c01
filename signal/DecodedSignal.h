#pragma once

#include <cstddef>
#include <cstdint>

// The infrared protocols whose frames Quorbit recognises in a learned signal and can make from a
// code (their timings are in ProtocolTable.cpp).
enum class EProtocol
{
    kUnknown,
    kNec,
    kSamsung,
    kJvc,
    kSony,
    kRc5,
    kRc6,
    kNec42,
    kKaseikyo,
    kPanasonic22,
    kEmerson,
    kRca,
    kProton,
    kGiCable,
    kSharp,
    kDenon,
    kDish,
    kMitsubishi,
    kThomson,
    kRecs80,
    kNokia32,
    kRc6Mode6A32,
    kRc6Mode6A20,
    kBlaupunkt,
    kSony15,
    kSony20,
    kPioneer,
    kAiwa,
    kNecWide,
    kNec42Wide,
};

// Whose timings a frame made from a code follows: the protocol table's, or those of the tool
// that writes ".ir" files, for codes read from its files. The two differ by a few microseconds
// in some protocols and more in others, and a code should go out as the tool it came from
// sends it.
enum class EFrameForm : std::uint8_t
{
    kTable,
    kIrFile,
};

// What a signal carries, as the maker of the remote would write it down.
struct SDecodedSignal
{
    EProtocol eProtocol = EProtocol::kUnknown;
    EFrameForm eForm = EFrameForm::kTable;
    std::uint32_t nAddress = 0;
    std::uint32_t nCommand = 0;
    // Kaseikyo: the maker's code (0x2002 for Panasonic).
    std::uint32_t nMaker = 0;
    // Data bits in a frame: 32 (NEC, Samsung), 16 (JVC), 14 (RC-5), 21 (RC-6 mode 0, from its
    // start bit), 12, 15 or 20 (Sony). Sony's address holds every bit past the 7-bit command.
    int nBits = 0;
    // NEC, NEC 42-bit and Samsung: the second part of the address is not derived from the
    // first, so the address is twice as wide. RC-5 needs no flag: a command of 64 and above is
    // its extended form.
    bool bExtended = false;
    // RC-5, RC-6 and the others that have one: the toggle bit, which changes with every new
    // press.
    bool bToggle = false;
    // Only NEC repeat frames were found: a button held down, whose code was missed.
    bool bRepeatOnly = false;
    // Frames after the first that repeat it (a button held down, or a remote that always sends
    // its frame more than once).
    int nRepeats = 0;
    // Mark and space durations in the whole signal, and the one at which the decoded frame
    // begins (frames before it were not understood).
    std::size_t nRuns = 0;
    std::size_t nFrameStart = 0;

    // Same protocol, maker, address and command: the same button, whatever the toggle bit and
    // repeats.
    bool IsSameCode(const SDecodedSignal& other) const;
};
