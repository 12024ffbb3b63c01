#pragma once

#include "document/SSendingFacts.h"

class CBitstream;
class CInfraredDevice;
class CRemoteButton;

// Plays a plain button's samples on the device as the signal they stand for: converted from the
// button's time base to the device's own sample period, at the button's carrier where the
// device modulates itself. A button of a document made before time bases were kept plays
// sample for sample, as it always did. What went wrong is in the device's GetLastFault.
void PlayButton(CInfraredDevice& device, const CRemoteButton& button);

// What a recording the device has just made keeps: the device's sample period, and the carrier
// of the protocol it shows.
SSendingFacts MakeLearnedFacts(CInfraredDevice& device, const CBitstream& bits);
