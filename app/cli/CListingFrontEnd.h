#pragma once

#include "document/CFrontEnd.h"

#include <cstdio>
#include <set>
#include <string>

// The front end of the commands that only read and write documents: messages go to standard
// error, questions are answered No, and pads the document asks to reopen are only remembered,
// so that a listing can show them as open without opening a window.
class CListingFrontEnd : public CFrontEnd
{
public:
    explicit CListingFrontEnd(std::FILE* pMessages = stderr) : m_pMessages(pMessages) {}

    EAnswer ShowMessage(int nStringId, const std::string& strArgument,
                        EMessageBox nKind) override;
    void PumpWaitMessages() override {}
    void OpenPad(CRemote& remote) override;

    int GetMessageCount() const { return m_nMessages; }
    const std::set<std::string>& GetOpenPads() const { return m_openPads; }

private:
    std::FILE* m_pMessages;
    int m_nMessages = 0;
    std::set<std::string> m_openPads;
};
