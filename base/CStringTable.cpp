#include "base/CStringTable.h"

#include <algorithm>
#include <utility>

namespace
{
// Where a newer version of the program can be had; follows the "newer version" message.
#define QUORBIT_DOWNLOAD_PAGE "https://quorbit.example.org/download"

// Sized by its entries, so that adding or removing a text needs no count kept in step.
constexpr std::pair<int, const char*> kStrings[]{
    {StringId::kTemplate, "Quorbit Remote Control Centre\n\nQB\nQuorbit Files (*.qb)\n.qb\n"
                          "Quorbit.Document\nQuorbit Document"},
    {StringId::kAddRemotePrompt, "Add a new remote control\nAdd Remote"},
    {StringId::kDeleteRemotePrompt, "Delete an existing remote control\nDelete Remote"},
    {StringId::kRemoteBuilderPrompt, "Define buttons on a remote control\nRemote Builder"},
    {StringId::kEventProgrammerPrompt, "Program timed events\nEvent Programmer"},
    {StringId::kAppName, "Quorbit"},
    {StringId::kRemoteMenuPrompt, "Go to this remote control"},
    {StringId::kRecorderPrompt,
     "Hold the remote in front of the detector, and press the %s button."},
    {StringId::kConfirmDeleteRemote, "%s:  Are you sure you want to delete this remote?"},
    {StringId::kRemoteUsedByEvent,
     "%s:  This remote is being used in one or more programmed events.\n\nPlease adjust or "
     "remove the event(s) before deleting this remote."},
    {StringId::kConfirmRemoveButton, "%s:  Are you sure you want to remove this button?"},
    {StringId::kButtonInUse,
     "%s:  This button is being used in one or more programmed events or megabuttons.\n\n"
     "Please adjust or remove the event(s) or megabutton(s) before removing this button."},
    {StringId::kConfirmRemoveEvent, "%s:  Are you sure you want to remove this event?"},
    {StringId::kBitstreamTitle, "Bitstream for %s button"},
    {StringId::kZoomIn, "Zoom I&n"},
    {StringId::kZoomOut, "&Zoom Out"},
    {StringId::kAdvanced, "Ad&vanced >>"},
    {StringId::kBasic, "<< &Basic"},
    {StringId::kNoPlainButtons, "Buttons must be created before this megabutton can be learned"},
    {StringId::kNewerVersion,
     "%s\n\nThe file you have attempted to open is supported by a more recent version of "
     "Quorbit.  If you need an update, it can be downloaded from\n\n" QUORBIT_DOWNLOAD_PAGE},
    {StringId::kInvalidFile,
     "%s\n\nThe file you have attempted to open is not a valid Quorbit file."},
    {StringId::kButtonSequenceTitle, "Button sequence for %s"},
    {StringId::kEventFiringUpdate,
     "%s:  This event is currently firing!  An event cannot be updated while it is firing."},
    {StringId::kEventFiringRemove,
     "%s:  This event is currently firing!  An event cannot be removed while it is firing."},
    {StringId::kButtonFiringChange,
     "%s:  This button is currently firing!  A button cannot be changed while it is firing."},
    {StringId::kButtonFiringRemove,
     "%s:  This button is currently firing!  A button cannot be removed while it is firing."},
    {StringId::kConfirmTrimLeft,
     "Trimming the bitstream will zero all bits to the left of the current window.  Are you "
     "sure you want to do this?"},
    {StringId::kConfirmTrimRight,
     "Trimming the bitstream will zero all bits to the right of the current window.  Are you "
     "sure you want to do this?"},
    {StringId::kShutdownWhileFiring, "Windows cannot shut down while a button is firing"},
    {StringId::kRemoteButtonsUsedByMega,
     "%s:  This remote has buttons being used by one or more megabuttons in other remotes.\n\n"
     "Please adjust or remove the megabutton(s) before deleting this remote."},
    {StringId::kListFontFace, "MS Sans Serif"},
    {StringId::kClockPaneSizer, "00:00:00 AM"},
    {StringId::kBitstreamTooLong,
     "%s:  This button's bitstream is too irregular to be stored in a Quorbit file.  Please "
     "learn the button again or trim its bitstream."},
    {StringId::kSaveFailed, "%s\n\nThe document could not be saved.  The file on disk was "
                            "left as it was."},
    {StringId::kOpenFailed, "%s\n\nThe file could not be opened."},
    {StringId::kRemoteNameInUse,
     "%s:  A remote with this name already exists.  Please choose another name."},
    {StringId::kNameNotStorable,
     "%s:  This name is empty, too long or holds a character a Quorbit file cannot keep.  "
     "Remotes and buttons can have names of up to 15 characters; events can have names, and "
     "buttons descriptions, of up to 31."},
    {StringId::kStyleNotStorable, "%s:  This remote's layout is not one of the eight Quorbit "
                                  "offers."},
    {StringId::kDateNotStorable,
     "%s:  This event's date is not in the years 1970 to 9999 that a Quorbit file can hold."},
    {StringId::kRecordNotStorable,
     "%s:  This record refers to a remote or button that is not in the document, shares its "
     "name or its place on the remote with another, or holds a value out of range."},
    {StringId::kMegabuttonNotStorable,
     "%s:  This megabutton plays itself, nests megabuttons more than 64 deep or plays more "
     "than a million buttons in all, so it could never be played."},
    {StringId::kTooManyRecords,
     "%s:  A Quorbit file holds at most 65,535 remotes, buttons of one remote, steps of one "
     "megabutton and events."},
    {StringId::kDocumentTooLarge,
     "%s\n\nThis document is larger than Quorbit can work with: its content may need at most "
     "256 MB of memory, and its file may be at most 64 MB."},
    {StringId::kUsedBy, "used by"},
    {StringId::kConfirmReplaceSignal,
     "%s:  This button has a signal already.  Replace it with the new code?"},
    {StringId::kConfirmPastEvent,
     "%s:  This one-time event's date and time have passed, so it will never fire.  Keep it "
     "all the same?"},
    {StringId::kSaveRefused, "%s\n\nThe document was not saved.  Nothing was written."},
    {StringId::kMegabuttonStepTooDeep,
     "%s:  With this step the megabutton would nest megabuttons more than 64 deep or play more "
     "than a million buttons in one firing, which a Quorbit file cannot hold.  The step was not "
     "inserted."},
    {StringId::kFireFailed, "%s\n\nNothing more of the button was sent."},
    {StringId::kLearnFailed, "%s\n\nThe button keeps what it had."},
    {StringId::kLearnCut, "%s\n\nThe button was learned."},
};
} // namespace

const char* LoadString(int nId)
{
    const auto it = std::ranges::find(kStrings, nId, &std::pair<int, const char*>::first);
    return it == std::end(kStrings) ? "" : it->second;
}

std::string FormatString(int nId, const std::string& strArgument)
{
    std::string strText = LoadString(nId);
    const auto nAt = strText.find("%s");
    if (nAt != std::string::npos)
        strText.replace(nAt, 2, strArgument);
    return strText;
}
