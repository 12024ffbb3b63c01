#include "CEngineFixture.h"

#include <algorithm>

CEngineFixture::CEngineFixture()
{
    m_doc.OnNewDocument();
}

CRemote& CEngineFixture::MakeRemote(const std::string& strName)
{
    return *m_doc.AddRemote(strName, 0);
}

CRemoteButton& CEngineFixture::MakePlain(CRemote& remote, const std::string& strName,
                                         std::uint32_t nLength)
{
    CRemoteButton& button = *m_doc.AddButton(remote, strName, "", false);
    // The first byte tells the transmissions apart.
    button.m_bits.SetByte(0, static_cast<std::uint8_t>(strName[0]));
    button.m_bits.SetLength(nLength);
    return button;
}

CRemoteButton& CEngineFixture::MakeMega(CRemote& remote, const std::string& strName,
                                        std::initializer_list<SStep> steps)
{
    CRemoteButton& button = *m_doc.AddButton(remote, strName, "", true);
    for (const SStep& step : steps)
        button.m_steps.push_back({&remote, step.pButton, step.nDelay});
    return button;
}

CTimedEvent& CEngineFixture::MakeEvent(const std::string& strName, const CTime& time,
                                       int nFrequency, CRemoteButton& button)
{
    CTimedEvent fields;
    fields.m_strName = strName;
    fields.m_time = time;
    fields.m_nFrequency = nFrequency;
    for (const auto& [strName, pRemote] : *m_doc.m_pRemotes)
    {
        if (pRemote->FindButton(button.m_strName) == &button)
            fields.m_pRemote = pRemote.get();
    }
    fields.m_pButton = &button;
    return *m_doc.AddEvent(fields);
}

void CEngineFixture::RunSeconds(int nSeconds)
{
    for (int nSecond = 0; nSecond < nSeconds; ++nSecond)
    {
        AdvanceMs(1000);
        m_scheduler.SchedulerTick();
    }
}

void CEngineFixture::PumpWithTimer(std::uint32_t nMilliseconds)
{
    m_nLastTimerTick = m_ticks.m_nNow;
    m_frontEnd.m_onPump = [this, nMilliseconds]
    {
        AdvanceMs(nMilliseconds);
        if (m_ticks.m_nNow - m_nLastTimerTick >= 1000)
        {
            m_nLastTimerTick = m_ticks.m_nNow;
            m_scheduler.SchedulerTick();
        }
    };
}

std::vector<std::pair<std::uint32_t, std::string>> CEngineFixture::GetSent() const
{
    std::vector<std::pair<std::uint32_t, std::string>> sent;
    for (const CRecordingDevice::STransmission& transmission : m_device.m_sent)
        sent.emplace_back(transmission.nTick,
                          std::string(1, static_cast<char>(transmission.bytes[0])));
    return sent;
}

int CEngineFixture::CountCalls(const std::string& strCall) const
{
    return static_cast<int>(
        std::count(m_frontEnd.m_calls.begin(), m_frontEnd.m_calls.end(), strCall));
}
