#pragma once

#include <string>
#include <string_view>

// Document texts are 8-bit Windows-1252, as documents made on Windows are; people and other
// tools get UTF-8.

// The Unicode code point of one Windows-1252 byte. The five bytes the code page leaves
// undefined map to the control characters of the same number, so no byte is lost.
char32_t Windows1252ToCodePoint(unsigned char nByte);

// The byte that stands for a printable code point, or 0 when the code page has none for it.
unsigned char CodePointToWindows1252(char32_t nCodePoint);

// True for C0 and C1 control characters and DEL: never written raw to a terminal or to JSON.
bool IsControlCharacter(char32_t nCodePoint);

void AppendUtf8(std::string& strOut, char32_t nCodePoint);

// The text for a terminal: UTF-8, with each control character shown as '?' so that a name
// read from a file cannot drive the terminal.
std::string ToDisplayText(const std::string& strWindows1252);

// Windows-1252 text (Latin-1 included) as UTF-8, every byte kept, control characters too.
std::string Windows1252ToUtf8(std::string_view windows1252);

// True when text is valid UTF-8 throughout (plain ASCII included).
bool IsUtf8Text(std::string_view text);

// UTF-8 text for a terminal: each control character, each byte that is no UTF-8 and each
// character past the Basic Multilingual Plane shown as '?'.
std::string ToDisplayUtf8(std::string_view utf8);

// Document text from UTF-8 that people and other tools write. False when strUtf8 is not valid
// UTF-8 or holds a character the code page cannot print (a control character included).
bool FromUtf8Text(const std::string& strUtf8, std::string& strWindows1252);

// Text with each %XX escape (two hex digits) replaced by its byte, as URLs and topic levels
// carry it. False for a % without two hex digits after it.
bool DecodePercentEscapes(const std::string& strText, std::string& strDecoded);
