#pragma once

#include <string>

// Every text the program shows to a person, keyed by its numeric id. Plain data without Qt,
// so that the core, the command line and the windows all take their texts from one place.
namespace StringId
{
constexpr int kTemplate = 128;
constexpr int kAddRemotePrompt = 32771;
constexpr int kDeleteRemotePrompt = 32772;
constexpr int kRemoteBuilderPrompt = 32773;
constexpr int kEventProgrammerPrompt = 32774;
constexpr int kAppName = 57344;
constexpr int kRemoteMenuPrompt = 61204;
constexpr int kRecorderPrompt = 61205;
constexpr int kConfirmDeleteRemote = 61206;
constexpr int kRemoteUsedByEvent = 61207;
constexpr int kConfirmRemoveButton = 61208;
constexpr int kButtonInUse = 61209;
constexpr int kConfirmRemoveEvent = 61210;
constexpr int kBitstreamTitle = 61211;
constexpr int kZoomIn = 61212;
constexpr int kZoomOut = 61213;
constexpr int kAdvanced = 61214;
constexpr int kBasic = 61215;
constexpr int kNoPlainButtons = 61216;
constexpr int kNewerVersion = 61217;
constexpr int kInvalidFile = 61218;
constexpr int kButtonSequenceTitle = 61219;
constexpr int kEventFiringUpdate = 61220;
constexpr int kEventFiringRemove = 61221;
constexpr int kButtonFiringChange = 61222;
constexpr int kButtonFiringRemove = 61223;
constexpr int kConfirmTrimLeft = 61224;
constexpr int kConfirmTrimRight = 61225;
constexpr int kShutdownWhileFiring = 61226;
constexpr int kRemoteButtonsUsedByMega = 61227;
constexpr int kListFontFace = 61228;
constexpr int kClockPaneSizer = 61229;

// Failures the messages above leave unsaid, in a block of ids of their own.
constexpr int kBitstreamTooLong = 61240;
constexpr int kSaveFailed = 61241;
constexpr int kOpenFailed = 61242;
constexpr int kRemoteNameInUse = 61243;
constexpr int kNameNotStorable = 61244;
constexpr int kStyleNotStorable = 61245;
constexpr int kDateNotStorable = 61246;
constexpr int kRecordNotStorable = 61247;
constexpr int kMegabuttonNotStorable = 61248;
constexpr int kTooManyRecords = 61249;
constexpr int kDocumentTooLarge = 61250;
constexpr int kSaveRefused = 61251;
constexpr int kMegabuttonStepTooDeep = 61252;
constexpr int kUsedBy = 61253;

// Questions before a change the person may not have meant.
constexpr int kConfirmReplaceSignal = 61260;
constexpr int kConfirmPastEvent = 61261;

// The infrared device could not do what was asked; the argument is the button and the reason.
constexpr int kFireFailed = 61270;
constexpr int kLearnFailed = 61271;
constexpr int kLearnCut = 61272;
} // namespace StringId

// The text of a string id; an empty text for an id the table does not hold.
const char* LoadString(int nId);

// The text of a string id with its one "%s" replaced by strArgument.
std::string FormatString(int nId, const std::string& strArgument);
