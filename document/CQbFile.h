#pragma once

#include "document/CRemote.h"
#include "document/CTimedEvent.h"
#include "document/FileStamp.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// The ".qb" document file: little-endian 16-bit words, fixed-size text fields and
// run-length-encoded bitstreams.

// The version of every document whose records the fixed fields hold; saved again, such a
// document keeps the bytes it had.
constexpr std::uint16_t kQbFileVersion = 512;
// The version that follows each record with tagged fields (a button's time base, carrier, code
// and action when heard, a step's hold), written only for a document that has something to keep
// there. Later fields are new tags, not new versions. docs/file-format.md gives the layout.
constexpr std::uint16_t kQbTaggedVersion = 513;
// Files up to this version name a step's button only; the step plays on the megabutton's remote.
constexpr std::uint16_t kQbLastVersionWithoutStepRemote = 256;

// A document file is read whole, so anything larger is refused before it is read. A learned
// button takes a few hundred bytes of encoded signal, so even a thousand remotes of 75 learned
// buttons stay well below this.
constexpr std::size_t kMaxQbFileBytes = std::size_t{64} << 20;
// The most memory a document's content may need once loaded. A bitstream decodes to up to
// 50,000 bytes from five bytes of file, so a file of a few megabytes could otherwise ask for
// gigabytes; this still allows some 5,000 buttons learned to the full length, dozens of full
// remotes. Opening refuses a file beyond it, and saving a document beyond it, so that whatever
// is saved opens again. The message for it (kDocumentTooLarge) names both bounds.
constexpr std::size_t kMaxQbContentBytes = std::size_t{256} << 20;
// The years a date in a file may have: none before the time values' epoch, four digits at most.
constexpr int kMinQbYear = 1970;
constexpr int kMaxQbYear = 9999;

// A whole document as read from a file, complete and consistent, before it replaces the
// document's content. Remotes carry no menu ids yet.
struct SQbContent
{
    std::uint16_t nVersion = 0;
    std::unique_ptr<CRemoteMap> pRemotes = std::make_unique<CRemoteMap>();
    std::vector<CRemote*> remoteOrder; // as they stand in the file
    std::vector<CRemote*> openPads;    // remotes saved with their pad open, in file order
    std::unique_ptr<CEventMap> pEvents = std::make_unique<CEventMap>();
    std::vector<CTimedEvent*> eventOrder;
    // The file it was read from, as it was then: a save there first checks that it still is.
    std::string strFile;
    SFileStamp fileStamp;
};

enum class EQbParse
{
    Ok,
    InvalidFile,  // not a document file, or one whose content no program would have written
    NewerVersion, // written by a later version of the program
    TooLarge,     // content needing more than kMaxQbContentBytes, or a file over kMaxQbFileBytes
};

// Where and why a file was found invalid.
struct SQbParseFault
{
    std::size_t nOffset = 0; // from the start of the file
    std::string strReason;
};

// Reads a whole file. Anything but Ok leaves content as it was before the call; an invalid
// file says what is wrong with it in *pFault when one is given.
EQbParse ParseQbFile(std::span<const std::uint8_t> bytes, SQbContent& content,
                     SQbParseFault* pFault = nullptr);

// Why a document cannot be stored as it is: a string id whose "%s" names the record, and the
// record as "Remote", "Remote: Button" (by its display text) or "Event"; empty for a fault of
// the whole document.
struct SQbStoreError
{
    int nReason = 0;
    std::string strRecord;
};

// Writes remotes and events (either may be null, meaning none): as version kQbFileVersion when
// nothing in them needs a tagged field, else as kQbTaggedVersion.
// False, with the first fault in error and bytes meaningless, for anything the reader would
// refuse or read back differently.
bool StoreQbFile(const CRemoteMap* pRemotes, const CEventMap* pEvents,
                 std::vector<std::uint8_t>& bytes, SQbStoreError& error);

// What a file can hold, for the editing operations to check before they change anything: a
// text of at most nMaxLength characters without a zero byte, one of the eight styles, a date
// in the years kMinQbYear to kMaxQbYear.
bool IsStorableText(const std::string& strText, std::size_t nMaxLength);
// A name besides: not empty (it would show as nothing in menus and lists) and without control
// characters, which no one types and which a reader finds where a count announced more records
// than the file holds.
bool IsStorableName(const std::string& strName, std::size_t nMaxLength);
bool IsStorableStyle(int nStyle);
bool IsStorableTime(const CTime& time);
// False when a megabutton of remotes plays itself, nests megabuttons more deeply or plays more
// buttons in one firing than a file may hold.
bool AreMegabuttonsStorable(const CRemoteMap& remotes);
