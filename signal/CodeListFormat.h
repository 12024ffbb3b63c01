#pragma once

#include "signal/ExchangeCode.h"

#include <cstddef>
#include <string_view>
#include <vector>

// Codes typed by hand or written by a script, a button a line:
//     NAME PROTOCOL ADDRESS COMMAND [MAKER]
//     Power  NEC     0x04    0x08
//     Eject  Sony15  0x97    21
// PROTOCOL is a protocol's one-word key (NEC, NEC42, Samsung32, Kaseikyo, Sony12, RC5, RC6A32,
// ..., case and '-' ignored); numbers are decimal or 0x hexadecimal. An address wider than a
// protocol's device field is its extended form (NEC's 16-bit address). MAKER is Kaseikyo's maker
// code, Panasonic's (0x2002) when left out. A '#' that begins a word begins a comment; within
// a word ("KEY-#") it is the word's.

// More codes than a list of one's own typing holds, and than any pad has buttons for many
// times over: a larger list is a mistake, refused before it takes time and memory.
constexpr std::size_t kMaxListedCodes = 10000;

// Each line's signal, as the protocol's encoder makes it. False, with the line and the reason,
// at the first fault, or at the line past kMaxListedCodes codes; codes is then left as it was.
bool ParseCodeList(std::string_view text, std::vector<SExchangeCode>& codes, SExchangeError& error);
