#pragma once

#include <functional>
#include <string>
#include <string_view>

class CQuorbexDoc;

// The document for a person: remotes with their buttons and megabutton steps, then events,
// each sorted by name. A learned button says what its signal carries, read at dNanosPerSample
// ("NEC address 0x04 command 0x08", "unknown (67 runs)").
std::string FormatDocumentText(const CQuorbexDoc& doc, double dNanosPerSample);

// The document as one JSON object on one line, for other tools that rely on its shape:
//   {"version", "remotes": [{"name", "style", "menuId", "padOpen", "padX", "padY",
//     "buttons": [{"name", "description", "column", "row", "mega", "length", "bits",
//       "steps": [{"remote", "button", "delay"}], "signal"}]}],
//    "events": [{"name", "time", "lastFired", "disabled", "frequency", "remote", "button"}]}
// Arrays are sorted by name, steps stay in playing order. Texts are UTF-8; "bits" is the hex of
// the learned bytes; times are local "YYYY-MM-DDTHH:MM"; "delay" is the step's delay index and
// "frequency" the event's frequency number; a placed button's column and row name the cell it
// occupies; "padOpen", "mega" and "disabled" are booleans. A button that is not a megabutton
// has a "signal", read at dNanosPerSample: {"protocol", "address", "command", "bits",
// "repeats"} ("maker" first for Kaseikyo), {"protocol", "repeatOnly": true} for repeat frames
// alone, or {"protocol": "unknown", "runs"}. A button whose being heard fires another has
// "whenHeard": {"remote", "button"} after the rest.
std::string FormatDocumentJson(const CQuorbexDoc& doc, double dNanosPerSample);

// Takes each piece of a listing as it is made.
using CTextSink = std::function<void(std::string_view)>;

// The same JSON in pieces as it goes, a button at a time, so that listing a large document
// takes little more memory than reading it.
void WriteDocumentJson(const CQuorbexDoc& doc, double dNanosPerSample, const CTextSink& write);
