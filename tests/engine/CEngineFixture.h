#pragma once

#include "device/CBiosClock.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "engine/CScheduler.h"
#include "support/CRecordingDevice.h"
#include "support/CRecordingFrontEnd.h"
#include "support/CScriptedClock.h"
#include "support/CScriptedTickSource.h"
#include "support/CScriptedTime.h"
#include "support/TimeZone.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

// A document with a scripted BIOS clock, a scripted millisecond count, a recording device and
// front end, and the engine and scheduler over them. Monday 2 March 1998 06:59:00, Berlin time.
class CEngineFixture : public ::testing::Test
{
protected:
    struct SStep
    {
        CRemoteButton* pButton;
        int nDelay;
    };

    CEngineFixture();

    CRemote& MakeRemote(const std::string& strName);
    CRemoteButton& MakePlain(CRemote& remote, const std::string& strName,
                             std::uint32_t nLength = 2);
    CRemoteButton& MakeMega(CRemote& remote, const std::string& strName,
                            std::initializer_list<SStep> steps);
    CTimedEvent& MakeEvent(const std::string& strName, const CTime& time, int nFrequency,
                           CRemoteButton& button);

    void SetClock(const CTime& now) { m_time.SetClock(now); }
    void AdvanceMs(std::uint32_t nMilliseconds) { m_time.Advance(nMilliseconds); }
    // One scheduler tick per second for nSeconds seconds, the first one second from now.
    void RunSeconds(int nSeconds);
    // Each pump moves time on by nMilliseconds and runs the scheduler tick whenever a whole
    // second has passed since the last, the way the window timer does during a firing.
    void PumpWithTimer(std::uint32_t nMilliseconds);

    // Names of the buttons sent so far, in order, with the tick counts they were sent at.
    std::vector<std::pair<std::uint32_t, std::string>> GetSent() const;
    int CountCalls(const std::string& strCall) const;

    CScopedTimeZone m_zone{"Europe/Berlin"};
    CScriptedClock m_clockBackend{CTime(1998, 3, 2, 6, 59, 0)};
    CBiosClock m_clock{m_clockBackend};
    CRecordingFrontEnd m_frontEnd;
    CQuorbexDoc m_doc{m_frontEnd, m_clock, SClockSettings{}};
    CScriptedTickSource m_ticks{1000};
    CRecordingDevice m_device{m_ticks};
    CFiringEngine m_engine{m_device, m_frontEnd, m_ticks};
    CScheduler m_scheduler{m_doc, m_engine, m_ticks, m_clock};
    CScriptedTime m_time{m_clockBackend, m_ticks};

private:
    std::uint32_t m_nLastTimerTick = 0;
};
