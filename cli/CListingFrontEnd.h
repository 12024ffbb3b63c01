#pragma once

#include "document/CFrontEnd.h"

#include <cstdio>
#include <string>

// The front end of the commands that only read and write documents: messages go to standard
// error, questions are answered No, and a pad the document asks to reopen is marked open
// without a window, so that a listing shows it open and a converted file keeps it open.
class CListingFrontEnd : public CFrontEnd
{
public:
    explicit CListingFrontEnd(std::FILE* pMessages = stderr) : m_pMessages(pMessages) {}

    EAnswer ShowMessage(int nStringId, const std::string& strArgument, EMessageBox nKind) override;
    void PumpWaitMessages(std::uint32_t /*nMaxWaitMs*/) override {}
    void OpenPad(CRemote& remote) override;
    void ClosePad(CRemote& remote) override;

private:
    std::FILE* m_pMessages;
};
