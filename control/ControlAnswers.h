#pragma once

#include <functional>
#include <string>
#include <string_view>

class CControlHandler;

// The control socket's side of the handler: a request line in, its whole reply out, worded as
// docs/control.md describes (data lines, then a last line that says OK or ERROR, each ended by
// a newline).
using CReplySink = std::function<void(const std::string& strReply)>;

// Answers one request line, without its newline. A FIRE that comes while another firing plays
// is answered once it has fired in its turn; every other request at once.
void AnswerControlLine(CControlHandler& handler, std::string_view strLine, CReplySink reply);
