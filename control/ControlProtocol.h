#pragma once

#include "control/SControlResult.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The line protocol of the control socket; docs/control.md describes it for people. A request
// is one line of words; a word holding spaces, quotes or backslashes is written in double
// quotes, with \" and \\ inside. A reply is zero or more data lines and a last line that starts
// with "OK" or "ERROR".

// The longest request line, without its newline.
constexpr std::size_t kMaxControlLine = 4096;

enum class EControlCommand
{
    Open,
    Show,
    Fire,
    Hold,
    List,
    Status,
    Listen,
};

struct SControlRequest
{
    EControlCommand nCommand = EControlCommand::Status;
    std::vector<std::string> arguments;
};

// Splits a line into its words. False, with the reason, for an unterminated quote, an escape
// other than \" and \\, a quote in the middle of a word, or a control character.
bool SplitControlWords(std::string_view strLine, std::vector<std::string>& words,
                       std::string& strError);

// A request line (without its newline). False, with the whole "ERROR ..." reply line in
// strReply, when it is not a request this program knows.
bool ParseControlRequest(std::string_view strLine, SControlRequest& request, std::string& strReply);

// The milliseconds of a hold: decimal digits making 1 or more. False for anything else.
bool ParseHoldMillis(std::string_view strText, std::uint32_t& nMillis);

// A word as a line carries it: bare when it can be, else in quotes.
std::string QuoteControlWord(const std::string& strWord);

// The last line of a reply, with its newline. strCode is one word naming the kind of error,
// for scripts; strText says it for people, on the one line whatever line breaks it holds.
std::string FormatControlOk(const std::string& strText = {});
std::string FormatControlError(const std::string& strCode, const std::string& strText);

// Whether a reply's last line says OK.
bool IsControlOk(std::string_view strLastLine);

// A result as a reply's last line, and a reply's last line read back as the result, for a
// client of the socket.
std::string FormatControlResult(const SControlResult& result);
SControlResult ParseControlResult(std::string_view strLastLine);
