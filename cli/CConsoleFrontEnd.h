#pragma once

#include "cli/CListingFrontEnd.h"

#include <functional>

// The headless runner's front end: messages and answers as for the other commands, and the
// waits of a firing run whatever the runner hands in (its timer and a short sleep).
class CConsoleFrontEnd : public CListingFrontEnd
{
public:
    using CListingFrontEnd::CListingFrontEnd;

    void PumpWaitMessages(std::uint32_t nMaxWaitMs) override;
    void SetPumpHandler(std::function<void(std::uint32_t)> onPump) { m_onPump = std::move(onPump); }

private:
    std::function<void(std::uint32_t)> m_onPump;
};
