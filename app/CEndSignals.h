#pragma once

#include "base/CFileDescriptor.h"

#include <QSocketNotifier>

#include <csignal>
#include <functional>
#include <memory>

// SIGTERM, SIGHUP and SIGINT (a logout, a closed terminal, a kill) no longer end the window
// program on the spot. The handler only writes the signal's number to a socket pair; the
// event loop reads it and calls onSignal, which may write files and quit as at any other
// time. A second signal of the same kind finds the default action back and ends the program
// at once, for a program that does not get back to its event loop.
class CEndSignals
{
public:
    explicit CEndSignals(std::function<void(int nSignal)> onSignal);
    // Puts the previous handlers back.
    ~CEndSignals();
    CEndSignals(const CEndSignals&) = delete;
    CEndSignals& operator=(const CEndSignals&) = delete;

private:
    static constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

    void OnReadable();

    std::function<void(int)> m_onSignal;
    CFileDescriptor m_read;
    CFileDescriptor m_write;
    std::unique_ptr<QSocketNotifier> m_pNotifier;
    struct sigaction m_previous[std::size(kSignals)]{};
};
