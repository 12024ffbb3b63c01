#pragma once

#include <vector>

class CRemote;
class CRemoteButton;

// One step of a megabutton: the button to play (of any remote) and the delay index into
// kStepDelays that allows time from the start of this step to the start of the next.
class CMegaStep
{
public:
    CRemote* m_pRemote = nullptr;
    CRemoteButton* m_pButton = nullptr;
    int m_nDelay = 0;
    // How long the step holds its button down, in milliseconds; 0 is a single press.
    int m_nHoldMillis = 0;
};

// The steps of a megabutton in playing order; it owns them.
using CMegaStepList = std::vector<CMegaStep>;
