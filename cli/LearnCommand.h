#pragma once

#include "common/SCommandLine.h"

#include <string>

class CInfraredDevice;

// Learning a button without windows from several presses of the hand-held remote.

// The presses --learn records when --presses does not say, and the most it takes.
constexpr int kDefaultPresses = 3;
constexpr int kMaxPresses = 10;

// False, with the reason, when --presses goes with another command or is not a count from 1
// to kMaxPresses.
bool CheckLearnOptions(const SCommandLine& commandLine, std::string& strError);

// What to learn; the remote and button as typed, in UTF-8.
struct SLearnRequest
{
    std::string strDocument;
    std::string strRemote;
    std::string strButton;
    int nPresses = kDefaultPresses;
};

// Checks the document first, so that nobody presses for nothing; then records the presses
// through the unit, prompting for each on standard error, and stores the one clean signal they
// agree on in the button (added in the first free cell of the pad when the remote has none of
// that name), saving the document. Presses that disagree or held glitches are named. Returns
// the exit status: 0 learned, 1 refused or the presses did not agree, with the file as it was.
int LearnButton(const SLearnRequest& request, CInfraredDevice& device);

// --learn FILE REMOTE BUTTON: refuses while a Quorbit runs, as that holds the unit; else opens
// the unit --device names and learns.
int RunLearnCommand(const SCommandLine& commandLine);
