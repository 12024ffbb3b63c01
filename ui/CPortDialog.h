#pragma once

#include "device/PortAvailability.h"
#include "device/PortTable.h"

#include <QDialog>

#include <array>

class QButtonGroup;
class QCheckBox;

// Which of the three standard parallel ports the infrared unit hangs on. Under each port it
// says which device serves that address on this computer, or why none does. The interrupt flag
// is carried through unseen: the check box is never shown.
class CPortDialog : public QDialog
{
    Q_OBJECT

public:
    using CAvailability = std::array<SPortAvailability, kPortCount>;

    // nPortOption: 0 for LPT1 to 2 for LPT3, anything else chooses none. nInterruptFlag: 0, 1,
    // or 2 (undecided); anything else comes back as 0.
    CPortDialog(int nPortOption, int nInterruptFlag, const CAvailability& availability,
                QWidget* pParent = nullptr);

    // After OK: the chosen port's option, -1 when none was chosen, and the flag.
    int GetPortOption() const;
    int GetInterruptFlag() const;

private:
    QButtonGroup* m_pPorts;
    QCheckBox* m_pInterrupts;
};
