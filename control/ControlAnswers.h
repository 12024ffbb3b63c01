#pragma once

#include <functional>
#include <string>
#include <string_view>

class CControlHandler;
struct SHeardPress;

// The control socket's side of the handler: a request line in, its whole reply out, worded as
// docs/control.md describes (data lines, then a last line that says OK or ERROR, each ended by
// a newline).
using CReplySink = std::function<void(const std::string& strReply)>;

// Where a LISTEN's lines go, one a press, each with its newline, for as long as it returns true
// (the connection is still there).
using CStreamSink = std::function<bool(const std::string& strLine)>;

// Answers one request line, without its newline. A FIRE that comes while another firing plays
// is answered once it has fired in its turn; every other request at once. A LISTEN is answered
// at once, and its lines follow on stream; it is refused where there is none.
void AnswerControlLine(CControlHandler& handler, std::string_view strLine, CReplySink reply,
                       CStreamSink stream = {});

// "HEARD 2026-12-08 18:30:05 NEC 0x04 0x12 TV Power": when, the protocol, address and command
// ("unknown - -" when it does not decode), and the remote and button it matches, if any.
std::string FormatHeardLine(const SHeardPress& press);
