#include "engine/CQuorbexSession.h"

#include "engine/CFiringEngine.h"
#include "engine/CListener.h"
#include "engine/CScheduler.h"

CQuorbexSession::CQuorbexSession(CFrontEnd& frontEnd, CClockBackend& clockBackend,
                                 const SClockSettings& clockSettings)
    : m_clock(clockBackend), m_doc(frontEnd, m_clock, clockSettings)
{
}

CQuorbexSession::CQuorbexSession(CFrontEnd& frontEnd, CClockBackend& clockBackend,
                                 const SClockSettings& clockSettings, CInfraredDevice& device,
                                 CTickSource& ticks)
    : CQuorbexSession(frontEnd, clockBackend, clockSettings)
{
    m_pEngine = std::make_unique<CFiringEngine>(device, frontEnd, ticks);
    m_pScheduler = std::make_unique<CScheduler>(m_doc, *m_pEngine, ticks, m_clock);
    m_pListener = std::make_unique<CListener>(*m_pEngine, m_doc, m_clock, frontEnd, ticks);
}

CQuorbexSession::~CQuorbexSession() = default;

bool CQuorbexSession::IsFiring() const
{
    return m_pEngine && m_pEngine->GetFiringDepth() != 0;
}
