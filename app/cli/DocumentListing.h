#pragma once

#include <set>
#include <string>

class CQuorbexDoc;

// What a listing shows besides the document's records: facts about the file it came from and
// the remotes whose pads the document asked to reopen (the pads of a listing stay closed).
struct SListingContext
{
    int nFileVersion = 0;
    std::set<std::string> openPads;
};

// The document for a person: remotes with their buttons and megabutton steps, then events,
// each sorted by name.
std::string FormatDocumentText(const CQuorbexDoc& doc, const SListingContext& context);

// The document as one JSON object for other tools (see the usage text for its shape), arrays
// sorted by name and steps in playing order.
std::string FormatDocumentJson(const CQuorbexDoc& doc, const SListingContext& context);

// The version word of a document file, or -1 when the file has no document header.
int ReadDocumentFileVersion(const std::string& strPath);
