#pragma once

#include "document/SSendingFacts.h"

class CBitstream;
class CInfraredDevice;
class CRemoteButton;

// Sets the device to the button's carrier (and duty cycle), where the device modulates itself.
void SetUpButtonCarrier(CInfraredDevice& device, const CRemoteButton& button);

// Plays a plain button's samples on the device as the signal they stand for: converted from the
// button's time base to the device's own sample period. A button of a document made before time
// bases were kept plays sample for sample, as it always did. The carrier is the caller's to set
// (SetUpButtonCarrier). What went wrong is in the device's GetLastFault.
void PlayButton(CInfraredDevice& device, const CRemoteButton& button);

// What a recording the device has just made keeps: the device's sample period, and the carrier
// of the protocol it shows.
SSendingFacts MakeLearnedFacts(CInfraredDevice& device, const CBitstream& bits);
