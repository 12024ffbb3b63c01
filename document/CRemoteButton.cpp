#include "document/CRemoteButton.h"

CRemoteButton::CRemoteButton(std::string strName, bool bMega)
    : m_strName(std::move(strName)), m_bMega(bMega)
{
}

const std::string& CRemoteButton::GetDisplayText() const
{
    return m_strDescription.empty() ? m_strName : m_strDescription;
}

std::uint64_t CRemoteButton::GetFiringLength() const
{
    if (!m_bMega)
        return m_bits.GetLength();
    std::uint64_t nTotal = 0;
    for (const CMegaStep& step : m_steps)
    {
        const std::uint64_t nStep = step.m_pButton->GetFiringLength();
        if (nStep == 0)
            return 0;
        nTotal += nStep;
    }
    return nTotal;
}

void CRemoteButton::BeginFiring()
{
    ++m_nFiring;
    for (const CMegaStep& step : m_steps)
        step.m_pButton->BeginFiring();
}

void CRemoteButton::EndFiring()
{
    --m_nFiring;
    for (const CMegaStep& step : m_steps)
        step.m_pButton->EndFiring();
}

bool CRemoteButton::Uses(const CRemoteButton* pButton) const
{
    if (this == pButton)
        return true;
    for (const CMegaStep& step : m_steps)
    {
        if (step.m_pButton->Uses(pButton))
            return true;
    }
    return false;
}
