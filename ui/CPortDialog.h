#pragma once

#include "device/CLircDevice.h"
#include "device/PortAvailability.h"
#include "device/PortTable.h"

#include <QDialog>

#include <array>
#include <string>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QVBoxLayout;

// Which infrared unit Quorbit sends and learns through: the simulated unit, the unit on one of
// the three standard parallel ports, or kernel lirc devices, the emitter and the receiver each
// chosen (one device, or two). Under each port it says which device serves that address on this
// computer, or why none does; under each lirc device what it can do, or why it cannot be used.
// A port that is not there is refused on OK with that reason. The interrupt flag is carried
// through unseen: the check box is never shown.
class CPortDialog : public QDialog
{
    Q_OBJECT

public:
    using CAvailability = std::array<SPortAvailability, kPortCount>;

    // nPortOption: 0 for LPT1 to 2 for LPT3, anything else chooses none. nInterruptFlag: 0, 1,
    // or 2 (undecided); anything else comes back as 0. strBackend: the unit in use, "sim",
    // "lirc:/dev/lircN" or "lirc:EMITTER,RECEIVER"; anything else stands for the parallel port.
    CPortDialog(int nPortOption, int nInterruptFlag, const CAvailability& availability,
                QWidget* pParent = nullptr, const std::vector<SLircAvailability>& lircDevices = {},
                const std::string& strBackend = {});

    // After OK: the chosen port's option (-1 when none was chosen; unchanged when the unit is
    // not on a port), the flag, and the unit: "sim", "lirc:/dev/lircN" (one device for both, or
    // the only one there is), "lirc:EMITTER,RECEIVER", or "" for the port.
    int GetPortOption() const;
    int GetInterruptFlag() const;
    std::string GetBackend() const;

    void accept() override;

private:
    void AddChoice(QVBoxLayout* pLayout, int nId, const QString& strName, const QString& strCaption,
                   const QString& strNote);
    void AddPorts(QVBoxLayout* pLayout);
    void AddLircDevices(QVBoxLayout* pLayout, const std::vector<SLircAvailability>& devices);
    QComboBox* AddRoleList(QVBoxLayout* pLayout, const QString& strCaption, const char* pszName,
                           const std::vector<SLircAvailability>& devices, bool bSender);
    void Choose(int nPortOption, const std::string& strBackend);
    void ChooseLircDevices(const std::string& strPaths);

    QButtonGroup* m_pUnits;
    QCheckBox* m_pInterrupts;
    QComboBox* m_pEmitter = nullptr;
    QComboBox* m_pReceiver = nullptr;
    QLabel* m_pRefusal = nullptr;
    int m_nPortOption;
    CAvailability m_availability;
};
