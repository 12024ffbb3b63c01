#pragma once

#include <string>

class CQuorbexDoc;

// The document for a person: remotes with their buttons and megabutton steps, then events,
// each sorted by name.
std::string FormatDocumentText(const CQuorbexDoc& doc);

// The document as one JSON object for other tools (see the usage text for its shape), arrays
// sorted by name and steps in playing order.
std::string FormatDocumentJson(const CQuorbexDoc& doc);
