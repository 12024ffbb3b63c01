#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

// The code a button was made from, as the maker of the remote would write it down. The document
// keeps it beside the samples: a recording does not always tell it back (Pioneer's frames are
// NEC's at another carrier), and exports and listings give it as it was imported.
struct SButtonCode
{
    // The protocol's one-word key, as code lists write it ("NEC", "Sony15", "RC6-6-32"): kept by
    // name, so that what a file means does not hang on the order of a list in the program.
    std::string strProtocol;
    std::uint32_t nAddress = 0;
    std::uint32_t nCommand = 0;
    std::uint32_t nMaker = 0; // Kaseikyo's maker code; 0 for the others
    int nBits = 0;            // data bits of a frame, where the protocol has several widths
    bool bExtended = false;   // an address twice as wide, its second part not derived
    // Sent with the timings of the ".ir" files it was read from, rather than the table's.
    bool bIrFileForm = false;

    bool operator==(const SButtonCode&) const = default;
};

// What a plain button's samples stand for and how they go out. Everything is unknown for a
// button of a document made before Quorbit kept them: such samples play at the unit's own rate,
// with the carrier of the protocol the recording shows.
struct SSendingFacts
{
    // The time base of the samples, in picoseconds a sample (1,000,000 is 1 µs); 0 unknown.
    std::uint32_t nSamplePicos = 0;
    std::uint32_t nCarrierHz = 0;   // 0 unknown
    std::uint32_t nDutyPercent = 0; // share of the carrier's period the emitter is on; 0 unknown
    std::optional<SButtonCode> code;

    bool IsEmpty() const
    {
        return nSamplePicos == 0 && nCarrierHz == 0 && nDutyPercent == 0 && !code;
    }
    double GetNanosPerSample() const { return nSamplePicos / 1000.0; }
    // Periods that are not positive, or beyond what the field holds (4 ms), are unknown.
    void SetNanosPerSample(double dNanos)
    {
        const double dPicos = std::round(dNanos * 1000);
        nSamplePicos = dPicos >= 1 && dPicos <= UINT32_MAX ? static_cast<std::uint32_t>(dPicos) : 0;
    }

    bool operator==(const SSendingFacts&) const = default;
};
