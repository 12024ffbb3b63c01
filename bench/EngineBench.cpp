// The scheduler's once-a-second tick when nothing is due, and arming the next event, over a
// document of 10,000 events. Time, the infrared unit and the windows are stand-ins that cost
// next to nothing, so the figures are the engine's own.

#include "device/CBiosClock.h"
#include "device/CInfraredDevice.h"
#include "document/CFrontEnd.h"
#include "document/CQuorbexDoc.h"
#include "engine/CFiringEngine.h"
#include "engine/CScheduler.h"
#include "engine/CTickSource.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace
{
constexpr int kEventCount = 10000;

class CFixedClock : public CClockBackend
{
public:
    bool ReadClock(SBcdReading& reading) override
    {
        reading = MakeBcdReading(m_now);
        return true;
    }
    bool SetSystemClock(const CTime&, std::string&) override { return true; }
    const char* GetName() const override { return "fixed"; }

    CTime m_now;
};

class CFixedTicks : public CTickSource
{
public:
    std::uint32_t GetTickCount() override { return m_nNow; }

    std::uint32_t m_nNow = 0;
};

class CSilentDevice : public CInfraredDevice
{
public:
    void EnableDetector() override {}
    int ReadDetectorLine() override { return 0x10; }
    void CaptureBitstream(std::uint8_t*, std::uint32_t& nLength) override { nLength = 0; }
    void TransmitBitstream(const std::uint8_t*, std::uint32_t) override {}
    double LoopBackBitstream(std::uint8_t*, std::uint32_t) override { return 0; }
    const char* GetBackendName() const override { return "silent"; }
};

class CSilentFrontEnd : public CFrontEnd
{
public:
    EAnswer ShowMessage(int, const std::string&, EMessageBox) override { return EAnswer::No; }
    void PumpWaitMessages(std::uint32_t /*nMaxWaitMs*/) override {}
};

// Monday 2 March 1998, 08:00:00 local: every event falls later in the day or on a later day.
CTime GetStart()
{
    return CTime(1998, 3, 2, 8, 0, 0);
}

// 10,000 events of every frequency at minutes from 18:00 to 23:59, all on one button.
struct SEngine
{
    SEngine()
    {
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
        clock.m_now = GetStart();
        doc.OnNewDocument();
        CRemote& remote = *doc.AddRemote("TV", 0);
        CRemoteButton& power = *doc.AddButton(remote, "Power", "", false);
        power.m_bits.SetLength(2);
        for (int nEvent = 0; nEvent < kEventCount; ++nEvent)
        {
            CTimedEvent fields;
            fields.m_strName = "Event " + std::to_string(nEvent);
            fields.m_time = CTime(1998, 3, 2, 18 + nEvent % 360 / 60, nEvent % 60, 0);
            fields.m_nFrequency = 1 + nEvent % 9;
            fields.m_pRemote = &remote;
            fields.m_pButton = &power;
            doc.AddEvent(fields);
        }
    }

    CFixedClock clock;
    CBiosClock biosClock{clock};
    CSilentFrontEnd frontEnd;
    CQuorbexDoc doc{frontEnd, biosClock, SClockSettings{}};
    CFixedTicks ticks;
    CSilentDevice device;
    CFiringEngine engine{device, frontEnd, ticks};
    CScheduler scheduler{doc, engine, ticks, biosClock};
};

void BM_SchedulerTickNothingDue(benchmark::State& state)
{
    SEngine engine;
    // Time runs a second per tick, so every tenth tick also makes the clock-jump check. It
    // goes back to 08:00 after ten hours, before anything falls due; that jump re-arms once.
    constexpr int kSecondsBeforeDue = 10 * 3600;
    int nSecond = 0;
    for (auto _ : state)
    {
        nSecond = (nSecond + 1) % kSecondsBeforeDue;
        engine.clock.m_now = GetStart().AddSeconds(nSecond);
        engine.ticks.m_nNow += 1000;
        engine.scheduler.SchedulerTick();
    }
}
BENCHMARK(BM_SchedulerTickNothingDue);

void BM_ArmNextEvent(benchmark::State& state)
{
    SEngine engine;
    for (auto _ : state)
        engine.doc.ArmNextEvent();
    state.SetItemsProcessed(state.iterations() * kEventCount);
}
BENCHMARK(BM_ArmNextEvent)->Unit(benchmark::kMillisecond);
} // namespace
