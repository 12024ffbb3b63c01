#pragma once

#include "device/CBiosClock.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "support/CRecordingDevice.h"
#include "support/CRecordingFrontEnd.h"
#include "support/CScriptedClock.h"
#include "support/CScriptedTickSource.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

class CPadButton;
class CRemotePadDlg;

// A document with one remote "TV" of style 0 and an engine that fires into a recording device,
// for the pad windows without the rest of the program. The document starts unmodified.
class CPadFixture : public ::testing::Test
{
protected:
    CPadFixture();
    ~CPadFixture() override;

    // A plain button in cell (column, row); nLength 0 leaves it unlearned.
    CRemoteButton& PlacePlain(const std::string& strName, int nColumn, int nRow,
                              std::uint32_t nLength, const std::string& strDescription = "");
    // A megabutton in cell (column, row) playing the steps with the shortest delay.
    CRemoteButton& PlaceMega(const std::string& strName, int nColumn, int nRow,
                             std::initializer_list<CRemoteButton*> steps);

    CRemotePadDlg& ShowPad();
    static CPadButton* FindCell(const CRemotePadDlg& pad, int nId);

    CScriptedClock m_clockBackend;
    CBiosClock m_clock{m_clockBackend};
    CRecordingFrontEnd m_frontEnd;
    CQuorbexDoc m_doc{m_frontEnd, m_clock, SClockSettings{}};
    CScriptedTickSource m_ticks{1000};
    CRecordingDevice m_device{m_ticks};
    CFiringEngine m_engine{m_device, m_frontEnd, m_ticks};
    CRemote* m_pRemote = nullptr;
};
