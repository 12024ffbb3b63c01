#pragma once

#include "signal/ExchangeCode.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What the exchange formats share in reading and writing text.

// The words of one line that holds any, with its number from 1.
struct SWordLine
{
    int nLine = 0;
    std::vector<std::string_view> words;
};

// The lines of text split into words at spaces and tabs, without comments (from a '#' that
// begins a word to the end of the line; "KEY-#" is a word) and without lines that hold no
// words, after a UTF-8 byte-order mark at the start. The words point into text.
std::vector<SWordLine> SplitWordLines(std::string_view text);
// The same one line at a time, for an input read as it goes: takes the next line that holds
// words from rest (nLine counts the lines taken, from 0); false at the end of the text.
bool TakeWordLine(std::string_view& rest, int& nLine, SWordLine& line);

// A name as these formats hold it: one word. Spaces, tabs, ':' and a leading '#' become '_'.
std::string MakeExchangeName(const std::string& strName);

// strWord as a decimal number from 1 to nMax, or 0 when it is not one.
unsigned long ParseDecimal(std::string_view strWord, unsigned long nMax);

// strWord as a number: 0x for hexadecimal, else decimal, or octal after a leading 0 when
// bOctal (as the Linux infrared daemon reads its files). False when it is none.
bool ParseNumber(std::string_view strWord, std::uint64_t& nValue, bool bOctal);

// The end of a reader's work: the codes it read into codes when it found no fault (found's
// reason empty), else the fault into error, codes left as they were. Returns whether it read them.
bool HandOver(std::vector<SExchangeCode>& read, const SExchangeError& found,
              std::vector<SExchangeCode>& codes, SExchangeError& error);
